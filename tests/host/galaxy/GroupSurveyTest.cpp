// GroupSurveyTest.cpp - which groups can be selected, and what each could cover and relay.
#include "galaxy/GroupSurvey.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace host {
namespace {

// Race A owns #1; race B owns nothing. A's drive range is 40, so #6 and #7 lie beyond it.
//   #1 (0,0) A's   #2 (5,0)   #3 (0,5)   #4 (6,6)   #5 (20,0)   #6 (200,200)   #7 (201,200)
// Group 1 (5 Couriers at #1, speed 10) reaches #1-#4: #2 holds an idle Drone (equivalent to
// two places), #4 a Courier on its way; #3 only a Freighter, so it alone is uncovered. The
// Drone's speed 20 takes a ship on from #2 to #5, which group 1 cannot reach.
Galaxy SurveyedGalaxy() {
    GalaxyContent content;
    content.game = "Survey";
    content.turn = 1;
    content.races = {Race{"A", 1.0}, Race{"B", 1.0}};
    content.planets = {Planet{"One", 0, 0, "A"},  Planet{"Two", 5, 0, ""},       Planet{"Three", 0, 5, ""},
                       Planet{"Four", 6, 6, ""},  Planet{"Five", 20, 0, ""},     Planet{"Six", 200, 200, ""},
                       Planet{"Seven", 201, 200, ""}};
    content.shipTypes = {ShipType{"A", "Courier", 1, 0, 0, 0, 0}, ShipType{"A", "Drone", 1.001, 0, 0, 0, 0},
                         ShipType{"A", "Freighter", 1, 0, 0, 10, 0}, ShipType{"B", "Courier", 1, 0, 0, 0, 0}};
    content.groups = {
        Group{1, "A", "Courier", 1, 5, 10, 0, ""},
        Group{2, "A", "Drone", 2, 1, 20, 0, ""},
        Group{3, "A", "Freighter", 3, 1, 10, 0, ""},
        Group{4, "A", "Courier", 4, 1, 10, 1, ""}, // in flight: covers #4, cannot be selected
        Group{5, "B", "Courier", 1, 9, 10, 0, ""}, // its race owns no planet
        Group{6, "A", "Courier", 6, 0, 10, 0, ""}, // no ship left
        Group{7, "A", "Courier", 6, 9, 5, 0, ""},  // reaches only #7, beyond A's drive range
    };
    content.selection = 1;
    return Galaxy(std::move(content));
}

std::vector<std::int32_t> Numbers(const std::vector<const Group*>& groups) {
    std::vector<std::int32_t> numbers;
    for (const Group* group : groups) {
        numbers.push_back(group->number);
    }
    return numbers;
}

TEST(GroupSurveyTest, SelectableGroupsAreInOrbitWithShipsOfARaceWithPlanetsMostShipsFirst) {
    const Galaxy galaxy = SurveyedGalaxy();
    EXPECT_EQ((std::vector<std::int32_t>{7, 1, 2, 3}), Numbers(GroupSurvey(galaxy).SelectableGroups()));
}

TEST(GroupSurveyTest, ProspectsCountUncoveredPlanetsAndRelaysAsThePlugInWouldJudgeThem) {
    const Galaxy galaxy = SurveyedGalaxy();
    GroupSurvey survey(galaxy);
    struct Row {
        std::int32_t group;
        std::int32_t uncovered;
        std::int32_t relays;
        bool likelyRelays;
    };
    const std::vector<Row> rows = {
        {1, 1, 1, true},   // #3 uncovered; the Drone on #2 passes a ship on to #5
        {7, 0, 0, false},  // #7 is beyond the race's drive range
        {2, 2, 0, false},  // from #2 with speed 20: #3 and #5; #1's Courier covers it but is no relay
        {3, 3, 0, false},  // the Freighter: only Freighters cover, so #1, #2 and #4 are open
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const GroupProspect prospect = survey.Survey(*galaxy.FindGroup(rows[i].group));
        EXPECT_EQ(rows[i].uncovered, prospect.uncoveredInReach) << "row " << i;
        EXPECT_EQ(rows[i].relays, prospect.relaysInReach) << "row " << i;
        EXPECT_EQ(rows[i].likelyRelays, prospect.likelyRelays) << "row " << i;
    }
}

TEST(GroupSurveyTest, WorthPlanningPrefersARelayPlanThenUncoveredPlanetsThenTheLargest) {
    const Galaxy galaxy = SurveyedGalaxy();
    struct Row {
        std::size_t tries;
        std::int32_t group;
    };
    // Group 7 is the largest but has nothing to cover; group 1 is the one with relays.
    const std::vector<Row> rows = {{10, 1}, {2, 1}, {1, 7}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<GroupProspect> best = GroupSurvey(galaxy).GroupWorthPlanning(rows[i].tries);
        ASSERT_TRUE(best.has_value()) << "row " << i;
        EXPECT_EQ(rows[i].group, best->group->number) << "row " << i;
    }
}

} // namespace
} // namespace host
