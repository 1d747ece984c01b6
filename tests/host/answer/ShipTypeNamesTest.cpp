// ShipTypeNamesTest.cpp - the distinct names, the set and the longest name, over names that races share.
#include "answer/ShipTypeNames.h"

#include "host/HostTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace host {
namespace {

TEST(ShipTypeNamesTest, SharedNamesCountOnceInOrderOfFirstAppearance) {
    // Courier is Vexari's and Zorgon's; Star and Star Blue are different names.
    const ShipTypeNames names(test::SmallGalaxy().ShipTypes());
    const std::vector<std::string> expected = {"Courier", "Heavy Freighter", "Drone", "Star", "Star Blue"};
    EXPECT_EQ(expected, names.Distinct());
    EXPECT_TRUE(names.Contains("Heavy Freighter"));
    EXPECT_FALSE(names.Contains("Heavy"));
    EXPECT_FALSE(names.Contains("courier"));
    EXPECT_EQ(15U, names.Longest());
}

TEST(ShipTypeNamesTest, NoTypesGiveNoNames) {
    const ShipTypeNames names({});
    EXPECT_TRUE(names.Distinct().empty());
    EXPECT_FALSE(names.Contains(""));
    EXPECT_EQ(0U, names.Longest());
}

} // namespace
} // namespace host
