# test-summary.sh - the test command's stages: each runs to its end, and the close names what failed.
#
# Sourced by scripts/test.sh (and by its test, tests/scripts/TestSummaryTest.sh). A stage is
# any command; its output is shown and kept in "$TEST_LOG_DIR/NAME.log", and a non-zero status
# marks it failed without stopping the run, so a broken sanitizer build still leaves the Windows
# and package stages their say. The close adds up CTest's own "N tests failed out of M" lines
# from every log, so its counts are the stages' counts, not a second opinion.

TEST_LOG_DIR=${TEST_LOG_DIR:-build/test-logs}
failed_stages=()

# run_stage NAME COMMAND [ARG...]: runs the command, its output teed into NAME's log; returns 0.
# The caller's errexit is off for the stage's length: a stage that is a shell function must chain
# its steps with && so that a failed configure or build ends it, and counts as its failure.
run_stage() {
    local name=$1
    shift
    local errexit_was_on=0
    [[ $- == *e* ]] && errexit_was_on=1
    set +e
    "$@" 2>&1 | tee "$TEST_LOG_DIR/$name.log"
    local status=${PIPESTATUS[0]}
    ((errexit_was_on)) && set -e
    if ((status != 0)); then
        failed_stages+=("$name")
        echo "== $name: failed (status $status)"
    fi
    return 0
}

# summarize_stages: prints the failed stages on one line, then "tests: N passed, M failed" over
# every stage's log; returns non-zero when a stage or a test failed.
summarize_stages() {
    local passed=0 failed=0 total_failed total
    local logs=("$TEST_LOG_DIR"/*.log)
    if [[ -e ${logs[0]} ]]; then
        while read -r total_failed total; do
            passed=$((passed + total - total_failed))
            failed=$((failed + total_failed))
        done < <(sed -n 's/.*tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "${logs[@]}")
    fi
    if ((${#failed_stages[@]} > 0)); then
        echo "failed stages: ${failed_stages[*]}"
    else
        echo "failed stages: none"
    fi
    echo "tests: $passed passed, $failed failed"
    ((failed == 0 && ${#failed_stages[@]} == 0))
}
