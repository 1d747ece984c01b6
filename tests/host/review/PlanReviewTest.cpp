// PlanReviewTest.cpp - the best dispatch against a brute force over every assignment, and the
// review's reasons, text and JSON on hand-made galaxies, one for each way a plan falls short.
#include "review/ReviewReport.h"

#include "answer/OrderChecker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace host {
namespace {

// --- The bound against a brute force ------------------------------------------------------------

/// The most planets `ships` ships can cover from `at` on, trying every route for each ship: a
/// route goes through unused relays (each with its fastest idle group's speed) to an unused Destination.
class BruteForce {
public:
    explicit BruteForce(DispatchRules& rules) : rules_(rules) {}

    int Best(std::set<std::int32_t>& used, int ships) {
        if (ships == 0) {
            return 0;
        }
        int best = 0;
        Routes(rules_.Source(), rules_.Speed(), used, [&](std::int32_t destination) {
            used.insert(destination);
            best = std::max(best, 1 + Best(used, ships - 1));
            used.erase(destination);
        });
        return best;
    }

    /// Routes that a careless plan might take: for each ship, the first route found, the
    /// planets tried in the order `random` shuffles them to.
    std::vector<DispatchRoute> CarelessRoutes(std::mt19937& random) {
        std::set<std::int32_t> used;
        std::vector<DispatchRoute> routes;
        for (int ship = 0; ship < rules_.ShipsBefore(); ++ship) {
            DispatchRoute route;
            if (!FirstRoute(rules_.Source(), rules_.Speed(), used, route, random)) {
                break;
            }
            used.insert(route.via.begin(), route.via.end());
            used.insert(route.planet);
            routes.push_back(route);
        }
        return routes;
    }

private:
    bool FirstRoute(std::int32_t from, double reach, std::set<std::int32_t>& used, DispatchRoute& route,
                    std::mt19937& random) {
        std::vector<std::int32_t> order;
        for (std::int32_t v = 1; v <= rules_.GalaxyAfter().PlanetCount(); ++v) {
            order.push_back(v);
        }
        std::shuffle(order.begin(), order.end(), random);
        for (const std::int32_t v : order) {
            if (v == from || used.contains(v) || route.planet == v ||
                std::find(route.via.begin(), route.via.end(), v) != route.via.end() ||
                rules_.GalaxyAfter().Distance(from, v) > reach) {
                continue;
            }
            if (rules_.KindOf(v) == PlanetKind::Destination) {
                route.planet = v;
                return true;
            }
            if (rules_.KindOf(v) == PlanetKind::Relay) {
                route.via.push_back(v);
                if (FirstRoute(v, rules_.RelaySpeed(v), used, route, random)) {
                    return true;
                }
                route.via.pop_back();
            }
        }
        return false;
    }

    /// Calls `found(destination)` for every route from `from`, with the route's relays in `used` meanwhile.
    template <typename Found>
    void Routes(std::int32_t from, double reach, std::set<std::int32_t>& used, Found found) {
        for (std::int32_t v = 1; v <= rules_.GalaxyAfter().PlanetCount(); ++v) {
            if (v == from || used.contains(v) || rules_.GalaxyAfter().Distance(from, v) > reach) {
                continue;
            }
            if (rules_.KindOf(v) == PlanetKind::Destination) {
                found(v);
            } else if (rules_.KindOf(v) == PlanetKind::Relay) {
                used.insert(v);
                Routes(v, rules_.RelaySpeed(v), used, found);
                used.erase(v);
            }
        }
    }

    DispatchRules& rules_;
};

/// A small random galaxy: 7 planets on a 30 x 30 square, some beyond the drive range of the race's
/// planets; equivalent, non-equivalent, idle, fleet, in-flight and two-ship groups about them.
Galaxy RandomGalaxy(std::uint32_t seed) {
    std::mt19937 random(seed);
    const auto below = [&](std::uint32_t n) { return static_cast<std::int32_t>(random() % n); };
    GalaxyContent content;
    content.races = {{"Solvani", 0.5}}; // drive range 20
    for (int i = 1; i <= 7; ++i) {
        content.planets.push_back({"P" + std::to_string(i), double(below(31)), double(below(31)), i == 1 ? "Solvani" : ""});
    }
    // Twin prints as Courier does, so it is equivalent; Hauler is not.
    content.shipTypes = {{"Solvani", "Courier", 1, 0, 0, 0, 0}, {"Solvani", "Twin", 1.001, 0, 0, 0, 0},
                         {"Solvani", "Hauler", 2, 0, 0, 0, 0}};
    content.groups.push_back({1, "Solvani", "Courier", 1, 1 + below(4), 6.0 + below(70) / 10.0, 0, ""});
    const char* types[] = {"Courier", "Twin", "Hauler"};
    for (std::int32_t number = 2; number <= 2 + below(6); ++number) {
        Group group{number, "Solvani", types[below(3)], 2 + below(6), 1 + below(4), 4.0 + below(120) / 10.0, 0, ""};
        group.count = below(5) == 0 ? 2 : 1;
        group.fleet = below(6) == 0 ? "Wing" : "";
        group.from = below(6) == 0 ? 1 : 0;
        content.groups.push_back(group);
    }
    content.selection = 1;
    return Galaxy(std::move(content));
}

TEST(BestDispatchTest, MatchesBruteForceOnSmallGalaxies) {
    int throughRelays = 0; // routes with relays, so that the table is known to try them
    for (std::uint32_t seed = 1; seed <= 1000; ++seed) {
        const Galaxy galaxy = RandomGalaxy(seed);
        const std::vector<OrderResult> noOrders;
        DispatchRules rules(galaxy, 1, galaxy.HighestGroupNumber(), noOrders);
        std::set<std::int32_t> used;
        const int expected = BruteForce(rules).Best(used, rules.ShipsBefore());
        const BestDispatch best = FindBestDispatch(rules, {});
        ASSERT_EQ(expected, static_cast<int>(best.routes.size())) << "seed " << seed;
        EXPECT_FALSE(best.bounded) << "seed " << seed;
        // Each route keeps the rules, and no planet is used twice.
        std::set<std::int32_t> seen;
        for (const DispatchRoute& route : best.routes) {
            std::int32_t from = rules.Source();
            double reach = rules.Speed();
            for (const std::int32_t relay : route.via) {
                EXPECT_EQ(PlanetKind::Relay, rules.KindOf(relay)) << "seed " << seed;
                EXPECT_LE(galaxy.Distance(from, relay), reach) << "seed " << seed;
                EXPECT_TRUE(seen.insert(relay).second) << "seed " << seed;
                from = relay;
                reach = rules.RelaySpeed(relay);
            }
            throughRelays += route.via.empty() ? 0 : 1;
            EXPECT_EQ(PlanetKind::Destination, rules.KindOf(route.planet)) << "seed " << seed;
            EXPECT_LE(galaxy.Distance(from, route.planet), reach) << "seed " << seed;
            EXPECT_TRUE(seen.insert(route.planet).second) << "seed " << seed;
        }
        // Seeded with a careless plan's routes, the flow must undo some of them to reach the bound.
        std::mt19937 random(seed);
        const std::vector<DispatchRoute> careless = BruteForce(rules).CarelessRoutes(random);
        EXPECT_EQ(expected, static_cast<int>(FindBestDispatch(rules, careless).routes.size())) << "seed " << seed;
    }
    EXPECT_GT(throughRelays, 40);
}

TEST(BestDispatchTest, WorkLimitStopsTheSearchAndSaysSo) {
    const Galaxy galaxy = RandomGalaxy(7);
    const std::vector<OrderResult> noOrders;
    DispatchRules rules(galaxy, 1, galaxy.HighestGroupNumber(), noOrders);
    EXPECT_TRUE(FindBestDispatch(rules, {}, 0).bounded);
}

// --- Hand-made galaxies, one for each way a plan falls short ------------------------------------

struct Case {
    const char* name;
    double speed;
    std::int32_t ships;
    std::vector<Planet> planets; // planet 1 is the source, owned
    std::vector<Group> others;   // equivalent groups of the race, numbered from 5
    std::vector<std::string> orders; // as the plug-in sends them
    std::string text;                // the review block
    std::string json;                // the quality object
};

Galaxy CaseGalaxy(const Case& c) {
    GalaxyContent content;
    content.races = {{"Solvani", 1.0}};
    content.planets = c.planets;
    content.shipTypes = {{"Solvani", "Courier", 1, 0, 0, 0, 0}};
    content.groups = {{1, "Solvani", "Courier", 1, c.ships, c.speed, 0, ""}};
    content.groups.insert(content.groups.end(), c.others.begin(), c.others.end());
    content.selection = 1;
    return Galaxy(std::move(content));
}

Group Idle(std::int32_t number, std::int32_t planet, double speed) {
    return {number, "Solvani", "Courier", planet, 1, speed, 0, ""};
}

const std::vector<Case> kCases = {
    {"planet between the printed and the true speed", 10.004, 2,
     {{"Home", 0, 0, "Solvani"}, {"Edge", 10.002, 0, ""}, {"Near", 3, 0, ""}}, {}, {"1 #3 1"},
     "Review: 1 of the 2 planets a best plan covers were covered\n"
     "  covered 1 directly, 0 through relays; best 2 directly, 0 through relays\n"
     "  ships of group 1: 2, sent 1 (0 to relays), 1 stayed home\n"
     "  left in direct reach (speed 10.004, planned range 10.000):\n"
     "    #2 Edge at 10.002: speed_rounding\n"
     "  a best plan adds:\n"
     "    #2 Edge directly\n",
     R"({"covered": 1, "covered_direct": 1, "covered_through_relays": 0, "best_possible": 2, "best_direct": 2, )"
     R"("best_through_relays": 0, "optimal": false, "bounded": false, "ships": {"group": 2, "sent": 1, "sent_direct": 1, )"
     R"("sent_to_relays": 0, "stayed_home": 1}, "left": [{"planet": 2, "name": "Edge", "distance": 10.002, "speed": 10.004, )"
     R"("planned_range": 10.0, "reason": "speed_rounding"}], "best_extra": [{"planet": 2, "name": "Edge", "via": []}], )"
     R"("refused": [], "relays_left_empty": []})"},
    {"planet just beyond the true speed", 9.996, 1,
     {{"Home", 0, 0, "Solvani"}, {"Beyond", 9.998, 0, ""}, {"Near", 3, 0, ""}}, {}, {"1 #2 1"},
     "Review: 0 of the 1 planets a best plan covers were covered\n"
     "  covered 0 directly, 0 through relays; best 1 directly, 0 through relays\n"
     "  ships of group 1: 1, sent 0 (0 to relays), 1 stayed home\n"
     "  left in direct reach (speed 9.996, planned range 10.000):\n"
     "    #3 Near at 3.000: ship_refused\n"
     "  a best plan adds:\n"
     "    #3 Near directly\n"
     "  refused orders:\n"
     "    1 #2 1: planet #2 is out of reach of group 1: distance 9.9980, speed 9.9960\n",
     ""},
    {"dead-end relay chain", 10.0, 1,
     {{"Home", 0, 0, "Solvani"}, {"R1", 10, 0, ""}, {"R2", 5, 9, ""}, {"D", -3, 15, ""}},
     {Idle(5, 2, 12.0), Idle(6, 3, 10.0)}, {},
     "Review: 0 of the 1 planets a best plan covers were covered\n"
     "  covered 0 directly, 0 through relays; best 0 directly, 1 through relays\n"
     "  ships of group 1: 1, sent 0 (0 to relays), 1 stayed home\n"
     "  a best plan adds:\n"
     "    #4 D via #2 R1, #3 R2\n",
     R"({"covered": 0, "covered_direct": 0, "covered_through_relays": 0, "best_possible": 1, "best_direct": 0, )"
     R"("best_through_relays": 1, "optimal": false, "bounded": false, "ships": {"group": 1, "sent": 0, "sent_direct": 0, )"
     R"("sent_to_relays": 0, "stayed_home": 1}, "left": [], "best_extra": [{"planet": 4, "name": "D", "via": [2, 3]}], )"
     R"("refused": [], "relays_left_empty": []})"},
    {"relay planet with a slow and a fast idle group", 10.0, 1,
     {{"Home", 0, 0, "Solvani"}, {"R", 10, 0, ""}, {"D", 25, 0, ""}}, {Idle(5, 2, 20.0), Idle(6, 2, 5.0)}, {},
     "Review: 0 of the 1 planets a best plan covers were covered\n"
     "  covered 0 directly, 0 through relays; best 0 directly, 1 through relays\n"
     "  ships of group 1: 1, sent 0 (0 to relays), 1 stayed home\n"
     "  a best plan adds:\n"
     "    #3 D via #2 R\n",
     ""},
    {"relay left empty: the ship to it refused, its group's order accepted", 9.996, 1,
     {{"Home", 0, 0, "Solvani"}, {"R", 9.998, 0, ""}, {"D", 15, 0, ""}}, {Idle(5, 2, 10.0)}, {"1 #2 1", "5 #3 1"},
     "Review: the plan is the best possible for this turn: 1 planet covered\n"
     "  covered 0 directly, 1 through relays\n"
     "  ships of group 1: 1, sent 0 (0 to relays), 1 stayed home\n"
     "  refused orders:\n"
     "    1 #2 1: planet #2 is out of reach of group 1: distance 9.9980, speed 9.9960\n"
     "  relay planets left empty:\n"
     "    #2 R\n",
     ""},
};

/// The review of the case's orders, applied as the host applies them.
struct ReviewedCase {
    Galaxy galaxy;
    std::optional<PlanReview> review;
};

ReviewedCase Review(const Case& c) {
    ReviewedCase reviewed{CaseGalaxy(c), std::nullopt};
    const std::int32_t highest = reviewed.galaxy.HighestGroupNumber();
    RunOutcome outcome;
    outcome.addRequests = 1;
    OrderChecker checker(reviewed.galaxy);
    for (const std::string& order : c.orders) {
        outcome.orders.push_back(checker.CheckAndApply(order, "Solvani"));
    }
    reviewed.review = ReviewPlan(reviewed.galaxy, 1, highest, outcome);
    return reviewed;
}

TEST(PlanReviewTest, HandMadeGalaxiesGiveEachReason) {
    for (const Case& c : kCases) {
        const ReviewedCase reviewed = Review(c);
        ASSERT_TRUE(reviewed.review.has_value()) << c.name;
        std::ostringstream text;
        WriteReviewText(text, reviewed.review, reviewed.galaxy);
        EXPECT_EQ(c.text, text.str()) << c.name;
        if (!std::string(c.json).empty()) {
            EXPECT_EQ(c.json, ToJsonLine(ReviewJson(reviewed.review, reviewed.galaxy))) << c.name;
        }
        std::istringstream lines(text.str());
        for (std::string line; std::getline(lines, line);) {
            EXPECT_LE(line.size(), kReviewColumns) << c.name << ": " << line;
        }
    }
}

TEST(PlanReviewTest, NoReviewWithoutAPlan) {
    const Galaxy galaxy = CaseGalaxy(kCases.front());
    RunOutcome cancelled;
    cancelled.cancelPressed = true;
    const std::optional<PlanReview> review = ReviewPlan(galaxy, 1, galaxy.HighestGroupNumber(), cancelled);
    EXPECT_FALSE(review.has_value());
    std::ostringstream text;
    WriteReviewText(text, review, galaxy);
    EXPECT_EQ("", text.str());
    EXPECT_TRUE(ReviewJson(review, galaxy).is_null());
}

} // namespace
} // namespace host
