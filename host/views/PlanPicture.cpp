// PlanPicture.cpp - the plan's scene written as SVG: title, framed plot, overview, legend.
#include "views/PlanPicture.h"

#include "text/NumberText.h"
#include "views/PlanScene.h"
#include "text/SafeText.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <sstream>
#include <unordered_set>

namespace host {
namespace {

constexpr double kMargin = 24.0;
constexpr double kPlotWidth = 1000.0;
constexpr double kMaxPlotHeight = 900.0;
constexpr std::int32_t kOverviewDotsInFull = 50000;
constexpr double kMinPlotHeight = 560.0;  // the legend and the overview need this much beside the plot
constexpr double kTitleHeight = 64.0;
constexpr double kNoteHeight = 26.0;
constexpr double kPanelWidth = 290.0;
constexpr double kLabelSize = 11.0;
constexpr std::size_t kLabelEveryPlanetUpTo = 150; // planets in the frame; above this only those in the plan

constexpr const char* kBackground = "#0d1321";
constexpr const char* kPanelFill = "#151d30";
constexpr const char* kPanelStroke = "#2c3a57";

/// A picture coordinate or length with one place. Scaling can only give a non-finite or absurd
/// value from absurd galaxy coordinates; those are clamped so the document stays valid.
std::string Number(double value) {
    constexpr double kLimit = 1.0e7;
    return FixedText(std::isnan(value) ? 0.0 : std::clamp(value, -kLimit, kLimit), 1);
}

/// Galaxy coordinates inside `box` to the plot rectangle at (left, top), keeping proportions.
class Viewport {
public:
    Viewport(const PlanBox& box, double left, double top, double width, double height)
        : box_(box), left_(left), top_(top) {
        const double spanX = std::max(box.Width(), 1e-9), spanY = std::max(box.Height(), 1e-9);
        scale_ = std::min(width / spanX, height / spanY);
        if (!std::isfinite(scale_) || scale_ <= 0.0) {
            scale_ = 1.0;
        }
        // Centre the box when one side is narrower than the plot.
        left_ += (width - spanX * scale_) / 2.0;
        top_ += (height - spanY * scale_) / 2.0;
    }

    double X(double x) const { return left_ + (x - box_.minX) * scale_; }
    double Y(double y) const { return top_ + (y - box_.minY) * scale_; }
    double Scale() const { return scale_; }

private:
    PlanBox box_;
    double left_;
    double top_;
    double scale_ = 1.0;
};

std::string ArrowColour(const PlanArrow& arrow) {
    if (arrow.refused) {
        return kRefusedColour;
    }
    return arrow.chain < 0 ? kDirectColour : kChainColours[static_cast<std::size_t>(arrow.chain) % kChainColourCount];
}

std::string ChainMarkerId(std::size_t colour) {
    std::string id = "head-chain";
    id += std::to_string(colour);
    return id;
}

std::string MarkerId(const PlanArrow& arrow) {
    if (arrow.refused) {
        return "head-refused";
    }
    return arrow.chain < 0 ? "head-direct"
                           : ChainMarkerId(static_cast<std::size_t>(arrow.chain) % kChainColourCount);
}

class SvgPlan {
public:
    explicit SvgPlan(const PlanScene& scene) : scene_(scene), galaxy_(scene.GalaxyDrawn()) {
        note_ = scene.EndingNote();
        plotTop_ = kTitleHeight + (note_.empty() ? 0.0 : kNoteHeight);
        const PlanBox& frame = scene.Frame();
        const double aspect = frame.Height() / std::max(frame.Width(), 1e-9);
        plotHeight_ = std::isfinite(aspect) ? std::clamp(kPlotWidth * aspect, kMinPlotHeight, kMaxPlotHeight)
                                            : kMinPlotHeight;
        for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
            const Planet& planet = galaxy_.PlanetAt(number);
            planetsInFrame_ += frame.Contains(planet.x, planet.y) ? 1 : 0;
        }
        // Dense frames get smaller planets, so that they stay apart.
        faded_ = planetsInFrame_ <= 500 ? 1.6 : planetsInFrame_ <= 3000 ? 1.0 : 0.7;
    }

    std::string Write() {
        const Viewport view(scene_.Frame(), kMargin, plotTop_, kPlotWidth, plotHeight_);
        svg_ << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             // Scaled to its window, whole: a window narrower than the picture still shows its legend.
             << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"100%\" height=\"100%\" viewBox=\"0 0 "
             << Number(Width()) << ' ' << Number(Height())
             << "\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n";
        WriteDefinitions();
        svg_ << "  <rect width=\"100%\" height=\"100%\" fill=\"" << kBackground << "\"/>\n";
        WriteTitle();
        svg_ << "  <g clip-path=\"url(#plot)\">\n";
        WritePlanets(view);
        WriteMarks(view);
        WriteArrows(view);
        WriteLabels(view);
        svg_ << "  </g>\n";
        WriteEmptyPlotNote();
        WriteLegend();
        if (scene_.FrameIsPartOfGalaxy()) {
            WriteOverview();
        }
        svg_ << "</svg>\n";
        return svg_.str();
    }

private:
    double Width() const { return kMargin * 3 + kPlotWidth + kPanelWidth; }
    double Height() const { return plotTop_ + plotHeight_ + kMargin; }
    double PanelX() const { return kMargin * 2 + kPlotWidth; }

    void WriteDefinitions() {
        svg_ << "  <defs>\n";
        WriteMarker("head-direct", kDirectColour);
        WriteMarker("head-refused", kRefusedColour);
        for (std::size_t i = 0; i < kChainColourCount; ++i) {
            WriteMarker(ChainMarkerId(i), kChainColours[i]);
        }
        svg_ << "    <clipPath id=\"plot\"><rect x=\"" << Number(kMargin) << "\" y=\"" << Number(plotTop_)
             << "\" width=\"" << Number(kPlotWidth) << "\" height=\"" << Number(plotHeight_) << "\"/></clipPath>\n"
             << "  </defs>\n";
    }

    void WriteMarker(const std::string& id, const char* colour) {
        svg_ << "    <marker id=\"" << id << "\" viewBox=\"0 0 10 10\" refX=\"9\" refY=\"5\" markerWidth=\"5\" "
             << "markerHeight=\"5\" orient=\"auto-start-reverse\"><path d=\"M0,0 L10,5 L0,10 z\" fill=\""
             << colour << "\"/></marker>\n";
    }

    void WriteTitle() {
        const Group& group = scene_.Selected();
        svg_ << "  <g id=\"title\" fill=\"#e0e6f0\">\n"
             << "    <text x=\"" << Number(kMargin) << "\" y=\"30\" font-size=\"20\" font-weight=\"bold\">"
             << EscapeXml(galaxy_.Game()) << ", turn " << galaxy_.Turn() << "</text>\n"
             << "    <text x=\"" << Number(kMargin) << "\" y=\"52\" font-size=\"13\" fill=\"#aab4c8\">Group "
             << group.number << " (" << EscapeXml(group.type) << ", " << EscapeXml(group.race) << ") from "
             << EscapeXml(PlanetName(scene_.Source())) << ": " << EscapeXml(scene_.SendsSummary()) << "</text>\n";
        if (!note_.empty()) {
            svg_ << "    <text id=\"ending\" x=\"" << Number(kMargin) << "\" y=\"" << Number(kTitleHeight + 14)
                 << "\" font-size=\"14\" font-weight=\"bold\" fill=\"#ffb4a2\">" << EscapeXml(note_) << "</text>\n";
        }
        svg_ << "  </g>\n";
    }

    void WritePlanets(const Viewport& view) {
        svg_ << "  <rect x=\"" << Number(kMargin) << "\" y=\"" << Number(plotTop_) << "\" width=\""
             << Number(kPlotWidth) << "\" height=\"" << Number(plotHeight_) << "\" fill=\"#0f182a\" stroke=\""
             << kPanelStroke << "\"/>\n";
        svg_ << "  <g id=\"planets\" stroke-width=\"1\">\n";
        if (scene_.Source() != 0) {
            const Planet& source = galaxy_.PlanetAt(scene_.Source());
            // The group's reach: where its ships can go without a relay.
            svg_ << "    <circle class=\"reach\" cx=\"" << Number(view.X(source.x)) << "\" cy=\""
                 << Number(view.Y(source.y)) << "\" r=\"" << Number(scene_.Selected().speed * view.Scale())
                 << "\" fill=\"#ffd166\" fill-opacity=\"0.05\" stroke=\"#ffd166\" stroke-opacity=\"0.45\" "
                 << "stroke-dasharray=\"5 4\"/>\n";
        }
        // Faded planets first, so that the ones taking part are drawn over them.
        for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
            if (!scene_.TakesPart(number)) {
                WritePlanet(view, number, faded_);
            }
        }
        for (std::int32_t number : scene_.Participants()) {
            WritePlanet(view, number, 1.0);
        }
        svg_ << "  </g>\n";
    }

    void WritePlanet(const Viewport& view, std::int32_t number, double scale) {
        const Planet& planet = galaxy_.PlanetAt(number);
        if (!scene_.Frame().Contains(planet.x, planet.y)) {
            return; // outside the frame; the overview shows it
        }
        const PlanetRole role = scene_.RoleOf(number);
        const RoleStyle style = StyleOfRole(role);
        svg_ << "    <circle class=\"planet " << RoleKey(role) << "\" cx=\"" << Number(view.X(planet.x))
             << "\" cy=\"" << Number(view.Y(planet.y)) << "\" r=\"" << Number(style.radius * scale) << "\" fill=\""
             << style.fill << "\" stroke=\"" << style.stroke << '"'
             << (role == PlanetRole::Source ? " stroke-width=\"2.5\"" : "") << "><title>#" << number << ' '
             << EscapeXml(planet.name) << OwnerText(planet) << "</title></circle>\n";
    }

    /// A ring around each planet the review marks, outside its marker: a dashed one for a planet
    /// the plan left, a wider solid one for a planet a best plan adds; the ring's title says why.
    void WriteMarks(const Viewport& view) {
        if (!scene_.Reviewed()) {
            return;
        }
        svg_ << "  <g id=\"review-marks\" fill=\"none\" stroke-width=\"1.6\">\n";
        for (const std::int32_t number : scene_.MarkedPlanets()) {
            const Planet& planet = galaxy_.PlanetAt(number);
            if (!scene_.Frame().Contains(planet.x, planet.y)) {
                continue;
            }
            const double radius = StyleOfRole(scene_.RoleOf(number)).radius * (scene_.TakesPart(number) ? 1.0 : faded_);
            std::string title = "#";
            title.append(std::to_string(number)).append(1, ' ').append(planet.name);
            for (const std::string& note : scene_.MarkNotes(number)) {
                title += "\n" + note;
            }
            for (const ReviewMark mark : kAllMarks) {
                if (scene_.HasMark(number, mark)) {
                    svg_ << "    <circle class=\"mark " << MarkKey(mark) << "\" cx=\"" << Number(view.X(planet.x))
                         << "\" cy=\"" << Number(view.Y(planet.y)) << "\" r=\"" << Number(RingRadius(radius, mark))
                         << "\" stroke=\"" << MarkColour(mark) << '"' << RingDashes(mark) << "><title>"
                         << EscapeXml(title) << "</title></circle>\n";
                }
            }
        }
        svg_ << "  </g>\n";
    }

    static double RingRadius(double planetRadius, ReviewMark mark) {
        return planetRadius + (mark == ReviewMark::Left ? 3.5 : 6.5);
    }

    static const char* RingDashes(ReviewMark mark) {
        return mark == ReviewMark::Left ? " stroke-dasharray=\"3 2\"" : "";
    }

    void WriteArrows(const Viewport& view) {
        svg_ << "  <g id=\"orders\" fill=\"none\" stroke-linecap=\"round\">\n";
        for (const PlanArrow& arrow : scene_.Arrows()) {
            const Planet& from = galaxy_.PlanetAt(arrow.from);
            const Planet& to = galaxy_.PlanetAt(arrow.to);
            const double x1 = view.X(from.x), y1 = view.Y(from.y);
            const double x2 = view.X(to.x), y2 = view.Y(to.y);
            const double length = std::hypot(x2 - x1, y2 - y1);
            if (!(length > 1e-6)) {
                continue; // an order to the planet it leaves has no direction to draw
            }
            // Start and end at the rims, so that heads and planets do not overlap.
            const double startTrim = std::min(StyleOfRole(scene_.RoleOf(arrow.from)).radius + 1.5, length / 3.0);
            const double endTrim = std::min(StyleOfRole(scene_.RoleOf(arrow.to)).radius + 1.5, length / 3.0);
            const double ux = (x2 - x1) / length, uy = (y2 - y1) / length;
            const char* kind = arrow.refused ? "refused" : arrow.chain < 0 ? "direct" : "relay";
            svg_ << "    <line class=\"" << kind << "\" x1=\"" << Number(x1 + ux * startTrim) << "\" y1=\""
                 << Number(y1 + uy * startTrim) << "\" x2=\"" << Number(x2 - ux * endTrim) << "\" y2=\""
                 << Number(y2 - uy * endTrim) << "\" stroke=\"" << ArrowColour(arrow) << "\" stroke-width=\""
                 << (arrow.chain < 0 ? "1.4" : "2") << '"';
            if (arrow.refused) {
                svg_ << " stroke-dasharray=\"2 4\"";
            } else if (arrow.chain >= 0) {
                svg_ << " stroke-dasharray=\"7 4\"";
            }
            svg_ << " marker-end=\"url(#" << MarkerId(arrow) << ")\"/>\n";
        }
        svg_ << "  </g>\n";
    }

    /// Names of the planets in the plan first (source, relays, targets), then of the others
    /// when the frame holds few planets; a name that would overlap another is left out.
    void WriteLabels(const Viewport& view) {
        std::vector<std::int32_t> numbers = scene_.Participants();
        if (planetsInFrame_ <= kLabelEveryPlanetUpTo) {
            for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
                const Planet& planet = galaxy_.PlanetAt(number);
                if (!scene_.TakesPart(number) && scene_.Frame().Contains(planet.x, planet.y)) {
                    numbers.push_back(number);
                }
            }
        }
        std::vector<LabelRequest> requests;
        for (std::int32_t number : numbers) {
            const Planet& planet = galaxy_.PlanetAt(number);
            const double size = number == scene_.Source() ? kLabelSize + 3 : kLabelSize;
            const double radius = StyleOfRole(scene_.RoleOf(number)).radius * (scene_.TakesPart(number) ? 1.0 : faded_);
            requests.push_back({view.X(planet.x), view.Y(planet.y), radius, EstimatedTextWidth(planet.name, size),
                                size * 1.15, number == scene_.Source()});
        }
        const PlanBox plot{kMargin, plotTop_, kMargin + kPlotWidth, plotTop_ + plotHeight_};
        const std::vector<PlacedLabel> placed = PlaceLabels(requests, plot);
        for (const PlacedLabel& label : placed) {
            participantLabels_ += scene_.TakesPart(numbers[label.index]) ? 1 : 0;
        }
        svg_ << "  <g id=\"labels\" font-size=\"" << Number(kLabelSize) << "\" fill=\"#c9d2e3\" stroke=\""
             << kBackground << "\" stroke-width=\"3\" paint-order=\"stroke\" stroke-linejoin=\"round\">\n";
        for (const PlacedLabel& label : placed) {
            const std::int32_t number = numbers[label.index];
            const bool source = number == scene_.Source();
            const bool faded = !scene_.TakesPart(number);
            // The box's bottom holds the descenders; the baseline sits a fifth of the height above it.
            svg_ << "    <text x=\"" << Number(label.box.minX) << "\" y=\""
                 << Number(label.box.maxY - label.box.Height() * 0.2) << '"'
                 << (source ? " font-size=\"14\" font-weight=\"bold\" fill=\"#ffd166\"" : "")
                 << (faded ? " fill=\"#7d889e\"" : "") << '>' << EscapeXml(galaxy_.PlanetAt(number).name)
                 << "</text>\n";
        }
        svg_ << "  </g>\n";
    }

    void WriteEmptyPlotNote() {
        if (!scene_.Arrows().empty() || note_.empty()) {
            return;
        }
        const double x = kMargin + kPlotWidth / 2.0, y = plotTop_ + 36.0;
        svg_ << "  <g id=\"no-plan\"><rect x=\"" << Number(x - 330) << "\" y=\"" << Number(y - 22)
             << "\" width=\"660\" height=\"34\" rx=\"6\" fill=\"" << kPanelFill << "\" fill-opacity=\"0.9\" stroke=\""
             << "#ffb4a2\"/><text x=\"" << Number(x) << "\" y=\"" << Number(y) << "\" text-anchor=\"middle\" "
             << "font-size=\"14\" fill=\"#ffb4a2\">" << EscapeXml(note_) << "</text></g>\n";
    }

    void WriteLegend() {
        const double x = PanelX() + 14;
        double y = plotTop_ + 24;
        svg_ << "  <g id=\"legend\" font-size=\"12\" fill=\"#e0e6f0\">\n"
             << "    <rect x=\"" << Number(PanelX()) << "\" y=\"" << Number(plotTop_) << "\" width=\""
             << Number(kPanelWidth) << "\" height=\"" << Number(LegendHeight()) << "\" rx=\"8\" fill=\""
             << kPanelFill << "\" stroke=\"" << kPanelStroke << "\"/>\n"
             << "    <text x=\"" << Number(x) << "\" y=\"" << Number(y) << "\" font-weight=\"bold\">Legend</text>\n";
        for (PlanetRole role : kAllRoles) {
            y += 22;
            const RoleStyle style = StyleOfRole(role);
            svg_ << "    <circle cx=\"" << Number(x + 9) << "\" cy=\"" << Number(y - 4) << "\" r=\""
                 << Number(std::max(style.radius, 3.0)) << "\" fill=\"" << style.fill << "\" stroke=\""
                 << style.stroke << "\"/>\n";
            LegendText(x, y, std::string(RoleLabel(role)) + " (" + std::to_string(CountRole(role)) + ")");
        }
        for (const ReviewMark mark : Marks()) {
            y += 22;
            svg_ << "    <circle cx=\"" << Number(x + 9) << "\" cy=\"" << Number(y - 4) << "\" r=\""
                 << Number(RingRadius(1.0, mark)) << "\" fill=\"none\" stroke-width=\"1.6\" stroke=\""
                 << MarkColour(mark) << '"' << RingDashes(mark) << "/>\n";
            LegendText(x, y, std::string(MarkLabel(mark)) + " (" + std::to_string(scene_.CountMarks(mark)) + ")");
        }
        y += 22;
        svg_ << "    <circle cx=\"" << Number(x + 9) << "\" cy=\"" << Number(y - 4) << "\" r=\"8\" fill=\"#ffd166\" "
             << "fill-opacity=\"0.05\" stroke=\"#ffd166\" stroke-opacity=\"0.6\" stroke-dasharray=\"3 3\"/>\n";
        LegendText(x, y, "Reach of the group (its speed)");
        y += 24;
        LegendLine(x, y, kDirectColour, "", "head-direct", "Direct send of the group");
        y += 22;
        LegendLine(x, y, kChainColours[0], "7 4", "head-chain0", "Relay chain, one colour each");
        y += 22;
        LegendLine(x, y, kRefusedColour, "2 4", "head-refused", "Refused by the host");
        y += 26;
        const std::size_t participants = scene_.Participants().size();
        LegendText(x - 26, y, participantLabels_ == participants
                                  ? "Every planet in the plan is named."
                                  : std::to_string(participantLabels_) + " of " + std::to_string(participants) +
                                        " planets in the plan named;");
        if (participantLabels_ != participants) {
            y += 16;
            LegendText(x - 26, y, "the rest would overlap (--html shows all).");
        }
        svg_ << "  </g>\n";
    }

    double LegendHeight() const {
        return 24 + 22 * (8 + static_cast<double>(Marks().size())) + 24 + 22 * 2 + 26 + 16 + 14;
    }

    /// The review's marks in the legend: none when the run was not reviewed.
    std::span<const ReviewMark> Marks() const {
        return scene_.Reviewed() ? std::span<const ReviewMark>(kAllMarks) : std::span<const ReviewMark>();
    }

    /// The whole galaxy small under the legend: every planet a dot, the frame as a rectangle.
    void WriteOverview() {
        const double top = plotTop_ + LegendHeight() + 14;
        const double height = std::max(plotTop_ + plotHeight_ - top, 60.0);
        const Viewport view(scene_.Whole(), PanelX() + 8, top + 22, kPanelWidth - 16, height - 30);
        svg_ << "  <g id=\"overview\">\n    <rect x=\"" << Number(PanelX()) << "\" y=\"" << Number(top)
             << "\" width=\"" << Number(kPanelWidth) << "\" height=\"" << Number(height) << "\" rx=\"8\" fill=\""
             << kPanelFill << "\" stroke=\"" << kPanelStroke << "\"/>\n    <text x=\"" << Number(PanelX() + 14)
             << "\" y=\"" << Number(top + 17) << "\" font-size=\"12\" fill=\"#e0e6f0\">The whole galaxy</text>\n";
        WriteDots(view, false, "#4a5570", 1.6);
        WriteDots(view, true, "#ffd166", 2.4);
        const PlanBox& frame = scene_.Frame();
        svg_ << "    <rect class=\"frame\" x=\"" << Number(view.X(frame.minX)) << "\" y=\"" << Number(view.Y(frame.minY))
             << "\" width=\"" << Number(frame.Width() * view.Scale()) << "\" height=\""
             << Number(frame.Height() * view.Scale()) << "\" fill=\"none\" stroke=\"#e0e6f0\"/>\n  </g>\n";
    }

    /// Planets as dots of one path: thousands of them stay one small element. In a galaxy of
    /// more than kOverviewDotsInFull planets the faded dots cover each other many times over in
    /// the small overview, so each spot a dot's size across gets one dot, at its centre: the
    /// same picture, at a fraction of the size (a million planets would be 16 MB of dots).
    /// The planets of the plan are always drawn each in its place.
    void WriteDots(const Viewport& view, bool takingPart, const char* colour, double size) {
        svg_ << "    <path stroke=\"" << colour << "\" stroke-width=\"" << Number(size)
             << "\" stroke-linecap=\"round\" d=\"";
        const bool thinned = !takingPart && galaxy_.PlanetCount() > kOverviewDotsInFull;
        std::unordered_set<std::uint64_t> spotsDrawn;
        for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
            if (scene_.TakesPart(number) != takingPart) {
                continue;
            }
            const Planet& planet = galaxy_.PlanetAt(number);
            double x = view.X(planet.x);
            double y = view.Y(planet.y);
            if (thinned) {
                const double column = std::floor(x / size);
                const double row = std::floor(y / size);
                const std::uint64_t spot = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(column)) << 32) |
                                           static_cast<std::uint32_t>(row);
                if (!spotsDrawn.insert(spot).second) {
                    continue;
                }
                x = (column + 0.5) * size;
                y = (row + 0.5) * size;
            }
            svg_ << 'M' << Number(x) << ' ' << Number(y) << "h0";
        }
        svg_ << "\"/>\n";
    }

    void LegendText(double x, double y, const std::string& text) {
        svg_ << "    <text x=\"" << Number(x + 26) << "\" y=\"" << Number(y) << "\">" << EscapeXml(text) << "</text>\n";
    }

    void LegendLine(double x, double y, const char* colour, const char* dashes, const char* marker,
                    const char* text) {
        svg_ << "    <line x1=\"" << Number(x) << "\" y1=\"" << Number(y - 4) << "\" x2=\"" << Number(x + 18)
             << "\" y2=\"" << Number(y - 4) << "\" stroke=\"" << colour << "\" stroke-width=\"2\""
             << (*dashes != '\0' ? std::string(" stroke-dasharray=\"") + dashes + "\"" : std::string())
             << " marker-end=\"url(#" << marker << ")\"/>\n";
        LegendText(x, y, text);
    }

    std::size_t CountRole(PlanetRole role) const {
        std::size_t count = 0;
        for (std::int32_t number = 1; number <= galaxy_.PlanetCount(); ++number) {
            count += scene_.RoleOf(number) == role ? 1 : 0;
        }
        return count;
    }

    static std::string OwnerText(const Planet& planet) {
        return planet.owner.empty() ? std::string() : " (" + EscapeXml(planet.owner) + ")";
    }

    std::string PlanetName(std::int32_t number) const {
        return galaxy_.HasPlanet(number) ? galaxy_.PlanetAt(number).name : std::string("?");
    }

    const PlanScene& scene_;
    const Galaxy& galaxy_;
    std::string note_;
    double plotTop_ = kTitleHeight;
    double plotHeight_ = kMinPlotHeight;
    std::size_t planetsInFrame_ = 0;
    double faded_ = 1.0;               // radius factor of the planets outside the plan
    std::size_t participantLabels_ = 0;
    std::ostringstream svg_;
};

} // namespace

std::string EscapeXml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const char ch = text[at];
        const std::size_t length = Utf8SequenceLength(text.substr(at));
        if (length == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that starts no UTF-8 character
            ++at;
            continue;
        }
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
            if (static_cast<unsigned char>(ch) < 0x20) {
                out += ' ';
            } else {
                out.append(text.substr(at, length));
            }
            break;
        }
        at += length;
    }
    return out;
}

std::string DrawPlanSvg(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome,
                        const PlanReview* review) {
    const PlanScene scene(galaxy, selectedGroup, outcome, review);
    return SvgPlan(scene).Write();
}

} // namespace host
