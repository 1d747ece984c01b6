// GalaxyGenerator.h - random galaxies for benchmarks and play, reproducible from a seed.
//
// The same options give the same bytes on every machine and build: the
// generator uses its own fixed random sequence (no library distribution whose
// output could differ), and no decimal it writes has more than two places.
// The text it returns always loads as a valid galaxy with exactly the
// planets, races and groups asked for.
#pragma once

#include "galaxy/Galaxy.h"

#include <cstdint>
#include <string>

namespace host {

/// The plug-in's planner plans on at most 2^24 planets (a larger count it reads as none),
/// so a larger galaxy would plan nothing.
inline constexpr std::int32_t kMaxGeneratedPlanets = 1 << 24;
inline constexpr std::int32_t kMaxGeneratedRaces = 1000;
/// Group numbers grow by up to 3 a group and must stay 32-bit; memory runs out long before.
inline constexpr std::int32_t kMaxGeneratedGroups = 1 << 28;

struct GeneratorOptions {
    std::int32_t planets = 1000;  // 1..kMaxGeneratedPlanets
    std::int32_t races = 3;       // 1..kMaxGeneratedRaces
    std::int32_t groups = 2000;   // 1..kMaxGeneratedGroups: a galaxy needs a selected group
    std::uint64_t seed = 1;
};

/// Groups per planet when the command line names no count: a small galaxy gets a few
/// groups, a large one enough to choose from.
inline constexpr std::int32_t kDefaultGroupsPerPlanet = 2;

/// How many groups a galaxy of `planets` planets gets by default, within the generator's bounds.
constexpr std::int32_t DefaultGroupCount(std::int32_t planets) {
    const std::int64_t groups = std::int64_t{planets} * kDefaultGroupsPerPlanet;
    return static_cast<std::int32_t>(groups < 1 ? 1 : groups > kMaxGeneratedGroups ? kMaxGeneratedGroups : groups);
}

/// The galaxy itself, before it is written: what GenerateGalaxyJson writes, exactly, since
/// a galaxy file reloads as it was saved. Throws as GenerateGalaxyJson does.
GalaxyContent GenerateGalaxy(const GeneratorOptions& options);

/// The galaxy as JSON text in the galaxy file format. Throws std::invalid_argument,
/// with a message naming the option, when a size is outside its range, and
/// std::bad_alloc when the galaxy or its text does not fit in memory.
std::string GenerateGalaxyJson(const GeneratorOptions& options);

} // namespace host
