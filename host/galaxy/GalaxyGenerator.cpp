// GalaxyGenerator.cpp - seeded random galaxies: names, positions, ship types and groups, written as galaxy JSON.
#include "galaxy/GalaxyGenerator.h"

#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <string_view>

namespace host {

namespace {

/// splitmix64: tiny, fast, and fully specified, so a seed means the same galaxy everywhere.
class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    /// 0..bound-1; bound must be positive.
    std::int32_t Below(std::int32_t bound) {
        return static_cast<std::int32_t>(Next() % static_cast<std::uint64_t>(bound));
    }

    /// True with the given chance in percent.
    bool Percent(std::int32_t chance) { return Below(100) < chance; }

private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 20> kSyllables = {"ka", "ve", "ri", "so", "tu", "na", "lo", "mi", "xe", "da",
                                                         "pe", "zo", "ga", "lu", "bi", "ro", "se", "ti", "wa", "ny"};

/// Pronounceable names, a different one for each index below `count`: every name has
/// the same number of syllables (at least two), one per base-20 digit of the index after
/// a fixed shuffle (a multiplier prime to 20 permutes the digit strings), so neighbouring
/// indices do not read alike.
class Namer {
public:
    Namer(std::int32_t count, std::uint64_t offset) : offset_(offset) {
        while (combinations_ < static_cast<std::uint64_t>(count) || syllables_ < 2) {
            combinations_ *= kSyllables.size();
            ++syllables_;
        }
    }

    std::string Name(std::int32_t index) const {
        std::uint64_t code = (static_cast<std::uint64_t>(index) * 7919U + offset_) % combinations_;
        std::string word;
        for (int s = 0; s < syllables_; ++s) {
            word += kSyllables[code % kSyllables.size()];
            code /= kSyllables.size();
        }
        word[0] = static_cast<char>(word[0] - 'a' + 'A');
        return word;
    }

private:
    std::uint64_t offset_;
    std::uint64_t combinations_ = 1;
    int syllables_ = 0;
};

/// Two places, as a player would type them; also keeps the text of a number short.
double Hundredths(std::int64_t hundredths) {
    return static_cast<double>(hundredths) / 100.0;
}

struct TypePattern {
    const char* name;
    double drives;
    double weapons;
    double ammo;
    double cargo;
    double shields;
};

// Every race builds these. "Drone" matches "Courier" value for value, so equivalent
// types under other names exist; two-word names exercise the split-name rule.
constexpr std::array<TypePattern, 5> kTypePatterns = {{
    {"Courier", 1.0, 0.0, 0.0, 0.0, 0.0},
    {"Drone", 1.0, 0.0, 0.0, 0.0, 0.0},
    {"Scout", 1.5, 0.0, 0.0, 0.0, 1.0},
    {"Heavy Freighter", 3.0, 0.0, 0.0, 10.0, 2.0},
    {"Battle Cruiser", 8.0, 5.0, 2.0, 0.0, 6.0},
}};

void CheckRange(std::int32_t value, std::int32_t low, std::int32_t high, const char* option) {
    if (value < low || value > high) {
        throw std::invalid_argument(std::string(option) + " must be between " + std::to_string(low) + " and " +
                                    std::to_string(high));
    }
}

GalaxyContent Generate(const GeneratorOptions& options) {
    SeededRandom random(options.seed);
    GalaxyContent content;
    content.game = "Generated Cluster " + std::to_string(options.seed);
    content.turn = 1 + random.Below(200);

    const Namer raceNames(options.races, 211);
    for (std::int32_t r = 0; r < options.races; ++r) {
        content.races.push_back(Race{raceNames.Name(r) + "an", Hundredths(100 + random.Below(300))});
    }

    // About one planet per 100 square units, so planets lie some ten units apart whatever the size.
    const auto side = static_cast<std::int32_t>(std::ceil(std::sqrt(static_cast<double>(options.planets)) * 10.0));
    const Namer planetNames(options.planets, 5);
    content.planets.reserve(static_cast<std::size_t>(options.planets));
    for (std::int32_t p = 0; p < options.planets; ++p) {
        Planet planet{planetNames.Name(p), Hundredths(random.Below(side * 100)), Hundredths(random.Below(side * 100)), ""};
        if (p < options.races) {
            planet.owner = content.races[static_cast<std::size_t>(p)].name; // every race owns a home
        } else if (random.Percent(30)) {
            planet.owner = content.races[static_cast<std::size_t>(random.Below(options.races))].name;
        }
        content.planets.push_back(std::move(planet));
    }

    for (std::int32_t r = 0; r < options.races; ++r) {
        const double weaponsFactor = 1.0 + r % 3;
        for (const TypePattern& pattern : kTypePatterns) {
            content.shipTypes.push_back(ShipType{content.races[static_cast<std::size_t>(r)].name, pattern.name,
                                                 pattern.drives, pattern.weapons * weaponsFactor, pattern.ammo,
                                                 pattern.cargo, pattern.shields});
        }
    }

    const Namer fleetNames(50, 17);
    content.groups.reserve(static_cast<std::size_t>(options.groups));
    std::int32_t number = 0;
    for (std::int32_t g = 0; g < options.groups; ++g) {
        number += 1 + random.Below(3); // numbers ascend with gaps, as in a game in progress
        const std::int32_t race = g == 0 ? 0 : random.Below(options.races);
        const auto typeIndex = static_cast<std::size_t>(race) * kTypePatterns.size() +
                               (g == 0 ? 0 : static_cast<std::size_t>(random.Below(kTypePatterns.size())));
        const ShipType& type = content.shipTypes[typeIndex];
        const Race& owner = content.races[static_cast<std::size_t>(race)];
        Group group;
        group.number = number;
        group.race = owner.name;
        group.type = type.name;
        group.planet = 1 + random.Below(options.planets);
        group.count = random.Percent(35) ? 1 : 1 + random.Below(12);
        group.speed = Hundredths(std::llround(type.drives * owner.drivesTech * 800.0));
        if (g == 0) {
            // The selection: a many-ship group in orbit of its race's home.
            group.planet = 1;
            group.count = 10;
        } else if (options.planets > 1 && random.Percent(20)) {
            group.from = 1 + random.Below(options.planets);
        }
        if (g > 0 && random.Percent(10)) {
            group.fleet = fleetNames.Name(random.Below(50)) + " Wing";
        }
        content.groups.push_back(std::move(group));
    }
    content.selection = content.groups.front().number;
    return content;
}

} // namespace

GalaxyContent GenerateGalaxy(const GeneratorOptions& options) {
    CheckRange(options.planets, 1, kMaxGeneratedPlanets, "planets");
    CheckRange(options.races, 1, kMaxGeneratedRaces, "races");
    CheckRange(options.groups, 1, kMaxGeneratedGroups, "groups");
    return Generate(options);
}

std::string GenerateGalaxyJson(const GeneratorOptions& options) {
    return GalaxyContentToJson(GenerateGalaxy(options));
}

} // namespace host
