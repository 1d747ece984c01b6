// PlanPageTest.cpp - the plan page as text: self-contained, its data block whole and safe, names kept apart from markup.
#include "views/PlanPage.h"

#include "host/PlanTestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

namespace {

using namespace host::test;

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

/// The JSON between the data block's tags, parsed; fails the test when the block is not there.
nlohmann::json DataBlock(const std::string& page) {
    const std::string open = "<script id=\"plan-data\" type=\"application/json\">";
    const std::size_t start = page.find(open);
    const std::size_t end = page.find("</script>", start);
    EXPECT_NE(start, std::string::npos);
    EXPECT_NE(end, std::string::npos);
    return nlohmann::json::parse(page.substr(start + open.size(), end - start - open.size()));
}

TEST(PlanPageTest, DataBlockHoldsThePlanetsArrowsAndOrders) {
    const std::string page = host::WritePlanPage(PlanGalaxy(), 7, ChainRun());
    const nlohmann::json data = DataBlock(page);
    EXPECT_EQ(data["planets"]["name"].size(), 7u);
    EXPECT_EQ(data["planets"]["name"][4], "Far \"D\"");
    EXPECT_EQ(data["owners"], (nlohmann::json{"", "Solvani", "Keth"}));
    EXPECT_EQ(data["planets"]["owner"], (nlohmann::json{1, 0, 0, 0, 0, 2, 1}));
    EXPECT_EQ(data["arrows"].size(), 5u);
    ASSERT_EQ(data["orders"].size(), 5u);
    // The second hop of the chain is given by relay group 17; the refused order says why.
    EXPECT_EQ(data["orders"][2]["relay"], true);
    EXPECT_EQ(data["orders"][0]["relay"], false);
    EXPECT_EQ(data["orders"][4]["reason"], "too far");
    EXPECT_EQ(data["source"], 1);
    EXPECT_EQ(data["participants"], (nlohmann::json{1, 3, 4, 2, 5, 6}));
    EXPECT_EQ(data["note"], "");
}

// A galaxy over 100 000 planets: the page carries the plan's planets by entries of its own, each
// with its planet number, and shades the rest of the galaxy by how many planets lie where.
TEST(PlanPageTest, ALargeGalaxyCarriesThePlanInFullAndTheRestAsADensityMap) {
    constexpr std::int32_t kExtra = 100000;
    const std::string page = host::WritePlanPage(PlanGalaxyWithMany(kExtra), 7, ChainRun());
    EXPECT_LT(page.size(), 2000000u);
    const nlohmann::json data = DataBlock(page);
    const nlohmann::json& planets = data["planets"];
    ASSERT_TRUE(planets.contains("number"));
    const auto numberOf = [&planets](const nlohmann::json& entry) { return planets["number"][entry.get<int>() - 1]; };
    EXPECT_EQ(planets["name"].size(), planets["number"].size());
    EXPECT_LT(planets["name"].size(), 100u);
    EXPECT_EQ(numberOf(data["source"]), 1);
    nlohmann::json participants = nlohmann::json::array();
    for (const auto& entry : data["participants"]) {
        participants.push_back(numberOf(entry));
    }
    EXPECT_EQ(participants, (nlohmann::json{1, 3, 4, 2, 5, 6}));
    const nlohmann::json& chainEnd = data["arrows"][3];
    EXPECT_EQ(numberOf(chainEnd["from"]), 4);
    EXPECT_EQ(planets["name"][chainEnd["to"].get<int>() - 1], "Far \"D\"");
    EXPECT_EQ(numberOf(data["orders"][4]["to"]), 6);

    const nlohmann::json& density = data["density"];
    int shaded = 0;
    for (const auto& cell : density["counts"]) {
        shaded += cell.get<int>();
    }
    EXPECT_EQ(shaded, density["planets"].get<int>());
    EXPECT_EQ(shaded + static_cast<int>(planets["name"].size()), kExtra + 7) << "every planet is shown once";
    EXPECT_EQ(density["counts"].size(), density["columns"].get<std::size_t>() * density["rows"].get<std::size_t>());
}

TEST(PlanPageTest, TheReviewsMarksCarryTheirLegendAndWhy) {
    for (const ReviewMarkRow& row : ReviewMarkRows()) {
        const nlohmann::json review = DataBlock(host::WritePlanPage(PlanGalaxy(), 7, ChainRun(), &row.review))["review"];
        ASSERT_EQ(review["planets"].size(), 1u) << row.note;
        const nlohmann::json& marked = review["planets"][0];
        EXPECT_EQ(marked["planet"], row.planet) << row.note;
        ASSERT_EQ(marked["marks"].size(), 1u) << row.note;
        EXPECT_EQ(review["legend"][marked["marks"][0].get<std::size_t>()]["key"], row.ring) << row.note;
        EXPECT_EQ(review["legend"][marked["marks"][0].get<std::size_t>()]["count"], 1) << row.note;
        EXPECT_EQ(marked["notes"], (nlohmann::json{row.note})) << row.note;
    }
    EXPECT_TRUE(DataBlock(host::WritePlanPage(PlanGalaxy(), 7, ChainRun()))["review"].is_null());
}

TEST(PlanPageTest, PageLoadsNothingFromOutside) {
    const std::string page = host::WritePlanPage(PlanGalaxy(), 7, ChainRun());
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    for (const char* outside : {"<link", " src=", "@import", "url(http", "fetch("}) {
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
    }
    EXPECT_EQ(Count(page, "{{"), 0u) << "every part of the skeleton is filled";
    EXPECT_EQ(Count(page, "<script"), 2u);
}

TEST(PlanPageTest, NamesCannotEndTheDataBlockOrFillAMarker) {
    host::GalaxyContent content = PlanGalaxy().Content();
    content.game = "{{script}} </script><script>alert(1)</script>";
    content.planets[1].name = "<!-- </SCRIPT> {{data}}";
    content.planets[2].name = std::string("bad\xFF") + "byte";
    const std::string page = host::WritePlanPage(host::Galaxy(std::move(content)), 7, ChainRun());
    EXPECT_EQ(Count(page, "</script>"), 2u) << "the data block's and the script's own ends only";
    EXPECT_EQ(Count(page, "alert(1)"), 2u) << "in the escaped title and in the data, never as markup";
    EXPECT_NE(page.find("<title>{{script}} &lt;/script&gt;"), std::string::npos);
    const nlohmann::json data = DataBlock(page);
    EXPECT_EQ(data["planets"]["name"][1], "<!-- </SCRIPT> {{data}}");
    EXPECT_EQ(data["planets"]["name"][2], "bad\xEF\xBF\xBD" "byte");
}

TEST(PlanPageTest, ARunWithoutAPlanCarriesItsNote) {
    host::RunOutcome message = RunWith({});
    message.messageBox = "Group is not on planet!!!";
    const nlohmann::json data = DataBlock(host::WritePlanPage(PlanGalaxy(), 7, message));
    EXPECT_EQ(data["note"], "No plan: the plug-in showed a message: \"Group is not on planet!!!\"");
    EXPECT_TRUE(data["arrows"].empty());
}

} // namespace
