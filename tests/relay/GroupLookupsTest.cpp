// GroupLookupsTest.cpp - FindGroupOfType and FindIdleRelayGroup: query order, early exits, idle
// tests.
#include "context/DispatchContext.h"

#include "cells/CellTree.h"
#include "relay/FakeHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class GroupLookupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        BindToFakeHost(context);
        types.InsertString("Courier");
        types.InsertString("Runner");
    }

    FakeHost host;
    DispatchContext context;
    CellTree types;
};

TEST_F(GroupLookupsTest, NoGroupsMeansOneQueryAndNothingFound) {
    EXPECT_EQ(0, context.FindGroupOfType(4, types));
    EXPECT_EQ(0, context.FindIdleRelayGroup(4, types));
    EXPECT_EQ((std::vector<std::string>{"List Groups #4 Vexari", "List Groups #4 Vexari"}),
              host.Texts());
}

TEST_F(GroupLookupsTest, LastListedMatchWinsAndEndsTheWalk) {
    // Groups 3 (Courier), 5 (Hauler), 8 (Runner), 9 (Hauler), listed in that order.
    host.Answer("List Groups #4 Vexari", ListReply({"3", "5", "8", "9"}));
    host.Answer("Get Group 3", {{"Name", "Courier"}, {"Count", "1"}});
    host.Answer("Get Group 5", {{"Name", "Hauler"}, {"Count", "1"}});
    host.Answer("Get Group 8", {{"Name", "Runner"}, {"Count", "4"}});
    host.Answer("Get Group 9", {{"Name", "Hauler"}, {"Count", "1"}});

    EXPECT_EQ(8, context.FindGroupOfType(4, types));
    EXPECT_EQ((std::vector<std::string>{"List Groups #4 Vexari", "Get Group 9", "Get Group 8"}),
              host.Texts());

    host.requests.clear();
    EXPECT_EQ(3, context.FindIdleRelayGroup(4, types)) << "8 holds four ships";
    EXPECT_EQ((std::vector<std::string>{"List Groups #4 Vexari", "Get Group 9", "Get Group 8",
                                        "Get Group 5", "Get Group 3"}),
              host.Texts());
}

TEST_F(GroupLookupsTest, IdleMeansNoSourceNoFleetAndExactlyOneShip) {
    struct Row {
        FakeHost::Reply details;
        std::int32_t ofType;
        std::int32_t idle;
    };
    const std::vector<Row> rows{
        {{{"Name", "Courier"}, {"Count", "1"}}, 6, 6},
        {{{"Name", "Courier"}, {"Count", "2"}}, 6, 0},
        {{{"Name", "Courier"}, {"Count", "0"}}, 6, 0},
        {{{"Name", "Courier"}}, 6, 0},
        {{{"Name", "Courier"}, {"Count", "1"}, {"Source", "#2"}}, 6, 0},
        {{{"Name", "Courier"}, {"Count", "1"}, {"Feet", "Home Fleet"}}, 6, 0},
        {{{"Name", "Courier"}, {"Count", "1"}, {"Source", " "}}, 6, 0},
        {{{"Name", "courier"}, {"Count", "1"}}, 0, 0},
        {{{"Count", "1"}}, 0, 0},
        {{{"Name", "Courier"}, {"Count", "1.9"}}, 6, 6},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FakeHost::Reply list = ListReply({"6"});
        host.Answer("List Groups #2 Vexari", list);
        host.Answer("Get Group 6", rows[i].details);
        EXPECT_EQ(rows[i].ofType, context.FindGroupOfType(2, types)) << "row " << i;
        EXPECT_EQ(rows[i].idle, context.FindIdleRelayGroup(2, types)) << "row " << i;
    }
}

TEST_F(GroupLookupsTest, EntryTextGoesOutUnchangedAndItsNumberComesBack) {
    host.Answer("List Groups #2 Vexari", ListReply({"12abc"}));
    host.Answer("Get Group 12abc", {{"Name", "Courier"}, {"Count", "1"}});
    EXPECT_EQ(12, context.FindIdleRelayGroup(2, types));
    EXPECT_EQ("Get Group 12abc", host.Texts().back());
}

TEST_F(GroupLookupsTest, RaceNameWithBlankTravelsAsTwoParameters) {
    context.raceName = "Star Folk";
    context.FindGroupOfType(2, types);
    ASSERT_EQ(1u, host.requests.size());
    EXPECT_EQ("4", host.requests[0].at("Parameters.Count"));
    EXPECT_EQ("Star", host.requests[0].at("Parameter.3"));
    EXPECT_EQ("Folk", host.requests[0].at("Parameter.4"));
}

TEST_F(GroupLookupsTest, GarbageCountsWalkOnlyTheEntriesPresent) {
    // The list holds one entry whatever its "Count" claims; with the request's own keys
    // still in the map the answer holds 9 keys, so at most 9 details queries follow.
    const std::vector<const char*> counts{"2147483647", "-5", "many", "99999999999", "1"};
    for (std::size_t i = 0; i < counts.size(); ++i) {
        host.requests.clear();
        host.Answer("List Groups #2 Vexari", {{"Count", counts[i]}, {"1", "6"}});
        host.Answer("Get Group 6", {{"Name", "Hauler"}});
        EXPECT_EQ(0, context.FindGroupOfType(2, types)) << "row " << i;
        EXPECT_LE(host.requests.size(), 10u) << "row " << i;
    }
}

} // namespace
