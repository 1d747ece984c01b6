// ReviewBench.cpp - the plan's review on generated galaxies of 10^5 and 10^6 planets.
//
// Timed: ReviewPlan on the galaxy's own selection, as after a plan that sent nothing, so the
// flow finds every route itself (a real plan's routes would seed it and leave it less to do).
// Kept out: generating and indexing the galaxy, made once per size, as the plan command has
// it loaded already. Set beside the whole `plan` run of the same galaxy (scripts/bench.sh's
// scale rows) to read the review's share.
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyGenerator.h"
#include "review/PlanReview.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

/// The galaxy scripts/bench.sh plans at this size: two groups a planet, seed 1.
const host::Galaxy& GeneratedGalaxy(std::int32_t planets) {
    static std::map<std::int32_t, std::unique_ptr<host::Galaxy>> galaxies;
    std::unique_ptr<host::Galaxy>& galaxy = galaxies[planets];
    if (!galaxy) {
        galaxy = std::make_unique<host::Galaxy>(host::GenerateGalaxy({planets, 3, 2 * planets, 1}));
    }
    return *galaxy;
}

void BM_ReviewPlan(benchmark::State& state) {
    const host::Galaxy& galaxy = GeneratedGalaxy(static_cast<std::int32_t>(state.range(0)));
    host::RunOutcome outcome;
    outcome.addRequests = 1;
    const std::int32_t selected = galaxy.SelectedGroup().number;
    for (auto _ : state) {
        const auto review = host::ReviewPlan(galaxy, selected, galaxy.HighestGroupNumber(), outcome);
        benchmark::DoNotOptimize(review);
        state.counters["best_possible"] = review ? review->bestPossible : -1;
        state.counters["bounded"] = review && review->bounded ? 1 : 0;
    }
}
BENCHMARK(BM_ReviewPlan)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
