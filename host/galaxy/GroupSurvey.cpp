// GroupSurvey.cpp - selectable groups ranked by size, and each one's uncovered planets and relays in reach.
#include "galaxy/GroupSurvey.h"

#include "text/NumberText.h"

#include <algorithm>
#include <array>
#include <string>

namespace host {
namespace {

/// A ship type's five values as the host's answers write them: the plug-in compares these texts.
std::array<std::string, 5> Signature(const ShipType& type) {
    return {FixedText(type.drives, 2), FixedText(type.weapons, 2), FixedText(type.ammo, 2), FixedText(type.cargo, 2),
            FixedText(type.shields, 2)};
}

/// The race's drive range as the plug-in works it out: its drive technology times 40.
constexpr double kDriveRangePerTech = 40.0;

bool IsIdleSingleShip(const Group& group) {
    return group.InOrbit() && group.fleet.empty() && group.count == 1;
}

} // namespace

std::vector<const std::string*> EquivalentTypeNames(const Galaxy& galaxy, const Group& group) {
    std::vector<const std::string*> names;
    const ShipType* own = galaxy.FindShipType(group.race, group.type);
    if (own == nullptr) {
        return names;
    }
    const std::array<std::string, 5> signature = Signature(*own);
    for (const ShipType& type : galaxy.ShipTypes()) {
        if (type.race == group.race && Signature(type) == signature) {
            names.push_back(&type.name);
        }
    }
    return names;
}

GroupSurvey::GroupSurvey(const Galaxy& galaxy) : galaxy_(galaxy) {
    for (const Planet& planet : galaxy.Planets()) {
        if (!planet.owner.empty()) {
            racesWithPlanets_.insert(planet.owner);
        }
    }
}

bool GroupSurvey::OwnsAPlanet(const std::string& race) const {
    return racesWithPlanets_.contains(race);
}

double GroupSurvey::DriveRange(const std::string& race) const {
    const Race* facts = galaxy_.FindRace(race);
    return facts != nullptr ? facts->drivesTech * kDriveRangePerTech : 0.0;
}

bool GroupSurvey::IsSelectable(const Group& group) const {
    return group.InOrbit() && group.count > 0 && OwnsAPlanet(group.race);
}

std::vector<const Group*> GroupSurvey::SelectableGroups() const {
    std::vector<const Group*> groups;
    for (const Group& group : galaxy_.Groups()) {
        if (IsSelectable(group)) {
            groups.push_back(&group);
        }
    }
    std::stable_sort(groups.begin(), groups.end(), [](const Group* a, const Group* b) {
        return a->count != b->count ? a->count > b->count : a->number < b->number;
    });
    return groups;
}

bool GroupSurvey::WithinDriveRange(const std::string& race, std::int32_t planet) {
    auto& judged = withinDriveRange_[race];
    if (const auto found = judged.find(planet); found != judged.end()) {
        return found->second;
    }
    std::vector<std::int32_t> near;
    if (galaxy_.FindRace(race) != nullptr) {
        galaxy_.PlanetsWithinRange(planet, DriveRange(race), near);
    }
    const bool within = std::any_of(near.begin(), near.end(),
                                    [&](std::int32_t owned) { return galaxy_.PlanetAt(owned).owner == race; });
    judged.emplace(planet, within);
    return within;
}

const Group* GroupSurvey::FindGroupOfType(std::int32_t planet, const std::string& race,
                                          const std::vector<const std::string*>& types, bool idleOnly) const {
    std::vector<std::int32_t> numbers;
    galaxy_.GroupsAtPlanet(planet, race, numbers);
    for (const std::int32_t number : numbers) {
        const Group* group = galaxy_.FindGroup(number);
        const bool ofType = std::any_of(types.begin(), types.end(), [&](const std::string* name) { return *name == group->type; });
        if (ofType && (!idleOnly || IsIdleSingleShip(*group))) {
            return group;
        }
    }
    return nullptr;
}

bool GroupSurvey::IsUncovered(std::int32_t planet, std::int32_t source, const Group& group,
                              const std::vector<const std::string*>& types) {
    return planet != source && WithinDriveRange(group.race, planet) &&
           FindGroupOfType(planet, group.race, types, false) == nullptr;
}

GroupProspect GroupSurvey::Survey(const Group& group) {
    GroupProspect prospect;
    prospect.group = &group;
    const std::vector<const std::string*> types = EquivalentTypeNames(galaxy_, group);
    std::vector<std::int32_t> reach;
    galaxy_.PlanetsWithinRange(group.planet, group.speed, reach);
    std::vector<const Group*> relays;
    for (const std::int32_t planet : reach) {
        if (planet == group.planet) {
            continue;
        }
        ++prospect.othersInSpeed;
        if (!WithinDriveRange(group.race, planet)) {
            continue;
        }
        ++prospect.othersReachable;
        if (FindGroupOfType(planet, group.race, types, false) == nullptr) {
            ++prospect.uncoveredInReach;
        } else if (const Group* relay = FindGroupOfType(planet, group.race, types, true)) {
            relays.push_back(relay);
        }
    }
    prospect.relaysInReach = static_cast<std::int32_t>(relays.size());
    // The plug-in sends a relay a ship only once the direct sends have covered the reach, and
    // the relay passes it on only to an uncovered planet beyond that reach.
    if (group.count <= prospect.uncoveredInReach) {
        return prospect;
    }
    std::vector<std::int32_t> beyond;
    for (const Group* relay : relays) {
        beyond.clear();
        galaxy_.PlanetsWithinRange(relay->planet, relay->speed, beyond);
        for (const std::int32_t planet : beyond) {
            if (!std::binary_search(reach.begin(), reach.end(), planet) && IsUncovered(planet, group.planet, group, types)) {
                prospect.likelyRelays = true;
                return prospect;
            }
        }
    }
    return prospect;
}

std::optional<GroupProspect> GroupSurvey::GroupWorthPlanning(std::size_t tries) {
    const std::vector<const Group*> groups = SelectableGroups();
    std::optional<GroupProspect> withPlanets;
    for (std::size_t i = 0; i < groups.size() && i < tries; ++i) {
        const GroupProspect prospect = Survey(*groups[i]);
        if (prospect.likelyRelays) {
            return prospect;
        }
        if (!withPlanets && prospect.uncoveredInReach > 0) {
            withPlanets = prospect;
        }
    }
    if (withPlanets || groups.empty()) {
        return withPlanets;
    }
    return Survey(*groups.front());
}

} // namespace host
