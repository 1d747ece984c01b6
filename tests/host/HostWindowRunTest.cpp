// HostWindowRunTest.cpp - runs with a window and a worker thread: thread labels, the message loop, Cancel.
//
// The test module's worker waits until each of its step messages has been
// dispatched; the real plug-in's worker does not, and its runs show that the
// host alone makes "Cancel after N steps" land at the same step every time.
#include "host/HostProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using host_test::HostRun;
using host_test::RunHost;
using host_test::ScopedEnvironment;
using host_test::TestFolder;
using host_test::JsonLines;
using Json = nlohmann::ordered_json;

using host_test::kPlugin;
const std::string kRealPlugin = TARVENIX_REAL_PLUGIN;

TEST(HostWindowRunTest, WorkerCallsAreLabelledAndTheLoopEndsWithTheWindow) {
    TestFolder folder;
    ScopedEnvironment mode("TARVENIX_TEST_PLUGIN_MODE", "window");
    const auto tracePath = folder / "trace.jsonl";
    const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--json", "--trace", tracePath.string()});
    ASSERT_EQ(run.status, 0) << run.err;

    const Json report = Json::parse(run.out);
    EXPECT_EQ(report["cancelled"], false);
    EXPECT_EQ(report["orders"].size(), 10u); // one per ship, the source's neighbours in order
    EXPECT_EQ(report["summary"]["ships_sent"], 10);

    // The command's queries on the host's thread, the planning query on the worker, "Add" on the host's.
    const std::vector<Json> lines = JsonLines(host_test::ReadText(tracePath));
    ASSERT_EQ(lines.size(), 8u);
    std::vector<std::string> threads;
    for (const Json& line : lines) {
        threads.push_back(line["thread"]);
    }
    EXPECT_EQ(threads, (std::vector<std::string>{"ui", "ui", "ui", "ui", "ui", "ui", "worker", "ui"}));
    EXPECT_EQ(lines[6]["request"]["Parameter.1"], "PlanetsAndRange");
    EXPECT_EQ(lines[7]["request"]["Function"], "Add");
}

TEST(HostWindowRunTest, CancelAfterStepsSubmitsNothing) {
    TestFolder folder;
    ScopedEnvironment mode("TARVENIX_TEST_PLUGIN_MODE", "window");
    for (const char* steps : {"0", "1", "4", "9"}) {
        const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--json", "--cancel-after-steps", steps});
        ASSERT_EQ(run.status, 0) << "steps " << steps << ": " << run.err;
        const Json report = Json::parse(run.out);
        EXPECT_EQ(report["cancelled"], true) << "steps " << steps;
        EXPECT_TRUE(report["orders"].empty()) << "steps " << steps;
    }
    // More steps than the plan has: the plan completes before Cancel is due.
    const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--json", "--cancel-after-steps", "50"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out)["cancelled"], false);
}

TEST(HostWindowRunTest, CancelAfterStepsStopsTheRealPlannerAtTheSameRequestEveryRun) {
    TestFolder folder;
    const auto tracePath = folder / "trace.jsonl";
    struct Row {
        const char* steps;
        int runs;
    };
    // No answer delay: the host alone keeps the press ahead of the worker's completion.
    const Row rows[] = {{"0", 5}, {"1", 5}, {"2", 5}, {"3", 60}, {"4", 5}, {"8", 5}};
    std::size_t previousWorkerCalls = 0;
    for (const Row& row : rows) {
        std::string firstTrace;
        for (int run = 0; run < row.runs; ++run) {
            const HostRun result = RunHost(folder, {"--plugin", kRealPlugin, "--json", "--cancel-after-steps",
                                                    row.steps, "--trace", tracePath.string()});
            const std::string where = std::string("steps ") + row.steps + ", run " + std::to_string(run);
            ASSERT_EQ(result.status, 0) << where << ": " << result.err;
            const Json report = Json::parse(result.out);
            ASSERT_EQ(report["cancelled"], true) << where;
            ASSERT_TRUE(report["orders"].empty()) << where;
            const std::string trace = host_test::ReadText(tracePath);
            if (run == 0) {
                firstTrace = trace;
            }
            ASSERT_TRUE(trace == firstTrace) << where << ": the worker got further than in the first run";
        }
        // A step more lets the planner do more of its work before it sees the stop.
        std::size_t workerCalls = 0;
        for (const Json& line : JsonLines(firstTrace)) {
            workerCalls += line["thread"] == "worker" ? 1 : 0;
        }
        EXPECT_GT(workerCalls, previousWorkerCalls) << "steps " << row.steps;
        previousWorkerCalls = workerCalls;
    }
}

TEST(HostWindowRunTest, AnswerDelayHoldsEveryAnswer) {
    TestFolder folder;
    ScopedEnvironment mode("TARVENIX_TEST_PLUGIN_MODE", "window");
    const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--json", "--answer-delay-ms", "30"});
    ASSERT_EQ(run.status, 0) << run.err;
    // Six queries before OnUserCommand returns and one by the worker, each at least 30 ms.
    EXPECT_GE(Json::parse(run.out)["summary"]["plan_ms"].get<double>(), 7 * 30.0);
}

TEST(HostWindowRunTest, CtrlCPressesCancel) {
    TestFolder folder;
    ScopedEnvironment mode("TARVENIX_TEST_PLUGIN_MODE", "window");
    // Slow answers keep the window open long enough to be interrupted; Ctrl-C is sent once the
    // host handles it, and then presses Cancel as soon as the window is there.
    const pid_t child = host_test::StartHost(folder, {"--plugin", kPlugin, "--json", "--answer-delay-ms", "300"});
    ASSERT_GT(child, 0);
    ASSERT_TRUE(host_test::WaitUntilCatching(child, SIGINT));
    ::kill(child, SIGINT);
    const int raw = host_test::WaitForHost(child);
    ASSERT_TRUE(WIFEXITED(raw)) << "the host did not exit by itself";
    EXPECT_EQ(WEXITSTATUS(raw), 0);
    const auto outPath = folder / "stdout.txt";
    const Json report = Json::parse(host_test::ReadText(outPath));
    EXPECT_EQ(report["cancelled"], true);
    EXPECT_TRUE(report["orders"].empty());
}

} // namespace
