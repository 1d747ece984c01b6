// GroupTableTest.cpp - the groups command's table of the demo galaxy, and the command that plans one of them.
#include "views/GroupTable.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/GalaxyFile.h"
#include "text/SafeText.h"
#include "text/ShellText.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace host {
namespace {

TEST(GroupTableTest, DemoGalaxyTableListsTheSelectedGroupFirst) {
    const Galaxy galaxy = ParseGalaxyJson(DemoGalaxyJson(), kDemoGalaxyName);
    GroupSurvey survey(galaxy);
    const std::vector<const Group*> selectable = survey.SelectableGroups();
    std::ostringstream out;
    WriteGroupTable(out, galaxy, {survey.Survey(*selectable[0]), survey.Survey(*selectable[1])}, selectable.size());
    // Group 14 on Harrow would relay, but it flies in a fleet: two relays in reach, not three.
    EXPECT_EQ("'Lantern Reach': 15 groups can be selected; the 2 largest:\n"
              "  Group  Race     Type          Ships  Planet          Uncovered in reach  Relays in reach\n"
              "  7      Solvani  Long Courier  10     #1 Hearth       5                   2\n"
              "  2      Keth     Lancer        6      #27 Keth Prime  0                   0\n",
              out.str());
}

TEST(GroupTableTest, PlanCommandQuotesTheGalaxyPathForTheShell) {
    struct Row {
        std::optional<std::filesystem::path> galaxy;
        std::string command;
    };
    const std::vector<Row> rows = {
        {std::nullopt, "tarvenix-host plan --select 7"},
        {"maps/g-1.json", "tarvenix-host plan --galaxy maps/g-1.json --select 7"},
        {"my galaxy.json", "tarvenix-host plan --galaxy 'my galaxy.json' --select 7"},
        {"it's.json", "tarvenix-host plan --galaxy 'it'\\''s.json' --select 7"},
        {"$HOME.json", "tarvenix-host plan --galaxy '$HOME.json' --select 7"},
#if !defined(_WIN32)
        // What a message would show as an escape goes in the quotes that read it back.
        {"my\tgalaxy.json", "tarvenix-host plan --galaxy $'my\\tgalaxy.json' --select 7"},
        {"two\nlines's.json", "tarvenix-host plan --galaxy $'two\\nlines\\'s.json' --select 7"},
        {"back\\slash\r.json", "tarvenix-host plan --galaxy $'back\\\\slash\\r.json' --select 7"},
        {"\xff\xfe.json", "tarvenix-host plan --galaxy $'\\xff\\xfe.json' --select 7"},
        {"c1\xc2\x9b\x1b[1m \xd0\x96.json", "tarvenix-host plan --galaxy $'c1\\xc2\\x9b\\x1b[1m \xd0\x96.json' --select 7"},
#endif
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string command = PlanCommandFor(rows[i].galaxy, 7);
        EXPECT_EQ(rows[i].command, command) << "row " << i;
        // The "Plan it:" line shows the command through EscapeControls: it must stay the same command.
        EXPECT_EQ(EscapeControls(command), command) << "row " << i;
    }
}

#if !defined(_WIN32)
TEST(GroupTableTest, PlanCommandNamesTheSameFileInBash) {
    const std::filesystem::path script =
        std::filesystem::temp_directory_path() / ("GroupTableTest-shell-word-" + std::to_string(getpid()) + ".sh");
    for (const std::string name : {"my galaxy.json", "it's.json", "my\tgalaxy.json", "two\nlines's.json",
                                   "back\\slash\r.json", "\xff\xfe'.json", "c1\xc2\x9b\x1b[1m \xd0\x96.json"}) {
        std::ofstream(script) << "printf %s " << ShellWord(name);
        std::string read;
        if (FILE* bash = popen(("bash " + script.string()).c_str(), "r"); bash != nullptr) {
            for (int ch = std::fgetc(bash); ch != EOF; ch = std::fgetc(bash)) {
                read += static_cast<char>(ch);
            }
            EXPECT_EQ(pclose(bash), 0) << EscapeControls(name);
        }
        EXPECT_EQ(read, name) << EscapeControls(name);
    }
    std::filesystem::remove(script);
}
#endif

} // namespace
} // namespace host
