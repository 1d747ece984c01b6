// GroupNumberIndexTest.cpp - the flat table of group numbers against a standard map, growing, probing and refusing.
#include "host/GroupNumberIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
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
    for (const bool reserved : {false, true}) {
        for (const std::vector<std::int32_t>* numbers : {&scattered, &consecutive, &strided, &edges}) {
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

} // namespace
} // namespace host
