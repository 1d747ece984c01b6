// PlanReview.cpp - the plan's chains read from its orders, set against the best dispatch.
#include "review/PlanReview.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace host {
namespace {

/// The plan's accepted orders as routes: each of the selected group's ships followed from relay
/// to relay (a relay gives one order at most) to the planet it covers. A chain that ends anywhere
/// else (a refused onward order, a planet already held) covers nothing and is left out.
std::vector<DispatchRoute> PlanRoutes(DispatchRules& rules, const std::vector<OrderResult>& orders) {
    std::unordered_map<std::int32_t, const OrderResult*> onwardFrom; // relay planet -> its accepted order
    for (const OrderResult& order : orders) {
        if (order.accepted && order.group != rules.SelectedGroup()) {
            onwardFrom.emplace(order.origin, &order);
        }
    }
    std::vector<DispatchRoute> routes;
    for (const OrderResult& order : orders) {
        if (!order.accepted || order.group != rules.SelectedGroup()) {
            continue;
        }
        DispatchRoute route;
        std::int32_t at = order.destination;
        std::set<std::int32_t> seen{at};
        while (rules.KindOf(at) == PlanetKind::Relay && onwardFrom.contains(at)) {
            route.via.push_back(at);
            at = onwardFrom.at(at)->destination;
            if (!seen.insert(at).second) {
                break;
            }
        }
        if (rules.KindOf(at) == PlanetKind::Destination) {
            route.planet = at;
            routes.push_back(std::move(route));
        }
    }
    return routes;
}

std::string LeftReason(const PlanReview& review, double distance) {
    if (distance > review.plannedRange) {
        return "speed_rounding";
    }
    if (!review.refused.empty()) {
        return "ship_refused";
    }
    return review.StayedHome() == 0 ? "no_ship_left" : "not_planned";
}

void CountPlan(DispatchRules& rules, const std::vector<OrderResult>& orders, PlanReview& review,
               std::set<std::int32_t>& covered) {
    std::set<std::int32_t> reachedRelays;
    std::set<std::int32_t> relaysSending;
    for (const OrderResult& order : orders) {
        if (!order.accepted) {
            review.refused.push_back(order);
            continue;
        }
        const PlanetKind kind = rules.KindOf(order.destination);
        const bool selected = order.group == rules.SelectedGroup();
        if (selected) {
            ++review.sent;
            review.sentToRelays += kind == PlanetKind::Relay ? 1 : 0;
        } else {
            relaysSending.insert(order.origin);
        }
        if (kind == PlanetKind::Relay) {
            reachedRelays.insert(order.destination);
        }
        if (kind == PlanetKind::Destination && covered.insert(order.destination).second) {
            review.coveredDirect += selected ? 1 : 0;
        }
    }
    std::set_difference(relaysSending.begin(), relaysSending.end(), reachedRelays.begin(), reachedRelays.end(),
                        std::back_inserter(review.emptiedRelays));
    review.covered = static_cast<std::int32_t>(covered.size());
}

} // namespace

std::optional<PlanReview> ReviewPlan(const Galaxy& galaxy, std::int32_t selectedGroup, std::int32_t highestGroupBefore,
                                     const RunOutcome& outcome, std::int64_t workLimit) {
    if (outcome.addRequests == 0 || galaxy.FindGroup(selectedGroup) == nullptr ||
        !galaxy.FindGroup(selectedGroup)->InOrbit()) {
        return std::nullopt;
    }
    DispatchRules rules(galaxy, selectedGroup, highestGroupBefore, outcome.orders);
    PlanReview review;
    review.group = selectedGroup;
    review.groupShips = rules.ShipsBefore();
    review.speed = rules.Speed();
    review.plannedRange = rules.PlannedRange();
    std::set<std::int32_t> covered;
    CountPlan(rules, outcome.orders, review, covered);

    const BestDispatch best = FindBestDispatch(rules, PlanRoutes(rules, outcome.orders), workLimit);
    review.bounded = best.bounded;
    review.bestPossible = static_cast<std::int32_t>(best.routes.size());
    for (const DispatchRoute& route : best.routes) {
        review.bestDirect += route.via.empty() ? 1 : 0;
        if (!covered.contains(route.planet)) {
            review.bestExtra.push_back(route);
        }
    }

    std::vector<std::int32_t> reach;
    rules.PlanetsWithin(rules.Source(), rules.Speed(), reach);
    for (const std::int32_t planet : reach) {
        if (rules.KindOf(planet) == PlanetKind::Destination && !covered.contains(planet)) {
            const double distance = galaxy.Distance(rules.Source(), planet);
            review.left.push_back({planet, distance, LeftReason(review, distance)});
        }
    }
    return review;
}

} // namespace host
