#!/usr/bin/env bash
# differential.sh - the same galaxies planned by a Linux host and by a Windows host under Wine.
#
#   differential.sh LINUX_HOST WINE_RUN WINDOWS_HOST_EXE WORK_DIR [COUNT]
#
# Makes COUNT (default 200) galaxies with spread-galaxies.sh, planned by LINUX_HOST, then plans
# each with WINDOWS_HOST_EXE under WINE_RUN (its server up, on a display) and compares: the
# trace byte for byte, the report but for its planning time. Prints one line per difference and
# a closing "differential: N galaxies, D differences"; exits 1 when D > 0.
#
# One Windows host runs per galaxy: the host plans one galaxy per run, and a run under a Wine
# server that is already up costs about a third of a second, so 200 galaxies take a minute or so.
set -uo pipefail

linux_host=$1
wine_run=$2
windows_host=$3
work=$4
count=${5:-200}
here=$(dirname "$(realpath "$0")")

mkdir -p "$work"
"$here/spread-galaxies.sh" "$linux_host" "$work" "$count" || { echo "differential: the Linux plans failed"; exit 1; }

windows_path() { echo "Z:${1//\//\\}"; }
strip='s/, "plan_ms": [0-9.e+-]*//; s/\r$//'
differences=0
for galaxy in "$work"/g*[0-9].json; do
    name=$(basename "$galaxy" .json)
    LC_ALL=en_US.UTF-8 "$wine_run" "$windows_host" --galaxy "$(windows_path "$galaxy")" --json \
        --trace "$(windows_path "$work/$name.windows.trace.jsonl")" >"$work/$name.windows.report.json" 2>"$work/$name.stderr"
    if ! cmp -s "$work/$name.trace.jsonl" "$work/$name.windows.trace.jsonl"; then
        echo "    $name: the traces differ ($(cmp "$work/$name.trace.jsonl" "$work/$name.windows.trace.jsonl" 2>&1 | head -n 1))"
        differences=$((differences + 1))
    elif [ "$(sed "$strip" "$work/$name.report.json")" != "$(sed "$strip" "$work/$name.windows.report.json")" ]; then
        echo "    $name: the reports differ beyond plan_ms"
        differences=$((differences + 1))
    fi
done
echo "differential: $count galaxies, $differences differences"
[ "$differences" -eq 0 ]
