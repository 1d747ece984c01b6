#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tarvenix on Linux needs, when they are
# missing. As root it installs them with apt-get; otherwise it names what is missing and fails.
# clang and its runtime libraries (libclang-rt-14-dev holds libFuzzer) build the fuzz preset.
# chromium, chromium-driver and python3-selenium run the plan page's browser test.
set -euo pipefail
cd "$(dirname "$0")"

exec ./install-missing-packages.sh "build dependencies" \
    cmake g++ make googletest libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev libcli11-dev \
    clang libclang-rt-14-dev chromium chromium-driver python3-selenium
