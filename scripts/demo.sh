#!/usr/bin/env bash
# Plans the built-in demo galaxy with the Tarvenix2 plug-in, through the host stand-in.
#
# Installs what is missing (as the test command does), builds the two targets the run
# needs in the dev configuration, then runs tarvenix-host: the progress window is drawn
# on the terminal (Ctrl-C presses its Cancel), the orders follow with the host's verdicts,
# and the plan's picture is written to build/demo/plan.svg.
#
# Extra arguments go to tarvenix-host (for example --lang ru, or --galaxy FILE).
# TARVENIX_DEMO_DELAY_MS (default 10) slows every answer so the window can be watched.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

echo "== building tarvenix-host and the Tarvenix2 plug-in (dev)"
cmake --preset dev >/dev/null
cmake --build --preset dev --target tarvenix-host Tarvenix2 >/dev/null

picture=build/demo/plan.svg
mkdir -p "$(dirname "$picture")"
echo "== planning"
status=0
build/dev/host/tarvenix-host plan --svg "$picture" \
    --answer-delay-ms "${TARVENIX_DEMO_DELAY_MS:-10}" "$@" || status=$?
if [ "$status" -eq 0 ] && [ -s "$picture" ]; then
    echo "The plan's picture: $PWD/$picture"
fi
exit "$status"
