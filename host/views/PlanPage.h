// PlanPage.h - the --html plan page: one self-contained interactive view of the galaxy and the plan.
//
// The page holds everything it needs inline: its style, a small script and
// the plan as one JSON block (planets, roles, arrows, orders), the same scene
// the SVG picture draws. It loads nothing from the network. The script lets the
// player pan and zoom, shows a planet's name, owner and orders on hover, lists
// the orders in a table whose rows highlight their arrows and switches layers.
// With the plan's review it rings the planets the plan left and those a best
// plan adds, and a ringed planet's card says why.
#pragma once

#include "galaxy/Galaxy.h"
#include "answer/RunOutcome.h"
#include "review/PlanReview.h"

#include <cstdint>
#include <string>

namespace host {

/// The whole HTML document; `galaxy` as the orders left it, `selectedGroup` the group the command ran
/// on, `review` the plan's review or null for a page without its marks.
std::string WritePlanPage(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome,
                          const PlanReview* review = nullptr);

} // namespace host
