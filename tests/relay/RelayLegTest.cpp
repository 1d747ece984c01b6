// RelayLegTest.cpp - Extend's destination and relay passes, the hop angle window, Rollback,
// EmitOrders.
#include "relay/RelayLeg.h"

#include "cells/CellTree.h"
#include "cells/LongSet.h"
#include "context/DispatchContext.h"
#include "relay/FakeHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr std::int32_t kSource = 1;

class RelayLegTest : public ::testing::Test {
protected:
    void SetUp() override {
        BindToFakeHost(context);
        for (std::int32_t p = 1; p <= 8; ++p) {
            context.reachablePlanets.AddKey(p);
        }
        types.InsertString("Courier");
        visited.AddKey(kSource);
    }

    // Planet `planet` holds group `group` of `type` with `ships` ships, in orbit.
    void GroupOn(std::int32_t planet, std::int32_t group, const char* type, const char* ships,
                 const char* speed = "30.00") {
        host.Answer("List Groups #" + std::to_string(planet) + " Vexari",
                    ListReply({std::to_string(group)}));
        host.Answer("Get Group " + std::to_string(group),
                    {{"Name", type}, {"Count", ships}, {"Speed", speed}});
    }

    std::vector<std::int32_t> Visited() const {
        std::vector<std::int32_t> keys;
        for (LongSetNode* pos = visited.First(); pos != nullptr;) {
            keys.push_back(visited.Next(pos));
        }
        return keys;
    }

    FakeHost host;
    DispatchContext context;
    CellTree types;
    LongSet visited;
};

TEST_F(RelayLegTest, FirstFreePlanetInListOrderBecomesTheDestination) {
    // Listed: the source, a visited planet, an unreachable one, one holding a Courier,
    // then two free planets; the first free one (planet 4, angle -0.8) is taken.
    visited.AddKey(3);
    GroupOn(2, 6, "Courier", "3");
    host.Answer(
        "List PlanetsAndRange #1 #1 22.360000",
        PlanetListReply({{1, "0"}, {3, "0.2"}, {9, "0.3"}, {2, "0.4"}, {4, "-0.8"}, {6, "0.9"}}));
    RelayLeg leg(kSource, kSource, 500, 7, 2236, 0, nullptr);

    EXPECT_EQ(RelayLeg::kEndsAtDestination, leg.Extend(context, types, visited));
    ASSERT_NE(nullptr, leg.next);
    EXPECT_EQ(4, leg.next->planet);
    EXPECT_EQ(1, leg.next->terminal);
    EXPECT_EQ(0, leg.next->group);
    EXPECT_EQ(0, leg.next->speed);
    EXPECT_EQ(-800, leg.next->value) << "a hop's key is not folded onto a turn";
    EXPECT_EQ(&leg, leg.next->previous);
    EXPECT_EQ((std::vector<std::int32_t>{1, 3, 4}), Visited());
    EXPECT_EQ(
        (std::vector<std::string>{"List PlanetsAndRange #1 #1 22.360000", "List Groups #2 Vexari",
                                  "Get Group 6", "List Groups #4 Vexari"}),
        host.Texts());
}

TEST_F(RelayLegTest, HighestListedIdleGroupBecomesTheRelay) {
    // Planets 2 and 4 each hold an idle one-ship Courier: neither is a destination,
    // both are relays, and the one listed last (planet 4) wins.
    GroupOn(2, 6, "Courier", "1", "12.00");
    GroupOn(4, 9, "Courier", "1", "30.00");
    host.Answer("List PlanetsAndRange #1 #1 22.360000",
                PlanetListReply({{2, "0.4"}, {1, "0"}, {4, "-0.5"}}));
    RelayLeg leg(kSource, kSource, 500, 7, 2236, 0, nullptr);

    EXPECT_EQ(RelayLeg::kRelayAdded, leg.Extend(context, types, visited));
    ASSERT_NE(nullptr, leg.next);
    const RelayLeg& hop = *leg.next;
    EXPECT_EQ(4, hop.planet);
    EXPECT_EQ(0, hop.terminal);
    EXPECT_EQ(9, hop.group);
    EXPECT_EQ(3000, hop.speed);
    EXPECT_EQ(5782, hop.value);
    EXPECT_EQ(kSource, hop.sourcePlanet);
    EXPECT_EQ((std::vector<std::int32_t>{1, 4}), Visited());
    EXPECT_EQ(
        (std::vector<std::string>{"List PlanetsAndRange #1 #1 22.360000", "List Groups #2 Vexari",
                                  "Get Group 6", "List Groups #4 Vexari", "Get Group 9",
                                  "List Groups #4 Vexari", "Get Group 9", "Get Group 9"}),
        host.Texts());
}

TEST_F(RelayLegTest, HopTakesRelaysOnlyFromAQuarterToAHalfTurn) {
    struct Row {
        const char* angle;
        std::int32_t expected;
    };
    const std::vector<Row> rows{
        {"1.5699", RelayLeg::kNoHop},   {"1.5700", RelayLeg::kRelayAdded},
        {"2.5", RelayLeg::kRelayAdded}, {"3.1419", RelayLeg::kRelayAdded},
        {"3.1425", RelayLeg::kNoHop},   {"-3.1415", RelayLeg::kRelayAdded},
        {"-1.6", RelayLeg::kNoHop},     {"0", RelayLeg::kNoHop},
        {"-4.7135", RelayLeg::kNoHop},  {"-4.7115", RelayLeg::kRelayAdded},
    };
    GroupOn(5, 11, "Courier", "1");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        host.Answer("List PlanetsAndRange #4 #1 29.999999", PlanetListReply({{5, rows[i].angle}}));
        RelayLeg hop(4, kSource, 5782, 9, 3000, 0, nullptr);
        EXPECT_EQ(rows[i].expected, hop.Extend(context, types, visited)) << "row " << i;
        hop.Rollback(visited);
    }
}

TEST_F(RelayLegTest, FirstLegTakesRelaysInAnyDirection) {
    GroupOn(5, 11, "Courier", "1");
    host.Answer("List PlanetsAndRange #1 #1 22.360000", PlanetListReply({{5, "0.1"}}));
    RelayLeg leg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    EXPECT_EQ(RelayLeg::kRelayAdded, leg.Extend(context, types, visited));
}

TEST_F(RelayLegTest, HopDestinationsHaveNoAngleLimit) {
    host.Answer("List PlanetsAndRange #4 #1 29.999999", PlanetListReply({{6, "0.1"}}));
    RelayLeg hop(4, kSource, 5782, 9, 3000, 0, nullptr);
    EXPECT_EQ(RelayLeg::kEndsAtDestination, hop.Extend(context, types, visited));
    EXPECT_EQ(6, hop.next->planet);
}

TEST_F(RelayLegTest, TwoShipGroupBlocksTheDestinationAndIsNoRelay) {
    GroupOn(5, 11, "Courier", "2");
    host.Answer("List PlanetsAndRange #1 #1 22.360000", PlanetListReply({{5, "0.1"}}));
    RelayLeg leg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    EXPECT_EQ(RelayLeg::kNoHop, leg.Extend(context, types, visited));
    EXPECT_EQ(nullptr, leg.next);
}

TEST_F(RelayLegTest, ChainExtendsAtItsEndAndATerminalChainAsksNothing) {
    host.Answer("List PlanetsAndRange #4 #1 29.999999", PlanetListReply({{6, "2.0"}}));
    RelayLeg leg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    leg.next = new RelayLeg(4, kSource, 5782, 9, 3000, 0, &leg);
    visited.AddKey(4);

    EXPECT_EQ(RelayLeg::kEndsAtDestination, leg.Extend(context, types, visited));
    EXPECT_EQ(6, leg.next->next->planet);
    const std::size_t asked = host.requests.size();
    EXPECT_EQ(RelayLeg::kEndsAtDestination, leg.Extend(context, types, visited));
    EXPECT_EQ(asked, host.requests.size());
}

TEST_F(RelayLegTest, StuckChainReturnsNoHopAndRollbackReleasesEveryHop) {
    // first leg -> relay at 4 -> relay at 5, whose range lists nothing usable.
    RelayLeg leg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    leg.next = new RelayLeg(4, kSource, 5782, 9, 3000, 0, &leg);
    leg.next->next = new RelayLeg(5, kSource, 2000, 11, 1500, 0, leg.next);
    visited.AddKey(4);
    visited.AddKey(5);
    visited.AddKey(7); // taken by another chain: stays taken
    host.Answer("List PlanetsAndRange #5 #1 15.000000", PlanetListReply({{5, "0"}, {1, "3.0"}}));

    EXPECT_EQ(RelayLeg::kNoHop, leg.Extend(context, types, visited));
    leg.Rollback(visited);
    EXPECT_EQ((std::vector<std::int32_t>{1, 7}), Visited());
    EXPECT_NE(nullptr, leg.next) << "Rollback unlinks nothing";
}

TEST_F(RelayLegTest, EmitOrdersWritesOneOrderPerHopInChainOrder) {
    RelayLeg leg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    EXPECT_EQ(1, leg.EmitOrders(context));
    EXPECT_EQ(0, context.orders.GetCount()) << "a lone first leg sends nothing";

    leg.next = new RelayLeg(4, kSource, 5782, 9, 3000, 0, &leg);
    leg.next->next = new RelayLeg(5, kSource, 2000, 11, 1500, 0, leg.next);
    leg.next->next->next = new RelayLeg(6, kSource, 100, 0, 0, 1, leg.next->next);
    EXPECT_EQ(1, leg.EmitOrders(context));
    std::vector<std::string> orders;
    for (POSITION pos = context.orders.GetHeadPosition(); pos != nullptr;) {
        orders.push_back(context.orders.GetNext(pos).str());
    }
    EXPECT_EQ((std::vector<std::string>{"7 #4 1", "9 #5 1", "11 #6 1"}), orders);
}

TEST_F(RelayLegTest, GarbageRangeAnswerGivesNoHop) {
    // "Count" far beyond the entries, entries that are no planet, a planet beyond the game.
    host.Answer("List PlanetsAndRange #1 #1 22.360000", {{"Count", "2147483647"},
                                                         {"Planet.1", "#"},
                                                         {"Planet.2", ""},
                                                         {"Planet.3", "#999"},
                                                         {"Planet.4", "#-2"},
                                                         {"Angle.3", "nan"}});
    RelayLeg leg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    EXPECT_EQ(RelayLeg::kNoHop, leg.Extend(context, types, visited));
    EXPECT_EQ(1u, host.requests.size()) << "no planet passed the cheap tests";
}

TEST_F(RelayLegTest, VeryLongChainIsDeletedWithoutRecursion) {
    auto* leg = new RelayLeg(kSource, kSource, 0, 7, 2236, 0, nullptr);
    RelayLeg* last = leg;
    for (std::int32_t i = 0; i < 300000; ++i) {
        last->next = new RelayLeg(i + 2, kSource, 0, i + 100, 100, 0, last);
        last = last->next;
    }
    leg->Rollback(visited);
    EXPECT_EQ(1, leg->EmitOrders(context));
    EXPECT_EQ(300000, context.orders.GetCount());
    delete leg;
}

} // namespace
