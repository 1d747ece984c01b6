#!/usr/bin/env bash
# spread-galaxies.sh - galaxies whose speeds spread over every hundredth, each planned by a Linux host.
#
#   spread-galaxies.sh LINUX_HOST OUT_DIR COUNT
#
# Writes OUT_DIR/gNNN.json for NNN = 1..COUNT and, planned by LINUX_HOST, gNNN.trace.jsonl
# (--trace) and gNNN.report.json (--json), the reference that another build of the host and
# the plug-in must match byte for byte.
#
# Each galaxy is `generate`d with its own seed and size, then every group's speed is drawn
# anew. The generator makes a speed as drives x drivesTech x 8, which leaves only multiples of
# 0.08, 0.12, 0.24 or 0.64, and the host sends the plug-in speeds in hundredths: drawn over
# every hundredth instead, about four speeds in ten are ones whose hundredfold an x87
# intermediate truncates one short. The first six selections move at the speeds once seen to
# go wrong so (20.43, 23.20, 23.31, 25.24, 24.93, 41.37). Generating stays as it is: the same
# options and seed still give the same file. Angles need no such help: the host sends them
# with six decimals of a bearing, over every value.
set -euo pipefail

host=$1
out=$2
count=$3
mkdir -p "$out"

galaxies=()
for index in $(seq 1 "$count"); do
    name=$(printf 'g%03d' "$index")
    planets=$((20 + (index * 37) % 100))
    "$host" generate --planets "$planets" --races $((1 + index % 2)) --groups $((planets * 2)) --seed "$index" \
        --out "$out/$name.json" >/dev/null
    galaxies+=("$out/$name.json")
done

python3 - "${galaxies[@]}" <<'PYTHON'
import json
import random
import sys

first_speeds = [20.43, 23.20, 23.31, 25.24, 24.93, 41.37]
for index, path in enumerate(sys.argv[1:]):
    with open(path) as file:
        galaxy = json.load(file)
    draw = random.Random(index + 1)
    for group in galaxy["groups"]:
        group["speed"] = draw.randrange(300, 4000) / 100
        if group["number"] == galaxy["selection"]:
            # More ships than free planets within reach, so that relay groups carry some on.
            group["count"] = draw.randrange(5, 40)
            if index < len(first_speeds):
                group["speed"] = first_speeds[index]
    with open(path, "w") as file:
        json.dump(galaxy, file, indent=1)
PYTHON

for galaxy in "${galaxies[@]}"; do
    LC_ALL=en_US.UTF-8 "$host" --galaxy "$galaxy" --json --trace "${galaxy%.json}.trace.jsonl" \
        >"${galaxy%.json}.report.json"
done
