// GalaxyTest.cpp - the galaxy's indexes against plain scans: range queries on many layouts, groups by planet, splits.
#include "galaxy/Galaxy.h"

#include "host/HostTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace host {
namespace {

GalaxyContent ContentWithPlanets(std::vector<Planet> planets) {
    GalaxyContent content;
    content.game = "Layout";
    content.turn = 1;
    content.races = {Race{"Vexari", 1.0}};
    content.planets = std::move(planets);
    content.shipTypes = {ShipType{"Vexari", "Courier", 1, 0, 0, 0, 0}};
    content.groups = {Group{1, "Vexari", "Courier", 1, 1, 1.0, 0, ""}};
    content.selection = 1;
    return content;
}

/// What a range query must give: every planet by the plain formula, in number order.
std::vector<std::int32_t> ScanWithinRange(const Galaxy& galaxy, std::int32_t centre, double range) {
    std::vector<std::int32_t> found;
    const Planet& a = galaxy.PlanetAt(centre);
    for (std::int32_t v = 1; v <= galaxy.PlanetCount(); ++v) {
        const Planet& p = galaxy.PlanetAt(v);
        const double dx = p.x - a.x;
        const double dy = p.y - a.y;
        if (std::sqrt(dx * dx + dy * dy) <= range) {
            found.push_back(v);
        }
    }
    return found;
}

using Layout = std::vector<Planet> (*)(std::mt19937&);

/// The name of planet `i` of a generated layout.
std::string PlanetName(int i) {
    std::string name = "P";
    name += std::to_string(i);
    return name;
}

std::vector<Planet> Scattered(std::mt19937& random) {
    std::uniform_real_distribution<double> coordinate(-500.0, 500.0);
    std::vector<Planet> planets;
    for (int i = 0; i < 800; ++i) {
        planets.push_back(Planet{PlanetName(i), coordinate(random), coordinate(random), ""});
    }
    return planets;
}

std::vector<Planet> ClusteredOnGridLines(std::mt19937& random) {
    // Whole-number positions with many duplicates and two tight clusters far apart.
    std::vector<Planet> planets;
    for (int i = 0; i < 600; ++i) {
        const double base = i % 2 == 0 ? 0.0 : 10000.0;
        planets.push_back(Planet{PlanetName(i), base + static_cast<double>(random() % 7),
                                 base + static_cast<double>(random() % 5), ""});
    }
    return planets;
}

std::vector<Planet> OnOneLine(std::mt19937& random) {
    std::vector<Planet> planets;
    for (int i = 0; i < 300; ++i) {
        planets.push_back(Planet{PlanetName(i), static_cast<double>(random() % 1000) / 4.0, 7.0, ""});
    }
    return planets;
}

std::vector<Planet> AllOnOnePoint(std::mt19937&) {
    std::vector<Planet> planets;
    for (int i = 0; i < 50; ++i) {
        planets.push_back(Planet{PlanetName(i), -3.5, 2.25, ""});
    }
    return planets;
}

std::vector<Planet> HugeExtent(std::mt19937& random) {
    // So far apart that the bounding box's width overflows a double.
    std::vector<Planet> planets;
    for (int i = 0; i < 40; ++i) {
        const double sign = i % 2 == 0 ? 1.0 : -1.0;
        planets.push_back(Planet{PlanetName(i), sign * 1e308 * (0.5 + (random() % 100) / 200.0),
                                 static_cast<double>(i), ""});
    }
    return planets;
}

TEST(GalaxyTest, RangeQueriesMatchPlainScanOnEveryLayout) {
    const Layout layouts[] = {Scattered, ClusteredOnGridLines, OnOneLine, AllOnOnePoint, HugeExtent};
    const double ranges[] = {0.0, 0.5, 1.0, 3.0, 17.25, 120.0, 1e4, 1e308, std::numeric_limits<double>::infinity()};
    std::mt19937 random(4);
    for (std::size_t layout = 0; layout < std::size(layouts); ++layout) {
        const Galaxy galaxy(ContentWithPlanets(layouts[layout](random)));
        for (int probe = 0; probe < 40; ++probe) {
            const std::int32_t centre = 1 + static_cast<std::int32_t>(random() % static_cast<unsigned>(galaxy.PlanetCount()));
            for (const double range : ranges) {
                std::vector<std::int32_t> found;
                galaxy.PlanetsWithinRange(centre, range, found);
                ASSERT_EQ(ScanWithinRange(galaxy, centre, range), found)
                    << "layout " << layout << ", centre " << centre << ", range " << range;
            }
        }
    }
}

TEST(GalaxyTest, NonFiniteNumbersError) {
    // Content built in code can hold what JSON cannot: the galaxy itself refuses it.
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        void (*edit)(GalaxyContent&, double);
        double value;
        const char* message;
    } rows[] = {
        {[](GalaxyContent& c, double v) { c.planets[0].x = v; }, nan, "planets[0] (planet #1): x is not a finite number"},
        {[](GalaxyContent& c, double v) { c.planets[1].y = v; }, -inf, "planets[1] (planet #2): y is not a finite number"},
        {[](GalaxyContent& c, double v) { c.groups[0].speed = v; }, inf, "groups[0] (the 1st group): speed is not a finite number"},
        {[](GalaxyContent& c, double v) { c.races[0].drivesTech = v; }, nan, "races[0] (the 1st race): drivesTech is not a finite number"},
        {[](GalaxyContent& c, double v) { c.shipTypes[0].cargo = v; }, inf, "shipTypes[0] (the 1st ship type): cargo is not a finite number"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        GalaxyContent content = ContentWithPlanets({Planet{"A", 0, 0, ""}, Planet{"B", 1, 1, ""}});
        rows[i].edit(content, rows[i].value);
        try {
            const Galaxy galaxy(std::move(content));
            ADD_FAILURE() << "row " << i << " was accepted";
        } catch (const GalaxyError& error) {
            EXPECT_STREQ(rows[i].message, error.what()) << "row " << i;
        }
    }
}

TEST(GalaxyTest, RangeQueryAppendsAndRefusesBadInput) {
    const Galaxy galaxy = test::SmallGalaxy();
    std::vector<std::int32_t> found = {42};
    galaxy.PlanetsWithinRange(1, 5.0, found);
    EXPECT_EQ((std::vector<std::int32_t>{42, 1, 2, 5}), found); // earlier content stays in front

    const struct {
        std::int32_t centre;
        double range;
    } rows[] = {{0, 5.0}, {7, 5.0}, {-1, 5.0}, {1, -0.01}, {1, std::nan("")}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        std::vector<std::int32_t> none;
        galaxy.PlanetsWithinRange(rows[i].centre, rows[i].range, none);
        EXPECT_TRUE(none.empty()) << "row " << i;
    }
}

TEST(GalaxyTest, GroupsAtPlanetStayAscendingAfterSplits) {
    Galaxy galaxy = test::SmallGalaxy();
    std::vector<std::int32_t> before;
    galaxy.GroupsAtPlanet(2, "Vexari", before);
    EXPECT_EQ((std::vector<std::int32_t>{3, 4}), before);

    EXPECT_EQ(21, galaxy.SplitOffShip(7, 2));
    EXPECT_EQ(22, galaxy.SplitOffShip(12, 2));
    EXPECT_EQ(23, galaxy.SplitOffShip(7, 2));

    std::vector<std::int32_t> vexari;
    galaxy.GroupsAtPlanet(2, "Vexari", vexari);
    EXPECT_EQ((std::vector<std::int32_t>{3, 4, 21, 23}), vexari);
    std::vector<std::int32_t> zorgon;
    galaxy.GroupsAtPlanet(2, "Zorgon", zorgon);
    EXPECT_EQ((std::vector<std::int32_t>{22}), zorgon);
    EXPECT_EQ(10, galaxy.FindGroup(7)->count);
    EXPECT_EQ(3, galaxy.FindGroup(12)->count);
    // The source planet still lists the group that lost ships.
    std::vector<std::int32_t> atSource;
    galaxy.GroupsAtPlanet(1, "Vexari", atSource);
    EXPECT_EQ((std::vector<std::int32_t>{5, 7, 9}), atSource);
}

TEST(GalaxyTest, CopiedGalaxyKeepsWorkingIndexes) {
    Galaxy original = test::SmallGalaxy();
    Galaxy copy = original;
    copy.SplitOffShip(7, 3);
    EXPECT_EQ(nullptr, original.FindGroup(21));
    ASSERT_NE(nullptr, copy.FindGroup(21));
    EXPECT_EQ(3, copy.FindGroup(21)->planet);
    std::vector<std::int32_t> found;
    copy.PlanetsWithinRange(1, 5.0, found);
    EXPECT_EQ((std::vector<std::int32_t>{1, 2, 5}), found);
}

TEST(GalaxyTest, SelectGroupRefusesUnknownNumbers) {
    Galaxy galaxy = test::SmallGalaxy();
    EXPECT_FALSE(galaxy.SelectGroup(8));
    EXPECT_EQ(7, galaxy.SelectedGroup().number);
    EXPECT_TRUE(galaxy.SelectGroup(12));
    EXPECT_EQ("Zorgon", galaxy.SelectedGroup().race);
}

TEST(GalaxyTest, LookupsAreExactByteComparisons) {
    const Galaxy galaxy = test::SmallGalaxy();
    EXPECT_EQ(4, galaxy.FindPlanetNumber("New Hope"));
    EXPECT_EQ(0, galaxy.FindPlanetNumber("new hope"));
    EXPECT_EQ(0, galaxy.FindPlanetNumber("New Hope "));
    EXPECT_NE(nullptr, galaxy.FindShipType("Moon", "Star Blue"));
    EXPECT_EQ(nullptr, galaxy.FindShipType("Moon", "Star"));
}

} // namespace
} // namespace host
