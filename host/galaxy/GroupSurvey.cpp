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

const std::vector<bool>& GroupSurvey::PlanetsInDriveRange(const std::string& race) {
    const auto [entry, added] = driveRange_.try_emplace(race);
    std::vector<bool>& within = entry->second;
    if (!added) {
        return within;
    }
    within.assign(static_cast<std::size_t>(galaxy_.PlanetCount()) + 1, false);
    const Race* facts = galaxy_.FindRace(race);
    if (facts == nullptr) {
        return within;
    }
    std::vector<std::int32_t> near;
    for (std::int32_t owned = 1; owned <= galaxy_.PlanetCount(); ++owned) {
        if (galaxy_.PlanetAt(owned).owner != race) {
            continue;
        }
        near.clear();
        galaxy_.PlanetsWithinRange(owned, facts->drivesTech * kDriveRangePerTech, near);
        for (const std::int32_t planet : near) {
            within[static_cast<std::size_t>(planet)] = true;
        }
    }
    return within;
}

const GroupSurvey::ClassCoverage& GroupSurvey::CoverageOf(const Group& group) {
    std::vector<const std::string*> types = EquivalentTypeNames(galaxy_, group);
    const ShipType* first = types.empty() ? nullptr : galaxy_.FindShipType(group.race, *types.front());
    const auto [entry, added] = coverage_.try_emplace(first);
    ClassCoverage& coverage = entry->second;
    if (!added) {
        return coverage;
    }
    coverage.types = std::move(types);
    coverage.uncovered = PlanetsInDriveRange(group.race);
    coverage.idleRelay.assign(coverage.uncovered.size(), nullptr);
    for (const Group& other : galaxy_.Groups()) {
        const bool ofClass = other.race == group.race &&
                             std::any_of(coverage.types.begin(), coverage.types.end(),
                                         [&](const std::string* name) { return *name == other.type; });
        if (!ofClass) {
            continue;
        }
        const auto at = static_cast<std::size_t>(other.planet);
        coverage.uncovered[at] = false; // in orbit or on its way there
        const Group*& relay = coverage.idleRelay[at];
        if (IsIdleSingleShip(other) && (relay == nullptr || other.number < relay->number)) {
            relay = &other;
        }
    }
    for (std::int32_t planet = 1; planet <= galaxy_.PlanetCount(); ++planet) {
        if (coverage.uncovered[static_cast<std::size_t>(planet)]) {
            coverage.uncoveredPlanets.push_back(planet);
        }
    }
    return coverage;
}

GroupProspect GroupSurvey::Survey(const Group& group) {
    GroupProspect prospect;
    prospect.group = &group;
    const ClassCoverage& coverage = CoverageOf(group);
    const std::vector<bool>& driveRange = PlanetsInDriveRange(group.race);
    std::vector<std::int32_t> reach;
    galaxy_.PlanetsWithinRange(group.planet, group.speed, reach);
    std::vector<const Group*> relays;
    for (const std::int32_t planet : reach) {
        const auto at = static_cast<std::size_t>(planet);
        if (planet == group.planet) {
            continue;
        }
        ++prospect.othersInSpeed;
        if (!driveRange[at]) {
            continue;
        }
        ++prospect.othersReachable;
        if (coverage.uncovered[at]) {
            ++prospect.uncoveredInReach;
        } else if (coverage.idleRelay[at] != nullptr) {
            relays.push_back(coverage.idleRelay[at]);
        }
    }
    prospect.relaysInReach = static_cast<std::int32_t>(relays.size());
    // The plug-in sends a relay a ship only once the direct sends have covered the reach, and
    // the relay passes it on only to an uncovered planet beyond that reach.
    prospect.likelyRelays = group.count > prospect.uncoveredInReach && !relays.empty() &&
                            RelayReachesBeyond(relays, reach, group.planet, coverage);
    return prospect;
}

bool GroupSurvey::RelayReachesBeyond(const std::vector<const Group*>& relays, const std::vector<std::int32_t>& reach,
                                     std::int32_t source, const ClassCoverage& coverage) const {
    const auto beyondReach = [&](std::int32_t planet) {
        return planet != source && coverage.uncovered[static_cast<std::size_t>(planet)] &&
               !std::binary_search(reach.begin(), reach.end(), planet);
    };
    std::vector<std::int32_t> near;
    if (relays.size() <= coverage.uncoveredPlanets.size()) {
        // Few relays: each one's reach.
        for (const Group* relay : relays) {
            near.clear();
            galaxy_.PlanetsWithinRange(relay->planet, relay->speed, near);
            if (std::any_of(near.begin(), near.end(), beyondReach)) {
                return true;
            }
        }
        return false;
    }
    // Few uncovered planets (none at all where every planet holds the class): each one, asked
    // whether a relay lies within that relay's own speed of it.
    for (const std::int32_t planet : coverage.uncoveredPlanets) {
        if (!beyondReach(planet)) {
            continue;
        }
        const bool reached = std::any_of(relays.begin(), relays.end(), [&](const Group* relay) {
            return galaxy_.Distance(relay->planet, planet) <= relay->speed;
        });
        if (reached) {
            return true;
        }
    }
    return false;
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
