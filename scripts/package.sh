#!/usr/bin/env bash
# Builds the optimised Linux and Windows targets and writes their archives into dist/:
#   dist/tarvenix-<version>-linux-x86_64.tar.gz  bin/tarvenix-host, lib/tarvenix/ (plug-in, framework)
#   dist/Tarvenix2-<version>-win32.zip            the player's folder: Tarvenix2.dll and what it needs
# The version is the project's own (project() in CMakeLists.txt). Installs what is missing,
# as the test command does. Arguments go to both configurations (e.g. -DCMAKE_COMPILE_WARNING_AS_ERROR=ON).
# Closes with the sizes the README quotes: the plug-in as the ZIP holds it, and each archive.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/install-windows-toolchain.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

mkdir -p dist
made=() # "archive|CPack's folder" of each archive written
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
        made+=("dist/$(basename "$archive")|$staging")
    done
done


# The sizes, from the files CPack packed (stripped), which it leaves in its folder.
echo "== sizes in bytes"
for entry in "${made[@]}"; do
    archive=${entry%%|*}
    name=$(basename "$archive" | sed 's/\.tar\.gz$//; s/\.zip$//')
    tree=$(find "${entry#*|}/_CPack_Packages" -mindepth 3 -maxdepth 3 -type d -name "$name" | head -n 1)
    printf '%10d  %s (%d unpacked)\n' "$(stat -c %s "$archive")" "$archive" "$(du -sb "$tree" | cut -f1)"
    for file in Tarvenix2.dll libstdc++-6.dll; do
        [ ! -f "$tree/$file" ] || printf '%10d  %s in it\n' "$(stat -c %s "$tree/$file")" "$file"
    done
done
