#!/usr/bin/env bash
# Builds the optimised Linux and Windows targets and writes their archives into dist/:
#   dist/tarvenix-<version>-linux-x86_64.tar.gz  bin/tarvenix-host, lib/tarvenix/ (plug-in, framework)
#   dist/Tarvenix2-<version>-win32.zip            the player's folder: Tarvenix2.dll and what it needs
# The version is the project's own (project() in CMakeLists.txt). Installs what is missing,
# as the test command does. Arguments go to both configurations (e.g. -DCMAKE_COMPILE_WARNING_AS_ERROR=ON).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/install-windows-toolchain.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

mkdir -p dist
for preset in package-linux package-mingw; do
    echo "== $preset: configure, build, package"
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset"
    # CPack works in a folder of its own; only the archive goes to dist/.
    staging="build/$preset/cpack"
    rm -rf "$staging"
    cpack --config "build/$preset/CPackConfig.cmake" -B "$staging" >/dev/null
    for archive in "$staging"/*.tar.gz "$staging"/*.zip; do
        [ -e "$archive" ] || continue
        mv "$archive" dist/
        echo "dist/$(basename "$archive")"
    done
done
