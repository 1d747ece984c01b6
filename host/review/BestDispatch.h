// BestDispatch.h - the best possible dispatch for one turn: a maximum flow of the selected group's
// ships to uncovered planets, directly or through relay planets.
//
// The network, under DispatchRules: the source planet sends at most its group's ships; a ship
// goes from a planet to any planet within the sending group's exact speed that is a Destination
// or a Relay (never the source); a Relay passes one ship on once, with its fastest idle group's
// speed; a Destination takes one ship and counts one. The graph is discovered as the search goes
// (each planet's neighbours asked for once, on first use), and the flow grows by shortest
// augmenting paths from the paths it is seeded with (the plan's own chains), so the planets the
// plan covered stay covered and those the best plan adds come out apart. The flow is never larger
// than the ship count. A work limit bounds dense relay fields: past it, the search stops with a
// flow that is a lower bound, and says so.
#pragma once

#include "review/DispatchRules.h"

#include <cstdint>
#include <vector>

namespace host {

/// One ship's way in a dispatch: the relay planets it goes through, in order, then the planet it covers.
struct DispatchRoute {
    std::vector<std::int32_t> via;
    std::int32_t planet = 0;
};

struct BestDispatch {
    std::vector<DispatchRoute> routes; // one per planet covered, ascending by planet
    bool bounded = false;              // stopped at the work limit: at least this many can be covered
    std::int64_t work = 0;             // neighbours listed and arcs looked at
};

/// The default work limit: about a tenth of a second of searching on the machines the project targets.
inline constexpr std::int64_t kBestDispatchWorkLimit = 4'000'000;

/// The best dispatch under `rules`. `seeds` are routes to keep (the plan's): a seed that breaks the
/// rules, or meets a planet an earlier seed took, is left out.
BestDispatch FindBestDispatch(DispatchRules& rules, const std::vector<DispatchRoute>& seeds,
                              std::int64_t workLimit = kBestDispatchWorkLimit);

} // namespace host
