// PlanReview.h - how good a completed plan was: the planets it covered against the best possible
// for the same turn, where its ships went, and each planet it left, with the reason.
//
// A planet counts as covered when an accepted order brought an equivalent ship to a planet that
// held no equivalent group before the orders. Planets "left" are those in the selected group's
// direct reach (within its exact speed, in drive range, uncovered) that the plan did not cover;
// the reason is the first that holds of: speed_rounding (farther than the range the plug-in
// planned with), ship_refused (the host refused an order of the plan, so a ship went nowhere),
// no_ship_left (every ship was sent), not_planned (none of these: ships stayed home).
#pragma once

#include "review/BestDispatch.h"
#include "answer/RunOutcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct LeftPlanet {
    std::int32_t planet = 0;
    double distance = 0.0;
    std::string reason; // speed_rounding, ship_refused, no_ship_left or not_planned
};

struct PlanReview {
    std::int32_t covered = 0;
    std::int32_t coveredDirect = 0;
    std::int32_t bestPossible = 0;
    std::int32_t bestDirect = 0;
    bool bounded = false; // the best was searched up to the work limit: bestPossible is a lower bound

    std::int32_t group = 0;        // the selected group's number
    std::int32_t groupShips = 0;   // its ships before the orders
    std::int32_t sent = 0;         // its accepted orders
    std::int32_t sentToRelays = 0; // of them, to relay planets
    double speed = 0.0;
    double plannedRange = 0.0;

    std::vector<LeftPlanet> left;          // ascending by planet
    std::vector<DispatchRoute> bestExtra;  // planets a best plan covers beyond this plan's, with their relays
    std::vector<OrderResult> refused;      // the plan's refused orders, in order
    std::vector<std::int32_t> emptiedRelays; // relay planets whose group passed its ship on while none arrived

    bool Optimal() const { return covered >= bestPossible && !bounded; }
    std::int32_t StayedHome() const { return groupShips - sent; }
};

/// The review of a plan that was submitted; nothing for a run that gave no plan (cancelled, or a
/// message box). `galaxy` as the orders left it; `highestGroupBefore` its highest group number
/// before the run.
std::optional<PlanReview> ReviewPlan(const Galaxy& galaxy, std::int32_t selectedGroup, std::int32_t highestGroupBefore,
                                     const RunOutcome& outcome, std::int64_t workLimit = kBestDispatchWorkLimit);

} // namespace host
