// Galaxy.cpp - checking a galaxy's content, its indexes, range queries and the ship split of an order.
#include "galaxy/Galaxy.h"

#include "galaxy/GalaxyFault.h"
#include "text/SafeText.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>
#include <utility>

namespace host {

namespace {

/// Where an entry sits, e.g. groups[3]. Its text is made only when there is a complaint,
/// so checking a few hundred thousand good entries costs no strings.
struct EntryAt {
    const char* array;
    std::size_t index;

    template <typename... Parts>
    [[noreturn]] void Refuse(const Parts&... parts) const {
        RefuseGalaxy(EntryPlace(array, index), parts...);
    }
};

void RequireName(const std::string& name, const EntryAt& where, const char* what) {
    if (name.empty()) {
        where.Refuse(what, " name is empty");
    }
}

void RequireFinite(double value, const EntryAt& where, const char* field) {
    if (!std::isfinite(value)) {
        where.Refuse(field, " is not a finite number");
    }
}

// Tech levels, ship-type values and speeds are amounts: a negative one means nothing.
void RequireAmount(double value, const EntryAt& where, const char* field) {
    RequireFinite(value, where, field);
    if (value < 0.0) {
        where.Refuse(field, " is negative");
    }
}

// The one distance formula of the host: orders, range queries and answers all use it,
// so a planet is in range for a query exactly when it is in range for an order.
double DistanceBetween(double ax, double ay, double vx, double vy) {
    const double dx = vx - ax;
    const double dy = vy - ay;
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

Galaxy::Galaxy(GalaxyContent content) : content_(std::move(content)) {
    IndexRaces();
    IndexPlanets();
    IndexShipTypes();
    IndexGroups();
    if (FindGroup(content_.selection) == nullptr) {
        RefuseGalaxy("selection: unknown group ", std::to_string(content_.selection));
    }
    BuildGrid();
}

void Galaxy::IndexRaces() {
    raceByName_.reserve(content_.races.size());
    for (std::size_t i = 0; i < content_.races.size(); ++i) {
        const Race& race = content_.races[i];
        const EntryAt where{"races", i};
        RequireName(race.name, where, "race");
        RequireAmount(race.drivesTech, where, "drivesTech");
        if (!raceByName_.emplace(race.name, i).second) {
            where.Refuse("duplicate race name ", Quoted(race.name));
        }
    }
}

void Galaxy::IndexPlanets() {
    if (content_.planets.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        RefuseGalaxy("planets: too many planets");
    }
    planetByName_.Reserve(content_.planets.size());
    for (std::size_t i = 0; i < content_.planets.size(); ++i) {
        const Planet& planet = content_.planets[i];
        const EntryAt where{"planets", i};
        RequireName(planet.name, where, "planet");
        RequireFinite(planet.x, where, "x");
        RequireFinite(planet.y, where, "y");
        if (!planet.owner.empty() && FindRace(planet.owner) == nullptr) {
            where.Refuse("unknown owner race ", Quoted(planet.owner));
        }
        if (!planetByName_.Insert(static_cast<std::int32_t>(i + 1), planet.name, PlanetNames())) {
            where.Refuse("duplicate planet name ", Quoted(planet.name));
        }
    }
}

void Galaxy::IndexShipTypes() {
    for (std::size_t i = 0; i < content_.shipTypes.size(); ++i) {
        const ShipType& type = content_.shipTypes[i];
        const EntryAt where{"shipTypes", i};
        if (FindRace(type.race) == nullptr) {
            where.Refuse("unknown race ", Quoted(type.race));
        }
        RequireName(type.name, where, "ship type");
        RequireAmount(type.drives, where, "drives");
        RequireAmount(type.weapons, where, "weapons");
        RequireAmount(type.ammo, where, "ammo");
        RequireAmount(type.cargo, where, "cargo");
        RequireAmount(type.shields, where, "shields");
        const auto byRace = typeByRaceAndName_.try_emplace(type.race).first;
        if (!byRace->second.emplace(type.name, i).second) {
            where.Refuse("duplicate ship type ", Quoted(type.name), " of race ", Quoted(type.race));
        }
    }
}

void Galaxy::IndexGroups() {
    groupByNumber_.Reserve(content_.groups.size());
    ReserveGroupsByPlanet();
    for (std::size_t i = 0; i < content_.groups.size(); ++i) {
        const Group& group = content_.groups[i];
        const EntryAt where{"groups", i};
        if (group.number < 1) {
            where.Refuse("group number ", std::to_string(group.number), " is not positive");
        }
        // A ship type found means its race is known (ship types are checked first), so the
        // race is looked up on its own only to tell which of the two is unknown.
        if (FindShipType(group.race, group.type) == nullptr) {
            if (FindRace(group.race) == nullptr) {
                where.Refuse("unknown race ", Quoted(group.race));
            }
            where.Refuse("unknown ship type ", Quoted(group.type), " of race ", Quoted(group.race));
        }
        if (!HasPlanet(group.planet)) {
            where.Refuse("unknown planet ", std::to_string(group.planet));
        }
        if (group.from != 0 && !HasPlanet(group.from)) {
            where.Refuse("unknown from planet ", std::to_string(group.from));
        }
        if (group.count < 0) {
            where.Refuse("count is negative");
        }
        RequireAmount(group.speed, where, "speed");
        if (groupByNumber_.Find(group.number)) {
            where.Refuse("duplicate group number ", std::to_string(group.number));
        }
        IndexGroup(i);
    }
    std::vector<std::uint32_t>().swap(groupsPlaced_);
    // File order need not be number order; lists by planet are answered ascending.
    for (std::size_t p = 0; p + 1 < groupsStart_.size(); ++p) {
        std::sort(groupsByPlanet_.begin() + groupsStart_[p], groupsByPlanet_.begin() + groupsStart_[p + 1],
                  [this](std::uint32_t a, std::uint32_t b) {
                      return content_.groups[a].number < content_.groups[b].number;
                  });
    }
}

void Galaxy::ReserveGroupsByPlanet() {
    // Each planet's range is given its final size at once; the count stops at what a bad
    // entry's planet number could not index.
    groupsStart_.assign(content_.planets.size() + 1, 0);
    for (const Group& group : content_.groups) {
        if (HasPlanet(group.planet)) {
            ++groupsStart_[static_cast<std::size_t>(group.planet)];
        }
    }
    for (std::size_t p = 1; p < groupsStart_.size(); ++p) {
        groupsStart_[p] += groupsStart_[p - 1];
    }
    groupsByPlanet_.assign(groupsStart_.back(), 0);
    groupsPlaced_.assign(groupsStart_.begin(), groupsStart_.end() - 1);
}

void Galaxy::IndexGroup(std::size_t index) {
    const Group& group = content_.groups[index];
    groupByNumber_.Insert(group.number, index);
    const auto position = static_cast<std::uint32_t>(index);
    if (groupsPlaced_.empty()) {
        groupsAddedAtPlanet_[group.planet].push_back(position);
    } else {
        groupsByPlanet_[groupsPlaced_[static_cast<std::size_t>(group.planet - 1)]++] = position;
    }
    highestGroupNumber_ = std::max(highestGroupNumber_, group.number);
}

void Galaxy::BuildGrid() {
    const std::size_t planetCount = content_.planets.size();
    double minX = 0.0;
    double maxX = 0.0;
    double minY = 0.0;
    double maxY = 0.0;
    if (planetCount > 0) {
        const auto [loX, hiX] = std::minmax_element(content_.planets.begin(), content_.planets.end(),
                                                    [](const Planet& a, const Planet& b) { return a.x < b.x; });
        const auto [loY, hiY] = std::minmax_element(content_.planets.begin(), content_.planets.end(),
                                                    [](const Planet& a, const Planet& b) { return a.y < b.y; });
        minX = loX->x;
        maxX = hiX->x;
        minY = loY->y;
        maxY = hiY->y;
    }
    const double width = maxX - minX;
    const double height = maxY - minY;
    const double count = static_cast<double>(std::max<std::size_t>(planetCount, 1));

    // About one planet per cell. A galaxy on a line or a point still gets a usable size;
    // one whose extent overflows a double falls back to a single cell (slow but exact).
    double cellSize = 1.0;
    if (width > 0.0 && height > 0.0) {
        cellSize = std::sqrt(width) * std::sqrt(height) / std::sqrt(count);
    } else if (width > 0.0 || height > 0.0) {
        cellSize = std::max(width, height) / count;
    }
    const bool usableSize = std::isfinite(cellSize) && cellSize > 0.0;
    const double maxSide = 2.0 * count + 2.0;
    auto cellsAlong = [&](double extent) {
        if (!usableSize || !std::isfinite(extent)) {
            return 1.0;
        }
        return std::clamp(std::floor(extent / cellSize) + 1.0, 1.0, maxSide);
    };
    gridColumns_ = static_cast<std::int32_t>(cellsAlong(width));
    gridRows_ = static_cast<std::int32_t>(cellsAlong(height));
    if (!usableSize) {
        // The single cell takes every planet whatever its size; the size must only keep
        // the cell arithmetic free of division by zero and NaN.
        cellSize = 1.0;
    }
    gridMinX_ = minX;
    gridMinY_ = minY;
    gridCellSize_ = cellSize;

    // Counting sort into cells; walking planets in number order keeps each cell ascending.
    const std::size_t cellCount = static_cast<std::size_t>(gridColumns_) * static_cast<std::size_t>(gridRows_);
    std::vector<std::uint32_t> cellOfPlanet(planetCount);
    gridStart_.assign(cellCount + 1, 0);
    for (std::size_t i = 0; i < planetCount; ++i) {
        const Planet& planet = content_.planets[i];
        const std::int32_t column = CellAlong(planet.x, gridMinX_, gridColumns_);
        const std::int32_t row = CellAlong(planet.y, gridMinY_, gridRows_);
        cellOfPlanet[i] = static_cast<std::uint32_t>(row) * static_cast<std::uint32_t>(gridColumns_) +
                          static_cast<std::uint32_t>(column);
        ++gridStart_[cellOfPlanet[i] + 1];
    }
    for (std::size_t c = 0; c < cellCount; ++c) {
        gridStart_[c + 1] += gridStart_[c];
    }
    std::vector<std::uint32_t> fill(gridStart_.begin(), gridStart_.end() - 1);
    gridPlanets_.resize(planetCount);
    for (std::size_t i = 0; i < planetCount; ++i) {
        const Planet& planet = content_.planets[i];
        gridPlanets_[fill[cellOfPlanet[i]]++] = PlanetPlace{static_cast<std::int32_t>(i + 1), planet.x, planet.y};
    }
}

std::int32_t Galaxy::CellAlong(double coordinate, double origin, std::int32_t cells) const {
    const double cell = std::floor((coordinate - origin) / gridCellSize_);
    // Clamped as a double first: converting an out-of-range double to an integer is undefined.
    return static_cast<std::int32_t>(std::clamp(cell, 0.0, static_cast<double>(cells - 1)));
}

const Planet& Galaxy::PlanetAt(std::int32_t number) const {
    assert(HasPlanet(number) && "PlanetAt needs an existing planet");
    return content_.planets[static_cast<std::size_t>(number - 1)];
}

double Galaxy::Distance(std::int32_t a, std::int32_t b) const {
    const Planet& pa = PlanetAt(a);
    const Planet& pb = PlanetAt(b);
    return DistanceBetween(pa.x, pa.y, pb.x, pb.y);
}

const Race* Galaxy::FindRace(std::string_view name) const {
    const auto it = raceByName_.find(name);
    return it == raceByName_.end() ? nullptr : &content_.races[it->second];
}

std::int32_t Galaxy::FindPlanetNumber(std::string_view name) const {
    return planetByName_.Find(name, PlanetNames());
}

const ShipType* Galaxy::FindShipType(std::string_view race, std::string_view name) const {
    const auto byRace = typeByRaceAndName_.find(race);
    if (byRace == typeByRaceAndName_.end()) {
        return nullptr;
    }
    const auto it = byRace->second.find(name);
    return it == byRace->second.end() ? nullptr : &content_.shipTypes[it->second];
}

const Group* Galaxy::FindGroup(std::int32_t number) const {
    const std::optional<std::size_t> position = groupByNumber_.Find(number);
    return position ? &content_.groups[*position] : nullptr;
}

template <typename Found>
void Galaxy::VisitWithinRange(std::int32_t centre, double range, Found found) const {
    // NaN fails this test too, as it fails every comparison.
    if (!HasPlanet(centre) || !(range >= 0.0)) {
        return;
    }
    const Planet& a = PlanetAt(centre);
    // One cell of margin on each side, so rounding in the cell arithmetic can never
    // leave out a planet that the exact distance test would take.
    const std::int32_t firstColumn = std::max(CellAlong(a.x - range, gridMinX_, gridColumns_) - 1, 0);
    const std::int32_t lastColumn = std::min(CellAlong(a.x + range, gridMinX_, gridColumns_) + 1, gridColumns_ - 1);
    const std::int32_t firstRow = std::max(CellAlong(a.y - range, gridMinY_, gridRows_) - 1, 0);
    const std::int32_t lastRow = std::min(CellAlong(a.y + range, gridMinY_, gridRows_) + 1, gridRows_ - 1);

    for (std::int32_t row = firstRow; row <= lastRow; ++row) {
        const std::size_t rowStart = static_cast<std::size_t>(row) * static_cast<std::size_t>(gridColumns_);
        const std::uint32_t begin = gridStart_[rowStart + static_cast<std::size_t>(firstColumn)];
        const std::uint32_t end = gridStart_[rowStart + static_cast<std::size_t>(lastColumn) + 1];
        for (std::uint32_t i = begin; i < end; ++i) {
            const PlanetPlace& v = gridPlanets_[i];
            if (DistanceBetween(a.x, a.y, v.x, v.y) <= range) {
                found(v);
            }
        }
    }
}

void Galaxy::PlanetsWithinRange(std::int32_t centre, double range, std::vector<std::int32_t>& out) const {
    const std::size_t firstFound = out.size();
    VisitWithinRange(centre, range, [&out](const PlanetPlace& v) { out.push_back(v.number); });
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(firstFound), out.end());
}

void Galaxy::PlanetsWithinRange(std::int32_t centre, double range, std::vector<PlanetPlace>& out) const {
    const std::size_t firstFound = out.size();
    VisitWithinRange(centre, range, [&out](const PlanetPlace& v) { out.push_back(v); });
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(firstFound), out.end(),
              [](const PlanetPlace& p, const PlanetPlace& q) { return p.number < q.number; });
}

void Galaxy::GroupsAtPlanet(std::int32_t planet, std::string_view race, std::vector<std::int32_t>& out) const {
    if (!HasPlanet(planet)) {
        return;
    }
    const auto addIfOfRace = [this, race, &out](std::uint32_t position) {
        const Group& group = content_.groups[position];
        if (group.race == race) {
            out.push_back(group.number);
        }
    };
    const auto p = static_cast<std::size_t>(planet - 1);
    std::for_each(groupsByPlanet_.begin() + groupsStart_[p], groupsByPlanet_.begin() + groupsStart_[p + 1],
                  addIfOfRace);
    if (const auto added = groupsAddedAtPlanet_.find(planet); added != groupsAddedAtPlanet_.end()) {
        std::for_each(added->second.begin(), added->second.end(), addIfOfRace);
    }
}

const Group& Galaxy::SelectedGroup() const {
    const Group* group = FindGroup(content_.selection);
    assert(group != nullptr && "a galaxy always has its selected group");
    return *group;
}

bool Galaxy::SelectGroup(std::int32_t number) {
    if (FindGroup(number) == nullptr) {
        return false;
    }
    content_.selection = number;
    return true;
}

std::int32_t Galaxy::SplitOffShip(std::int32_t number, std::int32_t destination) {
    const std::optional<std::size_t> position = groupByNumber_.Find(number);
    assert(position && "SplitOffShip needs an existing group");
    assert(HasPlanet(destination) && "SplitOffShip needs an existing destination");
    assert(highestGroupNumber_ < std::numeric_limits<std::int32_t>::max() && "no group number left");

    Group& source = content_.groups[*position];
    assert(source.count > 0 && "SplitOffShip needs a ship to send");
    --source.count;

    Group sent;
    sent.number = highestGroupNumber_ + 1;
    sent.race = source.race;
    sent.type = source.type;
    sent.planet = destination;
    sent.count = 1;
    sent.speed = source.speed;
    sent.from = source.planet;
    // `source` may dangle once the vector grows; nothing reads it below.
    content_.groups.push_back(std::move(sent));
    // The new number is the highest, so appending keeps the planet's list ascending.
    IndexGroup(content_.groups.size() - 1);
    return content_.groups.back().number;
}

} // namespace host
