// PluginRunTest.cpp - the real tarvenix-host running the real Tarvenix2 module, end to end.
#include "host/HostProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using host_test::HostRun;
using host_test::RunHost;
using host_test::TestFolder;
using Json = nlohmann::ordered_json;

std::vector<Json> TraceLines(const std::filesystem::path& path) {
    std::vector<Json> lines;
    std::istringstream in(host_test::ReadText(path));
    for (std::string line; std::getline(in, line);) {
        lines.push_back(Json::parse(line));
    }
    return lines;
}

int CountFunction(const std::vector<Json>& lines, const std::string& function) {
    int count = 0;
    for (const Json& line : lines) {
        count += line["request"].value("Function", "") == function ? 1 : 0;
    }
    return count;
}

TEST(PluginRunTest, DemoGalaxyIsPlannedAndEveryOrderAccepted) {
    TestFolder folder;
    const auto trace = folder / "trace.jsonl";
    const auto svg = folder / "plan.svg";
    const HostRun run = RunHost(folder, {"--json", "--trace", trace.string(), "--svg", svg.string()});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err) << "off a terminal the window is not drawn";

    const Json report = Json::parse(run.out);
    EXPECT_EQ(false, report["cancelled"]);
    EXPECT_TRUE(report["message_box"].is_null());
    ASSERT_EQ(10u, report["orders"].size());
    for (std::size_t i = 0; i < report["orders"].size(); ++i) {
        EXPECT_EQ(true, report["orders"][i]["accepted"]) << "row " << i << ": " << report["orders"][i];
    }
    EXPECT_EQ(10, report["summary"]["ships_sent"]);
    EXPECT_GE(report["summary"]["relays"].get<int>(), 2) << "the demo shows relay hops";

    const std::vector<Json> lines = TraceLines(trace);
    EXPECT_EQ(1, CountFunction(lines, "Add"));
    const Json& add = lines.back()["request"];
    EXPECT_EQ("Add", add["Function"]);
    EXPECT_EQ("ui", lines.back()["thread"]);
    EXPECT_EQ("SendGroup", add["Parameter.1"]);
    EXPECT_EQ("11", add["Parameters.Count"]);
    // The command's eight queries on the host's thread, then the planner's on the worker.
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ("ui", lines[i]["thread"]) << "row " << i;
    }
    EXPECT_EQ("worker", lines[8]["thread"]);
    EXPECT_EQ("PlanetsNum", lines[8]["request"]["Parameter.1"]);
    EXPECT_NE(std::string::npos, host_test::ReadText(svg).find("<svg")) << "the plan's picture is written";
}

/// The words after "Plan it: " and the host, named as it was run, on the last line that `generate` printed.
std::vector<std::string> SuggestedPlan(const std::string& generateOutput) {
    const std::string prefix = std::string("Plan it: ") + TARVENIX_HOST_EXE + " ";
    const std::size_t at = generateOutput.rfind(prefix);
    std::istringstream words(at == std::string::npos ? std::string() : generateOutput.substr(at + prefix.size()));
    std::vector<std::string> plan;
    for (std::string word; words >> word;) {
        plan.push_back(word);
    }
    return plan;
}

// A newcomer generates a galaxy and runs the command that `generate` names: its plan sends ships
// on by relay, as the line before it says.
TEST(PluginRunTest, GenerateNamesAGroupWhosePlanUsesRelays) {
    TestFolder folder;
    const std::vector<std::vector<std::string>> rows = {
        {"--planets", "400", "--seed", "3"},
        {"--planets", "2000"},
        {"--planets", "5000", "--races", "5", "--seed", "9"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> generate = {"generate", "--out", (folder / "galaxy.json").string()};
        generate.insert(generate.end(), rows[i].begin(), rows[i].end());
        const HostRun generated = RunHost(folder, generate);
        ASSERT_EQ(0, generated.status) << "row " << i << ": " << generated.err;
        EXPECT_NE(std::string::npos, generated.out.find(", relay groups to pass ships on\n"))
            << "row " << i << ": " << generated.out;
        std::vector<std::string> plan = SuggestedPlan(generated.out);
        ASSERT_GE(plan.size(), 5U) << "row " << i << ": " << generated.out;
        EXPECT_EQ("plan", plan.front()) << "row " << i;
        plan.push_back("--json");
        const HostRun run = RunHost(folder, plan);
        ASSERT_EQ(0, run.status) << "row " << i << ": " << run.err;
        const Json report = Json::parse(run.out);
        EXPECT_GT(report["summary"]["relays"].get<int>(), 0) << "row " << i << ": " << generated.out;
        for (const Json& order : report["orders"]) {
            EXPECT_EQ(true, order["accepted"]) << "row " << i << ": " << order;
        }
    }
}

TEST(PluginRunTest, CancelAfterStepsSendsNothing) {
    TestFolder folder;
    const auto trace = folder / "trace.jsonl";
    // Slow answers keep the worker's completion well behind the step that presses Cancel,
    // which the host posts behind whatever the worker has posted already.
    for (const char* steps : {"0", "3", "12"}) {
        const HostRun run = RunHost(folder, {"--json", "--cancel-after-steps", steps, "--answer-delay-ms",
                                             "2", "--trace", trace.string()});
        ASSERT_EQ(0, run.status) << "steps " << steps << ": " << run.err;
        const Json report = Json::parse(run.out);
        EXPECT_EQ(true, report["cancelled"]) << "steps " << steps;
        EXPECT_TRUE(report["orders"].empty()) << "steps " << steps;
        EXPECT_EQ(0, CountFunction(TraceLines(trace), "Add")) << "steps " << steps;
    }
}

TEST(PluginRunTest, GroupInFlightGetsTheMessageAndNoFurtherQuery) {
    TestFolder folder;
    const auto trace = folder / "trace.jsonl";
    struct Row {
        const char* language;
        const char* message;
    };
    const Row rows[] = {{"en", "Group is not on planet!!!"}, {"ru", "Указанная группа не на орбите!!!"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        // Group 12 of the demo galaxy is on its way from planet 2 to planet 11.
        const HostRun run = RunHost(
            folder, {"--json", "--select", "12", "--lang", rows[i].language, "--trace", trace.string()});
        ASSERT_EQ(0, run.status) << "row " << i << ": " << run.err;
        const Json report = Json::parse(run.out);
        EXPECT_EQ(rows[i].message, report["message_box"]) << "row " << i;
        EXPECT_TRUE(report["orders"].empty()) << "row " << i;
        const std::vector<Json> lines = TraceLines(trace);
        ASSERT_EQ(2u, lines.size()) << "row " << i << ": the owner, then the status";
        EXPECT_EQ("Owner", lines[0]["request"]["Parameter.2"]) << "row " << i;
        EXPECT_EQ("Status", lines[1]["request"]["Parameter.2"]) << "row " << i;
    }
}

// The demo with no planet of Keth's: the plan of Keth's group 24 is empty because Keth owns no
// planet, and the report says so, with where to find a group that can be planned.
TEST(PluginRunTest, RaceWithoutPlanetsGetsTheTrueReasonAndTheWayToAnotherGroup) {
    TestFolder folder;
    Json demo = Json::parse(host_test::ReadText(TARVENIX_DEMO_GALAXY_JSON));
    for (Json& planet : demo["planets"]) {
        if (planet.value("owner", "") == "Keth") {
            planet.erase("owner");
        }
    }
    const auto galaxy = folder / "no-keth.json";
    {
        std::ofstream(galaxy) << demo.dump(2);
    }
    const HostRun run = RunHost(folder, {"--galaxy", galaxy.string(), "--select", "24"});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos,
              run.out.find("The plan holds no orders: Keth owns no planet, so no planet lies within its drive range.\n"))
        << run.out;
    EXPECT_EQ(std::string::npos, run.out.find("already holds")) << run.out;
    EXPECT_NE(std::string::npos, run.out.find("To plan another group, list the groups with: " +
                                              std::string(TARVENIX_HOST_EXE) + " groups --galaxy " + galaxy.string() +
                                              "\n"))
        << run.out;
}

TEST(PluginRunTest, RussianRunPlansTheSameOrders) {
    TestFolder folder;
    const HostRun english = RunHost(folder, {"--json", "--lang", "en"});
    const HostRun russian = RunHost(folder, {"--json", "--lang", "ru"});
    ASSERT_EQ(0, english.status) << english.err;
    ASSERT_EQ(0, russian.status) << russian.err;
    EXPECT_EQ(Json::parse(english.out)["orders"], Json::parse(russian.out)["orders"]);
    const HostRun about = RunHost(folder, {"about", "--lang", "ru"});
    EXPECT_NE(std::string::npos, about.out.find("Name: ====== Tarvenix =====")) << about.out;
}

} // namespace
