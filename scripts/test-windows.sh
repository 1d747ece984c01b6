#!/usr/bin/env bash
# Tests the 32-bit Windows target: installs the MinGW-w64 and Wine toolchain when missing,
# cross-builds the mingw preset, and runs its tests under Wine in a virtual X display; then the
# optimised build that players get (mingw-release): its conversions, its plans under other x87
# settings and in another framework's client, and its host's plans against the Linux build's.
# Each closes with CTest's own "N% tests passed, F tests failed out of T" line.
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
echo "== mingw-release: configure, build"
cmake --preset mingw-release -DTARVENIX_LINUX_HOST="$linux_host" >/dev/null
cmake --build --preset mingw-release
echo "== mingw-release: built after $(elapsed "$stage_start")"

status=0
scripts/with-wine.sh bash -c '
    echo "== mingw: test under Wine"
    status=0
    ctest --preset mingw --parallel "$(nproc)" || status=$?
    echo "== mingw-release: test under Wine"
    # The same Wine server and prefix as the debug build: one prefix for the whole stage.
    WINEPREFIX="$PWD/build/mingw/wineprefix" ctest --preset mingw-release --parallel "$(nproc)" || status=$?
    echo "== mingw: fixed cost of a run"
    bash tests/windows/fixed-cost.sh build/mingw/wine-run build/mingw/bin "$TARVENIX_LINUX_HOST" || true
    exit "$status"
' || status=$?
echo "== mingw: done after $(elapsed "$stage_start")"
exit "$status"
