// PlanPage.cpp - the plan's scene as the page's JSON block, poured into the page's skeleton.
#include "views/PlanPage.h"

#include "json/JsonText.h"
#include "views/PlanPageText.h"
#include "views/PlanPicture.h"
#include "views/PlanScene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

namespace host {
namespace {

OrderedJson BoxJson(const PlanBox& box) { return OrderedJson::array({box.minX, box.minY, box.maxX, box.maxY}); }

// Above this many planets a page that carries every planet is too large to use (a million
// planets make some 45 MB of data that a browser parses for seconds and redraws slowly), so
// the page carries the plan's planets and those around it in full and the rest of the galaxy
// as a density map.
constexpr std::int32_t kPagePlanetsInFull = 100000;
// Cells across the density map's longer side.
constexpr std::int32_t kDensityCells = 512;

/// Which planets the page carries, and where: entry 1, 2, ... of its columns. A page of a galaxy
/// up to kPagePlanetsInFull planets carries them all, entry n being planet n.
class PageEntries {
public:
    explicit PageEntries(const PlanScene& scene) {
        const std::int32_t planets = scene.GalaxyDrawn().PlanetCount();
        if (planets <= kPagePlanetsInFull) {
            return;
        }
        entryOf_.assign(static_cast<std::size_t>(planets) + 1, 0);
        // The plan's planets and those in its reach always; the rest of its frame while they fit.
        for (const bool inFrame : {false, true}) {
            for (std::int32_t number = 1; number <= planets; ++number) {
                const bool wanted = inFrame ? IsInFrame(scene, number)
                                            : scene.RoleOf(number) <= PlanetRole::InReach || scene.IsMarked(number);
                if (wanted && !Carries(number) && (!inFrame || numbers_.size() < static_cast<std::size_t>(kPagePlanetsInFull))) {
                    numbers_.push_back(number);
                    entryOf_[static_cast<std::size_t>(number)] = static_cast<std::int32_t>(numbers_.size());
                }
            }
        }
    }

    bool Thinned() const { return !entryOf_.empty(); }
    std::int32_t Count(const PlanScene& scene) const {
        return Thinned() ? static_cast<std::int32_t>(numbers_.size()) : scene.GalaxyDrawn().PlanetCount();
    }
    /// The planet number of entry `entry` (1-based).
    std::int32_t NumberAt(std::int32_t entry) const {
        return Thinned() ? numbers_[static_cast<std::size_t>(entry - 1)] : entry;
    }
    /// The entry of planet `number`; 0 for a planet the page does not carry, or no planet.
    std::int32_t EntryOf(std::int32_t number) const {
        if (!Thinned()) {
            return number;
        }
        return number >= 1 && static_cast<std::size_t>(number) < entryOf_.size()
                   ? entryOf_[static_cast<std::size_t>(number)]
                   : 0;
    }
    bool Carries(std::int32_t number) const { return EntryOf(number) != 0; }
    const std::vector<std::int32_t>& Numbers() const { return numbers_; }

private:
    static bool IsInFrame(const PlanScene& scene, std::int32_t number) {
        const Planet& planet = scene.GalaxyDrawn().PlanetAt(number);
        return scene.Frame().Contains(planet.x, planet.y);
    }

    std::vector<std::int32_t> numbers_;  // entry - 1 -> planet number, when thinned
    std::vector<std::int32_t> entryOf_;  // planet number -> entry (0: not carried); empty when not thinned
};

/// How many of the planets the page does not carry lie in each cell of a grid over the whole
/// galaxy, row by row: the page shades each cell by its count.
OrderedJson DensityJson(const PlanScene& scene, const PageEntries& entries) {
    const PlanBox& whole = scene.Whole();
    const double side = std::max({whole.Width(), whole.Height(), 1e-9});
    const double cell = side / kDensityCells;
    const auto columns = std::clamp(static_cast<std::int32_t>(std::ceil(whole.Width() / cell)), 1, kDensityCells);
    const auto rows = std::clamp(static_cast<std::int32_t>(std::ceil(whole.Height() / cell)), 1, kDensityCells);
    std::vector<std::int32_t> counts(static_cast<std::size_t>(columns) * static_cast<std::size_t>(rows), 0);
    const Galaxy& galaxy = scene.GalaxyDrawn();
    std::int32_t shaded = 0;
    for (std::int32_t number = 1; number <= galaxy.PlanetCount(); ++number) {
        if (entries.Carries(number)) {
            continue;
        }
        const Planet& planet = galaxy.PlanetAt(number);
        const auto column = std::clamp(static_cast<std::int32_t>((planet.x - whole.minX) / cell), 0, columns - 1);
        const auto row = std::clamp(static_cast<std::int32_t>((planet.y - whole.minY) / cell), 0, rows - 1);
        ++counts[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(column)];
        ++shaded;
    }
    return {{"columns", columns}, {"rows", rows}, {"cell", cell}, {"planets", shaded}, {"counts", counts}};
}

OrderedJson RolesJson(const PlanScene& scene) {
    std::map<PlanetRole, std::size_t> counts;
    for (std::int32_t number = 1; number <= scene.GalaxyDrawn().PlanetCount(); ++number) {
        ++counts[scene.RoleOf(number)];
    }
    OrderedJson roles = OrderedJson::array();
    for (PlanetRole role : kAllRoles) {
        const RoleStyle style = StyleOfRole(role);
        roles.push_back({{"key", RoleKey(role)}, {"label", RoleLabel(role)}, {"fill", style.fill},
                         {"stroke", style.stroke}, {"radius", style.radius}, {"count", counts[role]}});
    }
    return roles;
}

/// Planets as columns (x, y, name, owner, role) rather than one object each: a third of the size.
/// A thinned page adds the column of planet numbers, since its entries are not numbered as the planets.
OrderedJson PlanetsJson(const PlanScene& scene, const PageEntries& entries, OrderedJson& owners) {
    std::map<std::string, std::size_t> ownerIndex{{"", 0}};
    owners = OrderedJson::array({""});
    OrderedJson x = OrderedJson::array(), y = OrderedJson::array(), name = OrderedJson::array();
    OrderedJson owner = OrderedJson::array(), role = OrderedJson::array();
    const Galaxy& galaxy = scene.GalaxyDrawn();
    for (std::int32_t at = 1; at <= entries.Count(scene); ++at) {
        const std::int32_t number = entries.NumberAt(at);
        const Planet& planet = galaxy.PlanetAt(number);
        x.push_back(planet.x);
        y.push_back(planet.y);
        name.push_back(planet.name);
        const auto [entry, added] = ownerIndex.try_emplace(planet.owner, ownerIndex.size());
        if (added) {
            owners.push_back(planet.owner);
        }
        owner.push_back(entry->second);
        role.push_back(static_cast<int>(scene.RoleOf(number)));
    }
    OrderedJson columns = {{"x", x}, {"y", y}, {"name", name}, {"owner", owner}, {"role", role}};
    if (entries.Thinned()) {
        columns["number"] = entries.Numbers();
    }
    return columns;
}

// Planets in the orders and arrows are the page's entries (the planets themselves but on a thinned page).
OrderedJson OrdersJson(const PlanScene& scene, const PageEntries& entries) {
    OrderedJson orders = OrderedJson::array();
    for (const OrderResult& order : scene.Outcome().orders) {
        orders.push_back({{"order", order.order},
                          {"accepted", order.accepted},
                          {"reason", order.reason},
                          {"group", order.group},
                          {"from", entries.EntryOf(order.origin)},
                          {"to", entries.EntryOf(order.destination)},
                          {"relay", order.accepted && order.group != scene.Selected().number}});
    }
    return orders;
}

OrderedJson ArrowsJson(const PlanScene& scene, const PageEntries& entries) {
    OrderedJson arrows = OrderedJson::array();
    for (const PlanArrow& arrow : scene.Arrows()) {
        arrows.push_back({{"from", entries.EntryOf(arrow.from)}, {"to", entries.EntryOf(arrow.to)}, {"chain", arrow.chain},
                          {"refused", arrow.refused}, {"order", arrow.order}});
    }
    return arrows;
}

/// The review's marks: a legend entry each, and each marked planet with its marks (indexes into
/// the legend's list) and the sentences that say why; null when the run was not reviewed.
OrderedJson ReviewMarksJson(const PlanScene& scene, const PageEntries& entries) {
    if (!scene.Reviewed()) {
        return nullptr;
    }
    OrderedJson legend = OrderedJson::array();
    for (const ReviewMark mark : kAllMarks) {
        legend.push_back({{"key", MarkKey(mark)}, {"label", MarkLabel(mark)}, {"colour", MarkColour(mark)},
                          {"count", scene.CountMarks(mark)}});
    }
    OrderedJson planets = OrderedJson::array();
    for (const std::int32_t number : scene.MarkedPlanets()) {
        OrderedJson marks = OrderedJson::array();
        for (std::size_t at = 0; at < std::size(kAllMarks); ++at) {
            if (scene.HasMark(number, kAllMarks[at])) {
                marks.push_back(at);
            }
        }
        planets.push_back({{"planet", entries.EntryOf(number)}, {"marks", marks}, {"notes", scene.MarkNotes(number)}});
    }
    return {{"legend", legend}, {"planets", planets}};
}

OrderedJson SceneJson(const PlanScene& scene) {
    const Galaxy& galaxy = scene.GalaxyDrawn();
    const Group& group = scene.Selected();
    const std::string sourceName = scene.Source() != 0 ? galaxy.PlanetAt(scene.Source()).name : std::string("?");
    const PlanBox& whole = scene.Whole();
    // The usual distance between neighbouring planets, by which the page sizes its dots.
    const double spacing = std::sqrt(whole.Width() * whole.Height() / std::max(galaxy.PlanetCount(), 1));
    const PageEntries entries(scene);
    OrderedJson owners;
    OrderedJson planets = PlanetsJson(scene, entries, owners);
    std::vector<std::int32_t> participants = scene.Participants();
    for (std::int32_t& participant : participants) {
        participant = entries.EntryOf(participant);
    }
    OrderedJson json = {{"title", galaxy.Game() + ", turn " + std::to_string(galaxy.Turn())},
            {"subtitle", "Group " + std::to_string(group.number) + " (" + group.type.Text() + ", " +
                             group.race.Text() + ") from " + sourceName + ": " + scene.SendsSummary()},
            {"note", scene.EndingNote()},
            {"source", entries.EntryOf(scene.Source())},
            {"reach", std::isfinite(group.speed) ? group.speed : 0.0},
            {"frame", BoxJson(scene.Frame())},
            {"whole", BoxJson(whole)},
            {"spacing", std::isfinite(spacing) ? spacing : 1.0},
            {"firstFadedRole", static_cast<int>(PlanetRole::InReach)},
            {"roles", RolesJson(scene)},
            {"colours", {{"direct", kDirectColour}, {"refused", kRefusedColour},
                         {"chains", std::vector<std::string>(std::begin(kChainColours), std::end(kChainColours))}}},
            {"owners", owners},
            {"planets", planets},
            {"participants", participants},
            {"arrows", ArrowsJson(scene, entries)},
            {"orders", OrdersJson(scene, entries)},
            {"review", ReviewMarksJson(scene, entries)}};
    if (entries.Thinned()) {
        json["density"] = DensityJson(scene, entries);
    }
    return json;
}

/// JSON text that is safe inside a script element: '<' only ever stands in strings, where
/// \u003c means the same, so no "</script>" or "<!--" in a name can end the block early.
std::string ScriptSafeJson(const OrderedJson& value) {
    const std::string text = value.dump(-1, ' ', false, OrderedJson::error_handler_t::replace);
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch == '<') {
            out += "\\u003c";
        } else {
            out += ch;
        }
    }
    return out;
}

/// Replaces the first `{{name}}` at or after `from` by `text`; returns where the text ends, so that
/// the next marker is looked for after it and never inside text that came from the galaxy.
std::size_t Fill(std::string& page, std::size_t from, std::string_view name, std::string_view text) {
    const std::string marker = "{{" + std::string(name) + "}}";
    const std::size_t at = page.find(marker, from);
    if (at == std::string::npos) {
        return from;
    }
    page.replace(at, marker.size(), text);
    return at + text.size();
}

} // namespace

std::string WritePlanPage(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome,
                          const PlanReview* review) {
    const PlanScene scene(galaxy, selectedGroup, outcome, review);
    std::string page(PlanPageHtml());
    std::size_t at = Fill(page, 0, "title", EscapeXml(galaxy.Game() + ", turn " + std::to_string(galaxy.Turn())));
    at = Fill(page, at, "style", PlanPageStyle());
    at = Fill(page, at, "data", ScriptSafeJson(SceneJson(scene)));
    Fill(page, at, "script", PlanPageScript());
    return page;
}

} // namespace host
