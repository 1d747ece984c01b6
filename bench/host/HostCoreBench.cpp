// HostCoreBench.cpp - loading a generated 100 000-planet galaxy, and the per-query cost of range and group queries.
//
// Timed: the load as the host makes it, from text in memory and from a file
// read in chunks; beside it, for scale, the bare passes over the text of the
// load's own scanner (the floor of today's load) and of nlohmann's parser (the
// floor of a load through it), and the whole-document parse tree that the
// load no longer builds; building a galaxy's checks and indexes from
// parsed content alone; then single queries, both straight on the galaxy's
// indexes and through the whole answer path (request map in, reply map out).
// Kept out: generating the galaxy text, writing its file, copying content for
// the index build, and filling the request map. Centres are drawn with a fixed
// seed; every query's result is kept from the optimiser.
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "galaxy/GalaxyGenerator.h"
#include "json/IgnoredJsonEvents.h"
#include "json/JsonScanner.h"
#include "answer/QueryAnswerer.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::int32_t kLargestPlanets = 100000;
constexpr std::int32_t kLargestGroups = 200000;

/// One generated text per size, made once: generating is not what is timed.
const std::string& GalaxyText(std::int32_t planets) {
    static std::map<std::int32_t, std::string> texts;
    auto it = texts.find(planets);
    if (it == texts.end()) {
        const std::int32_t groups = planets == kLargestPlanets ? kLargestGroups : planets * 2;
        it = texts.emplace(planets, host::GenerateGalaxyJson({planets, 3, groups, 2026})).first;
    }
    return it->second;
}

host::Galaxy& LoadedGalaxy(std::int32_t planets) {
    static std::map<std::int32_t, std::unique_ptr<host::Galaxy>> galaxies;
    std::unique_ptr<host::Galaxy>& galaxy = galaxies[planets];
    if (!galaxy) {
        galaxy = std::make_unique<host::Galaxy>(host::ParseGalaxyJson(GalaxyText(planets), "bench.json"));
    }
    return *galaxy;
}

/// The whole document as a parse tree: what loading cost before it streamed.
void BM_ParseJsonOnly(benchmark::State& state) {
    const std::string& text = GalaxyText(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        nlohmann::json document = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(document);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseJsonOnly)->Arg(kLargestPlanets)->Unit(benchmark::kMillisecond);

/// The parser's own pass over the text, events going nowhere: no streaming load can be faster.
void BM_ScanJsonOnly(benchmark::State& state) {
    const std::string& text = GalaxyText(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        host::IgnoredJsonEvents events;
        benchmark::DoNotOptimize(nlohmann::json::sax_parse(text.begin(), text.end(), &events));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ScanJsonOnly)->Arg(kLargestPlanets)->Unit(benchmark::kMillisecond);

/// Takes every event of the load's own scanner and keeps nothing.
struct IgnoreScannedEvents {
    bool null() { return true; }
    bool boolean(bool) { return true; }
    bool number_integer(std::int64_t) { return true; }
    bool number_unsigned(std::uint64_t) { return true; }
    bool number_float(double, std::string_view) { return true; }
    bool string(std::string_view) { return true; }
    bool start_object(std::size_t) { return true; }
    bool key(std::string_view) { return true; }
    bool end_object() { return true; }
    bool start_array(std::size_t) { return true; }
    bool end_array() { return true; }
};

/// The load's own scanner over the text, events going nowhere: no load through it can be faster.
void BM_ScanJsonFastOnly(benchmark::State& state) {
    const std::string& text = GalaxyText(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        host::JsonTextWindows windows(text);
        IgnoreScannedEvents events;
        benchmark::DoNotOptimize(host::ScanJson(windows, events));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ScanJsonFastOnly)->Arg(kLargestPlanets)->Unit(benchmark::kMillisecond);

void BM_BuildIndexesOnly(benchmark::State& state) {
    const host::GalaxyContent& content = LoadedGalaxy(static_cast<std::int32_t>(state.range(0))).Content();
    for (auto _ : state) {
        state.PauseTiming();
        host::GalaxyContent copy = content;
        state.ResumeTiming();
        host::Galaxy galaxy(std::move(copy));
        benchmark::DoNotOptimize(galaxy);
        state.PauseTiming();
        { const host::Galaxy discard(std::move(galaxy)); } // freeing is not index building
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildIndexesOnly)->Arg(kLargestPlanets)->Unit(benchmark::kMillisecond);

void BM_LoadGalaxy(benchmark::State& state) {
    const std::string& text = GalaxyText(static_cast<std::int32_t>(state.range(0)));
    for (auto _ : state) {
        host::Galaxy galaxy = host::ParseGalaxyJson(text, "bench.json");
        benchmark::DoNotOptimize(galaxy);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadGalaxy)->Arg(kLargestPlanets)->Unit(benchmark::kMillisecond);

/// What `--galaxy FILE` costs: the same load, the text read from disk (page cache) in chunks.
void BM_LoadGalaxyFile(benchmark::State& state) {
    const std::string& text = GalaxyText(static_cast<std::int32_t>(state.range(0)));
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tarvenix-host-core-bench-" + std::to_string(state.range(0)) + ".json");
    std::ofstream(path, std::ios::binary) << text;
    for (auto _ : state) {
        host::Galaxy galaxy = host::LoadGalaxyFile(path);
        benchmark::DoNotOptimize(galaxy);
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadGalaxyFile)->Arg(kLargestPlanets)->Unit(benchmark::kMillisecond);

std::vector<std::int32_t> Centres(const host::Galaxy& galaxy) {
    std::mt19937 random(7);
    std::vector<std::int32_t> centres(4096);
    for (std::int32_t& centre : centres) {
        centre = 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(galaxy.PlanetCount()));
    }
    return centres;
}

// Range 30: a fast group's reach in a generated galaxy, some 25-30 planets around the centre.
constexpr double kRange = 30.0;

void BM_RangeQueryOnIndex(benchmark::State& state) {
    const host::Galaxy& galaxy = LoadedGalaxy(static_cast<std::int32_t>(state.range(0)));
    const std::vector<std::int32_t> centres = Centres(galaxy);
    std::vector<std::int32_t> found;
    std::size_t next = 0;
    std::size_t planetsFound = 0;
    for (auto _ : state) {
        found.clear();
        galaxy.PlanetsWithinRange(centres[next++ % centres.size()], kRange, found);
        planetsFound += found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["planets/query"] =
        benchmark::Counter(static_cast<double>(planetsFound) / static_cast<double>(state.iterations()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_RangeQueryOnIndex)->Arg(50000)->Arg(kLargestPlanets)->Unit(benchmark::kMicrosecond);

/// "#<n>", built by appending: GCC 12 misreads `"#" + std::to_string(n)` at -O2 as an overlapping copy.
std::string Designation(std::int32_t planet) {
    std::string text = "#";
    text += std::to_string(planet);
    return text;
}

/// Fills `request` as the plug-in would for a text query.
void Encode(const std::string& function, const std::vector<std::string>& parameters, CMapStringToString& request) {
    request.RemoveAll();
    request.SetAt("GameName", "bench");
    request.SetAt("Turn", "1");
    request.SetAt("Function", function.c_str());
    for (std::size_t k = 0; k < parameters.size(); ++k) {
        request.SetAt(("Parameter." + std::to_string(k + 1)).c_str(), parameters[k].c_str());
    }
    request.SetAt("Parameters.Count", std::to_string(parameters.size()).c_str());
}

/// Answers requests in batches: the maps of a batch are filled with the clock stopped,
/// so only answering is timed and the pause's own cost is spread over the batch.
template <typename MakeRequest>
void AnswerInBatches(benchmark::State& state, host::QueryAnswerer& answerer, MakeRequest makeRequest) {
    constexpr std::size_t kBatch = 256;
    std::vector<std::unique_ptr<CMapStringToString>> batch(kBatch);
    for (std::unique_ptr<CMapStringToString>& request : batch) {
        request = std::make_unique<CMapStringToString>();
    }
    std::int64_t answered = 0;
    while (state.KeepRunningBatch(kBatch)) {
        state.PauseTiming();
        for (std::unique_ptr<CMapStringToString>& request : batch) {
            makeRequest(*request);
        }
        state.ResumeTiming();
        for (std::unique_ptr<CMapStringToString>& request : batch) {
            benchmark::DoNotOptimize(answerer.Answer(*request));
        }
        answered += static_cast<std::int64_t>(kBatch);
    }
    state.SetItemsProcessed(answered);
}

void BM_RangeQueryAnswered(benchmark::State& state) {
    host::Galaxy& galaxy = LoadedGalaxy(static_cast<std::int32_t>(state.range(0)));
    host::QueryAnswerer answerer(galaxy);
    const std::vector<std::int32_t> centres = Centres(galaxy);
    std::size_t next = 0;
    AnswerInBatches(state, answerer, [&](CMapStringToString& request) {
        const std::int32_t a = centres[next++ % centres.size()];
        const std::int32_t b = centres[next % centres.size()];
        Encode("List", {"PlanetsAndRange", Designation(a), Designation(b), "30.000000"}, request);
    });
}
BENCHMARK(BM_RangeQueryAnswered)->Arg(50000)->Arg(kLargestPlanets)->Unit(benchmark::kMicrosecond);

void BM_ListGroupsAnswered(benchmark::State& state) {
    host::Galaxy& galaxy = LoadedGalaxy(static_cast<std::int32_t>(state.range(0)));
    host::QueryAnswerer answerer(galaxy);
    const std::vector<std::int32_t> centres = Centres(galaxy);
    const std::string race = galaxy.SelectedGroup().race;
    std::size_t next = 0;
    AnswerInBatches(state, answerer, [&](CMapStringToString& request) {
        Encode("List", {"Groups", Designation(centres[next++ % centres.size()]), race}, request);
    });
}
BENCHMARK(BM_ListGroupsAnswered)->Arg(kLargestPlanets)->Unit(benchmark::kMicrosecond);

void BM_GetGroupAnswered(benchmark::State& state) {
    host::Galaxy& galaxy = LoadedGalaxy(static_cast<std::int32_t>(state.range(0)));
    host::QueryAnswerer answerer(galaxy);
    const std::vector<host::Group>& groups = galaxy.Groups();
    std::mt19937 random(11);
    AnswerInBatches(state, answerer, [&](CMapStringToString& request) {
        Encode("Get", {"Group", std::to_string(groups[random() % groups.size()].number)}, request);
    });
}
BENCHMARK(BM_GetGroupAnswered)->Arg(kLargestPlanets)->Unit(benchmark::kMicrosecond);

} // namespace
