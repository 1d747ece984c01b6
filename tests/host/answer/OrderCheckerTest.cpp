// OrderCheckerTest.cpp - orders judged in turn against the galaxy as earlier orders left it.
#include "answer/OrderChecker.h"

#include "host/HostTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace host {
namespace {

struct Expected {
    const char* order;
    bool accepted;
    const char* reason;
};

class OrderCheckerTest : public ::testing::Test {
protected:
    std::vector<OrderResult> Add(const std::vector<std::string>& parameters) {
        CMapStringToString request;
        test::EncodeList("Add", parameters, request);
        return checker.ApplyAddRequest(request);
    }

    static void ExpectResults(const std::vector<Expected>& expected, const std::vector<OrderResult>& results) {
        ASSERT_EQ(expected.size(), results.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(expected[i].order, results[i].order) << "row " << i;
            EXPECT_EQ(expected[i].accepted, results[i].accepted) << "row " << i;
            EXPECT_EQ(expected[i].reason, results[i].reason) << "row " << i;
        }
    }

    Galaxy galaxy = test::SmallGalaxy();
    OrderChecker checker{galaxy};
};

TEST_F(OrderCheckerTest, AcceptedOrderSendsOneShipAsNewGroupInFlight) {
    const std::vector<OrderResult> results = Add({"SendGroup", "7 #2 1"});
    ExpectResults({{"7 #2 1", true, ""}}, results);
    EXPECT_EQ(7, results[0].group);
    EXPECT_EQ(2, results[0].destination);
    EXPECT_EQ(1, results[0].origin);
    EXPECT_EQ(21, results[0].newGroup); // one above the highest number, 20

    EXPECT_EQ(11, galaxy.FindGroup(7)->count);
    const Group* sent = galaxy.FindGroup(21);
    ASSERT_NE(nullptr, sent);
    EXPECT_EQ("Vexari", sent->race);
    EXPECT_EQ("Courier", sent->type);
    EXPECT_EQ(2, sent->planet);
    EXPECT_EQ(1, sent->from);
    EXPECT_EQ(1, sent->count);
    EXPECT_EQ(22.36, sent->speed);
    EXPECT_EQ("", sent->fleet);
    EXPECT_EQ(21, galaxy.HighestGroupNumber());
}

TEST_F(OrderCheckerTest, EachOrderIsJudgedAndRefusalsDoNotStopTheRest) {
    ExpectResults(
        {
            {"99 #2 1", false, "unknown group 99"},
            {"12 #1 1", false, "group 12 belongs to Zorgon, not Vexari"},
            {"9 #2 1", false, "group 9 is not in orbit"},
            {"5 #2 1", false, "group 5 has no ships left"},
            {"7 #7 1", false, "unknown planet #7"},
            {"7 #0 1", false, "unknown planet #0"},
            {"7 #6 1", false, "planet #6 is out of reach of group 7: distance 141.5982, speed 22.3600"},
            // Speed 4.999 shows as "5.00", but the exact number decides: Aster is 5 away.
            {"4 #1 1", false, "planet #1 is out of reach of group 4: distance 5.0000, speed 4.9990"},
            {"7 #4 1", true, ""},
        },
        Add({"SendGroup", "99 #2 1", "12 #1 1", "9 #2 1", "5 #2 1", "7 #7 1", "7 #0 1", "7 #6 1", "4 #1 1",
             "7 #4 1"}));
}

TEST_F(OrderCheckerTest, GroupEmptiedByEarlierOrderOfSameRequestIsRefused) {
    // Group 3 holds one ship and flies exactly as far as Aster: the limit is inclusive.
    ExpectResults({{"3 #1 1", true, ""}, {"3 #1 1", false, "group 3 has no ships left"}},
                  Add({"SendGroup", "3 #1 1", "3 #1 1"}));
    EXPECT_EQ(0, galaxy.FindGroup(3)->count);
}

TEST_F(OrderCheckerTest, ShipSentByEarlierOrderIsInFlightAndCannotBeSentOn) {
    ExpectResults({{"7 #2 1", true, ""}, {"21 #1 1", false, "group 21 is not in orbit"}},
                  Add({"SendGroup", "7 #2 1", "21 #1 1"}));
}

TEST_F(OrderCheckerTest, MalformedOrdersAreRefusedAndChangeNothing) {
    const std::vector<std::string> texts = {"",        "7",        "7 #2",      "7 2 1",    "7 #2 2",
                                            "7 #2 1 ", "7  #2 1",  " 7 #2 1",   "x #2 1",   "7 #x 1",
                                            "-7 #2 1", "7 #-2 1",  "7 # 2 1",   "7 #2 01",  "7\t#2 1",
                                            "99999999999 #2 1"};
    std::vector<std::string> parameters = {"SendGroup"};
    parameters.insert(parameters.end(), texts.begin(), texts.end());
    const std::vector<OrderResult> results = Add(parameters);
    ASSERT_EQ(texts.size(), results.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i], results[i].order) << "row " << i;
        EXPECT_FALSE(results[i].accepted) << "row " << i;
        EXPECT_EQ("malformed order, expected \"G #P 1\"", results[i].reason) << "row " << i;
    }
    EXPECT_EQ(12, galaxy.FindGroup(7)->count);
    EXPECT_EQ(20, galaxy.HighestGroupNumber());
}

TEST_F(OrderCheckerTest, RequestWithoutSendGroupHeadIsRefusedWhole) {
    ExpectResults({{"Send", false, "malformed request: parameter 1 is not SendGroup"}}, Add({"Send", "7 #2 1"}));
    ExpectResults({{"", false, "malformed request: parameter 1 is not SendGroup"}}, Add({}));
    EXPECT_EQ(12, galaxy.FindGroup(7)->count);
}

TEST_F(OrderCheckerTest, RequestWithOnlyHeadSendsNothing) {
    EXPECT_TRUE(Add({"SendGroup"}).empty());
}

TEST_F(OrderCheckerTest, BadParameterCountIsRefusedWithoutWalkingIt) {
    CMapStringToString request;
    test::EncodeList("Add", {"SendGroup", "7 #2 1"}, request);
    request.SetAt("Parameters.Count", "2000000000");
    ExpectResults({{"2000000000", false, "malformed request: bad Parameters.Count"}}, checker.ApplyAddRequest(request));
    EXPECT_EQ(12, galaxy.FindGroup(7)->count);
}

TEST_F(OrderCheckerTest, OrdersAreForTheSelectionsRace) {
    ASSERT_TRUE(galaxy.SelectGroup(12));
    ExpectResults({{"7 #2 1", false, "group 7 belongs to Vexari, not Zorgon"}, {"12 #1 1", true, ""}},
                  Add({"SendGroup", "7 #2 1", "12 #1 1"}));
}

} // namespace
} // namespace host
