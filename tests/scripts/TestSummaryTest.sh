#!/usr/bin/env bash
# TestSummaryTest.sh - the test command's close tells the truth: stages after a failing one still
# run, and the close names every failed stage, counts the failed tests and fails.
#
# Usage: TestSummaryTest.sh PATH/TO/scripts/test-summary.sh
# Runs under the same shell options as scripts/test.sh, so an abort between stages would show.
set -euo pipefail
summary_script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect_line OUTPUT LINE: OUTPUT holds LINE as a whole line.
expect_line() {
    grep -qxF -- "$2" <<<"$1" || fail "expected the line '$2' in:"$'\n'"$1"
}

passing_stage() { echo "100% tests passed, 0 tests failed out of 5"; }
failing_tests_stage() {
    echo "80% tests passed, 1 tests failed out of 5"
    return 8
}
# A configure that fails: no CTest line at all, and the steps after it must not run.
broken_build_stage() {
    false && echo "100% tests passed, 0 tests failed out of 99"
}
ran_after_failures() { touch "$work/ran"; }

# Each scenario in a fresh shell with the options of scripts/test.sh: a caller's "|| status=$?"
# would switch errexit off for everything inside it, and hide an abort between stages.
export -f passing_stage failing_tests_stage broken_build_stage ran_after_failures
export work
run_scenario() {
    local logs="$work/$1"
    shift
    mkdir -p "$logs"
    TEST_LOG_DIR=$logs bash -c '
        set -euo pipefail
        source "$0"
        for stage in "$@"; do
            run_stage "${stage%%:*}" "${stage#*:}"
        done
        summarize_stages' "$summary_script" "$@"
}

# Two stages fail, in between and at the start; every stage still runs.
status=0
output=$(run_scenario failing asan:broken_build_stage dev:passing_stage tsan:failing_tests_stage \
                      package:ran_after_failures) || status=$?
[ "$status" -ne 0 ] || fail "a run with failed stages exited 0"
expect_line "$output" "failed stages: asan tsan"
expect_line "$output" "tests: 9 passed, 1 failed"
expect_line "$output" "== tsan: failed (status 8)"
[ -e "$work/ran" ] || fail "the stage after the failing ones did not run"
grep -q "out of 99" "$work/failing/asan.log" && fail "a broken build's later steps ran"

# Everything passes: no stage named, exit 0.
status=0
output=$(run_scenario passing dev:passing_stage windows:passing_stage) || status=$?
[ "$status" -eq 0 ] || fail "a passing run exited $status"
expect_line "$output" "failed stages: none"
expect_line "$output" "tests: 10 passed, 0 failed"

# A stage that fails with every test passing (a fuzz crash, a package check) still fails the run.
status=0
output=$(run_scenario quiet dev:passing_stage fuzz:false) || status=$?
[ "$status" -ne 0 ] || fail "a failed stage without failed tests exited 0"
expect_line "$output" "failed stages: fuzz"
expect_line "$output" "tests: 5 passed, 0 failed"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "test summary: every check passed"
