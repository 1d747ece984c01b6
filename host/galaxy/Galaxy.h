// Galaxy.h - the host's galaxy: races, planets, ship types and groups, with the indexes that answer queries.
//
// A Galaxy is built once from a GalaxyContent (the file's entries, in file
// order) and checked on the way in: every reference resolves, names and group
// numbers are unique, numbers are finite and non-negative where a negative
// value means nothing. After that it is always consistent; a bad content
// never becomes a Galaxy. Planets are numbered 1..N in file order and never
// change. Groups change only through the named mutations (SplitOffShip,
// SelectGroup), which keep every index up to date. Indexes hold positions in
// the vectors, never pointers, so a Galaxy copies and moves safely. Reads are
// const and may run on any thread that does not overlap a mutation.
#pragma once

#include "galaxy/GroupNumberIndex.h"
#include "galaxy/PlanetNameIndex.h"
#include "text/SharedText.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace host {

/// Bad galaxy input, with one message that names the offending entry (and the file, once loaded from one).
class GalaxyError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Race {
    std::string name;
    double drivesTech = 0.0;
};

struct Planet {
    std::string name;
    double x = 0.0;
    double y = 0.0;
    SharedText owner; // a race name; empty when nobody owns the planet
};

struct ShipType {
    std::string race;
    std::string name; // unique within its race; other races may use the same name
    double drives = 0.0;
    double weapons = 0.0;
    double ammo = 0.0;
    double cargo = 0.0;
    double shields = 0.0;
};

// Races, ship types and fleets are named by many groups: a SharedText holds each name once.
struct Group {
    std::int32_t number = 0;
    SharedText race;
    SharedText type;           // a ship type of `race`
    std::int32_t planet = 0;   // the planet orbited, or the destination while in flight
    std::int32_t count = 0;    // ships; may fall to 0 after orders
    double speed = 0.0;        // distance covered in one turn
    std::int32_t from = 0;     // 0 in orbit; otherwise the planet the group left
    SharedText fleet;          // empty when the group belongs to no fleet

    bool InOrbit() const { return from == 0; }
};

/// Everything a galaxy file holds, in file order; what a Galaxy is built from and saved as.
struct GalaxyContent {
    std::string game;
    std::int32_t turn = 0;
    std::vector<Race> races;
    std::vector<Planet> planets; // planet number i is planets[i - 1]
    std::vector<ShipType> shipTypes;
    std::vector<Group> groups;
    std::int32_t selection = 0; // number of the selected group
};

class Galaxy {
public:
    /// Checks `content` and builds the indexes. Throws GalaxyError naming the entry,
    /// e.g. "groups[3]: unknown planet 99" (no file name: the loader adds it).
    explicit Galaxy(GalaxyContent content);

    const GalaxyContent& Content() const { return content_; }
    const std::string& Game() const { return content_.game; }
    std::int32_t Turn() const { return content_.turn; }
    const std::vector<Race>& Races() const { return content_.races; }
    const std::vector<Planet>& Planets() const { return content_.planets; }
    const std::vector<ShipType>& ShipTypes() const { return content_.shipTypes; }
    /// In file order, then the groups that orders created, in the order they were made.
    const std::vector<Group>& Groups() const { return content_.groups; }

    std::int32_t PlanetCount() const { return static_cast<std::int32_t>(content_.planets.size()); }
    bool HasPlanet(std::int32_t number) const { return number >= 1 && number <= PlanetCount(); }
    /// The planet with `number`; HasPlanet(number) must hold.
    const Planet& PlanetAt(std::int32_t number) const;
    /// Distance of two existing planets, sqrt(dx*dx + dy*dy) in double precision.
    double Distance(std::int32_t a, std::int32_t b) const;

    /// Lookups by name, exact byte comparison; null (or 0) when there is no such thing.
    const Race* FindRace(std::string_view name) const;
    std::int32_t FindPlanetNumber(std::string_view name) const;
    const ShipType* FindShipType(std::string_view race, std::string_view name) const;
    const Group* FindGroup(std::int32_t number) const;

    /// Appends to `out`, ascending, every planet v with Distance(centre, v) <= range
    /// (the centre itself included). Served from a grid: cost follows the planets near
    /// the centre, not the size of the galaxy. An unknown centre or a NaN range finds none.
    void PlanetsWithinRange(std::int32_t centre, double range, std::vector<std::int32_t>& out) const;

    /// A planet found by a range query, with its position, so that callers that go on to
    /// compute with it need not fetch the planet again.
    struct PlanetPlace {
        std::int32_t number;
        double x;
        double y;
    };
    /// The same query, giving positions as well; ascending by number.
    void PlanetsWithinRange(std::int32_t centre, double range, std::vector<PlanetPlace>& out) const;

    /// Appends to `out`, ascending, the numbers of `race`'s groups whose `planet` is
    /// `planet`, in orbit of it or in flight to it.
    void GroupsAtPlanet(std::int32_t planet, std::string_view race, std::vector<std::int32_t>& out) const;

    /// The selected group; always exists.
    const Group& SelectedGroup() const;
    /// Makes group `number` the selection; false, changing nothing, when there is no such group.
    bool SelectGroup(std::int32_t number);

    /// Highest group number in the galaxy (0 when there are no groups).
    std::int32_t HighestGroupNumber() const { return highestGroupNumber_; }

    /// Takes one ship from group `number` (which must exist and hold a ship) and makes it a
    /// new one-ship group of the same race, type and speed, numbered one above the highest,
    /// in flight from the group's planet to `destination` (an existing planet). Returns the
    /// new group's number. Does no checking beyond its preconditions: orders check first.
    std::int32_t SplitOffShip(std::int32_t number, std::int32_t destination);

private:
    void IndexRaces();
    void IndexPlanets();
    void IndexShipTypes();
    void IndexGroups();
    void ReserveGroupsByPlanet();
    void IndexGroup(std::size_t index);
    void BuildGrid();
    /// Planet `number`'s name, for planetByName_.
    auto PlanetNames() const {
        return [this](std::int32_t number) -> const std::string& { return PlanetAt(number).name; };
    }
    /// The grid cell along one axis that holds `coordinate`, clamped into the grid.
    std::int32_t CellAlong(double coordinate, double origin, std::int32_t cells) const;

    /// Calls `found(place)` for every planet within `range` of `centre`, in no set order.
    template <typename Found>
    void VisitWithinRange(std::int32_t centre, double range, Found found) const;

    /// Hashes texts of any kind alike, so that names are looked up without being copied.
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
    };
    template <typename Value>
    using ByName = std::unordered_map<std::string, Value, TextHash, std::equal_to<>>;

    GalaxyContent content_;

    ByName<std::size_t> raceByName_;
    PlanetNameIndex planetByName_;
    // race name -> ship type name -> position in shipTypes
    ByName<ByName<std::size_t>> typeByRaceAndName_;
    GroupNumberIndex groupByNumber_;
    // The groups at planet p are groupsByPlanet_[groupsStart_[p - 1] .. groupsStart_[p]),
    // their positions in groups, ascending by number: one flat array, where a list a
    // planet cost a million-planet galaxy a heap block and three words a planet more.
    std::vector<std::uint32_t> groupsStart_;
    std::vector<std::uint32_t> groupsByPlanet_;
    std::vector<std::uint32_t> groupsPlaced_; // while indexing: [planet - 1]: its next free place
    // Groups split off after loading, by planet: their numbers are above every loaded one.
    std::unordered_map<std::int32_t, std::vector<std::uint32_t>> groupsAddedAtPlanet_;
    std::int32_t highestGroupNumber_ = 0;

    // Uniform grid over the planets' bounding box, about one planet per cell; the planets
    // of cell c are gridPlanets_[gridStart_[c] .. gridStart_[c + 1]), ascending by number,
    // with their coordinates beside them so a query touches only this compact array.
    double gridMinX_ = 0.0;
    double gridMinY_ = 0.0;
    double gridCellSize_ = 1.0;
    std::int32_t gridColumns_ = 1;
    std::int32_t gridRows_ = 1;
    std::vector<std::uint32_t> gridStart_;
    std::vector<PlanetPlace> gridPlanets_;
};

} // namespace host
