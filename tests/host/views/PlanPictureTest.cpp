// PlanPictureTest.cpp - the plan picture: well-formed XML, planets by their part, framing, endings, escaping.
#include "views/PlanPicture.h"

#include "host/PlanTestSupport.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>
#include <vector>

namespace {

using host::Galaxy;
using host::GalaxyContent;
using host::OrderResult;
using host::RunOutcome;
using namespace host::test;

/// A small XML well-formedness check: balanced tags, quoted attributes, known entities only.
/// Returns an empty text when `xml` is well formed, else what is wrong.
std::string XmlProblem(const std::string& xml) {
    std::vector<std::string> open;
    std::size_t i = 0;
    if (xml.rfind("<?xml", 0) == 0) {
        i = xml.find("?>") + 2;
    }
    while (i < xml.size()) {
        if (xml[i] == '&') {
            const std::size_t end = xml.find(';', i);
            const std::string entity = end == std::string::npos ? "" : xml.substr(i, end - i + 1);
            if (entity != "&amp;" && entity != "&lt;" && entity != "&gt;" && entity != "&quot;" && entity != "&apos;") {
                return "bad entity at " + std::to_string(i);
            }
            i = end + 1;
        } else if (xml[i] == '<') {
            const std::size_t end = xml.find('>', i);
            if (end == std::string::npos) {
                return "unclosed tag at " + std::to_string(i);
            }
            std::string tag = xml.substr(i + 1, end - i - 1);
            const bool closing = !tag.empty() && tag.front() == '/';
            const bool selfClosing = !tag.empty() && tag.back() == '/';
            std::size_t quotes = 0;
            for (char ch : tag) {
                quotes += ch == '"' ? 1 : 0;
                if (ch == '<') {
                    return "'<' inside a tag at " + std::to_string(i);
                }
            }
            if (quotes % 2 != 0) {
                return "unbalanced quotes at " + std::to_string(i);
            }
            std::string name;
            for (std::size_t k = closing ? 1 : 0; k < tag.size() && !std::isspace(static_cast<unsigned char>(tag[k])) && tag[k] != '/'; ++k) {
                name += tag[k];
            }
            if (closing) {
                if (open.empty() || open.back() != name) {
                    return "mismatched </" + name + ">";
                }
                open.pop_back();
            } else if (!selfClosing) {
                open.push_back(name);
            }
            i = end + 1;
        } else {
            ++i;
        }
    }
    return open.empty() ? "" : "unclosed <" + open.back() + ">";
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}


TEST(PlanPictureTest, WellFormedWithEveryPart) {
    const std::string svg = host::DrawPlanSvg(PlanGalaxy(), 7, ChainRun());

    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_EQ(Count(svg, "class=\"planet "), 7u);
    EXPECT_EQ(Count(svg, "class=\"direct\""), 1u);  // Source -> Near
    EXPECT_EQ(Count(svg, "class=\"relay\" x1"), 3u); // Source -> R1 -> R2 -> Far, one chain
    EXPECT_EQ(Count(svg, "class=\"refused\" x1"), 1u);
    EXPECT_NE(svg.find("<g id=\"legend\""), std::string::npos);
    EXPECT_NE(svg.find("4 ships sent: 1 direct, 3 in 1 relay chain (2 of them sent on by relay groups), "
                       "1 order refused"), std::string::npos);
    // The chain keeps one colour from the source to the last hop.
    EXPECT_EQ(Count(svg, "marker-end=\"url(#head-chain0)\""), 3u + 1u); // three hops and the legend
    EXPECT_EQ(svg.find("id=\"ending\""), std::string::npos) << "a plan that was made needs no note";
}

TEST(PlanPictureTest, PlanetsAreDrawnByTheirPartInThePlan) {
    const std::string svg = host::DrawPlanSvg(PlanGalaxy(), 7, ChainRun());
    const struct {
        const char* role;
        std::size_t count;
    } rows[] = {{"source", 1}, {"relay", 2},    {"target", 2}, {"refused", 1},
                {"in-reach", 1} /* Outpost: own, but in reach of the source */, {"own", 0}, {"other", 0}};
    for (const auto& row : rows) {
        EXPECT_EQ(Count(svg, std::string("class=\"planet ") + row.role + "\""), row.count) << row.role;
    }
    // Every planet of the plan is named, the source in bold.
    for (const char* name : {">Near<", ">R1<", ">R2<", ">Far &quot;D&quot;<", ">Keth Home<"}) {
        EXPECT_EQ(Count(svg, name), 1u) << name;
    }
    EXPECT_NE(svg.find("font-weight=\"bold\" fill=\"#ffd166\">Source</text>"), std::string::npos);
    EXPECT_NE(svg.find("Every planet in the plan is named."), std::string::npos);
}

TEST(PlanPictureTest, TheReviewRingsEachPlanetItMarksAndSaysWhy) {
    for (const ReviewMarkRow& row : ReviewMarkRows()) {
        const std::string svg = host::DrawPlanSvg(PlanGalaxy(), 7, ChainRun(), &row.review);
        EXPECT_EQ(XmlProblem(svg), "") << row.note;
        EXPECT_EQ(Count(svg, "class=\"mark "), 1u) << row.note;
        EXPECT_EQ(Count(svg, std::string("<circle class=\"mark ") + row.ring + "\""), 1u) << row.note;
        EXPECT_NE(svg.find("\n" + host::EscapeXml(row.note) + "</title>"), std::string::npos) << row.note;
        const bool left = std::string(row.ring) == "left";
        EXPECT_NE(svg.find(std::string(">Left in direct reach (") + (left ? "1" : "0") + ")<"),
                  std::string::npos) << row.note;
        EXPECT_NE(svg.find(std::string(">A best plan adds (") + (left ? "0" : "1") + ")<"), std::string::npos)
            << row.note;
    }
    // Without a review there is nothing to mark and no legend entry for it.
    const std::string plain = host::DrawPlanSvg(PlanGalaxy(), 7, ChainRun());
    EXPECT_EQ(plain.find("review-marks"), std::string::npos);
    EXPECT_EQ(plain.find("A best plan adds"), std::string::npos);
}

TEST(PlanPictureTest, NamesAreEscaped) {
    const std::string svg = host::DrawPlanSvg(PlanGalaxy(), 7, ChainRun());
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find("Tom &amp; Jerry&apos;s &lt;Cluster&gt;"), std::string::npos);
    EXPECT_NE(svg.find("Far &quot;D&quot;"), std::string::npos);
}

TEST(PlanPictureTest, EscapeXmlGivesWellFormedTextForAnyBytes) {
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"a\x01<b", "a &lt;b"},                             // a control character becomes a blank
        {"tab\tand\nline", "tab\tand\nline"},               // allowed as they are
        {"\xD0\x9C\xD0\xB8\xD1\x80", "\xD0\x9C\xD0\xB8\xD1\x80"}, // Cyrillic stays
        {"bad\xFFz", "bad\xEF\xBF\xBDz"},                   // a byte that starts nothing
        {"cut\xD0", "cut\xEF\xBF\xBD"},                     // a sequence cut short at the end
        {"\xC0\xAF", "\xEF\xBF\xBD\xEF\xBF\xBD"},           // an overlong '/'
        {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}, // a surrogate
    };
    for (const auto& row : rows) {
        EXPECT_EQ(host::EscapeXml(row.in), row.out) << row.in;
    }
}

TEST(PlanPictureTest, ARunWithoutAPlanSaysWhy) {
    RunOutcome cancelled = RunWith({});
    cancelled.cancelPressed = true;
    RunOutcome message = RunWith({});
    message.messageBox = "Group is not on planet!!!";
    const struct {
        RunOutcome outcome;
        const char* note;
    } rows[] = {{cancelled, "Cancelled: the plan was stopped before any order was sent"},
                {message, "No plan: the plug-in showed a message: &quot;Group is not on planet!!!&quot;"},
                {RunWith({}), "The plan holds no orders"}};
    for (const auto& row : rows) {
        const std::string svg = host::DrawPlanSvg(PlanGalaxy(), 7, row.outcome);
        EXPECT_EQ(XmlProblem(svg), "") << row.note;
        EXPECT_NE(svg.find(std::string("id=\"ending\"")), std::string::npos) << row.note;
        EXPECT_EQ(Count(svg, row.note), 2u) << "under the title and over the empty plot: " << row.note;
    }
}

TEST(PlanPictureTest, HugeCoordinatesGiveNoInfiniteOrNaNNumbers) {
    GalaxyContent content = PlanGalaxy().Content();
    content.planets[5].x = 1.0e300;
    content.planets[5].y = -1.0e300;
    content.planets[1].x = -1.7e308;
    const std::string svg = host::DrawPlanSvg(Galaxy(std::move(content)), 7, ChainRun());
    EXPECT_EQ(XmlProblem(svg), "");
    for (const char* bad : {"nan", "inf", "e+"}) {
        EXPECT_EQ(svg.find(bad), std::string::npos) << bad;
    }
}

/// 30 x 30 planets 10 apart; the selected group at the corner planet reaches its neighbours.
Galaxy GridGalaxy() {
    GalaxyContent content;
    content.game = "Grid";
    content.races = {{"Solvani", 1.0}};
    for (int row = 0; row < 30; ++row) {
        for (int column = 0; column < 30; ++column) {
            std::string name = "P"; // appended, not "P" + ...: GCC 12 at -O2 misreads that as overlapping
            name += std::to_string(row);
            name += '_';
            name += std::to_string(column);
            content.planets.push_back({std::move(name), column * 10.0, row * 10.0, ""});
        }
    }
    content.shipTypes = {{"Solvani", "Courier", 1, 0, 0, 0, 0}};
    content.groups = {{1, "Solvani", "Courier", 1, 5, 15.0, 0, ""}};
    content.selection = 1;
    return Galaxy(std::move(content));
}

TEST(PlanPictureTest, ASmallPlanIsFramedWithAnOverviewOfTheGalaxy) {
    const std::string svg = host::DrawPlanSvg(GridGalaxy(), 1, RunWith({Accepted(1, 1, 2), Accepted(1, 1, 31)}));
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find("<g id=\"overview\">"), std::string::npos);
    EXPECT_LT(Count(svg, "class=\"planet "), 100u) << "only the planets of the frame are drawn in the plot";
    EXPECT_GE(Count(svg, "class=\"planet "), 4u);

    const std::string whole = host::DrawPlanSvg(GridGalaxy(), 1, RunWith({Accepted(1, 1, 900)}));
    EXPECT_EQ(whole.find("<g id=\"overview\">"), std::string::npos) << "the plan spans the galaxy";
    EXPECT_EQ(Count(whole, "class=\"planet "), 900u);
}

TEST(PlanPictureTest, TheOverviewOfALargeGalaxyDrawsEachSpotOnce) {
    const std::string svg = host::DrawPlanSvg(PlanGalaxyWithMany(100000), 7, ChainRun());
    EXPECT_EQ(XmlProblem(svg), "");
    const std::size_t overview = svg.find("<g id=\"overview\">");
    ASSERT_NE(overview, std::string::npos);
    // 100 000 planets on a 317-unit square, a quarter of the overview's width: some forty dots across.
    const std::size_t dots = Count(svg.substr(overview), "h0");
    EXPECT_GT(dots, 500u);
    EXPECT_LT(dots, 5000u);
    EXPECT_LT(svg.size(), 1000000u);
}

TEST(PlanPictureTest, CrowdedNamesAreLeftOutAndTheLegendSaysSo) {
    // Forty planets in a row, a tenth of a unit apart, all reached from the source.
    GalaxyContent content = GridGalaxy().Content();
    std::vector<OrderResult> orders;
    for (int i = 0; i < 40; ++i) {
        content.planets.push_back({"Crowded" + std::to_string(i), 5.0 + i * 0.1, 5.0, ""});
        orders.push_back(Accepted(1, 1, 901 + i));
    }
    const std::string svg = host::DrawPlanSvg(Galaxy(std::move(content)), 1, RunWith(orders));
    EXPECT_EQ(XmlProblem(svg), "");
    const std::size_t named = Count(svg, ">Crowded");
    EXPECT_GT(named, 0u);
    EXPECT_LT(named, 40u);
    EXPECT_NE(svg.find(" of 41 planets in the plan named;"), std::string::npos);
    EXPECT_NE(svg.find("fill=\"#ffd166\">P0_0</text>"), std::string::npos) << "the source is always named";
}

} // namespace
