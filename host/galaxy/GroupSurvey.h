// GroupSurvey.h - the groups a player can select, and what the plug-in could do with each: the host's estimate.
//
// The survey judges a galaxy the way the plug-in's queries would let it: a
// planet is covered for a group when the group's race has a group of the same
// or an equivalent ship type there (in orbit or on the way; equivalent = the
// race's types whose drives, weapons, ammo, cargo and shields read the same to
// two places), and a planet counts only when it lies within the race's drive
// range of a planet the race owns. It plans nothing: what it says is an
// estimate from the galaxy alone, and the plug-in's own plan may send fewer
// ships or take other routes. Reads the galaxy only, and what it gives points
// into it: valid while the galaxy is unchanged. Each survey costs what the
// planets near the surveyed group cost, not the galaxy's size.
#pragma once

#include "galaxy/Galaxy.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace host {

/// The names of `group`'s race's ship types whose five values read the same as its own type's,
/// to two places, as the plug-in compares them (its own type among them); pointers into `galaxy`.
std::vector<const std::string*> EquivalentTypeNames(const Galaxy& galaxy, const Group& group);

/// One selectable group and its prospects.
struct GroupProspect {
    const Group* group = nullptr;
    std::int32_t othersInSpeed = 0;    // planets within its speed, not its own
    std::int32_t othersReachable = 0;  // of those, the ones within the race's drive range
    std::int32_t uncoveredInReach = 0; // of those, the ones it could cover
    std::int32_t relaysInReach = 0;    // idle one-ship groups of an equivalent type on planets in reach
    bool likelyRelays = false;         // ships left after the direct sends, and a relay that can pass one on
};

class GroupSurvey {
public:
    explicit GroupSurvey(const Galaxy& galaxy);

    /// The groups a player could select and plan: in orbit, holding a ship, of a race that owns
    /// a planet; most ships first, then by number.
    std::vector<const Group*> SelectableGroups() const;

    /// Whether `race` owns a planet: without one, no planet is within its drive range.
    bool OwnsAPlanet(const std::string& race) const;
    /// The distance from an owned planet that the plug-in plans within: drive technology x 40; 0 for no such race.
    double DriveRange(const std::string& race) const;
    /// Whether `group` is one of SelectableGroups.
    bool IsSelectable(const Group& group) const;

    /// What `group` (one of SelectableGroups) could do.
    GroupProspect Survey(const Group& group);

    /// A group worth planning: of the first `tries` selectable groups, the first whose plan
    /// likely uses relays, else the first with an uncovered planet in reach, else the first.
    /// Nothing when no group can be selected.
    std::optional<GroupProspect> GroupWorthPlanning(std::size_t tries);

private:
    /// For one race and one class of its equivalent ship types, by planet number.
    struct ClassCoverage {
        std::vector<const std::string*> types;       // the class: the race's types that read the same
        std::vector<bool> uncovered;                 // within drive range and holding no group of the class
        std::vector<std::int32_t> uncoveredPlanets;  // the same, as ascending planet numbers
        std::vector<const Group*> idleRelay;         // the lowest-numbered idle one-ship group of the class there
    };

    /// Planets within the race's drive range of a planet it owns, by planet number.
    const std::vector<bool>& PlanetsInDriveRange(const std::string& race);
    /// The coverage of `group`'s class of types.
    const ClassCoverage& CoverageOf(const Group& group);
    /// Whether one of `relays` can pass a ship on to an uncovered planet outside `reach` (ascending) and not `source`.
    bool RelayReachesBeyond(const std::vector<const Group*>& relays, const std::vector<std::int32_t>& reach,
                            std::int32_t source, const ClassCoverage& coverage) const;

    const Galaxy& galaxy_;
    std::unordered_set<std::string_view> racesWithPlanets_; // views of the galaxy's own names
    std::unordered_map<std::string_view, std::vector<bool>> driveRange_;   // by race
    std::unordered_map<const ShipType*, ClassCoverage> coverage_;          // by the class's first type
};

} // namespace host
