// PlanSceneTest.cpp - what both plan views read: arrows and relay chains, planet roles, the summary, label places.
#include "views/PlanScene.h"

#include "host/PlanTestSupport.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using host::LabelRequest;
using host::PlanArrow;
using host::PlanBox;
using host::PlanetRole;
using host::PlanScene;
using namespace host::test;

std::string Describe(const std::vector<PlanArrow>& arrows) {
    std::string text;
    for (const PlanArrow& arrow : arrows) {
        text += std::to_string(arrow.from) + ">" + std::to_string(arrow.to) +
                (arrow.refused ? "x" : arrow.chain < 0 ? "" : "c" + std::to_string(arrow.chain)) + "@" +
                std::to_string(arrow.order) + " ";
    }
    return text;
}

TEST(PlanSceneTest, ChainsFollowTheShipFromHopToHop) {
    const host::Galaxy galaxy = PlanGalaxy();
    const host::RunOutcome run = ChainRun();
    const PlanScene scene(galaxy, 7, run);
    // Direct send, then the chain Source -> R1 -> R2 -> Far, then the refused order from the group's planet.
    EXPECT_EQ(Describe(scene.Arrows()), "1>2@0 1>3c0@1 3>4c0@2 4>5c0@3 1>6x@4 ");
    EXPECT_EQ(scene.ChainCount(), 1);
    EXPECT_EQ(scene.RelaySends(), 2u);
    EXPECT_EQ(scene.CountArrows(false, false), 1u);
    EXPECT_EQ(scene.CountArrows(false, true), 3u);
    EXPECT_EQ(scene.CountArrows(true, false), 1u);
}

TEST(PlanSceneTest, RelaySendsWithoutALeadFormChainsOfTheirOwn) {
    const host::Galaxy galaxy = PlanGalaxy();
    // Given out of order: R2's send first, then R1's, which leads to R2.
    const host::RunOutcome run = RunWith({Accepted(22, 4, 5), Accepted(17, 3, 4)});
    const PlanScene scene(galaxy, 7, run);
    EXPECT_EQ(Describe(scene.Arrows()), "4>5c0@0 3>4c1@1 ");
    EXPECT_EQ(scene.ChainCount(), 2);
}

TEST(PlanSceneTest, EveryPlanetTakesItsFirstRole) {
    const host::Galaxy galaxy = PlanGalaxy();
    const host::RunOutcome run = ChainRun();
    const PlanScene scene(galaxy, 7, run);
    const PlanetRole expected[] = {PlanetRole::Source, PlanetRole::Target,  PlanetRole::Relay,  PlanetRole::Relay,
                                   PlanetRole::Target, PlanetRole::Refused, PlanetRole::InReach};
    for (std::int32_t planet = 1; planet <= 7; ++planet) {
        EXPECT_EQ(scene.RoleOf(planet), expected[planet - 1]) << "planet " << planet;
    }
    EXPECT_EQ(scene.Participants(), (std::vector<std::int32_t>{1, 3, 4, 2, 5, 6}));

    const host::RunOutcome none = RunWith({});
    const PlanScene empty(galaxy, 7, none);
    EXPECT_EQ(empty.RoleOf(7), PlanetRole::InReach);
    EXPECT_EQ(empty.RoleOf(3), PlanetRole::InReach);  // 8 away, within the speed of 10
    EXPECT_EQ(empty.RoleOf(4), PlanetRole::Other);
    EXPECT_EQ(empty.Participants(), std::vector<std::int32_t>{1});
}

TEST(PlanSceneTest, SummaryCountsInTheRightNumber) {
    const host::Galaxy galaxy = PlanGalaxy();
    const struct {
        host::RunOutcome run;
        const char* summary;
    } rows[] = {
        {RunWith({}), "0 ships sent"},
        {RunWith({Accepted(7, 1, 2)}), "1 ship sent, all direct"},
        {RunWith({Accepted(7, 1, 3), Accepted(17, 3, 4)}),
         "2 ships sent: 0 direct, 2 in 1 relay chain (1 of them sent on by relay groups)"},
        {ChainRun(), "4 ships sent: 1 direct, 3 in 1 relay chain (2 of them sent on by relay groups), 1 order refused"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PlanScene(galaxy, 7, row.run).SendsSummary(), row.summary);
    }
}

TEST(PlanSceneTest, PlacedLabelsNeverOverlapEachOtherOrMarkersAndStayInside) {
    std::mt19937 random(17);
    std::uniform_real_distribution<double> place(0.0, 300.0);
    std::vector<LabelRequest> requests;
    for (int i = 0; i < 400; ++i) {
        requests.push_back({place(random), place(random), 3.0, 20.0 + i % 40, 12.0, false});
    }
    const PlanBox area{0, 0, 300, 300};
    const std::vector<host::PlacedLabel> placed = host::PlaceLabels(requests, area);
    ASSERT_GT(placed.size(), 20u);
    ASSERT_LT(placed.size(), requests.size()) << "400 labels cannot all fit";
    for (std::size_t a = 0; a < placed.size(); ++a) {
        const PlanBox& box = placed[a].box;
        EXPECT_TRUE(box.minX >= 0 && box.minY >= 0 && box.maxX <= 300 && box.maxY <= 300) << a;
        for (std::size_t b = a + 1; b < placed.size(); ++b) {
            EXPECT_FALSE(box.Overlaps(placed[b].box)) << a << " and " << b;
        }
        for (const LabelRequest& request : requests) {
            const PlanBox marker{request.x - 3, request.y - 3, request.x + 3, request.y + 3};
            EXPECT_FALSE(box.Overlaps(marker)) << a;
        }
    }
}

TEST(PlanSceneTest, ALabelGoesRightOfItsPointFirstAndARequiredOneIsAlwaysPlaced) {
    const PlanBox area{0, 0, 100, 100};
    const auto lone = host::PlaceLabels({{50, 50, 2, 20, 10, false}}, area);
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_DOUBLE_EQ(lone[0].box.minX, 54.0);
    EXPECT_DOUBLE_EQ(lone[0].box.minY, 45.0);

    // Two wide markers on one point leave no spot inside the area; a required label still shows.
    const std::vector<LabelRequest> crowd = {{50, 50, 40, 20, 10, false}, {50, 50, 40, 20, 10, false},
                                             {50, 50, 2, 20, 10, true}};
    const auto placed = host::PlaceLabels(crowd, area);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(placed[0].index, 2u);
}

TEST(PlanSceneTest, TextWidthCountsCharactersNotBytes) {
    EXPECT_DOUBLE_EQ(host::EstimatedTextWidth("Mir", 10), host::EstimatedTextWidth("\xD0\x9C\xD0\xB8\xD1\x80", 10));
    EXPECT_EQ(host::CountOf(1, "relay chain", "relay chains"), "1 relay chain");
    EXPECT_EQ(host::CountOf(0, "relay chain", "relay chains"), "0 relay chains");
}

} // namespace
