// DispatchRules.h - one dispatch's rules as they stood before the plan's orders: which planets a
// ship may cover, which pass one on, and the ranges the plug-in and the host work with.
//
// The review runs after the plan, on the galaxy as the orders left it: the state before them is
// read back through the orders (groups numbered above the highest before the run are the orders'
// own; each accepted order took one ship from its group). Coverage and equivalence are those the
// plug-in sees through the host's answers (the five values to two places); distances are checked
// exactly, as the host checks an order. A planet's kind is worked out once, on first use, so a
// review costs what the planets near the source and its relays cost, not the galaxy's size.
// Holds references to the galaxy and the orders: both must outlive it.
#pragma once

#include "answer/OrderChecker.h"
#include "galaxy/Galaxy.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace host {

/// A planet's part in a dispatch, before the plan's orders.
enum class PlanetKind : std::uint8_t {
    Unjudged,    // not yet worked out
    Source,      // the selected group's planet: never sent to
    OutOfRange,  // beyond the race's drive range of every planet it owns
    Destination, // holds no group of an equivalent type: a ship there covers it
    Relay,       // holds an idle one-ship group of an equivalent type, which can pass a ship on
    Held,        // holds an equivalent group that cannot pass a ship on
};

class DispatchRules {
public:
    /// `galaxy` as the orders left it; `orders` as the host judged them; `highestGroupBefore` the
    /// galaxy's highest group number before the run. The selected group must exist.
    DispatchRules(const Galaxy& galaxy, std::int32_t selectedGroup, std::int32_t highestGroupBefore,
                  const std::vector<OrderResult>& orders);

    const Galaxy& GalaxyAfter() const { return galaxy_; }
    std::int32_t SelectedGroup() const { return selected_.number; }
    std::int32_t Source() const { return selected_.planet; }
    /// The selected group's ships before the orders.
    std::int32_t ShipsBefore() const { return CountBefore(selected_); }
    /// The group's speed as the host checks an order: exact.
    double Speed() const { return selected_.speed; }
    /// The range the plug-in plans with: the speed as the host prints it ("%.2f"), in whole
    /// hundredths, times the single-precision 0.01, as its "%f" text reads.
    double PlannedRange() const { return plannedRange_; }
    /// The race's drive range as the plug-in asks for it: drive technology to two places times 40, in single precision.
    double DriveRange() const { return driveRange_; }

    PlanetKind KindOf(std::int32_t planet);
    /// The speed of the fastest idle one-ship group of an equivalent type on a Relay planet.
    double RelaySpeed(std::int32_t planet);

    /// Appends to `out`, ascending, the planets within `range` of `centre` (the centre included).
    void PlanetsWithin(std::int32_t centre, double range, std::vector<std::int32_t>& out) const {
        galaxy_.PlanetsWithinRange(centre, range, out);
    }

private:
    std::int32_t CountBefore(const Group& group) const;
    bool WithinDriveRange(std::int32_t planet);
    PlanetKind JudgeKind(std::int32_t planet);

    const Galaxy& galaxy_;
    const Group& selected_;
    std::int32_t highestGroupBefore_;
    std::vector<const std::string*> equivalentTypes_;
    std::unordered_map<std::int32_t, std::int32_t> shipsSentBy_; // group -> accepted orders it gave
    double plannedRange_ = 0.0;
    double driveRange_ = 0.0;
    std::vector<PlanetKind> kinds_;                       // [planet], Unjudged until first asked
    std::unordered_map<std::int32_t, double> relaySpeed_; // Relay planets judged so far
    std::vector<std::int32_t> near_;                      // scratch for the drive-range test
};

/// A decimal as the plug-in's "%f" text of it reads back.
double AsPrintedRange(double value);

} // namespace host
