// PlanPicture.h - the --svg picture of a plan: the galaxy's planets, the source and every order as an arrow.
//
// Planets are told apart as the selection's race sees them: its own, those
// within its drive range (40 x drives technology of any own planet) and the
// rest. Accepted orders of the selected group that end at a planet from which
// a relay group sent a ship on are drawn with that relay's onward orders as
// one chain, each chain in its own colour; other accepted orders of the group
// are direct sends; refused orders are drawn apart. The text is a complete,
// well-formed SVG document; every name in it is escaped.
#pragma once

#include "host/Galaxy.h"
#include "host/OrderChecker.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host {

/// `galaxy` as the orders left it; `selectedGroup` the number of the group the command ran on.
std::string DrawPlanSvg(const Galaxy& galaxy, std::int32_t selectedGroup,
                        const std::vector<OrderResult>& orders);

/// `text` with &, <, >, " and ' replaced by their XML entities.
std::string EscapeXml(std::string_view text);

} // namespace host
