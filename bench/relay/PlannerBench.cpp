// PlannerBench.cpp - whole planner runs over a generated galaxy, the plug-in's time apart from the
// host's.
//
// Timed: one PlannerThread run on the benchmark thread, from the first query to
// the completion post, against an in-process host answering from a generated
// galaxy (10 000 planets, a 200-ship group). Every callback is timed on its own,
// so the counters split the run's CPU time into the host's answering and the plug-in's
// own work (the run less the callbacks). Kept out: building the galaxy, and
// draining the window's queue between runs.
#include "context/DispatchContext.h"
#include "platform/Window.h"
#include "relay/BenchGalaxy.h"
#include "relay/PlannerThread.h"
#include "ui/SendProgressDialog.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <ctime>

namespace {

// Thread CPU time, not wall time: the machine is shared, and a run must not be
// charged for the time other processes hold the core.
std::int64_t ThreadNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

const BenchGalaxy* galaxy = nullptr;
std::int64_t hostNanoseconds = 0;
std::int64_t queries = 0;

void TimedHost(CMapStringToString& request) {
    const std::int64_t start = ThreadNanoseconds();
    galaxy->Answer(request);
    hostNanoseconds += ThreadNanoseconds() - start;
    ++queries;
}

void DrainQueue() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        DispatchMessageA(&msg);
    }
}

void BM_PlannerRun(benchmark::State& state) {
    BenchGalaxyShape shape;
    shape.planets = static_cast<int>(state.range(0));
    shape.ships = static_cast<int>(state.range(1));
    const BenchGalaxy world(shape);
    galaxy = &world;

    WindowModel window; // counts as the progress window: posts are part of the run
    SendProgressDialog dialog;
    dialog.m_hWnd = window.CreateHandle();
    DispatchContext context;
    context.progressDialog = &dialog;

    hostNanoseconds = 0;
    queries = 0;
    std::int64_t orders = 0;
    for (auto _ : state) {
        state.PauseTiming();
        CMapStringToString command;
        command.SetAt("GameName", "Bench");
        command.SetAt("Turn", "1");
        command.SetAt("SID", "1");
        context.BindHost(TimedHost, command);
        context.raceName = world.RaceName();
        context.shipTypeName = world.SelectedType();
        context.groupNumber = world.SelectedGroup();
        context.sourcePlanet = world.SourcePlanet();
        context.minSpeed = world.SourceSpeedHundredths();
        context.shipCount = shape.ships;
        hostNanoseconds = 0;
        queries = 0;
        state.ResumeTiming();

        const std::int64_t start = ThreadNanoseconds();
        PlannerThread(&context);
        const std::int64_t run = ThreadNanoseconds() - start;

        state.PauseTiming();
        state.counters["host_ms"] += static_cast<double>(hostNanoseconds) / 1e6;
        state.counters["plugin_ms"] += static_cast<double>(run - hostNanoseconds) / 1e6;
        state.counters["queries"] += static_cast<double>(queries);
        orders = context.orders.GetCount() - 1;
        DrainQueue();
        state.ResumeTiming();
    }
    for (const char* name : {"host_ms", "plugin_ms", "queries"}) {
        state.counters[name] =
            benchmark::Counter(state.counters[name], benchmark::Counter::kAvgIterations);
    }
    state.counters["orders"] = static_cast<double>(orders);
    dialog.m_hWnd = nullptr; // the handle is the stand-in window's, not the dialog's own
    galaxy = nullptr;
}

BENCHMARK(BM_PlannerRun)->Args({10000, 200})->Args({2000, 50})->Unit(benchmark::kMillisecond);

} // namespace
