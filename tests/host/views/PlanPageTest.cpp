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
