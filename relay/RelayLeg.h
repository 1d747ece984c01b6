// RelayLeg.h - one link of a relay chain: a ship standing at, or sent to, one planet.
//
// A first leg stands at the source planet and lives in the planner's leg tree,
// ordered by its angle key (the CCellLong value). Each Extend adds at most one
// hop at the chain's end: a terminal hop (a destination) or a relay hop (an
// idle one-ship group of an equivalent type that carries the dispatch on).
//
// Ownership: the leg tree owns first legs; every leg owns its `next`, so
// deleting a first leg deletes its whole chain. `previous` is a plain back
// pointer. Chains may be as long as there are reachable planets, so walks and
// destruction along a chain are loops, never recursion.
#pragma once

#include "cells/Cell.h"

#include <cstdint>

class CellTree;
class DispatchContext;
class LongSet;

class RelayLeg : public CCellLong {
public:
    /// Extend's results.
    enum ExtendResult : std::int32_t { kNoHop = -1, kEndsAtDestination = 0, kRelayAdded = 1 };

    RelayLeg(std::int32_t planet, std::int32_t sourcePlanet, std::int32_t angleKey,
             std::int32_t group, std::int32_t speed, std::int32_t terminal, RelayLeg* previous);
    ~RelayLeg() override;

    /// Adds one hop at the end of this leg's chain: 1 a relay hop, 0 the chain ends (or
    /// already ended) at a destination, -1 no hop possible. Asks the host only when the
    /// chain has no terminal hop yet.
    std::int32_t Extend(DispatchContext& context, const CellTree& equivalentTypes,
                        LongSet& visitedPlanets);
    /// Gives the planets of the chain's hops back to `visitedPlanets`, from the chain's
    /// end backwards. Unlinks and deletes nothing.
    void Rollback(LongSet& visitedPlanets) const;
    /// Appends "%d #%d 1" per hop of the chain to the context's orders; always 1.
    std::int32_t EmitOrders(DispatchContext& context) const;

    std::int32_t terminal = 0;     // 1 on a hop that ends the chain at a destination
    std::int32_t planet = 0;       // the source for a first leg, the planet reached for a hop
    std::int32_t sourcePlanet = 0; // the dispatch's source: the same in every leg of a plan
    std::int32_t group = 0;        // group leaving `planet` for the next hop; 0 on a terminal hop
    std::int32_t speed = 0;        // that group's speed in hundredths: the range of the next hop
    RelayLeg* previous = nullptr;  // the leg before this one; not owned
    RelayLeg* next = nullptr;      // the following hop; owned

private:
    bool IsHop() const { return planet != sourcePlanet; }
    const RelayLeg& LastLeg() const;
    std::int32_t AppendHop(RelayLeg* hop, LongSet& visitedPlanets);
};
