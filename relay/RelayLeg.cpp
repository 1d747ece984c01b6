// RelayLeg.cpp - extending a relay chain by one hop, releasing it, and turning it into orders.
#include "relay/RelayLeg.h"

#include "cells/CellTree.h"
#include "cells/LongSet.h"
#include "context/DispatchContext.h"
#include "platform/Conversions.h"
#include "relay/HostNumbers.h"

#include <new>

namespace {

// A hop takes relay planets only between a quarter and a half turn away from the
// ray back to the source, in whole milliradians, both ends included.
constexpr std::int32_t kQuarterTurn = 1570;
constexpr std::int32_t kHalfTurn = 3141;

bool Contains(const LongSet& set, std::int32_t planet) {
    return set.Contains(planet) != 0;
}

} // namespace

RelayLeg::RelayLeg(std::int32_t planet_, std::int32_t sourcePlanet_, std::int32_t angleKey,
                   std::int32_t group_, std::int32_t speed_, std::int32_t terminal_,
                   RelayLeg* previous_)
    : CCellLong(angleKey), terminal(terminal_), planet(planet_), sourcePlanet(sourcePlanet_),
      group(group_), speed(speed_), previous(previous_) {
}

RelayLeg::~RelayLeg() {
    // Delete the rest of the chain hop by hop; each hop is detached first, so its own
    // destructor finds nothing more to delete.
    RelayLeg* hop = next;
    next = nullptr;
    while (hop != nullptr) {
        RelayLeg* after = hop->next;
        hop->next = nullptr;
        delete hop;
        hop = after;
    }
}

const RelayLeg& RelayLeg::LastLeg() const {
    const RelayLeg* last = this;
    while (last->next != nullptr) {
        last = last->next;
    }
    return *last;
}

std::int32_t RelayLeg::Extend(DispatchContext& context, const CellTree& equivalentTypes,
                              LongSet& visitedPlanets) {
    // Only the chain's last leg does the work.
    if (next != nullptr) {
        return const_cast<RelayLeg&>(LastLeg()).Extend(context, equivalentTypes, visitedPlanets);
    }
    if (terminal != 0) {
        return kEndsAtDestination;
    }

    CMapStringToString range(10);
    CMapStringToString groupDetails(10);
    context.Query(relay::RangeQuery(planet, sourcePlanet, relay::HundredthsAsDecimal(speed)),
                  range);
    const std::int32_t count = relay::WalkableEntries(platform::atol(range["Count"]), range);

    // Destinations: the first listed planet that is free and holds nothing equivalent.
    for (std::int32_t i = 1; i <= count; ++i) {
        const std::int32_t v = relay::ReadPlanetEntry(range[relay::IndexedKey("Planet.", i)]);
        if (v == planet || v == sourcePlanet || Contains(visitedPlanets, v) ||
            !Contains(context.reachablePlanets, v) ||
            context.FindGroupOfType(v, equivalentTypes) != 0) {
            continue;
        }
        // A hop's key is never compared, so it is not folded onto a turn.
        const std::int32_t key =
            relay::TruncatedMilliradians(platform::atof(range[relay::IndexedKey("Angle.", i)]));
        return AppendHop(new (std::nothrow) RelayLeg(v, context.sourcePlanet, key, 0, 0, 1, this),
                         visitedPlanets);
    }

    // Relays: the last listed planet with an idle one-ship group of an equivalent type.
    for (std::int32_t i = count; i >= 1; --i) {
        const std::int32_t v = relay::ReadPlanetEntry(range[relay::IndexedKey("Planet.", i)]);
        if (v == planet || v == sourcePlanet) {
            continue;
        }
        const std::int32_t key =
            relay::NormalisedAngleKey(platform::atof(range[relay::IndexedKey("Angle.", i)]));
        if (IsHop() && (key < kQuarterTurn || key > kHalfTurn)) {
            continue; // a hop carries on forwards, never back towards the source
        }
        if (Contains(visitedPlanets, v) || !Contains(context.reachablePlanets, v)) {
            continue;
        }
        const std::int32_t relayGroup = context.FindIdleRelayGroup(v, equivalentTypes);
        if (relayGroup == 0) {
            continue;
        }
        CString query;
        query.Format("Get Group %d", relayGroup);
        context.Query(query, groupDetails);
        const std::int32_t relaySpeed = relay::Hundredths(groupDetails["Speed"]);
        return AppendHop(new (std::nothrow) RelayLeg(v, context.sourcePlanet, key, relayGroup,
                                                     relaySpeed, 0, this),
                         visitedPlanets);
    }
    return kNoHop;
}

// Links `hop` as this leg's next and takes its planet; a hop that could not be
// allocated (null) links nothing, and the chain is then treated as stuck.
std::int32_t RelayLeg::AppendHop(RelayLeg* hop, LongSet& visitedPlanets) {
    if (hop == nullptr) {
        return kNoHop;
    }
    next = hop;
    visitedPlanets.AddKey(hop->planet);
    return hop->terminal != 0 ? kEndsAtDestination : kRelayAdded;
}

void RelayLeg::Rollback(LongSet& visitedPlanets) const {
    // From the end backwards to this leg; a first leg's planet is the source, never released.
    for (const RelayLeg* leg = &LastLeg();; leg = leg->previous) {
        if (leg->IsHop()) {
            LongSetNode* pos = visitedPlanets.Find(leg->planet);
            if (pos != nullptr) {
                visitedPlanets.Remove(' ', pos);
            }
        }
        if (leg == this || leg->previous == nullptr) {
            break;
        }
    }
}

std::int32_t RelayLeg::EmitOrders(DispatchContext& context) const {
    for (const RelayLeg* leg = this; leg->next != nullptr; leg = leg->next) {
        CString order;
        order.Format("%d #%d 1", leg->group, leg->next->planet);
        context.orders.AddTail(order);
    }
    return 1;
}
