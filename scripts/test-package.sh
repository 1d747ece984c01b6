#!/usr/bin/env bash
# Tests the release archives: builds them (scripts/package.sh, warnings as errors), then unpacks
# and runs them against the dev build's plan of the demo galaxy, the Windows one under Wine in
# a virtual display (tests/package/package-checks.sh says what is checked).
# Closes with a CTest-style "N% tests passed, F tests failed out of T" line.
set -euo pipefail
cd "$(dirname "$0")/.."

elapsed() { echo "$((SECONDS - $1))s"; }
stage_start=$SECONDS

scripts/package.sh -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/package-linux/CMakeCache.txt)
linux_archive="dist/tarvenix-$version-linux-x86_64.tar.gz"
windows_archive="dist/Tarvenix2-$version-win32.zip"
echo "== package: archives built after $(elapsed "$stage_start")"
ls -l "$linux_archive" "$windows_archive" build/package-mingw/bin/Tarvenix2.dll

echo "== package: the dev host to compare with"
cmake --preset dev >/dev/null
cmake --build --preset dev --target tarvenix-host Tarvenix2 >/dev/null

# Wine as the Windows stage runs it: the prefix that stage made when there is one (making
# a new one takes a while), one server for the run, on the virtual display, stopped after.
wine_run=build/package-mingw/wine-run
if [ -d build/mingw/wineprefix ]; then
    export WINEPREFIX="$PWD/build/mingw/wineprefix"
fi
echo "== package: unpack and check"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wine_run=$1
    shift
    "$wine_run" --server -k >/dev/null 2>&1 || true
    "$wine_run" --server -p || [ $? -eq 2 ]
    "$wine_run" wineboot --init >/dev/null 2>&1
    status=0
    tests/package/package-checks.sh "$@" "$wine_run" || status=$?
    "$wine_run" --server -k >/dev/null 2>&1 || true
    exit "$status"
' bash "$wine_run" "$linux_archive" "$windows_archive" build/dev/host/tarvenix-host build/package-linux || status=$?
echo "== package: done after $(elapsed "$stage_start")"
exit "$status"
