// BenchKeys.h - the key sequences and sizes every container benchmark uses.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <random>
#include <vector>

namespace cells_bench {

/// Keys 1..n in an order shuffled with a fixed seed: the same data for every
/// container in the run. `salt` gives a second, independent order of the same keys.
inline const std::vector<std::int32_t>& ShuffledKeys(std::int64_t n, unsigned salt = 0) {
    static std::map<std::pair<std::int64_t, unsigned>, std::vector<std::int32_t>> made;
    auto& keys = made[{n, salt}];
    if (keys.empty()) {
        keys.resize(static_cast<std::size_t>(n));
        std::iota(keys.begin(), keys.end(), 1);
        std::shuffle(keys.begin(), keys.end(), std::mt19937(20261207u + salt));
    }
    return keys;
}

/// 10^3, 10^4, 10^5 and 10^6 entries, timed in microseconds.
inline void Sizes(benchmark::internal::Benchmark* bench) {
    bench->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMicrosecond);
}

} // namespace cells_bench
