#!/usr/bin/env bash
# Runs every test: installs what is missing, then six stages, each to its end whatever the
# others did: the debug build and the address/undefined-behaviour sanitizer build, the threaded
# tests under the thread sanitizer, a minute of fuzzing for each libFuzzer harness, the Windows
# target under Wine, and the release archives. The close names the stages that failed and adds
# up CTest's counts; the exit status is non-zero when a stage failed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

TEST_LOG_DIR=build/test-logs
mkdir -p "$TEST_LOG_DIR"
rm -f "$TEST_LOG_DIR"/*.log
source scripts/test-summary.sh

# Configure, build and test one preset; the first step that fails ends the stage.
test_preset() {
    local preset=$1
    echo "== $preset: configure, build, test"
    cmake --preset "$preset" >/dev/null &&
        cmake --build --preset "$preset" &&
        ctest --preset "$preset" --parallel "$(nproc)"
}

run_stage dev test_preset dev
run_stage asan test_preset asan
run_stage tsan test_preset tsan
# One harness at a time, each for a bounded time from a copy of its checked-in corpus.
run_stage fuzz scripts/fuzz.sh
run_stage windows scripts/test-windows.sh
# The release archives, unpacked and run as a player and a packager would.
run_stage package scripts/test-package.sh

summarize_stages
