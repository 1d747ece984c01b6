// DispatchContextTest.cpp - request encoding, binding to the host's game, and the "Add" request.
#include "context/DispatchContext.h"

#include "relay/FakeHost.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Request = FakeHost::Request;

struct EncodingRow {
    const char* text;
    Request expected; // the whole request map, game and turn included
};

TEST(DispatchContextTest, QuerySplitsAtEveryBlankOnly) {
    const std::vector<EncodingRow> rows{
        {"List PlanetsNum",
         {{"GameName", "Demo"},
          {"Turn", "42"},
          {"Function", "List"},
          {"Parameter.1", "PlanetsNum"},
          {"Parameters.Count", "1"}}},
        {"Get  Planet",
         {{"GameName", "Demo"},
          {"Turn", "42"},
          {"Function", "Get"},
          {"Parameter.1", ""},
          {"Parameter.2", "Planet"},
          {"Parameters.Count", "2"}}},
        {" Word",
         {{"GameName", "Demo"},
          {"Turn", "42"},
          {"Function", ""},
          {"Parameter.1", "Word"},
          {"Parameters.Count", "1"}}},
        {"List Groups ",
         {{"GameName", "Demo"},
          {"Turn", "42"},
          {"Function", "List"},
          {"Parameter.1", "Groups"},
          {"Parameters.Count", "2"}}},
        {"Word",
         {{"GameName", "Demo"}, {"Turn", "42"}, {"Function", "Word"}, {"Parameters.Count", "0"}}},
        {"", {{"GameName", "Demo"}, {"Turn", "42"}, {"Parameters.Count", "0"}}},
        {"Get ShipType Star Courier Vexari",
         {{"GameName", "Demo"},
          {"Turn", "42"},
          {"Function", "Get"},
          {"Parameter.1", "ShipType"},
          {"Parameter.2", "Star"},
          {"Parameter.3", "Courier"},
          {"Parameter.4", "Vexari"},
          {"Parameters.Count", "4"}}},
        {"Get\tPlanet #17",
         {{"GameName", "Demo"},
          {"Turn", "42"},
          {"Function", "Get\tPlanet"},
          {"Parameter.1", "#17"},
          {"Parameters.Count", "1"}}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FakeHost host;
        DispatchContext context;
        BindToFakeHost(context);
        CMapStringToString reply;
        reply["stale"] = "from an earlier answer";
        context.Query(rows[i].text, reply);
        ASSERT_EQ(1u, host.requests.size()) << "row " << i;
        EXPECT_EQ(rows[i].expected, host.requests[0]) << "row " << i;
    }
}

TEST(DispatchContextTest, QueryLeavesTheReplyInTheSameMap) {
    FakeHost host;
    host.Answer("Get Planet #17", {{"Num", "17"}, {"Owner", "Vexari"}});
    DispatchContext context;
    BindToFakeHost(context);
    CMapStringToString reply;
    context.Query("Get Planet #17", reply);
    CString owner;
    EXPECT_TRUE(reply.Lookup("Owner", owner));
    EXPECT_EQ("Vexari", owner.str());
    EXPECT_TRUE(reply.Lookup("Function", owner)) << "the request keys may stay";
}

TEST(DispatchContextTest, QueryWithoutCallbackSendsNothingAndKeepsTheMap) {
    FakeHost host;
    DispatchContext context;
    CMapStringToString reply;
    reply["kept"] = "yes";
    context.Query("List PlanetsNum", reply);
    EXPECT_TRUE(host.requests.empty());
    EXPECT_EQ(1, reply.GetCount());
    EXPECT_EQ("yes", reply["kept"].str());

    context.SubmitOrders();
    EXPECT_TRUE(host.requests.empty());
}

TEST(DispatchContextTest, SubmitOrdersSendsTheListWhole) {
    FakeHost host;
    DispatchContext context;
    BindToFakeHost(context);
    context.orders.AddTail("SendGroup");
    context.orders.AddTail("7 #12 1");
    context.orders.AddTail("name with blanks");
    context.SubmitOrders();

    const Request expected{{"GameName", "Demo"},
                           {"Turn", "42"},
                           {"Function", "Add"},
                           {"Parameters.Count", "3"},
                           {"Parameter.1", "SendGroup"},
                           {"Parameter.2", "7 #12 1"},
                           {"Parameter.3", "name with blanks"}};
    ASSERT_EQ(1u, host.requests.size());
    EXPECT_EQ(expected, host.requests[0]);
}

TEST(DispatchContextTest, SendListWritesTheTurnUnsigned) {
    FakeHost host;
    DispatchContext context;
    BindToFakeHost(context);
    context.turn = -1;
    context.orders.AddTail("SendGroup");
    context.SubmitOrders();
    ASSERT_EQ(1u, host.requests.size());
    EXPECT_EQ("4294967295", host.requests[0].at("Turn"));
    EXPECT_EQ("1", host.requests[0].at("Parameters.Count"));
    EXPECT_EQ("SendGroup", host.requests[0].at("Parameter.1"));
}

struct BindRow {
    Request hostMap;
    int expected;
    const char* gameName;
    std::int32_t turn;
    const char* raceName;
    std::size_t queries;
};

TEST(DispatchContextTest, BindHostResultsAndFieldStates) {
    const std::vector<BindRow> rows{
        {{{"GameName", "Demo"}, {"Turn", "42"}, {"SID", "7"}}, 0, "Demo", 42, "Vexari", 1},
        {{{"Turn", "42"}, {"SID", "7"}}, 1, "", -1, "", 0},
        {{{"GameName", ""}, {"Turn", "42"}}, 1, "", -1, "", 0},
        {{{"GameName", "Demo"}, {"SID", "7"}}, 2, "Demo", 0, "", 0},
        {{{"GameName", "Demo"}, {"Turn", ""}}, 2, "Demo", 0, "", 0},
        {{{"GameName", "Demo"}, {"Turn", "0"}}, 2, "Demo", 0, "", 0},
        {{{"GameName", "Demo"}, {"Turn", "soon"}}, 2, "Demo", 0, "", 0},
        {{{"GameName", "Demo"}, {"Turn", "42"}, {"SID", "8"}}, 3, "Demo", 42, "", 1},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FakeHost host;
        host.Answer("Selection 7 Owner", {{"1", "Vexari"}});
        DispatchContext context;
        context.shipTypeName = "left over";
        context.orders.AddTail("SendGroup");
        context.reachablePlanets.AddKey(5);
        CMapStringToString hostMap;
        for (const auto& [key, value] : rows[i].hostMap) {
            hostMap.SetAt(key.c_str(), value.c_str());
        }

        EXPECT_EQ(rows[i].expected, context.BindHost(FakeHost::Callback, hostMap)) << "row " << i;
        EXPECT_EQ(rows[i].gameName, context.gameName.str()) << "row " << i;
        EXPECT_EQ(rows[i].turn, context.turn) << "row " << i;
        EXPECT_EQ(rows[i].raceName, context.raceName.str()) << "row " << i;
        EXPECT_EQ(rows[i].queries, host.requests.size()) << "row " << i;
        EXPECT_EQ(&FakeHost::Callback, context.hostCallback) << "row " << i;
        EXPECT_TRUE(context.shipTypeName.IsEmpty()) << "row " << i;
        EXPECT_EQ(0, context.orders.GetCount()) << "row " << i;
        EXPECT_EQ(0, context.reachablePlanets.GetCount()) << "row " << i;
    }
}

TEST(DispatchContextTest, BindHostWithoutGameNameDoesNotReadTheTurn) {
    FakeHost host;
    DispatchContext context;
    CMapStringToString hostMap;
    EXPECT_EQ(1, context.BindHost(FakeHost::Callback, hostMap));
    CString value;
    EXPECT_TRUE(hostMap.Lookup("GameName", value)) << "reading inserts the key";
    EXPECT_FALSE(hostMap.Lookup("Turn", value));
}

TEST(DispatchContextTest, BindHostWithoutSidAsksForSelectionZero) {
    FakeHost host;
    DispatchContext context;
    CMapStringToString hostMap;
    hostMap.SetAt("GameName", "Demo");
    hostMap.SetAt("Turn", "42");
    EXPECT_EQ(3, context.BindHost(FakeHost::Callback, hostMap));
    EXPECT_EQ(std::vector<std::string>{"Selection 0 Owner"}, host.Texts());
}

TEST(DispatchContextTest, BindHostWithoutCallbackStoresNullAndFindsNoRace) {
    FakeHost host;
    DispatchContext context;
    context.hostCallback = FakeHost::Callback;
    CMapStringToString hostMap;
    hostMap.SetAt("GameName", "Demo");
    hostMap.SetAt("Turn", "42");
    EXPECT_EQ(3, context.BindHost(nullptr, hostMap));
    EXPECT_EQ(nullptr, context.hostCallback);
    EXPECT_TRUE(host.requests.empty());
}

TEST(DispatchContextTest, ResetKeepsCallbackStopFlagAndDialog) {
    DispatchContext context;
    context.hostCallback = FakeHost::Callback;
    context.stopRequested = 1;
    auto* dialog = reinterpret_cast<SendProgressDialog*>(&context); // only compared
    context.progressDialog = dialog;
    context.gameName = "Demo";
    context.turn = 5;
    context.raceName = "Vexari";
    context.groupNumber = 7;
    context.sourcePlanet = 3;
    context.minSpeed = 2236;
    context.shipCount = 4;

    context.Reset();
    EXPECT_EQ(&FakeHost::Callback, context.hostCallback);
    EXPECT_EQ(1, context.stopRequested.load());
    EXPECT_EQ(dialog, context.progressDialog);
    EXPECT_TRUE(context.gameName.IsEmpty());
    EXPECT_TRUE(context.raceName.IsEmpty());
    EXPECT_EQ(-1, context.turn);
    EXPECT_EQ(-1, context.groupNumber);
    EXPECT_EQ(-1, context.sourcePlanet);
    EXPECT_EQ(-1, context.minSpeed);
    EXPECT_EQ(-1, context.shipCount);
}

} // namespace
