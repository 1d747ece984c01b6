// PlannerBench.cpp - whole planner runs against the host's own answerer, the plug-in's time apart
// from the host's.
//
// Timed: one PlannerThread run on the benchmark thread, from the first query to
// the completion post, against the host's QueryAnswerer over a generated galaxy
// (the galaxies `tarvenix-host generate` writes, with the group the host would be
// asked to plan). Every callback is timed on its own, so the counters split the
// run's time into the host's answering and the plug-in's own work (the run
// less the callbacks); plugin_share is the plug-in's part of the run. Kept out:
// generating and loading the galaxy, reading the selected group, and draining
// the window's queue between runs.
#include "context/DispatchContext.h"
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "galaxy/GalaxyGenerator.h"
#include "answer/QueryAnswerer.h"
#include "platform/Conversions.h"
#include "platform/Window.h"
#include "relay/HostNumbers.h"
#include "relay/PlannerThread.h"
#include "ui/SendProgressDialog.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <chrono>
#include <string>

namespace {

// The steady clock, read without a system call: the thread's CPU clock costs a
// system call of about a microsecond, and two readings around each of 110 000
// callbacks would add more time than some of what they measure, split between
// the two sides.
std::int64_t Nanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

host::QueryAnswerer* answerer = nullptr;
std::int64_t hostNanoseconds = 0;
std::int64_t queries = 0;

void TimedHost(CMapStringToString& request) {
    const std::int64_t start = Nanoseconds();
    answerer->Answer(request);
    hostNanoseconds += Nanoseconds() - start;
    ++queries;
}

void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        DispatchMessageA(&msg);
    }
}

/// The host's answer "1" to "Selection <menu item> <what>", as the command reads it.
CString Selection(DispatchContext& context, const std::string& what) {
    CMapStringToString reply;
    context.Query(CString(("Selection 51507 " + what).c_str()), reply);
    return reply["1"];
}

/// Binds the context to the galaxy's selected group from the host's answers, as the
/// command does before it starts the worker.
void BindSelectedGroup(DispatchContext& context, const host::Galaxy& galaxy) {
    CMapStringToString command;
    command["GameName"] = galaxy.Game().c_str();
    command["Turn"] = std::to_string(galaxy.Turn()).c_str();
    command["SID"] = std::to_string(galaxy.SelectedGroup().number).c_str();
    context.BindHost(TimedHost, command);
    context.shipTypeName = Selection(context, "Name");
    context.groupNumber = platform::atol(Selection(context, "Num"));
    context.sourcePlanet = galaxy.SelectedGroup().planet;
    context.minSpeed = relay::Hundredths(Selection(context, "MinSpeed"));
    context.shipCount = platform::atol(Selection(context, "Count"));
}

// Arguments: planets, groups, seed, selected group (0: the galaxy file's own selection).
void BM_PlannerRun(benchmark::State& state) {
    host::GeneratorOptions options;
    options.planets = static_cast<std::int32_t>(state.range(0));
    options.groups = static_cast<std::int32_t>(state.range(1));
    options.seed = static_cast<std::uint64_t>(state.range(2));
    host::Galaxy galaxy = host::ParseGalaxyJson(host::GenerateGalaxyJson(options), "generated");
    if (state.range(3) != 0 && !galaxy.SelectGroup(static_cast<std::int32_t>(state.range(3)))) {
        state.SkipWithError("no such group in the generated galaxy");
        return;
    }
    host::QueryAnswerer host(galaxy);
    host.SetSelectionId(galaxy.SelectedGroup().number);
    answerer = &host;

    WindowModel window; // counts as the progress window: posts are part of the run
    SendProgressDialog dialog;
    dialog.m_hWnd = window.CreateHandle();
    DispatchContext context;
    context.progressDialog = &dialog;

    std::int64_t orders = 0;
    double hostMs = 0.0;
    double pluginMs = 0.0;
    double queriesPerRun = 0.0;
    for (auto _ : state) {
        state.PauseTiming();
        BindSelectedGroup(context, galaxy);
        hostNanoseconds = 0;
        queries = 0;
        state.ResumeTiming();

        const std::int64_t start = Nanoseconds();
        PlannerThread(&context);
        const std::int64_t run = Nanoseconds() - start;

        state.PauseTiming();
        hostMs += static_cast<double>(hostNanoseconds) / 1e6;
        pluginMs += static_cast<double>(run - hostNanoseconds) / 1e6;
        queriesPerRun = static_cast<double>(queries);
        orders = context.orders.GetCount() - 1;
        DrainQueue();
        state.ResumeTiming();
    }
    const double runs = static_cast<double>(state.iterations());
    state.counters["host_ms"] = hostMs / runs;
    state.counters["plugin_ms"] = pluginMs / runs;
    state.counters["plugin_share"] = pluginMs / (pluginMs + hostMs);
    state.counters["queries"] = queriesPerRun;
    state.counters["orders"] = static_cast<double>(orders);
    dialog.m_hWnd = nullptr; // the handle is the stand-in window's, not the dialog's own
    answerer = nullptr;
}

BENCHMARK(BM_PlannerRun)
    ->ArgNames({"planets", "groups", "seed", "select"})
    ->Args({10000, 2000, 1, 476})
    ->Args({100000, 200000, 1, 196})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The scale rows of scripts/bench.sh: two groups a planet and the file's own selection, from
// a thousand planets to a million, where the plug-in's share must not grow with the galaxy.
void BM_PlannerScale(benchmark::State& state) {
    BM_PlannerRun(state);
}

BENCHMARK(BM_PlannerScale)
    ->ArgNames({"planets", "groups", "seed", "select"})
    ->Args({1000, 2000, 1, 0})
    ->Args({10000, 20000, 1, 0})
    ->Args({100000, 200000, 1, 0})
    ->Args({1000000, 2000000, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
