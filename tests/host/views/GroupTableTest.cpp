// GroupTableTest.cpp - the groups command's table of the demo galaxy, and the command that plans one of them.
#include "views/GroupTable.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/GalaxyFile.h"

#include <gtest/gtest.h>

#include <filesystem>
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
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].command, PlanCommandFor(rows[i].galaxy, 7)) << "row " << i;
    }
}

} // namespace
} // namespace host
