#!/usr/bin/env bash
# Fuzzes one harness for a bounded time, from a copy of its checked-in seed corpus, so the
# checked-in corpus never grows from a test run. Crash inputs are kept in CRASH_DIR (named
# after the harness) to be turned into regular tests.
# Usage: run-harness.sh HARNESS SEED_DIR SECONDS CRASH_DIR [libFuzzer option...]
# TARVENIX_FUZZ_WORK=DIR keeps the working corpus (what the run found) in DIR instead of a
# temporary folder that goes at the end.
set -euo pipefail

harness=$1
seeds=$2
seconds=$3
crashes=$4
shift 4
name=$(basename "$harness")
here=$(cd "$(dirname "$0")" && pwd)

if [ -n "${TARVENIX_FUZZ_WORK:-}" ]; then
    work=$TARVENIX_FUZZ_WORK
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/tarvenix-fuzz-$name.XXXXXX")
    trap 'rm -rf "$work"' EXIT
fi
cp -r "$seeds"/. "$work"/
mkdir -p "$crashes"

# One process, no extra jobs: the machines have two cores. The time limit per input and the memory
# limit turn a hang or a runaway allocation into a reported failure with its input.
"$harness" "$work" \
    -dict="$here/protocol.dict" \
    -max_total_time="$seconds" \
    -timeout=20 \
    -rss_limit_mb=2560 \
    -max_len=16384 \
    -print_final_stats=1 \
    -artifact_prefix="$crashes/$name-" \
    "$@"
