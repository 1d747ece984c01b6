#!/usr/bin/env bash
# Installs the Debian packages that building the host and the plug-in needs, when they are
# missing: the compiler, CMake and the JSON and command-line libraries; no test tools.
# As root it installs them with apt-get; otherwise it names what is missing and fails.
set -euo pipefail
cd "$(dirname "$0")"

exec ./install-missing-packages.sh "build dependencies of the demo" \
    cmake g++ make nlohmann-json3-dev libcli11-dev
