// PlanPage.cpp - the plan's scene as the page's JSON block, poured into the page's skeleton.
#include "views/PlanPage.h"

#include "json/JsonText.h"
#include "views/PlanPageText.h"
#include "views/PlanPicture.h"
#include "views/PlanScene.h"

#include <cmath>
#include <map>
#include <string_view>

namespace host {
namespace {

OrderedJson BoxJson(const PlanBox& box) { return OrderedJson::array({box.minX, box.minY, box.maxX, box.maxY}); }

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
OrderedJson PlanetsJson(const PlanScene& scene, OrderedJson& owners) {
    std::map<std::string, std::size_t> ownerIndex{{"", 0}};
    owners = OrderedJson::array({""});
    OrderedJson x = OrderedJson::array(), y = OrderedJson::array(), name = OrderedJson::array();
    OrderedJson owner = OrderedJson::array(), role = OrderedJson::array();
    const Galaxy& galaxy = scene.GalaxyDrawn();
    for (std::int32_t number = 1; number <= galaxy.PlanetCount(); ++number) {
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
    return {{"x", x}, {"y", y}, {"name", name}, {"owner", owner}, {"role", role}};
}

OrderedJson OrdersJson(const PlanScene& scene) {
    OrderedJson orders = OrderedJson::array();
    for (const OrderResult& order : scene.Outcome().orders) {
        orders.push_back({{"order", order.order},
                          {"accepted", order.accepted},
                          {"reason", order.reason},
                          {"group", order.group},
                          {"from", order.origin},
                          {"to", order.destination},
                          {"relay", order.accepted && order.group != scene.Selected().number}});
    }
    return orders;
}

OrderedJson ArrowsJson(const PlanScene& scene) {
    OrderedJson arrows = OrderedJson::array();
    for (const PlanArrow& arrow : scene.Arrows()) {
        arrows.push_back({{"from", arrow.from}, {"to", arrow.to}, {"chain", arrow.chain},
                          {"refused", arrow.refused}, {"order", arrow.order}});
    }
    return arrows;
}

OrderedJson SceneJson(const PlanScene& scene) {
    const Galaxy& galaxy = scene.GalaxyDrawn();
    const Group& group = scene.Selected();
    const std::string sourceName = scene.Source() != 0 ? galaxy.PlanetAt(scene.Source()).name : std::string("?");
    const PlanBox& whole = scene.Whole();
    // The usual distance between neighbouring planets, by which the page sizes its dots.
    const double spacing = std::sqrt(whole.Width() * whole.Height() / std::max(galaxy.PlanetCount(), 1));
    OrderedJson owners;
    OrderedJson planets = PlanetsJson(scene, owners);
    std::vector<std::int32_t> participants = scene.Participants();
    return {{"title", galaxy.Game() + ", turn " + std::to_string(galaxy.Turn())},
            {"subtitle", "Group " + std::to_string(group.number) + " (" + group.type + ", " + group.race +
                             ") from " + sourceName + ": " + scene.SendsSummary()},
            {"note", scene.EndingNote()},
            {"source", scene.Source()},
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
            {"arrows", ArrowsJson(scene)},
            {"orders", OrdersJson(scene)}};
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

std::string WritePlanPage(const Galaxy& galaxy, std::int32_t selectedGroup, const RunOutcome& outcome) {
    const PlanScene scene(galaxy, selectedGroup, outcome);
    std::string page(PlanPageHtml());
    std::size_t at = Fill(page, 0, "title", EscapeXml(galaxy.Game() + ", turn " + std::to_string(galaxy.Turn())));
    at = Fill(page, at, "style", PlanPageStyle());
    at = Fill(page, at, "data", ScriptSafeJson(SceneJson(scene)));
    Fill(page, at, "script", PlanPageScript());
    return page;
}

} // namespace host
