// PlanScene.h - a finished run as both plan views draw it: planet roles, arrows and relay chains, the frame.
//
// The SVG picture and the interactive page show the same things, so they read
// them from one PlanScene: what part each planet played, which orders form a
// relay chain, which part of the galaxy the plan covers and how the run ended.
// A scene borrows the galaxy (as the orders left it), the run's outcome and,
// when there is one, the plan's review (the planets it left, those a best plan
// adds, marked on top of the roles); all must outlive it. PlaceLabels, the label placement both views use for
// text in picture coordinates, is declared here as well.
#pragma once

#include "galaxy/Galaxy.h"
#include "answer/OrderChecker.h"
#include "answer/RunOutcome.h"
#include "review/PlanReview.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host {

/// What a planet was to the plan; a planet takes the first role that applies, in this order.
enum class PlanetRole {
    Source,   // where the selected group is
    Relay,    // a relay group sent a ship on from here
    Target,   // an accepted order sent a ship here
    Refused,  // only refused orders were aimed here
    InReach,  // within the group's reach of the source, yet no ship was sent
    Own,      // the selection's race owns it, outside the plan
    Other,
};

/// The legend's word for a role, e.g. "In reach, no ship sent".
const char* RoleLabel(PlanetRole role);
/// The role as one lower-case word for markup and data, e.g. "in-reach".
const char* RoleKey(PlanetRole role);

/// How both views draw a planet of a role; planets that take part are bright, the rest faded.
struct RoleStyle {
    const char* fill;
    const char* stroke;
    double radius; // in picture pixels at the views' usual scale
};
RoleStyle StyleOfRole(PlanetRole role);

inline constexpr PlanetRole kAllRoles[] = {PlanetRole::Source,  PlanetRole::Relay, PlanetRole::Target,
                                           PlanetRole::Refused, PlanetRole::InReach, PlanetRole::Own,
                                           PlanetRole::Other};

/// Arrow colours: direct sends, refused orders, and one colour per relay chain in turn.
inline constexpr const char* kDirectColour = "#8ecae6";
inline constexpr const char* kRefusedColour = "#ef476f";
inline constexpr const char* kChainColours[] = {"#f4a261", "#c77dff", "#ff70a6", "#f9c74f", "#e76f51", "#90be6d"};
inline constexpr std::size_t kChainColourCount = std::size(kChainColours);

/// What the plan's review marks on a planet, beside its role: a planet in the group's direct reach
/// that the plan left (the planet's note says why), or one that a best plan covers beyond this plan.
enum class ReviewMark { Left, BestExtra };

inline constexpr ReviewMark kAllMarks[] = {ReviewMark::Left, ReviewMark::BestExtra};

/// The legend's words for a mark, e.g. "Left in direct reach"; the planet's notes say why.
const char* MarkLabel(ReviewMark mark);
/// The mark as one lower-case word for markup and data: "left", "best-extra".
const char* MarkKey(ReviewMark mark);
/// The colour of the ring both views draw around a marked planet.
const char* MarkColour(ReviewMark mark);

/// One order drawn as an arrow from one planet to another.
struct PlanArrow {
    std::int32_t from = 0;
    std::int32_t to = 0;
    int chain = -1;           // the relay chain it belongs to (0, 1, ...); -1 for a direct send
    bool refused = false;
    std::size_t order = 0;    // its index in the run's orders
};

/// An axis-aligned box in galaxy or picture coordinates.
struct PlanBox {
    double minX = 0.0;
    double minY = 0.0;
    double maxX = 1.0;
    double maxY = 1.0;

    double Width() const { return maxX - minX; }
    double Height() const { return maxY - minY; }
    bool Overlaps(const PlanBox& other) const {
        return minX < other.maxX && other.minX < maxX && minY < other.maxY && other.minY < maxY;
    }
    bool Contains(double x, double y) const { return x >= minX && x <= maxX && y >= minY && y <= maxY; }
};

class PlanScene {
public:
    /// `review` may be null: a run without a plan, or a caller that shows no review.
    PlanScene(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome,
              const PlanReview* review = nullptr);

    const Galaxy& GalaxyDrawn() const { return galaxy_; }
    const RunOutcome& Outcome() const { return outcome_; }
    const Group& Selected() const { return selected_; }
    /// The planet the selected group orbits or left; 0 when there is none to draw.
    std::int32_t Source() const { return source_; }
    PlanetRole RoleOf(std::int32_t planet) const { return roles_[static_cast<std::size_t>(planet - 1)]; }
    /// Source, relays, targets and refused targets: the planets whose names the views show.
    bool TakesPart(std::int32_t planet) const { return RoleOf(planet) <= PlanetRole::Refused; }
    /// The planets that take part, most important first: source, relays, targets, refused targets.
    const std::vector<std::int32_t>& Participants() const { return participants_; }

    /// Direct sends, then each relay chain hop by hop, then refused orders.
    const std::vector<PlanArrow>& Arrows() const { return arrows_; }
    int ChainCount() const { return chainCount_; }
    std::size_t CountArrows(bool refused, bool inChain) const;
    /// Accepted orders given to relay groups (what the report counts as relays used).
    std::size_t RelaySends() const { return relaySends_; }

    /// Whether a review was given: only then do the views show its marks and their legend.
    bool Reviewed() const { return review_ != nullptr; }
    bool HasMark(std::int32_t planet, ReviewMark mark) const;
    bool IsMarked(std::int32_t planet) const { return HasMark(planet, ReviewMark::Left) || HasMark(planet, ReviewMark::BestExtra); }
    std::size_t CountMarks(ReviewMark mark) const;
    /// The planets the review marks, ascending.
    const std::vector<std::int32_t>& MarkedPlanets() const { return marked_; }
    /// Why the review marks `planet`, a sentence per mark, e.g. "Left in direct reach at 10.004:
    /// beyond the range the plug-in planned with (9.990), within the group's speed (10.010)".
    std::vector<std::string> MarkNotes(std::int32_t planet) const;

    /// The part of the galaxy the plan covers: the source, its reach, every order and every planet
    /// the review marks, with a margin.
    const PlanBox& Frame() const { return frame_; }
    /// Every planet of the galaxy.
    const PlanBox& Whole() const { return whole_; }
    /// The frame is small enough beside the galaxy that an overview of the whole is worth showing.
    bool FrameIsPartOfGalaxy() const { return framePart_; }

    /// One line on how the run ended when it was not a plan: a cancel or the plug-in's message.
    std::string EndingNote() const;
    /// The subtitle's count of what was sent, e.g. "10 ships sent: 4 direct, 6 in 2 relay chains ...".
    std::string SendsSummary() const;

private:
    void SortOrdersIntoArrows();
    void FollowChain(const OrderResult& start, std::size_t startIndex, std::vector<std::size_t>& relayed);
    void AssignRoles();
    void IndexTheReview();
    void FrameThePlan();

    const Galaxy& galaxy_;
    const RunOutcome& outcome_;
    const PlanReview* review_;
    Group selected_;
    std::int32_t source_ = 0;
    std::vector<PlanetRole> roles_;
    std::vector<std::int32_t> participants_;
    std::vector<PlanArrow> arrows_;
    int chainCount_ = 0;
    std::size_t relaySends_ = 0;
    std::unordered_map<std::int32_t, const LeftPlanet*> left_;         // planet -> the review's entry
    std::unordered_map<std::int32_t, const DispatchRoute*> bestExtra_; // planet -> a best plan's route to it
    std::vector<std::int32_t> marked_;
    PlanBox frame_;
    PlanBox whole_;
    bool framePart_ = false;
};

/// A label to place: the point it names, the room kept around that point, its size.
struct LabelRequest {
    double x = 0.0;
    double y = 0.0;
    double clearance = 0.0; // the marker's radius: the label keeps off it
    double width = 0.0;
    double height = 0.0;
    bool required = false;  // placed at its first spot inside the area even when that overlaps
};

/// A placed label's box; `index` is its request's position.
struct PlacedLabel {
    std::size_t index = 0;
    PlanBox box;
};

/// Places labels in request order (most important first) beside their points, each at the
/// first of eight spots around the point where it overlaps no placed label, no marker of
/// another request and stays inside `area`; a label with no such spot is left out, unless it is
/// required.
std::vector<PlacedLabel> PlaceLabels(const std::vector<LabelRequest>& requests, const PlanBox& area);

/// Rough width of `text` in a sans-serif face of `fontSize`, counting UTF-8 characters, not bytes.
double EstimatedTextWidth(std::string_view text, double fontSize);

/// `count` and the noun, singular or plural: "1 relay chain", "2 relay chains".
std::string CountOf(std::size_t count, std::string_view singular, std::string_view plural);

} // namespace host
