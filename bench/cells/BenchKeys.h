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

/// Keys as the planner hands them to reachablePlanets: one run per own planet, each
/// the planets within its range in descending order, `runs` runs over keys 1..n that
/// each take about `share` of them, so that later runs fall between earlier ones.
inline const std::vector<std::int32_t>& PlannerRuns(std::int64_t n, int runs = 50, double share = 0.02) {
    static std::map<std::int64_t, std::vector<std::int32_t>> made;
    auto& keys = made[n];
    if (keys.empty()) {
        std::mt19937 rng(20261207u);
        std::bernoulli_distribution taken(share);
        for (int run = 0; run < runs; ++run) {
            for (auto key = static_cast<std::int32_t>(n); key >= 1; --key) {
                if (taken(rng)) {
                    keys.push_back(key);
                }
            }
        }
    }
    return keys;
}

/// 10^3, 10^4, 10^5 and 10^6 entries, timed in microseconds.
inline void Sizes(benchmark::internal::Benchmark* bench) {
    bench->RangeMultiplier(10)->Range(1000, 1000000)->Unit(benchmark::kMicrosecond);
}

} // namespace cells_bench
