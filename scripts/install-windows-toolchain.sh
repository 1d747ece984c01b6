#!/usr/bin/env bash
# Installs what the Windows target needs from Debian's packages, when it is missing: the
# MinGW-w64 i686 cross compiler, 32-bit Wine, and the X tools that run and photograph windows.
set -euo pipefail
cd "$(dirname "$0")"

# wine32:i386 is Wine's 32-bit half, from the i386 architecture.
exec ./install-missing-packages.sh "Windows toolchain packages" \
    g++-mingw-w64-i686 wine wine32:i386 xvfb xauth xdotool x11-apps imagemagick
