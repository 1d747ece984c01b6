#!/usr/bin/env bash
# Builds the fuzz preset and runs the libFuzzer harnesses of fuzz/, one at a time.
#
#   scripts/fuzz.sh                      each harness for 60 s through CTest (what scripts/test.sh runs)
#   scripts/fuzz.sh SECONDS [HARNESS...] each named harness (default: all) for SECONDS
#
# Every run starts from a copy of the harness's checked-in corpus (fuzz/corpus/HARNESS);
# TARVENIX_FUZZ_WORK=DIR keeps what a long run finds in DIR. A crash, hang or sanitizer
# report fails the run and leaves its input in build/fuzz/fuzz/crashes/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
export CMAKE_BUILD_PARALLEL_LEVEL="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

if [ $# -eq 0 ]; then
    exec ctest --preset fuzz
fi

seconds=$1
shift
harnesses=("$@")
if [ ${#harnesses[@]} -eq 0 ]; then
    # Every harness has its corpus folder, so a new one is never left out.
    for corpus in fuzz/corpus/*/; do
        harnesses+=("$(basename "$corpus")")
    done
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
for harness in "${harnesses[@]}"; do
    echo "== fuzz: $harness for $seconds s"
    TARVENIX_FUZZ_WORK="${TARVENIX_FUZZ_WORK:+$TARVENIX_FUZZ_WORK/$harness}" \
        fuzz/run-harness.sh "build/fuzz/fuzz/$harness" "fuzz/corpus/$harness" "$seconds" build/fuzz/fuzz/crashes
done
