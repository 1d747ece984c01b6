// CellTreeBench.cpp - CellTree of long cells: insert, search, walk, remove, rebalance.
//
// Timed: InsertLong of n shuffled values into an empty tree; FindLong of every
// value in a second shuffled order on a rebalanced tree; a Next-walk reading
// each cell's long; FindLong + Remove(' ') of every value; and Rebalance.
// Kept out: making the orders, building the trees for the search, walk and
// remove runs, and freeing the tree after the insert runs. The std::set figures
// of the same keys come from LongSetBench.cpp in the same program.
#include "cells/CellTree.h"

#include "cells/BenchKeys.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

namespace {

using cells_bench::ShuffledKeys;

std::unique_ptr<CellTree> BuildTree(std::int64_t n, bool rebalance) {
    auto tree = std::make_unique<CellTree>();
    for (std::int32_t value : ShuffledKeys(n)) {
        tree->InsertLong(value);
    }
    if (rebalance) {
        tree->Rebalance();
    }
    return tree;
}

void CellTreeInsertLong(benchmark::State& state) {
    const auto& values = ShuffledKeys(state.range(0));
    for (auto _ : state) {
        auto tree = std::make_unique<CellTree>();
        for (std::int32_t value : values) {
            benchmark::DoNotOptimize(tree->InsertLong(value));
        }
        state.PauseTiming();
        tree.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void CellTreeFindLongRebalanced(benchmark::State& state) {
    const auto tree = BuildTree(state.range(0), true);
    const auto& probes = ShuffledKeys(state.range(0), 1);
    for (auto _ : state) {
        for (std::int32_t value : probes) {
            benchmark::DoNotOptimize(tree->FindLong(value));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void CellTreeNextWalk(benchmark::State& state) {
    const auto tree = BuildTree(state.range(0), true);
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (CellTreeNode* pos = tree->First(); pos != nullptr;) {
            sum += tree->GetCell(tree->Next(pos))->GetLong();
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void CellTreeRemove(benchmark::State& state) {
    const auto& victims = ShuffledKeys(state.range(0), 1);
    for (auto _ : state) {
        state.PauseTiming();
        auto tree = BuildTree(state.range(0), true);
        state.ResumeTiming();
        for (std::int32_t value : victims) {
            CellTreeNode* pos = tree->FindLong(value);
            benchmark::DoNotOptimize(tree->Remove(' ', pos));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void CellTreeRebalance(benchmark::State& state) {
    const auto tree = BuildTree(state.range(0), false);
    for (auto _ : state) {
        benchmark::DoNotOptimize(tree->Rebalance());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(CellTreeInsertLong)->Apply(cells_bench::Sizes);
BENCHMARK(CellTreeFindLongRebalanced)->Apply(cells_bench::Sizes);
BENCHMARK(CellTreeNextWalk)->Apply(cells_bench::Sizes);
BENCHMARK(CellTreeRemove)->Apply(cells_bench::Sizes);
BENCHMARK(CellTreeRebalance)->Apply(cells_bench::Sizes);

} // namespace
