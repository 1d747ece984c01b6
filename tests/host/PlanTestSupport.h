// PlanTestSupport.h - a small galaxy with a relay chain and runs over it, shared by the plan views' tests.
#pragma once

#include "galaxy/Galaxy.h"
#include "answer/OrderChecker.h"
#include "answer/RunOutcome.h"
#include "review/PlanReview.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace host::test {

// Planets: 1 Source (0,0) Solvani   2 Near (5,0)   3 R1 (0,8)   4 R2 (0,16)
//          5 Far "D" (0,24)   6 Keth Home (300,300) Keth   7 Outpost (-4,-3) Solvani
// Group 7 (speed 10) orbits Source; relay groups 17 at R1 and 22 at R2; Keth's group 30 at Keth Home.
inline Galaxy PlanGalaxy() {
    GalaxyContent content;
    content.game = "Tom & Jerry's <Cluster>";
    content.turn = 5;
    content.races = {{"Solvani", 1.0}, {"Keth", 1.0}};
    content.planets = {{"Source", 0, 0, "Solvani"}, {"Near", 5, 0, ""},           {"R1", 0, 8, ""},
                       {"R2", 0, 16, ""},          {"Far \"D\"", 0, 24, ""},        {"Keth Home", 300, 300, "Keth"},
                       {"Outpost", -4, -3, "Solvani"}};
    content.shipTypes = {{"Solvani", "Long Courier", 1, 0, 0, 0, 0}, {"Keth", "Raider", 1, 0, 0, 0, 0}};
    content.groups = {{7, "Solvani", "Long Courier", 1, 5, 10.0, 0, ""},
                      {17, "Solvani", "Long Courier", 3, 1, 10.0, 0, ""},
                      {22, "Solvani", "Long Courier", 4, 1, 10.0, 0, ""},
                      {30, "Keth", "Raider", 6, 1, 10.0, 0, ""}};
    content.selection = 7;
    return Galaxy(std::move(content));
}

inline OrderResult Accepted(std::int32_t group, std::int32_t from, std::int32_t to) {
    OrderResult result;
    result.order = std::to_string(group) + " #" + std::to_string(to) + " 1";
    result.accepted = true;
    result.group = group;
    result.origin = from;
    result.destination = to;
    return result;
}

inline OrderResult Refused(std::int32_t group, std::int32_t to, std::string reason) {
    OrderResult result;
    result.order = std::to_string(group) + " #" + std::to_string(to) + " 1";
    result.group = group;
    result.destination = to;
    result.reason = std::move(reason);
    return result;
}

inline RunOutcome RunWith(std::vector<OrderResult> orders) {
    RunOutcome outcome;
    outcome.addRequests = orders.empty() ? 0 : 1;
    outcome.orders = std::move(orders);
    return outcome;
}

/// Source -> Near directly; Source -> R1 -> R2 -> Far as one chain; one order refused.
inline RunOutcome ChainRun() {
    return RunWith({Accepted(7, 1, 2), Accepted(7, 1, 3), Accepted(17, 3, 4), Accepted(22, 4, 5),
                    Refused(7, 6, "too far")});
}

/// PlanGalaxy with `extra` more planets, "G0", "G1", ..., one unit apart on a square grid that
/// starts at (1000, 1000), far from the plan: a galaxy too large for the views to draw planet by planet.
inline Galaxy PlanGalaxyWithMany(std::int32_t extra) {
    GalaxyContent content = PlanGalaxy().Content();
    const auto side = static_cast<std::int32_t>(std::ceil(std::sqrt(static_cast<double>(extra))));
    for (std::int32_t i = 0; i < extra; ++i) {
        std::string name = "G"; // appended, not "G" + ...: GCC 12 at -O2 misreads that as overlapping
        name += std::to_string(i);
        content.planets.push_back({std::move(name), 1000.0 + i % side, 1000.0 + i / side, ""});
    }
    return Galaxy(std::move(content));
}

/// A review of ChainRun that marks one planet: left with `reason`, or (an empty reason) added by a
/// best plan through `via`. Group 7 has speed 10; the plug-in planned with 4.99.
inline PlanReview ReviewMarking(std::int32_t planet, std::string reason, std::vector<std::int32_t> via = {}) {
    PlanReview review;
    review.group = 7;
    review.groupShips = 5;
    review.speed = 10.0;
    review.plannedRange = 4.99;
    if (reason.empty()) {
        review.bestExtra.push_back({std::move(via), planet});
    } else {
        review.left.push_back({planet, 5.0, std::move(reason)});
    }
    return review;
}

/// One planet the review marks, the ring's class and the note that says why.
struct ReviewMarkRow {
    PlanReview review;
    std::int32_t planet;
    const char* ring;
    std::string note;
};

/// A row for each reason a planet is left and for a best plan's planet, direct and through relays.
inline std::vector<ReviewMarkRow> ReviewMarkRows() {
    const std::string left = "Left in direct reach at 5.000: ";
    return {
        {ReviewMarking(7, "speed_rounding"), 7, "left",
         left + "beyond the range the plug-in planned with (4.990), within the group's speed (10.000) (speed_rounding)"},
        {ReviewMarking(7, "ship_refused"), 7, "left",
         left + "the host refused an order of the plan, so a ship went nowhere (ship_refused)"},
        {ReviewMarking(7, "no_ship_left"), 7, "left", left + "every ship of the group was sent elsewhere (no_ship_left)"},
        {ReviewMarking(7, "not_planned"), 7, "left", left + "not planned, though ships stayed home (not_planned)"},
        {ReviewMarking(7, ""), 7, "best-extra", "A best plan covers it directly"},
        {ReviewMarking(6, "", {3, 4}), 6, "best-extra", "A best plan covers it via #3 R1, #4 R2"},
    };
}

} // namespace host::test
