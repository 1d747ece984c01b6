// QueryAnswererTest.cpp - every query row answered from the small galaxy: formats, order, angles, split names, unknowns.
#include "host/QueryAnswerer.h"

#include "HostTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace host {
namespace {

using Reply = std::map<std::string, std::string>;
using test::EncodeQuery;
using test::Entries;

class QueryAnswererTest : public ::testing::Test {
protected:
    QueryAnswererTest() { answerer.SetSelectionId(7); }

    /// The keys the answer added or changed; also checks that no request key went missing.
    Reply Ask(std::string_view text) {
        CMapStringToString request;
        EncodeQuery(text, request);
        const Reply before = Entries(request);
        answerer.Answer(request);
        Reply reply;
        const Reply after = Entries(request);
        for (const auto& [key, value] : before) {
            EXPECT_TRUE(after.contains(key)) << "request key " << key << " removed by " << text;
        }
        for (const auto& [key, value] : after) {
            const auto old = before.find(key);
            if (old == before.end() || old->second != value) {
                reply.emplace(key, value);
            }
        }
        return reply;
    }

    void ExpectRows(const std::vector<std::pair<std::string, Reply>>& rows) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].second, Ask(rows[i].first)) << "row " << i << ": " << rows[i].first;
        }
    }

    Galaxy galaxy = test::SmallGalaxy();
    QueryAnswerer answerer{galaxy};
};

TEST_F(QueryAnswererTest, SelectionAnswersFieldsOfSelectedGroupUnderOne) {
    ExpectRows({
        {"Selection 51507 Owner", {{"1", "Vexari"}}},
        {"Selection 51507 Status", {{"1", "In orbit"}}},
        {"Selection 51507 Num", {{"1", "7"}}},
        {"Selection 51507 Name", {{"1", "Courier"}}},
        {"Selection 51507 Source", {{"1", "#1"}}},
        {"Selection 51507 MinSpeed", {{"1", "22.36"}}},
        {"Selection 51507 Count", {{"1", "12"}}},
        {"Selection 7 Owner", {{"1", "Vexari"}}}, // the SID of the command map
        {"Selection 8 Owner", {}},
        {"Selection 07 Owner", {}}, // compared as text
        {"Selection 51507 Speed", {}},
        {"Selection 51507", {}},
        {"Selection 51507 Owner Extra", {}},
    });
}

TEST_F(QueryAnswererTest, SelectionOfGroupInFlightIsInSpaceFromItsOrigin) {
    ASSERT_TRUE(galaxy.SelectGroup(9));
    ExpectRows({
        {"Selection 51507 Status", {{"1", "In space"}}},
        {"Selection 51507 Source", {{"1", "#2"}}},
        {"Selection 51507 Name", {{"1", "Heavy Freighter"}}},
        {"Selection 51507 MinSpeed", {{"1", "5.00"}}},
    });
}

TEST_F(QueryAnswererTest, SelectionIdsAreSettable) {
    answerer.SetSelectionId(31);
    answerer.SetMenuItemId(100);
    ExpectRows({
        {"Selection 100 Owner", {{"1", "Vexari"}}},
        {"Selection 31 Owner", {{"1", "Vexari"}}},
        {"Selection 51507 Owner", {}},
        {"Selection 7 Owner", {}},
    });
}

TEST_F(QueryAnswererTest, ListPlanetsNumCountsPlanets) {
    ExpectRows({
        {"List PlanetsNum", {{"Count", "6"}}},
        {"List PlanetsNum 1", {}},
        {"List PlanetsNum ", {}}, // a trailing blank makes a second, absent parameter
    });
}

TEST_F(QueryAnswererTest, GetPlanetByNumberOrNameWithTwoPlaces) {
    ExpectRows({
        {"Get Planet #2", {{"Num", "2"}, {"Name", "Borea"}, {"Owner", "Vexari"}, {"X", "3.00"}, {"Y", "4.00"}}},
        {"Get Planet New Hope", {{"Num", "4"}, {"Name", "New Hope"}, {"Owner", "Zorgon"}, {"X", "0.00"}, {"Y", "-6.00"}}},
        {"Get Planet Dusk", {{"Num", "5"}, {"Name", "Dusk"}, {"Owner", ""}, {"X", "0.00"}, {"Y", "0.00"}}},
        {"Get Planet #6", {{"Num", "6"}, {"Name", "Far"}, {"Owner", ""}, {"X", "100.25"}, {"Y", "100.00"}}},
        {"Get Planet #0", {}},
        {"Get Planet #7", {}},
        {"Get Planet 2", {}},
        {"Get Planet New  Hope", {}},
        {"Get Planet Nowhere", {}},
        {"Get Planet", {}},
    });
}

TEST_F(QueryAnswererTest, GetRaceJoinsNameWordsWithSingleBlanks) {
    ExpectRows({
        {"Get Race Vexari", {{"Name", "Vexari"}, {"DrivesTech", "1.37"}}},
        {"Get Race Blue Moon", {{"Name", "Blue Moon"}, {"DrivesTech", "1.00"}}},
        {"Get Race Moon", {{"Name", "Moon"}, {"DrivesTech", "0.25"}}},
        {"Get Race  Blue Moon", {}}, // the empty first word joins as a leading blank
        {"Get Race vexari", {}},
        {"Get Race", {}},
    });
}

TEST_F(QueryAnswererTest, NameWithTrailingBlankReadsAbsentLastParameterAsEmpty) {
    // "Get Race Tail " splits into Race, Tail and an absent third parameter: joined, "Tail ".
    galaxy = ParseGalaxyJson(
        R"({"game": "g", "turn": 1, "races": [{"name": "Tail ", "drivesTech": 2}],
            "planets": [{"name": "P", "x": 0, "y": 0}],
            "shipTypes": [{"race": "Tail ", "name": "S", "drives": 1, "weapons": 0, "ammo": 0, "cargo": 0, "shields": 0}],
            "groups": [{"number": 1, "race": "Tail ", "type": "S", "planet": 1, "count": 1, "speed": 1, "from": 0, "fleet": ""}],
            "selection": 1})",
        "tail.json");
    ExpectRows({
        {"Get Race Tail ", {{"Name", "Tail "}, {"DrivesTech", "2.00"}}},
        {"Get Race Tail", {}},
        {"List Groups #1 Tail ", {{"Count", "1"}, {"1", "1"}}},
    });
}

TEST_F(QueryAnswererTest, RangeWithSameRaysGivesBearingsInAscendingOrder) {
    // Within 5 of Aster (0,0): Aster itself, Borea (3,4) exactly at the limit, Dusk on Aster.
    ExpectRows({
        {"List PlanetsAndRange #1 #1 5.000000",
         {{"Count", "3"},
          {"Planet.1", "#1"}, {"Angle.1", "0.000000"},
          {"Planet.2", "#2"}, {"Angle.2", "0.927295"},
          {"Planet.3", "#5"}, {"Angle.3", "0.000000"}}},
        // From Borea (3,4) Aster and Dusk lie down-left: a negative bearing.
        {"List PlanetsAndRange #2 #2 5.000000",
         {{"Count", "3"},
          {"Planet.1", "#1"}, {"Angle.1", "-2.214297"},
          {"Planet.2", "#2"}, {"Angle.2", "0.000000"},
          {"Planet.3", "#5"}, {"Angle.3", "-2.214297"}}},
        {"List PlanetsAndRange #1 #1 4.999999", {{"Count", "2"}, {"Planet.1", "#1"}, {"Angle.1", "0.000000"},
                                                 {"Planet.2", "#5"}, {"Angle.2", "0.000000"}}},
        {"List PlanetsAndRange #6 #6 0", {{"Count", "1"}, {"Planet.1", "#6"}, {"Angle.1", "0.000000"}}},
        {"List PlanetsAndRange #6 #6 -1.000000", {{"Count", "0"}}},
    });
}

TEST_F(QueryAnswererTest, RangeWithDifferentRaysGivesUnsignedAngleAtA) {
    // Rays from Aster: to Cyne along +x; Borea at acos(0.6), New Hope a right angle away.
    ExpectRows({
        {"List PlanetsAndRange #1 #3 6.000000",
         {{"Count", "4"},
          {"Planet.1", "#1"}, {"Angle.1", "0.000000"},
          {"Planet.2", "#2"}, {"Angle.2", "0.927295"},
          {"Planet.3", "#4"}, {"Angle.3", "1.570796"},
          {"Planet.4", "#5"}, {"Angle.4", "0.000000"}}}, // Dusk sits on Aster: no ray
        {"List PlanetsAndRange #1 #4 5.000000",
         {{"Count", "3"},
          {"Planet.1", "#1"}, {"Angle.1", "0.000000"},
          {"Planet.2", "#2"}, {"Angle.2", "2.498092"},
          {"Planet.3", "#5"}, {"Angle.3", "0.000000"}}},
        // b on a's position: the ray to b has no length, so every angle is 0.
        {"List PlanetsAndRange #1 #5 5.000000",
         {{"Count", "3"},
          {"Planet.1", "#1"}, {"Angle.1", "0.000000"},
          {"Planet.2", "#2"}, {"Angle.2", "0.000000"},
          {"Planet.3", "#5"}, {"Angle.3", "0.000000"}}},
    });
}

TEST_F(QueryAnswererTest, RangeWithUnknownOrMalformedArgumentsIsEmpty) {
    ExpectRows({
        {"List PlanetsAndRange #0 #1 5.0", {}},
        {"List PlanetsAndRange #1 #7 5.0", {}},
        {"List PlanetsAndRange 1 #1 5.0", {}},
        {"List PlanetsAndRange #1 #1 five", {}},
        {"List PlanetsAndRange #1 #1 5.0x", {}},
        {"List PlanetsAndRange #1 #1 nan", {}},
        {"List PlanetsAndRange #1 #1", {}},
        {"List PlanetsAndRange #1 #1 5.0 1", {}},
        {"List PlanetsAndRange #-1 #1 5.0", {}},
    });
}

TEST_F(QueryAnswererTest, GetShipTypeTakesFirstSplitAtWhichPairExists) {
    ExpectRows({
        {"Get ShipType Courier Zorgon",
         {{"Name", "Courier"}, {"Drives", "1.50"}, {"Weapons", "1.00"}, {"Ammo", "2.00"}, {"Cargo", "3.00"},
          {"Shields", "4.00"}}},
        {"Get ShipType Heavy Freighter Vexari",
         {{"Name", "Heavy Freighter"}, {"Drives", "3.00"}, {"Weapons", "0.00"}, {"Ammo", "0.00"},
          {"Cargo", "10.50"}, {"Shields", "2.00"}}},
        // "Star" of "Blue Moon" and "Star Blue" of "Moon" both exist; the first split wins.
        {"Get ShipType Star Blue Moon",
         {{"Name", "Star"}, {"Drives", "2.00"}, {"Weapons", "0.00"}, {"Ammo", "0.00"}, {"Cargo", "0.00"},
          {"Shields", "0.00"}}},
        {"Get ShipType Drone Vexari", {}},
        {"Get ShipType Courier", {}},
        {"Get ShipType Courier Vexari Zorgon", {}},
        {"Get ShipType", {}},
    });
}

TEST_F(QueryAnswererTest, ListShipTypesGivesDistinctNamesInOrderOfFirstAppearance) {
    ExpectRows({
        {"List ShipTypes",
         {{"Count", "5"}, {"1", "Courier"}, {"2", "Heavy Freighter"}, {"3", "Drone"}, {"4", "Star"}, {"5", "Star Blue"}}},
        {"List ShipTypes Vexari", {}},
    });
}

TEST_F(QueryAnswererTest, ListGroupsGivesRaceGroupsAtPlanetAscendingInOrbitOrInFlight) {
    ExpectRows({
        {"List Groups #1 Vexari", {{"Count", "3"}, {"1", "5"}, {"2", "7"}, {"3", "9"}}}, // 9 is on its way in
        {"List Groups #2 Vexari", {{"Count", "2"}, {"1", "3"}, {"2", "4"}}},
        {"List Groups #1 Zorgon", {{"Count", "1"}, {"1", "12"}}},
        {"List Groups #6 Blue Moon", {{"Count", "1"}, {"1", "20"}}},
        {"List Groups #3 Vexari", {{"Count", "0"}}},
        {"List Groups #1 Nobody", {}},
        {"List Groups #9 Vexari", {}},
        {"List Groups 1 Vexari", {}},
        {"List Groups #1", {}},
    });
}

TEST_F(QueryAnswererTest, GetGroupGivesRecordWithSourceOnlyInFlight) {
    ExpectRows({
        {"Get Group 9",
         {{"Num", "9"}, {"Owner", "Vexari"}, {"Name", "Heavy Freighter"}, {"Planet", "#1"}, {"Source", "#2"},
          {"Feet", "Home Guard"}, {"Count", "2"}, {"Speed", "5.00"}}},
        {"Get Group 7",
         {{"Num", "7"}, {"Owner", "Vexari"}, {"Name", "Courier"}, {"Planet", "#1"}, {"Source", ""},
          {"Feet", ""}, {"Count", "12"}, {"Speed", "22.36"}}},
        {"Get Group 8", {}},
        {"Get Group #7", {}},
        {"Get Group -7", {}},
        {"Get Group 7 1", {}},
    });
}

TEST_F(QueryAnswererTest, UnknownRequestsGetEmptyReply) {
    ExpectRows({
        {"", {}},
        {"Get", {}},
        {"Get Fleet 1", {}},
        {"get Planet #1", {}},
        {"Remove Group 7", {}},
        {" Get Planet #1", {}},
        {"Get\tPlanet #1", {}},
    });
}

TEST_F(QueryAnswererTest, MalformedParameterCountGetsEmptyReply) {
    const char* counts[] = {"", "x", "-1", "2 ", "+2", "2147483647", "99999999999"};
    for (std::size_t i = 0; i < std::size(counts); ++i) {
        CMapStringToString request;
        EncodeQuery("Get Race Blue Moon", request);
        request.SetAt("Parameters.Count", counts[i]);
        const Reply before = Entries(request);
        EXPECT_FALSE(answerer.Answer(request)) << "row " << i;
        EXPECT_EQ(before, Entries(request)) << "row " << i;
    }
}

TEST_F(QueryAnswererTest, AnswerNeverAddsEmptyEntriesForKeysItReads) {
    CMapStringToString request;
    request.SetAt("Function", "List");
    request.SetAt("Parameter.1", "PlanetsNum");
    request.SetAt("Parameters.Count", "1");
    ASSERT_TRUE(answerer.Answer(request));
    // GameName and Turn were absent and must stay so: reading never inserts.
    EXPECT_EQ((Reply{{"Function", "List"}, {"Parameter.1", "PlanetsNum"}, {"Parameters.Count", "1"}, {"Count", "6"}}),
              Entries(request));
}

TEST_F(QueryAnswererTest, RandomRequestMapsNeverCrash) {
    // Words drawn from the protocol's own vocabulary, so many maps come close to real queries.
    const std::vector<std::string> words = {"", "Get", "List", "Selection", "Add", "Planet", "Race", "ShipType",
                                            "Group", "Groups", "PlanetsAndRange", "PlanetsNum", "ShipTypes",
                                            "#1", "#0", "#-3", "#99999999999", "7", "51507", "Owner", "1e308",
                                            "-0", "Blue", "Moon", "SendGroup", "7 #2 1", "3", "0", "1000000"};
    std::mt19937 random(20261207);
    auto pick = [&] { return words[random() % words.size()]; };
    for (int round = 0; round < 3000; ++round) {
        CMapStringToString request;
        request.SetAt("Function", pick().c_str());
        const int parameters = static_cast<int>(random() % 6);
        for (int k = 1; k <= parameters; ++k) {
            if (random() % 5 != 0) {
                request.SetAt(("Parameter." + std::to_string(k)).c_str(), pick().c_str());
            }
        }
        request.SetAt("Parameters.Count", random() % 4 == 0 ? pick().c_str() : std::to_string(parameters).c_str());
        answerer.Answer(request); // must return, whatever the map holds
    }
    SUCCEED();
}

TEST_F(QueryAnswererTest, AddIsJudgedAndLaterQueriesSeeTheNewGroup) {
    CMapStringToString request;
    test::EncodeList("Add", {"SendGroup", "7 #2 1", "7 #6 1"}, request);
    EXPECT_TRUE(answerer.Answer(request));
    ASSERT_EQ(2U, answerer.OrderResults().size());
    EXPECT_TRUE(answerer.OrderResults()[0].accepted);
    EXPECT_FALSE(answerer.OrderResults()[1].accepted);
    EXPECT_EQ((Reply{{"Count", "3"}, {"1", "3"}, {"2", "4"}, {"3", "21"}}), Ask("List Groups #2 Vexari"));
    EXPECT_EQ("11", Ask("Selection 51507 Count")["1"]);
    EXPECT_EQ("#1", Ask("Get Group 21")["Source"]);
}

} // namespace
} // namespace host
