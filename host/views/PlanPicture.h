// PlanPicture.h - the --svg picture of a plan: the part of the galaxy it covers, the source and every order.
//
// The picture frames the plan (the source, the group's reach and every order);
// when that is a small part of the galaxy, an overview of the whole galaxy
// beside the legend shows where the frame lies. Planets that take part
// (source, relays, targets) are drawn bright, the others faded by what they
// are to the plan. Each relay chain has its own colour. Names are placed where
// they overlap nothing; those that would are left out, and the legend says how
// many. With the plan's review, a ring marks each planet the plan left in
// direct reach and each a best plan adds; the ring's title says why. A run that ended without a plan (cancelled, or the plug-in's message)
// says so under the title. The text is a complete, well-formed SVG document:
// every name is escaped and no number in it is infinite or NaN.
#pragma once

#include "galaxy/Galaxy.h"
#include "answer/RunOutcome.h"
#include "review/PlanReview.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace host {

/// `galaxy` as the orders left it; `selectedGroup` the number of the group the command ran on;
/// `review` the plan's review, or null to draw no marks.
std::string DrawPlanSvg(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome,
                        const PlanReview* review = nullptr);

/// `text` with &, <, >, " and ' replaced by their XML entities, control characters other than
/// tab and line ends by blanks and bytes that are not UTF-8 by U+FFFD: always well-formed XML text.
std::string EscapeXml(std::string_view text);

} // namespace host
