#!/usr/bin/env bash
# Plans the built-in demo galaxy with the Tarvenix2 plug-in, through the host stand-in.
#
# Installs what the demo needs when it is missing (the compiler, CMake, the JSON and
# command-line libraries; not the test tools, which scripts/test.sh installs), builds the
# two targets the run needs in the demo configuration (no tests), then runs tarvenix-host: the progress window is drawn
# on the terminal (Ctrl-C presses its Cancel), the orders follow with the host's verdicts,
# and the plan's picture is written to build/demo/plan.svg.
#
# Extra arguments go to tarvenix-host (for example --lang ru, or --galaxy FILE).
# TARVENIX_DEMO_DELAY_MS (default 10) slows every answer so the window can be watched.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-demo-deps.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

echo "== building tarvenix-host and the Tarvenix2 plug-in (demo)"
cmake --preset demo >/dev/null
cmake --build --preset demo >/dev/null

# Named in full: the host's last line names the files it wrote, for the player to open.
picture="$PWD/build/demo/plan.svg"
mkdir -p "$(dirname "$picture")"
echo "== planning"
exec build/demo/host/tarvenix-host plan --svg "$picture" \
    --answer-delay-ms "${TARVENIX_DEMO_DELAY_MS:-10}" "$@"
