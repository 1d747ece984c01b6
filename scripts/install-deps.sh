#!/usr/bin/env bash
# Installs the Debian packages that building and testing Tarvenix on Linux needs, when they are
# missing: what the demo needs (install-demo-deps.sh), then the test tools. As root it installs
# them with apt-get; otherwise it names what is missing and fails.
# clang and its runtime libraries (libclang-rt-14-dev holds libFuzzer) build the fuzz preset.
# chromium, chromium-driver and python3-selenium run the plan page's browser test;
# python3-jsonschema checks the galaxy files' schema against the loader.
set -euo pipefail
cd "$(dirname "$0")"

./install-demo-deps.sh
exec ./install-missing-packages.sh "test tools" \
    googletest libgtest-dev libgmock-dev libbenchmark-dev \
    clang libclang-rt-14-dev chromium chromium-driver python3-selenium python3-jsonschema
