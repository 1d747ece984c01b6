#!/usr/bin/env bash
# Installs what the Windows target needs from Debian's packages, when it is missing: the
# MinGW-w64 i686 cross compiler, 32-bit Wine, and the X tools that run and photograph windows.
# Quick when everything is there. As root it installs; otherwise it names what is missing and fails.
set -euo pipefail

# Wine's 32-bit half comes from the i386 architecture; the rest is native.
packages=(g++-mingw-w64-i686 wine wine32:i386 xvfb xauth xdotool x11-apps imagemagick)

is_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for package in "${packages[@]}"; do
    is_installed "$package" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "missing Windows toolchain packages: ${missing[*]}" >&2
    echo "install them as root with: scripts/install-windows-toolchain.sh" >&2
    exit 1
fi

echo "installing Windows toolchain packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
