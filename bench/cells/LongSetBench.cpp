// LongSetBench.cpp - LongSet beside std::set<std::int32_t>: add, search, walk, remove, rebalance.
//
// Timed: AddKey of n keys into an empty set, shuffled and in the descending runs
// the planner hands over (about n keys, runs of 2% of 1..n each); Contains of every key in
// a second shuffled order on a set that was built from the first order and
// rebalanced; a Next-walk of the whole set; Find + Remove(' ') of every key in
// shuffled order; and Rebalance of a set of n keys. Kept out: making the key
// orders, building the set for the search, walk and remove runs, and freeing
// the set after the add runs. Each std::set run does the same with the same
// keys in the same order. Keys are 1..n, shuffled with a fixed seed.
#include "cells/LongSet.h"

#include "cells/BenchKeys.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace {

using cells_bench::ShuffledKeys;

std::unique_ptr<LongSet> BuildSet(std::int64_t n, bool rebalance) {
    auto set = std::make_unique<LongSet>();
    for (std::int32_t key : ShuffledKeys(n)) {
        set->AddKey(key);
    }
    if (rebalance) {
        set->Rebalance();
    }
    return set;
}

std::unique_ptr<std::set<std::int32_t>> BuildStdSet(std::int64_t n) {
    const auto& keys = ShuffledKeys(n);
    return std::make_unique<std::set<std::int32_t>>(keys.begin(), keys.end());
}

using KeySource = const std::vector<std::int32_t>& (*)(std::int64_t n);

const std::vector<std::int32_t>& Shuffled(std::int64_t n) {
    return ShuffledKeys(n);
}

const std::vector<std::int32_t>& PlannerRuns(std::int64_t n) {
    return cells_bench::PlannerRuns(n);
}

void LongSetAddKey(benchmark::State& state, KeySource source) {
    const auto& keys = source(state.range(0));
    for (auto _ : state) {
        auto set = std::make_unique<LongSet>();
        for (std::int32_t key : keys) {
            benchmark::DoNotOptimize(set->AddKey(key));
        }
        state.PauseTiming();
        set.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(keys.size()));
}

void StdSetInsert(benchmark::State& state, KeySource source) {
    const auto& keys = source(state.range(0));
    for (auto _ : state) {
        auto set = std::make_unique<std::set<std::int32_t>>();
        for (std::int32_t key : keys) {
            benchmark::DoNotOptimize(set->insert(key));
        }
        state.PauseTiming();
        set.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(keys.size()));
}

// The same search of every key, on the tree as AddKey left it or after Rebalance.
void LongSetContains(benchmark::State& state, bool rebalance) {
    const auto set = BuildSet(state.range(0), rebalance);
    const auto& probes = ShuffledKeys(state.range(0), 1);
    for (auto _ : state) {
        for (std::int32_t key : probes) {
            benchmark::DoNotOptimize(set->Contains(key));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void LongSetContainsRebalanced(benchmark::State& state) {
    LongSetContains(state, true);
}

void LongSetContainsUnbalanced(benchmark::State& state) {
    LongSetContains(state, false);
}

void StdSetContains(benchmark::State& state) {
    const auto set = BuildStdSet(state.range(0));
    const auto& probes = ShuffledKeys(state.range(0), 1);
    for (auto _ : state) {
        for (std::int32_t key : probes) {
            benchmark::DoNotOptimize(set->count(key));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void LongSetNextWalk(benchmark::State& state) {
    const auto set = BuildSet(state.range(0), true);
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (LongSetNode* pos = set->First(); pos != nullptr;) {
            sum += set->Next(pos);
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void StdSetWalk(benchmark::State& state) {
    const auto set = BuildStdSet(state.range(0));
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (std::int32_t key : *set) {
            sum += key;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void LongSetRemove(benchmark::State& state) {
    const auto& victims = ShuffledKeys(state.range(0), 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto set = BuildSet(state.range(0), true);
        state.ResumeTiming();
        for (std::int32_t key : victims) {
            LongSetNode* pos = set->Find(key);
            benchmark::DoNotOptimize(set->Remove(' ', pos));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void StdSetErase(benchmark::State& state) {
    const auto& victims = ShuffledKeys(state.range(0), 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto set = BuildStdSet(state.range(0));
        state.ResumeTiming();
        for (std::int32_t key : victims) {
            benchmark::DoNotOptimize(set->erase(key));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The first run rebalances the tree as AddKey left it; later runs rebuild an
// already balanced tree, which costs the same walk and the same relinking.
void LongSetRebalance(benchmark::State& state) {
    const auto set = BuildSet(state.range(0), false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(set->Rebalance());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK_CAPTURE(LongSetAddKey, shuffled, Shuffled)->Apply(cells_bench::Sizes);
BENCHMARK_CAPTURE(StdSetInsert, shuffled, Shuffled)->Apply(cells_bench::Sizes);
BENCHMARK_CAPTURE(LongSetAddKey, planner_runs, PlannerRuns)->Apply(cells_bench::Sizes);
BENCHMARK_CAPTURE(StdSetInsert, planner_runs, PlannerRuns)->Apply(cells_bench::Sizes);
BENCHMARK(LongSetContainsRebalanced)->Apply(cells_bench::Sizes);
BENCHMARK(LongSetContainsUnbalanced)->Apply(cells_bench::Sizes);
BENCHMARK(StdSetContains)->Apply(cells_bench::Sizes);
BENCHMARK(LongSetNextWalk)->Apply(cells_bench::Sizes);
BENCHMARK(StdSetWalk)->Apply(cells_bench::Sizes);
BENCHMARK(LongSetRemove)->Apply(cells_bench::Sizes);
BENCHMARK(StdSetErase)->Apply(cells_bench::Sizes);
BENCHMARK(LongSetRebalance)->Apply(cells_bench::Sizes);

} // namespace
