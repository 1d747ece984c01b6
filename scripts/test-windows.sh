#!/usr/bin/env bash
# Tests the 32-bit Windows target: installs the MinGW-w64 and Wine toolchain when missing,
# cross-builds the mingw preset, and runs its tests under Wine in a virtual X display.
# Closes with CTest's own "N% tests passed, F tests failed out of T" line.
set -euo pipefail
cd "$(dirname "$0")/.."

elapsed() { echo "$((SECONDS - $1))s"; }

stage_start=$SECONDS
scripts/install-deps.sh
scripts/install-windows-toolchain.sh
echo "== mingw: toolchain ready after $(elapsed "$stage_start")"
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

# The Linux host and plug-in, which the Windows run of the demo galaxy is compared with.
echo "== mingw: the Linux host to compare with"
cmake --preset dev >/dev/null
cmake --build --preset dev --target tarvenix-host Tarvenix2
linux_host="$PWD/build/dev/host/tarvenix-host"
export TARVENIX_LINUX_HOST="$linux_host"

echo "== mingw: configure, build"
cmake --preset mingw -DTARVENIX_LINUX_HOST="$linux_host" >/dev/null
cmake --build --preset mingw
echo "== mingw: built after $(elapsed "$stage_start")"

# Everything under Wine runs on one virtual display: the Wine processes that the first
# program starts (the desktop among them) keep the display they were started with, so
# the server and the prefix are made there too, or no window of a later test could show.
# One Wine server stays up for the whole run instead of starting anew between programs
# (it answers 2 when one is up already), and the prefix is made or updated before the
# first test rather than inside it.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine_run=build/mingw/wine-run
    # A server left from a run without this display would keep its display-less desktop.
    "$wine_run" --server -k >/dev/null 2>&1 || true
    "$wine_run" --server -p || [ $? -eq 2 ]
    "$wine_run" wineboot --init >/dev/null 2>&1
    # Xvfb runs no window manager, and Wine waits 2 s for one whenever a window it handed
    # to the manager is hidden or destroyed: every run of the host paid it. Windows kept
    # from the manager go at once, and Wine draws their frames itself.
    "$wine_run" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null 2>&1
    echo "== mingw: Wine ready"
    echo "== mingw: test under Wine"
    status=0
    ctest --preset mingw --parallel "$(nproc)" || status=$?
    echo "== mingw: fixed cost of a run"
    bash tests/windows/fixed-cost.sh "$wine_run" build/mingw/bin "$TARVENIX_LINUX_HOST" || true
    # Leave no Wine process behind.
    "$wine_run" --server -k >/dev/null 2>&1 || true
    exit "$status"
' || status=$?
echo "== mingw: done after $(elapsed "$stage_start")"
exit "$status"
