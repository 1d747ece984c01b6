// PlanPicture.cpp - laying out planets and orders and writing them as SVG.
#include "host/PlanPicture.h"

#include "host/NumberText.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <sstream>

namespace host {
namespace {

constexpr double kPlotWidth = 1000.0;
constexpr double kMaxPlotHeight = 900.0;
constexpr double kMinPlotHeight = 420.0;
constexpr double kMargin = 48.0;      // room for labels at the edges
constexpr double kTitleHeight = 56.0;
constexpr double kLegendWidth = 270.0;
constexpr double kLegendGap = 40.0;  // keeps labels of the easternmost planets clear of the legend
constexpr std::size_t kLabelEveryPlanetUpTo = 150;

constexpr const char* kBackground = "#0d1321";
constexpr const char* kDirectColour = "#8ecae6";
constexpr const char* kRefusedColour = "#ef476f";
constexpr std::array<const char*, 6> kChainColours = {"#f4a261", "#c77dff", "#ff70a6",
                                                      "#f9c74f", "#e76f51", "#90be6d"};

enum class PlanetKind { Other, Reachable, Own };

struct PlanetStyle {
    const char* fill;
    const char* stroke;
    const char* label;
};

PlanetStyle StyleOf(PlanetKind kind) {
    switch (kind) {
    case PlanetKind::Own:
        return {"#2a9d8f", "#b7f0e6", "Own planet"};
    case PlanetKind::Reachable:
        return {"#1d3557", "#8ecae6", "Within drive range"};
    case PlanetKind::Other:
        break;
    }
    return {"#3a4256", "#5c6680", "Other planet"};
}

/// A picture coordinate or length with one place; a tenth of a pixel is as fine as a picture needs.
std::string Number(double value) { return FixedText(value, 1); }

/// An order drawn as an arrow from one planet to another.
struct Arrow {
    std::int32_t from = 0;
    std::int32_t to = 0;
    int chain = -1; // index into the chain colours; -1 for a direct send
    bool refused = false;
};

/// Orders sorted into arrows: direct sends, relay chains (numbered), refused orders.
class PlanLayout {
public:
    PlanLayout(const Galaxy& galaxy, std::int32_t selectedGroup, const std::vector<OrderResult>& orders)
        : galaxy_(galaxy), selectedGroup_(selectedGroup) {
        std::vector<const OrderResult*> relayed;
        for (const OrderResult& order : orders) {
            if (!order.accepted) {
                AddRefused(order);
            } else if (order.group != selectedGroup_) {
                relayed.push_back(&order);
                relayPlanets_.insert(order.origin);
            }
        }
        for (const OrderResult& order : orders) {
            if (order.accepted && order.group == selectedGroup_) {
                AddSelectedSend(order, relayed);
            }
        }
        // Relay sends that no send of the selection led to still form chains of their own.
        for (const OrderResult* order : relayed) {
            if (order != nullptr) {
                arrows_.push_back({order->origin, order->destination, chainCount_++, false});
            }
        }
    }

    const std::vector<Arrow>& Arrows() const { return arrows_; }
    const std::set<std::int32_t>& RelayPlanets() const { return relayPlanets_; }
    int ChainCount() const { return chainCount_; }
    std::size_t DirectCount() const {
        return static_cast<std::size_t>(std::count_if(arrows_.begin(), arrows_.end(), [](const Arrow& a) {
            return a.chain < 0 && !a.refused;
        }));
    }

private:
    void AddSelectedSend(const OrderResult& order, std::vector<const OrderResult*>& relayed) {
        if (relayPlanets_.count(order.destination) == 0) {
            arrows_.push_back({order.origin, order.destination, -1, false});
            return;
        }
        const int chain = chainCount_++;
        arrows_.push_back({order.origin, order.destination, chain, false});
        // Follow the ship on: each relay hands on from the planet the previous hop reached.
        std::int32_t at = order.destination;
        for (bool extended = true; extended;) {
            extended = false;
            for (const OrderResult*& next : relayed) {
                if (next != nullptr && next->origin == at) {
                    arrows_.push_back({next->origin, next->destination, chain, false});
                    at = next->destination;
                    next = nullptr; // each relay order belongs to one chain
                    extended = true;
                    break;
                }
            }
        }
    }

    void AddRefused(const OrderResult& order) {
        const Group* group = galaxy_.FindGroup(order.group);
        if (group == nullptr || !galaxy_.HasPlanet(order.destination)) {
            return; // nothing to draw it between
        }
        const std::int32_t from = group->InOrbit() ? group->planet : group->from;
        if (galaxy_.HasPlanet(from)) {
            arrows_.push_back({from, order.destination, -1, true});
        }
    }

    const Galaxy& galaxy_;
    std::int32_t selectedGroup_;
    std::vector<Arrow> arrows_;
    std::set<std::int32_t> relayPlanets_;
    int chainCount_ = 0;
};

/// Galaxy coordinates to picture coordinates, keeping the galaxy's proportions.
class Viewport {
public:
    explicit Viewport(const std::vector<Planet>& planets) {
        double minX = 0.0, maxX = 1.0, minY = 0.0, maxY = 1.0;
        if (!planets.empty()) {
            minX = maxX = planets.front().x;
            minY = maxY = planets.front().y;
            for (const Planet& planet : planets) {
                minX = std::min(minX, planet.x);
                maxX = std::max(maxX, planet.x);
                minY = std::min(minY, planet.y);
                maxY = std::max(maxY, planet.y);
            }
        }
        const double spanX = std::max(maxX - minX, 1.0);
        const double spanY = std::max(maxY - minY, 1.0);
        plotHeight_ = std::clamp(kPlotWidth * spanY / spanX, kMinPlotHeight, kMaxPlotHeight);
        scale_ = std::min(kPlotWidth / spanX, plotHeight_ / spanY);
        minX_ = minX;
        minY_ = minY;
        // Centre the galaxy in the plot when one side is narrower than the area.
        offsetX_ = kMargin + (kPlotWidth - spanX * scale_) / 2.0;
        offsetY_ = kTitleHeight + kMargin + (plotHeight_ - spanY * scale_) / 2.0;
    }

    double X(double x) const { return offsetX_ + (x - minX_) * scale_; }
    double Y(double y) const { return offsetY_ + (y - minY_) * scale_; }
    double Width() const { return kMargin * 2 + kPlotWidth + kLegendGap + kLegendWidth; }
    double Scale() const { return scale_; }
    double Height() const { return kTitleHeight + kMargin * 2 + plotHeight_; }
    double LegendX() const { return kMargin * 2 + kPlotWidth + kLegendGap; }

private:
    double minX_ = 0.0;
    double minY_ = 0.0;
    double scale_ = 1.0;
    double offsetX_ = 0.0;
    double offsetY_ = 0.0;
    double plotHeight_ = kMinPlotHeight;
};

std::vector<PlanetKind> ClassifyPlanets(const Galaxy& galaxy, const std::string& race) {
    std::vector<PlanetKind> kinds(galaxy.Planets().size(), PlanetKind::Other);
    const Race* owner = galaxy.FindRace(race);
    const double driveRange = owner != nullptr ? owner->drivesTech * 40.0 : 0.0;
    std::vector<std::int32_t> near;
    for (std::int32_t number = 1; number <= galaxy.PlanetCount(); ++number) {
        if (galaxy.PlanetAt(number).owner != race) {
            continue;
        }
        kinds[number - 1] = PlanetKind::Own;
        near.clear();
        galaxy.PlanetsWithinRange(number, driveRange, near);
        for (std::int32_t reached : near) {
            PlanetKind& kind = kinds[reached - 1];
            kind = kind == PlanetKind::Own ? kind : PlanetKind::Reachable;
        }
    }
    return kinds;
}

const char* ArrowColour(const Arrow& arrow) {
    if (arrow.refused) {
        return kRefusedColour;
    }
    return arrow.chain < 0 ? kDirectColour : kChainColours[static_cast<std::size_t>(arrow.chain) % kChainColours.size()];
}

std::string MarkerId(const Arrow& arrow) {
    if (arrow.refused) {
        return "head-refused";
    }
    return arrow.chain < 0 ? "head-direct"
                           : "head-chain" + std::to_string(static_cast<std::size_t>(arrow.chain) % kChainColours.size());
}

void WriteMarker(std::ostringstream& svg, const std::string& id, const char* colour) {
    svg << "    <marker id=\"" << id << "\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"5\" "
        << "markerHeight=\"5\" orient=\"auto-start-reverse\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\""
        << colour << "\"/></marker>\n";
}

class SvgPlan {
public:
    SvgPlan(const Galaxy& galaxy, std::int32_t selectedGroup, const std::vector<OrderResult>& orders)
        : galaxy_(galaxy), layout_(galaxy, selectedGroup, orders), view_(galaxy.Planets()) {
        const Group* selected = galaxy.FindGroup(selectedGroup);
        if (selected != nullptr) {
            selected_ = *selected;
            source_ = selected->InOrbit() ? selected->planet : selected->from;
        }
        kinds_ = ClassifyPlanets(galaxy, selected_.race);
        radius_ = galaxy.Planets().size() <= 500 ? 5.0 : galaxy.Planets().size() <= 5000 ? 3.0 : 1.5;
        for (const OrderResult& order : orders) {
            shipsSent_ += order.accepted ? 1 : 0;
        }
    }

    std::string Write() {
        svg_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Number(view_.Width())
             << "\" height=\"" << Number(view_.Height()) << "\" viewBox=\"0 0 " << Number(view_.Width())
             << ' ' << Number(view_.Height()) << "\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n";
        WriteDefinitions();
        svg_ << "  <rect width=\"100%\" height=\"100%\" fill=\"" << kBackground << "\"/>\n";
        WriteTitle();
        WritePlanets();
        WriteArrows();
        WriteLabels();
        WriteLegend();
        svg_ << "</svg>\n";
        return svg_.str();
    }

private:
    void WriteDefinitions() {
        svg_ << "  <defs>\n";
        WriteMarker(svg_, "head-direct", kDirectColour);
        WriteMarker(svg_, "head-refused", kRefusedColour);
        for (std::size_t i = 0; i < kChainColours.size(); ++i) {
            WriteMarker(svg_, "head-chain" + std::to_string(i), kChainColours[i]);
        }
        svg_ << "    <radialGradient id=\"source-glow\"><stop offset=\"0%\" stop-color=\"#ffd166\" "
             << "stop-opacity=\"0.55\"/><stop offset=\"100%\" stop-color=\"#ffd166\" stop-opacity=\"0\"/>"
             << "</radialGradient>\n  </defs>\n";
    }

    void WriteTitle() {
        svg_ << "  <g id=\"title\" fill=\"#e0e6f0\">\n"
             << "    <text x=\"" << Number(kMargin) << "\" y=\"30\" font-size=\"20\" font-weight=\"bold\">"
             << EscapeXml(galaxy_.Game()) << ", turn " << galaxy_.Turn() << "</text>\n"
             << "    <text x=\"" << Number(kMargin) << "\" y=\"50\" font-size=\"13\" fill=\"#aab4c8\">Group "
             << selected_.number << " (" << EscapeXml(selected_.type) << ", " << EscapeXml(selected_.race)
             << ") from " << EscapeXml(PlanetName(source_)) << ": " << shipsSent_ << " ships sent, "
             << layout_.DirectCount() << " direct, " << layout_.ChainCount() << " relay chains</text>\n"
             << "  </g>\n";
    }

    void WritePlanets() {
        svg_ << "  <g id=\"planets\" stroke-width=\"1.2\">\n";
        if (galaxy_.HasPlanet(source_)) {
            const Planet& source = galaxy_.PlanetAt(source_);
            // The group's reach: where its ships can go without a relay.
            svg_ << "    <circle class=\"reach\" cx=\"" << Number(view_.X(source.x)) << "\" cy=\""
                 << Number(view_.Y(source.y)) << "\" r=\"" << Number(selected_.speed * view_.Scale())
                 << "\" fill=\"#ffd166\" fill-opacity=\"0.04\" stroke=\"#ffd166\" stroke-opacity=\"0.35\" "
                 << "stroke-dasharray=\"4 4\"/>\n";
            svg_ << "    <circle cx=\"" << Number(view_.X(source.x)) << "\" cy=\"" << Number(view_.Y(source.y))
                 << "\" r=\"" << Number(radius_ * 5) << "\" fill=\"url(#source-glow)\"/>\n";
        }
        for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
            const Planet& planet = galaxy_.PlanetAt(number);
            const PlanetStyle style = StyleOf(kinds_[number - 1]);
            svg_ << "    <circle class=\"planet\" cx=\"" << Number(view_.X(planet.x)) << "\" cy=\""
                 << Number(view_.Y(planet.y)) << "\" r=\"" << Number(radius_) << "\" fill=\"" << style.fill
                 << "\" stroke=\"" << style.stroke << "\"><title>#" << number << ' '
                 << EscapeXml(planet.name) << "</title></circle>\n";
        }
        for (std::int32_t relay : layout_.RelayPlanets()) {
            if (galaxy_.HasPlanet(relay)) {
                svg_ << "    <circle class=\"relay\" cx=\"" << Number(view_.X(galaxy_.PlanetAt(relay).x))
                     << "\" cy=\"" << Number(view_.Y(galaxy_.PlanetAt(relay).y)) << "\" r=\""
                     << Number(radius_ + 3.5) << "\" fill=\"none\" stroke=\"#f4a261\" stroke-dasharray=\"2 2\"/>\n";
            }
        }
        if (galaxy_.HasPlanet(source_)) {
            svg_ << "    <circle class=\"source\" cx=\"" << Number(view_.X(galaxy_.PlanetAt(source_).x))
                 << "\" cy=\"" << Number(view_.Y(galaxy_.PlanetAt(source_).y)) << "\" r=\""
                 << Number(radius_ + 4) << "\" fill=\"none\" stroke=\"#ffd166\" stroke-width=\"2.5\"/>\n";
        }
        svg_ << "  </g>\n";
    }

    void WriteArrows() {
        svg_ << "  <g id=\"orders\" fill=\"none\" stroke-linecap=\"round\">\n";
        for (const Arrow& arrow : layout_.Arrows()) {
            const Planet& from = galaxy_.PlanetAt(arrow.from);
            const Planet& to = galaxy_.PlanetAt(arrow.to);
            const double x1 = view_.X(from.x), y1 = view_.Y(from.y);
            const double x2 = view_.X(to.x), y2 = view_.Y(to.y);
            const double length = std::hypot(x2 - x1, y2 - y1);
            if (length < 1e-6) {
                continue; // an order to the planet it leaves has no direction to draw
            }
            // Start and end at the rims, so that heads and planets do not overlap.
            const double trim = std::min(radius_ + 2.0, length / 3.0);
            const double ux = (x2 - x1) / length, uy = (y2 - y1) / length;
            const char* kind = arrow.refused ? "refused" : arrow.chain < 0 ? "direct" : "relay";
            svg_ << "    <line class=\"" << kind << "\" x1=\"" << Number(x1 + ux * trim) << "\" y1=\""
                 << Number(y1 + uy * trim) << "\" x2=\"" << Number(x2 - ux * trim) << "\" y2=\""
                 << Number(y2 - uy * trim) << "\" stroke=\"" << ArrowColour(arrow) << "\" stroke-width=\""
                 << (arrow.chain < 0 ? "1.8" : "2.2") << '"';
            if (arrow.refused) {
                svg_ << " stroke-dasharray=\"2 4\"";
            } else if (arrow.chain >= 0) {
                svg_ << " stroke-dasharray=\"7 4\"";
            }
            svg_ << " marker-end=\"url(#" << MarkerId(arrow) << ")\"/>\n";
        }
        svg_ << "  </g>\n";
    }

    void WriteLabels() {
        std::set<std::int32_t> labelled;
        if (galaxy_.Planets().size() <= kLabelEveryPlanetUpTo) {
            for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
                labelled.insert(number);
            }
        }
        labelled.insert(source_);
        for (const Arrow& arrow : layout_.Arrows()) {
            labelled.insert(arrow.from);
            labelled.insert(arrow.to);
        }
        svg_ << "  <g id=\"labels\" font-size=\"11\" fill=\"#c9d2e3\">\n";
        for (std::int32_t number : labelled) {
            if (!galaxy_.HasPlanet(number)) {
                continue;
            }
            const Planet& planet = galaxy_.PlanetAt(number);
            const bool strong = number == source_;
            svg_ << "    <text x=\"" << Number(view_.X(planet.x) + radius_ + 3) << "\" y=\""
                 << Number(view_.Y(planet.y) - radius_ - 2) << '"'
                 << (strong ? " font-weight=\"bold\" fill=\"#ffd166\"" : "") << '>' << EscapeXml(planet.name)
                 << "</text>\n";
        }
        svg_ << "  </g>\n";
    }

    void WriteLegend() {
        const double x = view_.LegendX();
        double y = kTitleHeight + kMargin;
        svg_ << "  <g id=\"legend\" font-size=\"12\" fill=\"#e0e6f0\">\n"
             << "    <rect x=\"" << Number(x - 14) << "\" y=\"" << Number(y - 24) << "\" width=\""
             << Number(kLegendWidth - 20) << "\" height=\"264\" rx=\"8\" fill=\"#151d30\" stroke=\"#2c3a57\"/>\n"
             << "    <text x=\"" << Number(x) << "\" y=\"" << Number(y) << "\" font-weight=\"bold\">Legend</text>\n";
        y += 26;
        svg_ << "    <circle cx=\"" << Number(x + 8) << "\" cy=\"" << Number(y - 4)
             << "\" r=\"7\" fill=\"none\" stroke=\"#ffd166\" stroke-width=\"2.5\"/>\n";
        LegendText(x, y, "Source of the group");
        y += 24;
        svg_ << "    <circle cx=\"" << Number(x + 8) << "\" cy=\"" << Number(y - 4) << "\" r=\"8\" fill=\"#ffd166\" "
             << "fill-opacity=\"0.04\" stroke=\"#ffd166\" stroke-opacity=\"0.5\" stroke-dasharray=\"3 3\"/>\n";
        LegendText(x, y, "Reach of the group");
        for (PlanetKind kind : {PlanetKind::Own, PlanetKind::Reachable, PlanetKind::Other}) {
            y += 24;
            const PlanetStyle style = StyleOf(kind);
            svg_ << "    <circle cx=\"" << Number(x + 8) << "\" cy=\"" << Number(y - 4) << "\" r=\"5\" fill=\""
                 << style.fill << "\" stroke=\"" << style.stroke << "\"/>\n";
            LegendText(x, y, style.label);
        }
        y += 24;
        svg_ << "    <circle cx=\"" << Number(x + 8) << "\" cy=\"" << Number(y - 4)
             << "\" r=\"8\" fill=\"none\" stroke=\"#f4a261\" stroke-dasharray=\"2 2\"/>\n";
        LegendText(x, y, "Relay planet");
        y += 26;
        LegendLine(x, y, kDirectColour, "", "head-direct", "Direct send");
        y += 26;
        LegendLine(x, y, kChainColours[0], "7 4", "head-chain0", "Relay chain (one colour each)");
        y += 26;
        LegendLine(x, y, kRefusedColour, "2 4", "head-refused", "Refused by the host");
        svg_ << "  </g>\n";
    }

    void LegendText(double x, double y, const char* text) {
        svg_ << "    <text x=\"" << Number(x + 26) << "\" y=\"" << Number(y) << "\">" << text << "</text>\n";
    }

    void LegendLine(double x, double y, const char* colour, const char* dashes, const char* marker,
                    const char* text) {
        svg_ << "    <line x1=\"" << Number(x) << "\" y1=\"" << Number(y - 4) << "\" x2=\"" << Number(x + 18)
             << "\" y2=\"" << Number(y - 4) << "\" stroke=\"" << colour << "\" stroke-width=\"2\""
             << (*dashes != '\0' ? std::string(" stroke-dasharray=\"") + dashes + "\"" : std::string())
             << " marker-end=\"url(#" << marker << ")\"/>\n";
        LegendText(x, y, text);
    }

    std::string PlanetName(std::int32_t number) const {
        return galaxy_.HasPlanet(number) ? galaxy_.PlanetAt(number).name : std::string("?");
    }

    const Galaxy& galaxy_;
    PlanLayout layout_;
    Viewport view_;
    Group selected_;
    std::int32_t source_ = 0;
    std::vector<PlanetKind> kinds_;
    double radius_ = 5.0;
    std::int32_t shipsSent_ = 0;
    std::ostringstream svg_;
};

} // namespace

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        case '\t':
        case '\n':
        case '\r': out += ch; break;
        default:
            // Other control characters are not allowed in XML 1.0 at all.
            out += static_cast<unsigned char>(ch) < 0x20 ? ' ' : ch;
            break;
        }
    }
    return out;
}

std::string DrawPlanSvg(const Galaxy& galaxy, std::int32_t selectedGroup,
                        const std::vector<OrderResult>& orders) {
    return SvgPlan(galaxy, selectedGroup, orders).Write();
}

} // namespace host
