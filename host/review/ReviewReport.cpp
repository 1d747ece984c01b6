// ReviewReport.cpp - the review block in plain words within 80 columns, and its JSON.
#include "review/ReviewReport.h"

#include "text/NumberText.h"
#include "text/SafeText.h"
#include "text/TextColumns.h"

#include <ostream>
#include <string>

namespace host {
namespace {

constexpr std::size_t kNameColumns = 20;   // a planet's name in the block, at most
constexpr std::size_t kRowsShown = 8;      // rows of a list before "... and N more"
constexpr int kPlaces = 3;                 // distances and speeds in the block

std::string PlanetName(const Galaxy& galaxy, std::int32_t planet) {
    return galaxy.HasPlanet(planet) ? EscapeControls(galaxy.PlanetAt(planet).name) : std::string();
}

/// `#p name`, the name cut to fit beside the others on one line.
std::string PlanetText(const Galaxy& galaxy, std::int32_t planet) {
    // Appended, not "#" + ...: GCC 12 at -O2 misreads that as overlapping (-Werror=restrict).
    std::string text = "#";
    text += std::to_string(planet);
    const std::string name = PlanetName(galaxy, planet);
    return name.empty() ? text : text + " " + std::string(CutToColumns(name, kNameColumns));
}

std::string ViaText(const Galaxy& galaxy, const DispatchRoute& route) {
    std::string text;
    for (const std::int32_t relay : route.via) {
        text += (text.empty() ? "" : ", ") + PlanetText(galaxy, relay);
    }
    return text;
}

void WriteLine(std::ostream& out, const std::string& line) {
    out << CutToColumns(line, kReviewColumns) << '\n';
}

/// Writes a titled list, a row per item, up to kRowsShown of them.
template <typename Item, typename RowOf>
void WriteList(std::ostream& out, const std::string& title, const std::vector<Item>& items, RowOf rowOf) {
    if (items.empty()) {
        return;
    }
    WriteLine(out, "  " + title + ":");
    for (std::size_t i = 0; i < items.size() && i < kRowsShown; ++i) {
        WriteLine(out, "    " + rowOf(items[i]));
    }
    if (items.size() > kRowsShown) {
        WriteLine(out, "    ... and " + std::to_string(items.size() - kRowsShown) + " more");
    }
}

std::string SplitText(std::int32_t total, std::int32_t direct) {
    return std::to_string(direct) + " directly, " + std::to_string(total - direct) + " through relays";
}

std::string HeadLine(const PlanReview& review) {
    if (review.Optimal()) {
        return "Review: the plan is the best possible for this turn: " +
               std::to_string(review.covered) + (review.covered == 1 ? " planet" : " planets") + " covered";
    }
    return "Review: " + std::to_string(review.covered) + " of the " + std::to_string(review.bestPossible) +
           (review.bounded ? " or more" : "") + " planets a best plan covers were covered";
}

} // namespace

void WriteReviewText(std::ostream& out, const std::optional<PlanReview>& review, const Galaxy& galaxy) {
    if (!review) {
        return;
    }
    const PlanReview& r = *review;
    WriteLine(out, HeadLine(r));
    std::string split = "  covered " + SplitText(r.covered, r.coveredDirect);
    if (!r.Optimal()) {
        split += "; best " + SplitText(r.bestPossible, r.bestDirect);
    }
    WriteLine(out, split);
    if (r.bounded) {
        WriteLine(out, "  the search for the best stopped at its work limit: more may be possible");
    }
    WriteLine(out, "  ships of group " + std::to_string(r.group) + ": " + std::to_string(r.groupShips) + ", sent " +
                       std::to_string(r.sent) + " (" + std::to_string(r.sentToRelays) + " to relays), " +
                       std::to_string(r.StayedHome()) + " stayed home");
    WriteList(out, "left in direct reach (speed " + FixedText(r.speed, kPlaces) + ", planned range " +
                       FixedText(r.plannedRange, kPlaces) + ")",
              r.left, [&](const LeftPlanet& left) {
                  return PlanetText(galaxy, left.planet) + " at " + FixedText(left.distance, kPlaces) + ": " + left.reason;
              });
    WriteList(out, "a best plan adds", r.bestExtra, [&](const DispatchRoute& route) {
        return PlanetText(galaxy, route.planet) + (route.via.empty() ? " directly" : " via " + ViaText(galaxy, route));
    });
    WriteList(out, "refused orders", r.refused,
              [](const OrderResult& order) { return order.order + ": " + EscapeControls(order.reason); });
    WriteList(out, "relay planets left empty", r.emptiedRelays,
              [&](std::int32_t planet) { return PlanetText(galaxy, planet); });
}

OrderedJson ReviewJson(const std::optional<PlanReview>& review, const Galaxy& galaxy) {
    if (!review) {
        return nullptr;
    }
    const PlanReview& r = *review;
    OrderedJson quality = OrderedJson::object();
    quality["covered"] = r.covered;
    quality["covered_direct"] = r.coveredDirect;
    quality["covered_through_relays"] = r.covered - r.coveredDirect;
    quality["best_possible"] = r.bestPossible;
    quality["best_direct"] = r.bestDirect;
    quality["best_through_relays"] = r.bestPossible - r.bestDirect;
    quality["optimal"] = r.Optimal();
    quality["bounded"] = r.bounded;
    quality["ships"] = {{"group", r.groupShips},
                        {"sent", r.sent},
                        {"sent_direct", r.sent - r.sentToRelays},
                        {"sent_to_relays", r.sentToRelays},
                        {"stayed_home", r.StayedHome()}};
    OrderedJson left = OrderedJson::array();
    for (const LeftPlanet& planet : r.left) {
        left.push_back({{"planet", planet.planet},
                        {"name", PlanetName(galaxy, planet.planet)},
                        {"distance", planet.distance},
                        {"speed", r.speed},
                        {"planned_range", r.plannedRange},
                        {"reason", planet.reason}});
    }
    quality["left"] = std::move(left);
    OrderedJson extra = OrderedJson::array();
    for (const DispatchRoute& route : r.bestExtra) {
        extra.push_back({{"planet", route.planet}, {"name", PlanetName(galaxy, route.planet)}, {"via", route.via}});
    }
    quality["best_extra"] = std::move(extra);
    OrderedJson refused = OrderedJson::array();
    for (const OrderResult& order : r.refused) {
        refused.push_back({{"order", order.order},
                           {"planet", order.destination != 0 ? OrderedJson(order.destination) : OrderedJson(nullptr)},
                           {"reason", order.reason}});
    }
    quality["refused"] = std::move(refused);
    quality["relays_left_empty"] = r.emptiedRelays;
    return quality;
}

} // namespace host
