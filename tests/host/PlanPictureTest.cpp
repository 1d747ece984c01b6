// PlanPictureTest.cpp - the plan picture: well-formed XML, the expected elements, orders told apart, names escaped.
#include "host/PlanPicture.h"

#include "host/Galaxy.h"
#include "host/OrderChecker.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

namespace {

using host::Galaxy;
using host::GalaxyContent;
using host::OrderResult;

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

/// Source S with the selected group 7; relays at R1 (group 17) and R2 (group 22) lead to D.
Galaxy PictureGalaxy() {
    GalaxyContent content;
    content.game = "Tom & Jerry's <Cluster>";
    content.turn = 5;
    content.races = {{"Solvani", 1.0}, {"Keth", 1.0}};
    content.planets = {{"Source", 0, 0, "Solvani"}, {"Near", 5, 0, ""},     {"R1", 0, 8, ""},
                       {"R2", 0, 16, ""},          {"Far \"D\"", 0, 24, ""}, {"Keth Home", 300, 300, "Keth"}};
    content.shipTypes = {{"Solvani", "Long Courier", 1, 0, 0, 0, 0}};
    content.groups = {{7, "Solvani", "Long Courier", 1, 5, 10.0, 0, ""},
                      {17, "Solvani", "Long Courier", 3, 1, 10.0, 0, ""},
                      {22, "Solvani", "Long Courier", 4, 1, 10.0, 0, ""}};
    content.selection = 7;
    return Galaxy(std::move(content));
}

OrderResult Accepted(std::int32_t group, std::int32_t from, std::int32_t to) {
    OrderResult result;
    result.accepted = true;
    result.group = group;
    result.origin = from;
    result.destination = to;
    return result;
}

TEST(PlanPictureTest, WellFormedWithEveryPart) {
    const Galaxy galaxy = PictureGalaxy();
    OrderResult refused;
    refused.group = 7;
    refused.destination = 6;
    refused.reason = "too far";
    const std::vector<OrderResult> orders = {Accepted(7, 1, 2), Accepted(7, 1, 3), Accepted(17, 3, 4),
                                             Accepted(22, 4, 5), refused};
    const std::string svg = host::DrawPlanSvg(galaxy, 7, orders);

    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"", 0), 0u);
    EXPECT_EQ(Count(svg, "class=\"planet\""), 6u);
    EXPECT_EQ(Count(svg, "class=\"source\""), 1u);
    EXPECT_EQ(Count(svg, "class=\"direct\""), 1u);  // Source -> Near
    EXPECT_EQ(Count(svg, "class=\"relay\" x1"), 3u); // Source -> R1 -> R2 -> D, one chain
    EXPECT_EQ(Count(svg, "class=\"relay\" cx"), 2u); // R1 and R2 marked as relay planets
    EXPECT_EQ(Count(svg, "class=\"refused\""), 1u);
    EXPECT_NE(svg.find("<g id=\"legend\""), std::string::npos);
    EXPECT_NE(svg.find("1 direct, 1 relay chains"), std::string::npos);
    // The chain keeps one colour from the source to the last hop.
    EXPECT_EQ(Count(svg, "marker-end=\"url(#head-chain0)\""), 3u + 1u); // three hops and the legend
}

TEST(PlanPictureTest, NamesAreEscaped) {
    const std::string svg = host::DrawPlanSvg(PictureGalaxy(), 7, {});
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_NE(svg.find("Tom &amp; Jerry&apos;s &lt;Cluster&gt;"), std::string::npos);
    EXPECT_NE(svg.find("Far &quot;D&quot;"), std::string::npos);
    EXPECT_EQ(host::EscapeXml("a\x01<b"), "a &lt;b");
}

TEST(PlanPictureTest, OwnReachableAndOtherPlanetsAreToldApart) {
    const std::string svg = host::DrawPlanSvg(PictureGalaxy(), 7, {});
    // Drive range is 40: five planets near the source are own or reachable, Keth Home is not.
    EXPECT_EQ(Count(svg, "fill=\"#2a9d8f\" stroke=\"#b7f0e6\"><title>"), 1u);  // own
    EXPECT_EQ(Count(svg, "fill=\"#1d3557\" stroke=\"#8ecae6\"><title>"), 4u);  // reachable
    EXPECT_EQ(Count(svg, "fill=\"#3a4256\" stroke=\"#5c6680\"><title>"), 1u);  // other
}

TEST(PlanPictureTest, RelaySendsWithoutALeadStillFormAChain) {
    const std::string svg = host::DrawPlanSvg(PictureGalaxy(), 7, {Accepted(17, 3, 4)});
    EXPECT_EQ(XmlProblem(svg), "");
    EXPECT_EQ(Count(svg, "class=\"relay\" x1"), 1u);
    EXPECT_EQ(Count(svg, "class=\"direct\""), 0u);
}

} // namespace
