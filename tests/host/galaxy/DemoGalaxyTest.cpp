// DemoGalaxyTest.cpp - the built-in demo galaxy loads and holds what makes it a good demonstration.
#include "galaxy/DemoGalaxy.h"

#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using host::Galaxy;
using host::Group;
using host::ShipType;

std::string Signature(const ShipType& type) {
    return std::to_string(type.drives) + "_" + std::to_string(type.weapons) + "_" + std::to_string(type.ammo) +
           "_" + std::to_string(type.cargo) + "_" + std::to_string(type.shields);
}

/// Names of the race's ship types with the same five values as `name`, `name` included.
std::set<std::string> EquivalentTypes(const Galaxy& galaxy, const std::string& race, const std::string& name) {
    const std::string wanted = Signature(*galaxy.FindShipType(race, name));
    std::set<std::string> names;
    for (const ShipType& type : galaxy.ShipTypes()) {
        if (type.race == race && Signature(type) == wanted) {
            names.insert(type.name);
        }
    }
    return names;
}

TEST(DemoGalaxyTest, ShowsTheFeatureWell) {
    const Galaxy galaxy = host::ParseGalaxyJson(host::DemoGalaxyJson(), host::kDemoGalaxyName);
    EXPECT_GE(galaxy.PlanetCount(), 40);
    EXPECT_LE(galaxy.PlanetCount(), 60);
    EXPECT_EQ(galaxy.Races().size(), 3u);

    const Group& selected = galaxy.SelectedGroup();
    EXPECT_TRUE(selected.InOrbit());
    EXPECT_GE(selected.count, 8);
    EXPECT_LE(selected.count, 12);
    EXPECT_NE(selected.type.Text().find(' '), std::string::npos) << "a two-word ship type name";
    const std::set<std::string> equivalent = EquivalentTypes(galaxy, selected.race, selected.type);
    EXPECT_GE(equivalent.size(), 2u) << "an equivalent type under another name";

    // Around the source: free planets, covered ones and idle relays, fewer free than ships.
    std::vector<std::int32_t> near;
    galaxy.PlanetsWithinRange(selected.planet, selected.speed, near);
    int covered = 0;
    int idleRelays = 0;
    int free = 0;
    for (std::int32_t planet : near) {
        if (planet == selected.planet) {
            continue;
        }
        std::vector<std::int32_t> groups;
        galaxy.GroupsAtPlanet(planet, selected.race, groups);
        bool holdsEquivalent = false;
        bool holdsIdle = false;
        for (std::int32_t number : groups) {
            const Group& group = *galaxy.FindGroup(number);
            holdsEquivalent = holdsEquivalent || equivalent.count(group.type) != 0;
            holdsIdle = holdsIdle || (equivalent.count(group.type) != 0 && group.InOrbit() &&
                                      group.fleet.empty() && group.count == 1);
        }
        idleRelays += holdsIdle ? 1 : 0;
        covered += holdsEquivalent && !holdsIdle ? 1 : 0;
        free += holdsEquivalent ? 0 : 1;
    }
    EXPECT_GE(covered, 3);
    EXPECT_GE(idleRelays, 2);
    EXPECT_LT(free, selected.count) << "some ships must go on through relays";

    bool fleet = false;
    bool inFlight = false;
    for (const Group& group : galaxy.Groups()) {
        fleet = fleet || !group.fleet.empty();
        inFlight = inFlight || !group.InOrbit();
    }
    EXPECT_TRUE(fleet);
    EXPECT_TRUE(inFlight);
}

} // namespace
