#!/usr/bin/env bash
# Runs every test: installs what is missing, builds and tests the debug build and the
# address/undefined-behaviour sanitizer build, runs the threaded tests under the thread
# sanitizer, fuzzes each libFuzzer harness for a minute, then the Windows target under Wine
# where that stage exists, then the release archives.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"

log_dir=build/test-logs
mkdir -p "$log_dir"
rm -f "$log_dir"/*.log

run_preset() {
    local preset=$1
    echo "== $preset: configure, build, test"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" --parallel "$(nproc)" 2>&1 | tee "$log_dir/$preset.log"
}

run_preset dev
run_preset asan
run_preset tsan

# One harness at a time, each for a bounded time from a copy of its checked-in corpus.
echo "== fuzz: configure, build, fuzz each harness"
scripts/fuzz.sh 2>&1 | tee "$log_dir/fuzz.log"

if [ -x scripts/test-windows.sh ]; then
    scripts/test-windows.sh 2>&1 | tee "$log_dir/windows.log"
fi

# The release archives, unpacked and run as a player and a packager would.
scripts/test-package.sh 2>&1 | tee "$log_dir/package.log"

# One closing line over every stage, from CTest's own counts.
passed=0
failed=0
while read -r total_failed total; do
    passed=$((passed + total - total_failed))
    failed=$((failed + total_failed))
done < <(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log_dir"/*.log)
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
