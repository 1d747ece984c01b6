// QueryChannelBench.cpp - the plug-in's own side of a host query, without a host behind it.
//
// The planner's two most frequent exchanges, each answered by a stand-in that writes a
// fixed answer of the real host's shape into the map in nanoseconds: "Get Planet #p"
// (five short entries, one read back) and a range list (a "Planet.k" and an "Angle.k"
// entry per listed planet, every "Planet.k" read back and its number parsed). What is
// timed is what the plug-in spends around the host: building the request, emptying the
// map, finding and reading the entries.
#include "context/DispatchContext.h"
#include "platform/CMapStringToString.h"
#include "platform/Conversions.h"
#include "relay/HostNumbers.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

std::int32_t listedPlanets = 0;

void AnswerPlanet(CMapStringToString& map) {
    map["Num"] = "48213";
    map["Name"] = "Kavepepelo";
    map["Owner"] = "Zopean";
    map["X"] = "1234.560000";
    map["Y"] = "987.650000";
}

void AnswerRange(CMapStringToString& map) {
    for (std::int32_t k = 1; k <= listedPlanets; ++k) {
        map[relay::IndexedKey("Planet.", k)] = platform::NumberedText("#", 40000 + 97 * k);
        map[relay::IndexedKey("Angle.", k)] = "1.234567";
    }
    map["Count"] = platform::NumberedText({}, listedPlanets);
}

void Bind(DispatchContext& context, HostCallback callback) {
    CMapStringToString command;
    command["GameName"] = "Generated Cluster 1";
    command["Turn"] = "66";
    context.BindHost(callback, command); // keeps the callback; the stand-in names no race
    context.raceName = "Zopean";
}

void BM_GetPlanetQuery(benchmark::State& state) {
    DispatchContext context;
    Bind(context, AnswerPlanet);
    CMapStringToString reply(10);
    std::int32_t owned = 0;
    std::int32_t p = 1;
    for (auto _ : state) {
        context.Query(CString(platform::NumberedText("Get Planet #", p++).view()), reply);
        owned += reply["Owner"] == context.raceName ? 1 : 0;
    }
    benchmark::DoNotOptimize(owned);
}
BENCHMARK(BM_GetPlanetQuery);

// One range answer per iteration, read as the planner reads it; counted per listed planet.
void BM_RangeListRead(benchmark::State& state) {
    listedPlanets = static_cast<std::int32_t>(state.range(0));
    DispatchContext context;
    Bind(context, AnswerRange);
    CMapStringToString reply(10);
    std::int64_t sum = 0;
    for (auto _ : state) {
        context.Query(relay::RangeQuery(17, 17, 54.799999), reply);
        const std::int32_t walkable = relay::WalkableEntries(platform::atol(reply["Count"]), reply);
        for (std::int32_t k = walkable; k >= 1; --k) {
            sum += relay::ReadPlanetEntry(reply[relay::IndexedKey("Planet.", k)]);
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(state.iterations() * listedPlanets);
}
BENCHMARK(BM_RangeListRead)->Arg(71);

} // namespace
