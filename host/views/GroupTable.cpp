// GroupTable.cpp - the selectable groups as aligned columns or JSON, and the command that plans one.
#include "views/GroupTable.h"

#include "views/RunReport.h"
#include "text/SafeText.h"
#include "text/ShellText.h"
#include "text/TextColumns.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace host {
namespace {

constexpr std::size_t kColumnCount = 7;
using Row = std::array<std::string, kColumnCount>;
const Row kHeader = {"Group", "Race", "Type", "Ships", "Planet", "Uncovered in reach", "Relays in reach"};
constexpr const char* kIndent = "  ";
constexpr const char* kColumnGap = "  ";

/// "#78 Xexetu". Appended piece by piece: "#" + a temporary trips GCC 12's false -Wrestrict
/// report at -O2 (GCC bug 105329).
std::string PlanetText(const Galaxy& galaxy, std::int32_t planet) {
    std::string text = "#";
    text.append(std::to_string(planet)).append(" ").append(EscapeControls(galaxy.PlanetAt(planet).name));
    return text;
}

Row RowOf(const Galaxy& galaxy, const GroupProspect& prospect) {
    const Group& group = *prospect.group;
    return {std::to_string(group.number),
            EscapeControls(group.race),
            EscapeControls(group.type),
            std::to_string(group.count),
            PlanetText(galaxy, group.planet),
            std::to_string(prospect.uncoveredInReach),
            std::to_string(prospect.relaysInReach)};
}

} // namespace

void WriteGroupTable(std::ostream& out, const Galaxy& galaxy, const std::vector<GroupProspect>& shown,
                     std::size_t selectable) {
    out << "'" << EscapeControls(galaxy.Game()) << "': " << CountedText(static_cast<std::int64_t>(selectable), "group", "groups")
        << " can be selected";
    if (shown.empty()) {
        out << ".\n";
        return;
    }
    if (shown.size() < selectable) {
        out << "; the " << shown.size() << " largest:\n";
    } else {
        out << ", the largest first:\n";
    }
    std::vector<Row> rows = {kHeader};
    for (const GroupProspect& prospect : shown) {
        rows.push_back(RowOf(galaxy, prospect));
    }
    std::array<std::size_t, kColumnCount> widths{};
    for (const Row& row : rows) {
        for (std::size_t c = 0; c < kColumnCount; ++c) {
            widths[c] = std::max(widths[c], DisplayColumns(row[c]));
        }
    }
    for (const Row& row : rows) {
        out << kIndent;
        for (std::size_t c = 0; c + 1 < kColumnCount; ++c) {
            out << PadToColumns(row[c], widths[c]) << kColumnGap;
        }
        out << row.back() << '\n';
    }
}

OrderedJson GroupsJson(const Galaxy& galaxy, const std::vector<GroupProspect>& shown, std::size_t selectable) {
    OrderedJson groups = OrderedJson::array();
    for (const GroupProspect& prospect : shown) {
        const Group& group = *prospect.group;
        groups.push_back({{"number", group.number},
                          {"race", group.race},
                          {"type", group.type},
                          {"ships", group.count},
                          {"planet", group.planet},
                          {"planet_name", galaxy.PlanetAt(group.planet).name},
                          {"uncovered_in_reach", prospect.uncoveredInReach},
                          {"relays_in_reach", prospect.relaysInReach},
                          {"likely_relays", prospect.likelyRelays}});
    }
    return {{"game", galaxy.Game()}, {"selectable", selectable}, {"groups", std::move(groups)}};
}

std::string PlanCommandFor(const std::optional<std::filesystem::path>& galaxy, std::int32_t group) {
    std::string command = HostAsRun() + " plan";
    if (galaxy) {
        command.append(" --galaxy ").append(ShellWord(galaxy->string()));
    }
    return command.append(" --select ").append(std::to_string(group));
}

} // namespace host
