// GroupTable.h - the groups command's output: a table for a person, one JSON object for a program.
//
// Both show the same prospects in the same order. Names from the galaxy file are
// shown escaped (a control character never reaches the terminal raw).
#pragma once

#include "galaxy/GroupSurvey.h"
#include "json/JsonText.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace host {

/// "'Lantern Reach': 3 groups can be selected", then the table, largest first.
void WriteGroupTable(std::ostream& out, const Galaxy& galaxy, const std::vector<GroupProspect>& shown,
                     std::size_t selectable);

/// {"game": ..., "selectable": n, "groups": [{"number": 7, "race": ..., "type": ..., "ships": 10, "planet": 1,
/// "planet_name": ..., "uncovered_in_reach": 9, "relays_in_reach": 2, "likely_relays": true}, ...]}
OrderedJson GroupsJson(const Galaxy& galaxy, const std::vector<GroupProspect>& shown, std::size_t selectable);

/// "tarvenix-host plan --galaxy g.json --select 7": the host named as it was run, the galaxy's
/// path quoted for the system's shell where it needs to be; without a galaxy file, the built-in
/// galaxy's command.
std::string PlanCommandFor(const std::optional<std::filesystem::path>& galaxy, std::int32_t group);

} // namespace host
