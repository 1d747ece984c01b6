// GalaxyGeneratorTest.cpp - generated galaxies: same seed same bytes, valid input, the sizes asked for.
#include "galaxy/GalaxyGenerator.h"

#include "galaxy/GalaxyFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>

namespace host {
namespace {

TEST(GalaxyGeneratorTest, SameSeedGivesSameBytes) {
    const GeneratorOptions options{500, 4, 900, 77};
    const std::string first = GenerateGalaxyJson(options);
    EXPECT_EQ(first, GenerateGalaxyJson(options));
    GeneratorOptions other = options;
    other.seed = 78;
    EXPECT_NE(first, GenerateGalaxyJson(other));
}

TEST(GalaxyGeneratorTest, OutputLoadsWithTheSizesAskedFor) {
    const struct {
        std::int32_t planets;
        std::int32_t races;
        std::int32_t groups;
    } rows[] = {{1, 1, 1}, {2, 5, 3}, {300, 3, 1}, {1000, 7, 2500}, {6000, 12, 9000}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const GeneratorOptions options{rows[i].planets, rows[i].races, rows[i].groups, 1000 + i};
        const Galaxy galaxy = ParseGalaxyJson(GenerateGalaxyJson(options), "generated.json");
        EXPECT_EQ(rows[i].planets, galaxy.PlanetCount()) << "row " << i;
        EXPECT_EQ(static_cast<std::size_t>(rows[i].races), galaxy.Races().size()) << "row " << i;
        EXPECT_EQ(static_cast<std::size_t>(rows[i].groups), galaxy.Groups().size()) << "row " << i;
        // The selection is a group that can be distributed: in orbit, with ships.
        EXPECT_TRUE(galaxy.SelectedGroup().InOrbit()) << "row " << i;
        EXPECT_GT(galaxy.SelectedGroup().count, 1) << "row " << i;
    }
}

TEST(GalaxyGeneratorTest, GalaxyHoldsWhatThePlannerNeeds) {
    const Galaxy galaxy = ParseGalaxyJson(GenerateGalaxyJson({2000, 3, 4000, 5}), "generated.json");
    std::set<std::string> owners;
    int inFlight = 0;
    int oneShipGroups = 0;
    for (const Planet& planet : galaxy.Planets()) {
        owners.insert(planet.owner);
    }
    for (const Group& group : galaxy.Groups()) {
        inFlight += group.InOrbit() ? 0 : 1;
        oneShipGroups += group.count == 1 ? 1 : 0;
    }
    EXPECT_EQ(4U, owners.size()); // three races and nobody
    EXPECT_GT(inFlight, 0);
    EXPECT_GT(oneShipGroups, 0);
    EXPECT_TRUE(std::ranges::any_of(galaxy.ShipTypes(), [](const ShipType& type) { return type.name == "Heavy Freighter"; }));
    // Neighbours lie within a group's reach, so range queries find something to do.
    std::vector<std::int32_t> near;
    galaxy.PlanetsWithinRange(galaxy.SelectedGroup().planet, galaxy.SelectedGroup().speed, near);
    EXPECT_GT(near.size(), 1U);
}

TEST(GalaxyGeneratorTest, SizesOutsideTheirRangeError) {
    const GeneratorOptions rows[] = {{0, 3, 10, 1},      {(1 << 24) + 1, 3, 10, 1}, {10, 0, 10, 1},
                                     {10, 1001, 10, 1},  {10, 3, 0, 1},             {10, 3, (1 << 28) + 1, 1}};
    const char* messages[] = {"planets must be between 1 and 16777216", "planets must be between 1 and 16777216",
                              "races must be between 1 and 1000",       "races must be between 1 and 1000",
                              "groups must be between 1 and 268435456", "groups must be between 1 and 268435456"};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        try {
            GenerateGalaxyJson(rows[i]);
            ADD_FAILURE() << "row " << i << " was accepted";
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(messages[i], error.what()) << "row " << i;
        }
    }
}

std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

// Galaxies made before the limits were raised (100 000 planets, 200 000 groups) keep their
// bytes: benchmarks and pinned plans name them by their options.
TEST(GalaxyGeneratorTest, GalaxiesWithinTheFormerLimitsKeepTheirBytes) {
    const struct {
        GeneratorOptions options;
        std::size_t bytes;
        std::uint64_t hash;
    } rows[] = {
        {{500, 4, 900, 77}, 129141, 10173330401686623225ULL},
        {{20000, 3, 40000, 9}, 5747481, 9348886420584561167ULL},
        {{100000, 1000, 1, 2}, 5976697, 10995882433646902100ULL},
    };
    for (const auto& row : rows) {
        const std::string text = GenerateGalaxyJson(row.options);
        EXPECT_EQ(row.bytes, text.size()) << row.options.planets;
        EXPECT_EQ(row.hash, Fnv1a(text)) << row.options.planets;
    }
}

} // namespace
} // namespace host
