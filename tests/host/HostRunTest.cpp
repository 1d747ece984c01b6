// HostRunTest.cpp - the tarvenix-host binary end to end with the test module: report, JSON, trace, save, exit statuses.
#include "host/HostProcess.h"

#include "galaxy/GalaxyFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using host_test::HostRun;
using host_test::RunHost;
using host_test::ScopedEnvironment;
using host_test::TestFolder;
using host_test::JsonLines;
using Json = nlohmann::ordered_json;

using host_test::kPlugin;
// The host as these tests run it: the hints name it so.
const std::string kHost = TARVENIX_HOST_EXE;

// The demo galaxy's relay plan: five direct sends, then chains through Morrow (group 18)
// and through Kestrel and Pallas (groups 17 and 22).
constexpr const char* kDemoPlan = "7 #5 1;7 #6 1;7 #7 1;7 #8 1;7 #9 1;7 #14 1;18 #18 1;7 #13 1;17 #16 1;22 #17 1";

TEST(HostRunTest, PlanOnTheDemoGalaxyPrintsOrdersAndSummary) {
    TestFolder folder;
    ScopedEnvironment orders("TARVENIX_TEST_PLUGIN_ORDERS", kDemoPlan);
    const HostRun run = RunHost(folder, {"--plugin", kPlugin});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("TestPlugin.so on 'Lantern Reach', turn 42: group 7 (10 x Long Courier, Solvani) "
                           "in orbit of #1 Hearth"),
              std::string::npos)
        << run.out;
    // Columns as wide as their widest cell, under a header row.
    EXPECT_NE(run.out.find("  Order     Result    From           To           Sent by\n"
                           "  7 #5 1    accepted  #1 Hearth   -> #5 Brisk     group 7\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("  22 #17 1  accepted  #16 Pallas  -> #17 Solace   relay group 22\n"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("Summary: 10 ships sent, 3 of them sent on by relay groups (2 relay chains); "
                           "6 queries answered; planning took "),
              std::string::npos)
        << run.out;
}

TEST(HostRunTest, JsonReportHasTheDocumentedShape) {
    TestFolder folder;
    // Two good orders, one beyond the group's speed, one malformed, one by a group of another race.
    ScopedEnvironment orders("TARVENIX_TEST_PLUGIN_ORDERS", "7 #5 1;18 #18 1;7 #40 1;7 #5;9 #3 1");
    const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\"orders\": [{\"order\": \"7 #5 1\", \"accepted\": true, \"reason\": \"\", "
                            "\"from\": 1, \"to\": 5, \"relay\": false}, ",
                            0),
              0u)
        << run.out;

    const Json report = Json::parse(run.out);
    std::vector<std::string> keys;
    for (const auto& [key, value] : report.items()) {
        keys.push_back(key);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"orders", "message_box", "cancelled", "summary", "quality"}));
    EXPECT_TRUE(report["message_box"].is_null());
    EXPECT_EQ(report["cancelled"], false);
    const std::vector<bool> accepted = {true, true, false, false, false};
    ASSERT_EQ(report["orders"].size(), accepted.size());
    for (std::size_t i = 0; i < accepted.size(); ++i) {
        EXPECT_EQ(report["orders"][i]["accepted"], accepted[i]) << "row " << i;
        EXPECT_EQ(report["orders"][i]["reason"].get<std::string>().empty(), accepted[i]) << "row " << i;
    }
    EXPECT_EQ(report["summary"]["ships_sent"], 2);
    EXPECT_EQ(report["summary"]["relays"], 1);
    EXPECT_EQ(report["summary"]["queries"], 6);
    EXPECT_TRUE(report["summary"]["plan_ms"].is_number());
    // The review: the relay at #14 sent its ship on while the ship meant for it never left.
    const Json& quality = report["quality"];
    EXPECT_EQ(quality["covered"], 2);
    EXPECT_EQ(quality["best_possible"], 7);
    EXPECT_EQ(quality["optimal"], false);
    EXPECT_EQ(quality["ships"], Json::parse(R"({"group": 10, "sent": 1, "sent_direct": 1, "sent_to_relays": 0,
                                                 "stayed_home": 9})"));
    EXPECT_EQ(quality["refused"].size(), 3u);
    EXPECT_EQ(quality["relays_left_empty"], Json::parse("[14]"));
    EXPECT_EQ(quality["best_extra"].size(), 5u);
}

TEST(HostRunTest, TraceHasOneLinePerCallWithRequestAndReply) {
    TestFolder folder;
    ScopedEnvironment orders("TARVENIX_TEST_PLUGIN_ORDERS", "7 #5 1");
    const auto tracePath = folder / "trace.jsonl";
    const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--trace", tracePath.string()});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::vector<Json> lines = JsonLines(host_test::ReadText(tracePath));
    ASSERT_EQ(lines.size(), 7u); // six selection queries, then "Add"
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i]["thread"], "ui") << "row " << i;
        EXPECT_TRUE(lines[i]["request"].is_object() && lines[i]["reply"].is_object()) << "row " << i;
    }
    // The owner query names the command's SID; the answer is only the key the host added.
    EXPECT_EQ(lines[0]["request"]["Parameter.1"], "7");
    EXPECT_EQ(lines[0]["reply"], Json({{"1", "Solvani"}}));
    EXPECT_EQ(lines[1]["reply"], Json({{"1", "In orbit"}}));
    EXPECT_EQ(lines[6]["request"]["Function"], "Add");
    EXPECT_EQ(lines[6]["request"]["Parameter.2"], "7 #5 1");
}

TEST(HostRunTest, SaveWritesTheGalaxyAfterTheOrders) {
    TestFolder folder;
    ScopedEnvironment orders("TARVENIX_TEST_PLUGIN_ORDERS", "7 #5 1;7 #6 1;7 #40 1");
    const auto savePath = folder / "after.json";
    const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--save", savePath.string()});
    ASSERT_EQ(run.status, 0) << run.err;

    const host::Galaxy after = host::LoadGalaxyFile(savePath);
    EXPECT_EQ(after.FindGroup(7)->count, 8);
    // Two one-ship groups in flight, numbered above the highest group of the demo galaxy.
    const host::Group* first = after.FindGroup(after.HighestGroupNumber() - 1);
    const host::Group* second = after.FindGroup(after.HighestGroupNumber());
    ASSERT_TRUE(first != nullptr && second != nullptr);
    EXPECT_EQ(std::make_tuple(first->count, first->from, first->planet), std::make_tuple(1, 1, 5));
    EXPECT_EQ(std::make_tuple(second->count, second->from, second->planet), std::make_tuple(1, 1, 6));
}

TEST(HostRunTest, ExitStatuses) {
    TestFolder folder;
    {
        std::ofstream(folder / "malformed.json") << "{\"game\": ";
    }
    // A copy of the demo galaxy, saved by a run of the host itself.
    ASSERT_EQ(RunHost(folder, {"--plugin", kPlugin, "--save", (folder / "demo.json").string()}).status, 0);
    const std::string demoBefore = host_test::ReadText(folder / "demo.json");
    // The demo galaxy with a NUL byte and garbage after it, on the line after its last.
    std::ofstream(folder / "nul.json", std::ios::binary) << demoBefore << '\0' << "not JSON {{{";
    const auto lastLine = std::to_string(std::count(demoBefore.begin(), demoBefore.end(), '\n') + 1);
    const std::string missingFolder = (folder / "no-such-folder" / "x").string();
    struct Row {
        std::vector<std::string> arguments;
        const char* noMenu;
        const char* mode;
        int status;
        std::string message; // part of standard error
    };
    const std::vector<Row> rows = {
        {{"--plugin", kPlugin}, "0", "sync", 0, ""},
        {{"--frobnicate"}, "0", "sync", 2, "unknown option '--frobnicate'"},
        // Bad input is found before the module is: the missing module is never reached.
        {{"--galaxy", (folder / "malformed.json").string(), "--plugin", "/missing.so"}, "0", "sync", 2,
         "malformed.json"},
        {{"--galaxy", (folder / "absent.json").string()}, "0", "sync", 2, "absent.json"},
        // The document ends where JSON says it ends, not at a NUL byte after it.
        {{"--galaxy", (folder / "nul.json").string(), "--plugin", "/missing.so"}, "0", "sync", 2,
         "nul.json: malformed JSON: parse error at line " + lastLine + ", column 1: syntax error while parsing "
         "value - unexpected NUL byte"},
        {{"--select", "999", "--plugin", "/missing.so"}, "0", "sync", 2, "--select 999: no group 999"},
        {{"--trace", missingFolder, "--plugin", "/missing.so"}, "0", "sync", 2, "cannot write trace file"},
        {{"--save", missingFolder, "--plugin", "/missing.so"}, "0", "sync", 2, "cannot write galaxy file"},
        // The input galaxy is never overwritten, whichever output names it.
        {{"--galaxy", (folder / "demo.json").string(), "--svg", (folder / "demo.json").string()}, "0", "sync", 2,
         "--svg '" + (folder / "demo.json").string() + "' would overwrite the galaxy file"},
        {{"--galaxy", (folder / "demo.json").string(), "--save", (folder / "demo.json").string()}, "0", "sync", 2,
         "would overwrite the galaxy file"},
        {{"--plugin", "/missing.so"}, "0", "sync", 1,
         "cannot load '/missing.so': no such file; check the path given to --plugin"},
        {{"--plugin", TARVENIX_TEST_PLUGIN_WITHOUT_CLOSE}, "0", "sync", 1,
         "cannot resolve 'OnClose' in 'TestPluginWithoutClose.so'"},
        {{"--plugin", kPlugin}, "1", "sync", 1, "registered no menu item"},
        {{"--plugin", kPlugin}, "0", "silent", 1, "without a plan, a cancel or a message"},
        {{"about", "--plugin", "/missing.so"}, "0", "sync", 1, "cannot load"},
        {{"generate", "--planets", "10", "--groups", "0"}, "0", "sync", 2, "groups"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ScopedEnvironment noMenu("TARVENIX_TEST_PLUGIN_NO_MENU", rows[i].noMenu);
        ScopedEnvironment mode("TARVENIX_TEST_PLUGIN_MODE", rows[i].mode);
        const HostRun run = RunHost(folder, rows[i].arguments);
        EXPECT_EQ(run.status, rows[i].status) << "row " << i << ": " << run.err;
        EXPECT_NE(run.err.find(rows[i].message), std::string::npos) << "row " << i << ": " << run.err;
    }
    EXPECT_EQ(host_test::ReadText(folder / "demo.json"), demoBefore);
}

// Help and version are answers, on standard output with status 0; every error ends with what to do next.
TEST(HostRunTest, HelpVersionAndNextSteps) {
    TestFolder folder;
    struct Row {
        std::vector<std::string> arguments;
        int status;
        std::string out;  // the start of standard output
        std::string next; // the last line of standard error
    };
    const std::vector<Row> rows = {
        {{"--version"}, 0, "tarvenix-host 1.", ""},
        {{"generate", "-h"}, 0, "Write a random galaxy", ""},
        // The next steps name the host as it was run.
        {{"--jsn"}, 2, "", "did you mean '--json'? '" + kHost + " plan --help' explains every option of 'plan'\n"},
        {{"--select", "999", "--plugin", kPlugin}, 2, "", "list the groups with: " + kHost + " groups\n"},
        {{"--select", "999", "--galaxy", TARVENIX_DEMO_GALAXY_JSON, "--plugin", kPlugin}, 2, "",
         "list the groups with: " + kHost + " groups --galaxy " + TARVENIX_DEMO_GALAXY_JSON + "\n"},
        {{"--svg", "/no/such/folder/p.svg", "--plugin", kPlugin}, 2, "",
         "correct what is named above and run again; '" + kHost + " --help' explains the options\n"},
        {{"--galaxy", "/missing.json", "--plugin", kPlugin}, 2, "",
         "correct the galaxy file and run again; the file's format: docs/galaxy.schema.json, and the README's "
         "section \"The galaxy file\"\n"},
        {{"--plugin", TARVENIX_TEST_PLUGIN_WITHOUT_CLOSE}, 1, "",
         "check that --plugin names a Tarvenix2 module built for this system\n"},
        {{"--plugin", "/missing.so"}, 1, "",
         "tarvenix-host: cannot load '/missing.so': no such file; check the path given to --plugin\n"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HostRun run = RunHost(folder, rows[i].arguments);
        EXPECT_EQ(run.status, rows[i].status) << "row " << i << ": " << run.err;
        EXPECT_EQ(run.out.rfind(rows[i].out, 0), 0u) << "row " << i << ": " << run.out;
        EXPECT_TRUE(run.err.ends_with(rows[i].next)) << "row " << i << ": " << run.err;
    }
}

// A player who ran the host by a path that the shell must have quoted can paste the hint back.
TEST(HostRunTest, PlanItHintRunsAsWrittenFromWhereTheHostWasRun) {
    TestFolder folder;
    std::filesystem::create_symlink(TARVENIX_HOST_EXE, folder / "my host");
    const auto inFolder = [&](const std::string& command) {
        return "cd " + host_test::Quoted(folder.Path().string()) + " && " + command + " >out.txt 2>err.txt";
    };
    ASSERT_EQ(std::system(inFolder("'./my host' generate --planets 300 --seed 3 --out 'my galaxy.json'").c_str()), 0)
        << host_test::ReadText(folder / "err.txt");
    const std::string out = host_test::ReadText(folder / "out.txt");
    const std::size_t hint = out.find("Plan it: ");
    ASSERT_NE(hint, std::string::npos) << out;
    const std::string command = out.substr(hint + 9, out.find('\n', hint) - hint - 9);
    EXPECT_EQ(command.rfind("'./my host' plan --galaxy 'my galaxy.json' --select ", 0), 0u) << command;
    EXPECT_EQ(std::system(inFolder(command + " --json").c_str()), 0) << host_test::ReadText(folder / "err.txt");
    EXPECT_EQ(Json::parse(host_test::ReadText(folder / "out.txt"))["cancelled"], false);
}

// The report's last line names every file the run wrote, in the options' order; --json keeps to one object.
TEST(HostRunTest, PlanNamesTheFilesItWroteOnItsLastLine) {
    TestFolder folder;
    const std::string svg = (folder / "plan.svg").string();
    const std::string page = (folder / "plan.html").string();
    const std::string trace = (folder / "trace.jsonl").string();
    struct Row {
        std::vector<std::string> arguments;
        std::string lastLine;
    };
    const std::vector<Row> rows = {
        {{"--svg", svg}, "Wrote the picture file '" + svg + "'\n"},
        {{"--html", page, "--svg", svg}, "Wrote the picture file '" + svg + "' and the plan page '" + page + "'\n"},
        {{"--html", page, "--trace", trace, "--svg", svg},
         "Wrote the trace file '" + trace + "', the picture file '" + svg + "' and the plan page '" + page + "'\n"},
        {{}, ""},  // no file, no such line
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> arguments = {"--plugin", kPlugin};
        arguments.insert(arguments.end(), rows[i].arguments.begin(), rows[i].arguments.end());
        const HostRun run = RunHost(folder, arguments);
        ASSERT_EQ(run.status, 0) << "row " << i << ": " << run.err;
        const std::string last = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
        if (rows[i].lastLine.empty()) {
            EXPECT_EQ(run.out.find("Wrote "), std::string::npos) << "row " << i << ": " << run.out;
        } else {
            EXPECT_NE(last.find(rows[i].lastLine), std::string::npos) << "row " << i << ": " << run.out;
        }
    }
    const HostRun json = RunHost(folder, {"--plugin", kPlugin, "--json", "--svg", svg});
    EXPECT_NO_THROW(Json::parse(json.out)) << json.out;
}

TEST(HostRunTest, AboutPrintsTheAboutAnswerInTheChosenLanguage) {
    TestFolder folder;
    // The five about keys in their order, then what else the module wrote.
    const HostRun run = RunHost(folder, {"about", "--plugin", kPlugin, "--lang", "ru"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "Name: Test Plug-in\nAuthor: the Tarvenix tests\nVersion: v0.1\nDate: 01/01/26\n"
              "Description:      scripted stand-in\nLanguage: ru_RU.UTF-8\n");
    const HostRun english = RunHost(folder, {"about", "--plugin", kPlugin, "--lang", "en"});
    EXPECT_NE(english.out.find("Language: en_US.UTF-8\n"), std::string::npos) << english.out;
}

TEST(HostRunTest, MessageBoxIsPrintedAndDismissed) {
    TestFolder folder;
    ScopedEnvironment mode("TARVENIX_TEST_PLUGIN_MODE", "message");
    const HostRun text = RunHost(folder, {"--plugin", kPlugin});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("Message box: Group is not on planet!!!  [OK]\n"), std::string::npos) << text.out;

    const HostRun json = RunHost(folder, {"--plugin", kPlugin, "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const Json report = Json::parse(json.out);
    EXPECT_EQ(report["message_box"], "Group is not on planet!!!");
    EXPECT_EQ(report["cancelled"], false);
    EXPECT_TRUE(report["orders"].empty());
}

TEST(HostRunTest, GeneratedGalaxyLoadsAndPlans) {
    TestFolder folder;
    const auto galaxyPath = folder / "generated.json";
    const HostRun generate = RunHost(folder, {"generate", "--planets", "400", "--races", "3", "--groups", "600",
                                              "--seed", "11", "--out", galaxyPath.string()});
    ASSERT_EQ(generate.status, 0) << generate.err;
    // What it wrote, then a group worth planning and the command that plans it.
    EXPECT_EQ(generate.out.rfind("Wrote '" + galaxyPath.string() + "': 400 planets, 3 races, 600 groups, seed 11\n"
                                 "Worth planning: group ", 0),
              0U)
        << generate.out;
    EXPECT_NE(generate.out.find("\nPlan it: " + kHost + " plan --galaxy " + galaxyPath.string() + " --select "),
              std::string::npos)
        << generate.out;
    const HostRun again = RunHost(folder, {"generate", "--planets", "400", "--races", "3", "--groups", "600",
                                           "--seed", "11"});
    EXPECT_EQ(again.out, host_test::ReadText(galaxyPath)) << "the same seed gives the same bytes";

    const HostRun plan = RunHost(folder, {"--galaxy", galaxyPath.string(), "--plugin", kPlugin, "--json"});
    ASSERT_EQ(plan.status, 0) << plan.err;
    const Json report = Json::parse(plan.out);
    EXPECT_GT(report["summary"]["queries"].get<int>(), 0);
    for (const Json& order : report["orders"]) {
        EXPECT_EQ(order["accepted"], true) << order.dump();
    }
}

TEST(HostRunTest, GroupsListsTheSelectableGroupsAsTableOrJson) {
    TestFolder folder;
    const HostRun table = RunHost(folder, {"groups", "--limit", "1"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out,
              "'Lantern Reach': 15 groups can be selected; the 1 largest:\n"
              "  Group  Race     Type          Ships  Planet     Uncovered in reach  Relays in reach\n"
              "  7      Solvani  Long Courier  10     #1 Hearth  5                   2\n");

    const HostRun json = RunHost(folder, {"groups", "--json", "--limit", "0"});
    ASSERT_EQ(json.status, 0) << json.err;
    const Json report = Json::parse(json.out);
    EXPECT_EQ(report["selectable"], 15);
    ASSERT_EQ(report["groups"].size(), 15U);
    EXPECT_EQ(report["groups"][0].dump(),
              R"({"number":7,"race":"Solvani","type":"Long Courier","ships":10,"planet":1,"planet_name":"Hearth",)"
              R"("uncovered_in_reach":5,"relays_in_reach":2,"likely_relays":true})");
    for (std::size_t i = 1; i < report["groups"].size(); ++i) {
        EXPECT_GE(report["groups"][i - 1]["ships"], report["groups"][i]["ships"]) << "row " << i;
    }
}

TEST(HostRunTest, GroupsRefusesAMisspeltGalaxyKeyNamingWhatWasMeant) {
    TestFolder folder;
    std::string text = host_test::ReadText(TARVENIX_DEMO_GALAXY_JSON);
    text.replace(text.find("\"owner\""), 7, "\"ownr\"");
    const auto path = folder / "misspelt.json";
    std::ofstream(path) << text;
    const HostRun run = RunHost(folder, {"groups", "--galaxy", path.string()});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("tarvenix-host: " + path.string() + ": planets[0] (planet #1): unknown key \"ownr\"; "
                            "did you mean \"owner\"?\n",
                            0),
              0U)
        << run.err;
}

TEST(HostRunTest, GenerateGivesTwoGroupsPerPlanetUnlessTold) {
    TestFolder folder;
    const auto path = folder / "small.json";
    const HostRun run = RunHost(folder, {"generate", "--planets", "10", "--out", path.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("Wrote '" + path.string() + "': 10 planets, 3 races, 20 groups, seed 1\n", 0), 0U)
        << run.out;
}

} // namespace
