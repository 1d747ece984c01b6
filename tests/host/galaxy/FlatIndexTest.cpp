// FlatIndexTest.cpp - the flat tables of group numbers and planet names against standard maps: growing, probing, refusing.
#include "galaxy/GroupNumberIndex.h"
#include "galaxy/PlanetNameIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace host {
namespace {

constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();

TEST(GroupNumberIndexTest, FindsWhatAStandardMapFindsWhateverTheNumbers) {
    std::mt19937 random(3);
    std::vector<std::int32_t> scattered(5000);
    for (std::int32_t& number : scattered) {
        number = static_cast<std::int32_t>(random() % static_cast<std::uint32_t>(kLargest)) + 1;
    }
    std::vector<std::int32_t> consecutive;
    std::vector<std::int32_t> strided; // one table size apart: every number starts at the same slot before mixing
    for (std::int32_t n = 1; n <= 5000; ++n) {
        consecutive.push_back(n);
        strided.push_back(n * 1024);
    }
    std::vector<std::int32_t> edges = {1, kLargest, 2, kLargest - 1, 1, kLargest};
    // Dense numbers given last first, and dense ones until a far one moves them all to the table.
    std::vector<std::int32_t> descending(consecutive.rbegin(), consecutive.rend());
    std::vector<std::int32_t> denseThenFar(consecutive.begin(), consecutive.begin() + 3000);
    denseThenFar.insert(denseThenFar.end(), {kLargest, 3000, 2, 3001, 20000, 3001});
    for (const bool reserved : {false, true}) {
        for (const std::vector<std::int32_t>* numbers :
             {&scattered, &consecutive, &strided, &edges, &descending, &denseThenFar}) {
            GroupNumberIndex index;
            if (reserved) {
                index.Reserve(numbers->size());
            }
            std::unordered_map<std::int32_t, std::size_t> expected;
            for (std::size_t position = 0; position < numbers->size(); ++position) {
                const std::int32_t number = (*numbers)[position];
                EXPECT_EQ(expected.emplace(number, position).second, index.Insert(number, position)) << number;
            }
            for (const auto& [number, position] : expected) {
                EXPECT_EQ(position, index.Find(number)) << number;
            }
            for (const std::int32_t absent : {0, -1, std::numeric_limits<std::int32_t>::min(), 3 * 1024 + 1}) {
                EXPECT_EQ(expected.contains(absent), index.Find(absent).has_value()) << absent;
            }
        }
    }
}

TEST(GroupNumberIndexTest, AnEmptyIndexFindsNothing) {
    const GroupNumberIndex index;
    for (const std::int32_t number : {0, 1, kLargest}) {
        EXPECT_FALSE(index.Find(number).has_value());
    }
}

TEST(PlanetNameIndexTest, FindsWhatAStandardMapFindsAndRefusesTakenNames) {
    using namespace std::string_literals;
    std::vector<std::string> names = {"", "A", "a", "A\0"s, "A\0B"s, "Alpha", "alpha", "\xC3\xA9", "A"};
    for (int n = 0; n < 3000; ++n) {
        names.push_back("Planet " + std::to_string(n % 2500)); // the last 500 are taken already
    }
    const auto nameOf = [&names](std::int32_t number) -> const std::string& {
        return names[static_cast<std::size_t>(number - 1)];
    };
    for (const bool reserved : {false, true}) {
        PlanetNameIndex index;
        if (reserved) {
            index.Reserve(names.size());
        }
        std::unordered_map<std::string, std::int32_t> expected;
        for (std::size_t i = 0; i < names.size(); ++i) {
            const auto number = static_cast<std::int32_t>(i + 1);
            EXPECT_EQ(expected.emplace(names[i], number).second, index.Insert(number, names[i], nameOf)) << names[i];
        }
        for (const auto& [name, number] : expected) {
            EXPECT_EQ(number, index.Find(name, nameOf)) << name;
        }
        for (const std::string& absent : {"B"s, "Planet 2500"s, "A\0C"s, "planet 1"s}) {
            EXPECT_EQ(0, index.Find(absent, nameOf)) << absent;
        }
    }
    EXPECT_EQ(0, PlanetNameIndex().Find("A", nameOf));
}

} // namespace
} // namespace host
