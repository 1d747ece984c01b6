// Failure.h - how a harness reports a broken property: a crash the fuzzer keeps with its input.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

/// Writes `what` to the error stream and aborts; libFuzzer saves the input that led here.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

} // namespace fuzz
