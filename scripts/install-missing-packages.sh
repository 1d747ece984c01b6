#!/usr/bin/env bash
# Installs those of the given Debian packages that are missing; quick when none is.
# Usage: install-missing-packages.sh "what they are for" package...
# A package of another architecture (name:i386) has that architecture added first.
# As root it installs them with apt-get; otherwise it names what is missing and fails.
set -euo pipefail

what=$1
shift

missing=()
for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "missing $what: ${missing[*]}" >&2
    echo "run this again as root to install them (with any foreign architecture they need)" >&2
    exit 1
fi

echo "installing $what: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
for package in "${missing[@]}"; do
    architecture=${package#*:}
    if [ "$architecture" != "$package" ] && ! dpkg --print-foreign-architectures | grep -qx "$architecture"; then
        dpkg --add-architecture "$architecture"
    fi
done
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
