// QueryAnswererTest.cpp - every query row answered from the small galaxy: formats, order, angles, split names, unknowns.
#include "answer/QueryAnswerer.h"

#include "host/HostTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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

/// printf's own text for a value with `places` decimals: what every answer must equal.
std::string PrintfText(int places, double value) {
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

GalaxyContent PlanetsOnlyContent(const std::vector<std::pair<double, double>>& positions) {
    GalaxyContent content;
    content.game = "Formats";
    content.turn = 1;
    content.races = {Race{"Vexari", 1.0}};
    for (std::size_t i = 0; i < positions.size(); ++i) {
        content.planets.push_back(Planet{"P" + std::to_string(i + 1), positions[i].first, positions[i].second, ""});
    }
    content.shipTypes = {ShipType{"Vexari", "Courier", 1, 0, 0, 0, 0}};
    content.groups = {Group{1, "Vexari", "Courier", 1, 1, 1.0, 0, ""}};
    content.selection = 1;
    return content;
}

TEST_F(QueryAnswererTest, DecimalsAreExactlyPrintfsTwoPlaces) {
    // Ties that are exact in binary round to even, as printf does; near-ties go by their binary value.
    const std::vector<std::pair<double, double>> positions = {
        {0.125, 0.375}, {2.675, -2.675}, {-0.001, -0.0}, {1e300, -1e300}, {123456789.005, 1e-7},
        {0.005, 0.015}, {-1234.5678, 99.995}, {4.999, 5.0049999}};
    galaxy = Galaxy(PlanetsOnlyContent(positions));
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const Reply reply = Ask("Get Planet #" + std::to_string(i + 1));
        EXPECT_EQ(PrintfText(2, positions[i].first), reply.at("X")) << "row " << i;
        EXPECT_EQ(PrintfText(2, positions[i].second), reply.at("Y")) << "row " << i;
    }
}

TEST_F(QueryAnswererTest, RangeAnglesFollowTheFormulasOnRandomGalaxy) {
    std::mt19937 random(99);
    std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
    std::vector<std::pair<double, double>> positions;
    for (int i = 0; i < 200; ++i) {
        positions.emplace_back(coordinate(random), coordinate(random));
    }
    galaxy = Galaxy(PlanetsOnlyContent(positions));
    auto at = [&](std::int32_t n) { return positions[static_cast<std::size_t>(n - 1)]; };
    for (int probe = 0; probe < 60; ++probe) {
        const auto a = static_cast<std::int32_t>(1 + random() % 200);
        const auto b = probe % 3 == 0 ? a : static_cast<std::int32_t>(1 + random() % 200);
        const Reply reply = Ask("List PlanetsAndRange #" + std::to_string(a) + " #" + std::to_string(b) + " 20.5");
        const int count = std::stoi(reply.at("Count"));
        int previous = 0;
        for (int i = 1; i <= count; ++i) {
            const std::int32_t v = std::stoi(reply.at("Planet." + std::to_string(i)).substr(1));
            ASSERT_GT(v, previous) << "probe " << probe << ": not ascending";
            previous = v;
            const double ux = at(b).first - at(a).first;
            const double uy = at(b).second - at(a).second;
            const double wx = at(v).first - at(a).first;
            const double wy = at(v).second - at(a).second;
            const double lu = std::sqrt(ux * ux + uy * uy);
            const double lw = std::sqrt(wx * wx + wy * wy);
            double expected = 0.0;
            if (v != a && a == b) {
                expected = std::atan2(wy, wx);
            } else if (v != a && lu != 0.0 && lw != 0.0) {
                expected = std::acos(std::max(-1.0, std::min(1.0, (ux * wx + uy * wy) / (lu * lw))));
            }
            EXPECT_LE(lw, 20.5) << "probe " << probe << ", planet " << v;
            EXPECT_EQ(PrintfText(6, expected), reply.at("Angle." + std::to_string(i)))
                << "probe " << probe << ", planet " << v;
        }
    }
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

TEST_F(QueryAnswererTest, RandomRequestMapsNeverCrashNorLoseRequestKeys) {
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
        // Whatever the map holds, the answer returns, never drops a key of the
        // request, and leaves the map as it was when it gives an empty reply.
        const Reply before = Entries(request);
        const bool understood = answerer.Answer(request);
        const Reply after = Entries(request);
        for (const auto& [key, value] : before) {
            ASSERT_TRUE(after.contains(key)) << "round " << round << ": request key " << key << " removed";
        }
        if (!understood) {
            ASSERT_EQ(before, after) << "round " << round << ": an empty reply changed the map";
        }
    }
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
