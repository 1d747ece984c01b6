// LongSetTest.cpp - LongSet: adding, searching, stepping, removing with repositioning, rebalancing,
// dumping.
#include "cells/LongSet.h"

#include "cells/TreeCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using cells_test::CheckTree;
using cells_test::TreeWalk;

std::int32_t KeyOf(const LongSetNode* node) {
    return node->key;
}

std::string ShapeOf(const LongSet& set) {
    return cells_test::Shape(set.GetRoot(), KeyOf);
}

void AddAll(LongSet& set, std::initializer_list<std::int32_t> keys) {
    for (std::int32_t key : keys) {
        ASSERT_NE(nullptr, set.AddKey(key)) << key;
    }
}

std::vector<std::int32_t> Ascending(const LongSet& set) {
    std::vector<std::int32_t> keys;
    for (LongSetNode* pos = set.First(); pos != nullptr;) {
        keys.push_back(set.Next(pos));
    }
    return keys;
}

std::vector<std::int32_t> Descending(const LongSet& set) {
    std::vector<std::int32_t> keys;
    for (LongSetNode* pos = set.Last(); pos != nullptr;) {
        keys.push_back(set.Prev(pos));
    }
    return keys;
}

std::string Dump(const LongSet& set) {
    std::ostringstream out;
    if (set.GetRoot() != nullptr) {
        set.DumpNode(out, set.GetRoot());
    }
    return out.str();
}

::testing::AssertionResult Valid(const LongSet& set) {
    TreeWalk<const LongSetNode> walk;
    return CheckTree(set.GetRoot(), set.GetCount(), KeyOf, walk);
}

TEST(LongSetTest, EmptySetAnswersNothing) {
    LongSet set;
    LongSetNode* pos = nullptr;
    EXPECT_EQ(nullptr, set.First());
    EXPECT_EQ(nullptr, set.Last());
    EXPECT_EQ(nullptr, set.LowerBound(1));
    EXPECT_EQ(nullptr, set.Find(1));
    EXPECT_EQ(nullptr, set.Locate(1));
    EXPECT_EQ(0, set.Contains(1));
    EXPECT_EQ(FALSE, set.Remove('n', pos));
    EXPECT_EQ(TRUE, set.Rebalance());
    EXPECT_EQ(0, set.GetCount());
    EXPECT_EQ(0, set.Next(pos));
    EXPECT_EQ(nullptr, pos);
    EXPECT_EQ(0, set.Prev(pos));
    EXPECT_EQ(nullptr, pos);
}

TEST(LongSetTest, AddKeyMergesWhileInsertKeyAddsOnTheLesserSide) {
    LongSet set;
    LongSetNode* first = set.AddKey(5);
    EXPECT_EQ(first, set.AddKey(5));
    EXPECT_EQ(1, set.GetCount());

    LongSetNode* second = set.InsertKey(5);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(2, set.GetCount());
    EXPECT_EQ(second, first->lesser);
    EXPECT_EQ(first, second->parent);
    EXPECT_EQ(second, set.Find(5)); // the lower bound is the first 5 in order
    EXPECT_EQ(5, set.Contains(5));
    EXPECT_TRUE(Valid(set));
}

TEST(LongSetTest, InsertNodeRefusesNullAndLinkedNodes) {
    LongSet set;
    AddAll(set, {4, 2, 6});
    EXPECT_EQ(nullptr, set.InsertNode(nullptr));
    EXPECT_EQ(nullptr, set.InsertNode(set.Find(2)));
    EXPECT_EQ(nullptr, set.InsertNode(set.Find(4)));
    EXPECT_EQ(3, set.GetCount());
    EXPECT_TRUE(Valid(set));
}

TEST(LongSetTest, LowerBoundFindsSmallestKeyNotLess) {
    LongSet set;
    AddAll(set, {4, 2, 8});
    struct Row {
        std::int32_t key;
        std::int32_t expected; // 0: null
    };
    const Row rows[] = {{5, 8},
                        {9, 0},
                        {4, 4},
                        {1, 2},
                        {8, 8},
                        {3, 4},
                        {std::numeric_limits<std::int32_t>::min(), 2},
                        {std::numeric_limits<std::int32_t>::max(), 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const LongSetNode* node = set.LowerBound(rows[i].key);
        EXPECT_EQ(rows[i].expected, node == nullptr ? 0 : node->key) << "row " << i;
        const bool present = rows[i].expected == rows[i].key;
        EXPECT_EQ(present ? rows[i].key : 0, set.Contains(rows[i].key)) << "row " << i;
        EXPECT_EQ(present ? node : nullptr, set.Find(rows[i].key)) << "row " << i;
        EXPECT_EQ(set.Find(rows[i].key), set.Locate(rows[i].key)) << "row " << i;
    }
}

TEST(LongSetTest, NegativeKeysOrderAsSignedValues) {
    LongSet set;
    AddAll(set, {3, -1, std::numeric_limits<std::int32_t>::min(), 7,
                 std::numeric_limits<std::int32_t>::max()});
    const std::vector<std::int32_t> expected = {std::numeric_limits<std::int32_t>::min(), -1, 3, 7,
                                                std::numeric_limits<std::int32_t>::max()};
    EXPECT_EQ(expected, Ascending(set));
}

TEST(LongSetTest, NextAndPrevReturnTheKeyBeforeTheMove) {
    LongSet set;
    AddAll(set, {20, 10, 30});
    LongSetNode* pos = set.Last();
    EXPECT_EQ(30, set.Next(pos)); // the last entry: its key, then nowhere
    EXPECT_EQ(nullptr, pos);
    EXPECT_EQ(0, set.Next(pos));
    EXPECT_EQ(nullptr, pos);

    pos = set.First();
    EXPECT_EQ(10, set.Prev(pos));
    EXPECT_EQ(nullptr, pos);

    EXPECT_EQ((std::vector<std::int32_t>{10, 20, 30}), Ascending(set));
    EXPECT_EQ((std::vector<std::int32_t>{30, 20, 10}), Descending(set));
}

TEST(LongSetTest, KeyZeroStopsSteppingAndCannotBeRemoved) {
    LongSet set;
    AddAll(set, {5, 0, 9});
    LongSetNode* zero = set.Find(0);
    ASSERT_NE(nullptr, zero);
    LongSetNode* pos = zero;
    EXPECT_EQ(0, set.Next(pos));
    EXPECT_EQ(zero, pos);
    EXPECT_EQ(0, set.Prev(pos));
    EXPECT_EQ(zero, pos);
    EXPECT_EQ(FALSE, set.Remove('n', pos));
    EXPECT_EQ(zero, pos);
    EXPECT_EQ(0, set.Contains(0)); // found, but 0 is also the "absent" answer
    EXPECT_EQ(3, set.GetCount());
}

TEST(LongSetTest, RebalanceFailsUnchangedOnASetHoldingZero) {
    LongSet set;
    AddAll(set, {1, 2, 0, 3});
    const std::string before = ShapeOf(set);
    EXPECT_EQ(FALSE, set.Rebalance());
    EXPECT_EQ(before, ShapeOf(set));
    EXPECT_EQ(4, set.GetCount());
    EXPECT_TRUE(Valid(set));
}

// Removal repositioning over the keys 10..50, built as 30 over (20 over 10) and (40 over 50).
TEST(LongSetTest, RemoveMovesThePositionAsTheModeSays) {
    struct Row {
        std::int32_t removed;
        char mode;
        std::int32_t expected; // key at pos afterwards, 0: null
    };
    const Row rows[] = {
        {50, 'n', 0},  {10, 'p', 0},  {50, 'p', 40}, {30, 'n', 40}, {30, 'p', 20},
        {10, 'n', 20}, {20, 'p', 10}, {40, 'n', 50}, {30, ' ', 0},  {50, 'x', 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        LongSet set;
        AddAll(set, {30, 20, 40, 10, 50});
        LongSetNode* pos = set.Find(rows[i].removed);
        ASSERT_EQ(TRUE, set.Remove(rows[i].mode, pos)) << "row " << i;
        EXPECT_EQ(rows[i].expected, pos == nullptr ? 0 : pos->key) << "row " << i;
        EXPECT_EQ(0, set.Contains(rows[i].removed)) << "row " << i;
        EXPECT_EQ(4, set.GetCount()) << "row " << i;
        EXPECT_TRUE(Valid(set)) << "row " << i;
    }
}

TEST(LongSetTest, RemovingTheOnlyEntryEmptiesTheSet) {
    LongSet set;
    LongSetNode* pos = set.AddKey(7);
    EXPECT_EQ(TRUE, set.Remove('p', pos));
    EXPECT_EQ(nullptr, pos);
    EXPECT_EQ(nullptr, set.GetRoot());
    EXPECT_EQ(0, set.GetCount());

    LongSetNode* again = set.AddKey(8);
    EXPECT_EQ(again, set.GetRoot());
    EXPECT_EQ(1, set.GetCount());
}

TEST(LongSetTest, RemovingAnEntryWithTwoChildrenKeepsItsNodeAndTheWalkingPosition) {
    // Add 40, 20, 60, 10, 30, giving 40 over (20 over 10 and 30) and 60.
    LongSet set;
    AddAll(set, {40, 20, 60, 10, 30});
    LongSetNode* twenty = set.Find(20);
    LongSetNode* walker = twenty;
    EXPECT_EQ(20, set.Next(walker)); // the walk steps past 20 before removing it
    ASSERT_EQ(30, walker->key);

    LongSetNode* saved = twenty;
    ASSERT_EQ(TRUE, set.Remove(' ', saved));
    EXPECT_EQ(nullptr, saved);
    EXPECT_EQ(10, twenty->key); // the node stays, holding its predecessor's key
    EXPECT_EQ(twenty, set.GetRoot()->lesser);
    EXPECT_EQ(30, walker->key);
    EXPECT_EQ(30, set.Next(walker));
    EXPECT_EQ(40, walker->key);
    EXPECT_EQ((std::vector<std::int32_t>{10, 30, 40, 60}), Ascending(set));
    EXPECT_TRUE(Valid(set));
}

TEST(LongSetTest, DescendingChainRebalancesAroundFour) {
    LongSet set;
    AddAll(set, {7, 6, 5, 4, 3, 2, 1});
    EXPECT_EQ("(((((((1)2)3)4)5)6)7)", ShapeOf(set)); // a chain along lesser links
    std::vector<LongSetNode*> held;
    for (std::int32_t key = 1; key <= 7; ++key) {
        held.push_back(set.Find(key));
    }

    EXPECT_EQ(TRUE, set.Rebalance());
    EXPECT_EQ("(((1)2(3))4((5)6(7)))", ShapeOf(set));
    TreeWalk<const LongSetNode> walk;
    ASSERT_TRUE(CheckTree(set.GetRoot(), set.GetCount(), KeyOf, walk));
    EXPECT_EQ(3, walk.height);
    EXPECT_EQ((std::vector<std::int32_t>{1, 2, 3, 4, 5, 6, 7}), Ascending(set));
    for (std::int32_t key = 1; key <= 7; ++key) {
        EXPECT_EQ(key, held[static_cast<std::size_t>(key - 1)]->key)
            << "nodes are kept, not copied";
    }
}

TEST(LongSetTest, RebalanceShapesForSmallCounts) {
    struct Row {
        std::int32_t count;
        const char* shape;
    };
    const Row rows[] = {
        {1, "(1)"},          {2, "((1)2)"},          {3, "((1)2(3))"},
        {4, "(((1)2(3))4)"}, {5, "(((1)2(3))4(5))"}, {8, "((((1)2(3))4((5)6(7)))8)"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        LongSet set;
        for (std::int32_t key = 1; key <= rows[i].count; ++key) {
            set.AddKey(key);
        }
        EXPECT_EQ(TRUE, set.Rebalance()) << "row " << i;
        EXPECT_EQ(rows[i].shape, ShapeOf(set)) << "row " << i;
        EXPECT_EQ(rows[i].count, set.GetCount()) << "row " << i;
    }
}

TEST(LongSetTest, MillionShuffledKeysRebalanceToHeightTwenty) {
    constexpr std::int32_t kKeys = 1000000;
    std::vector<std::int32_t> keys(kKeys);
    std::iota(keys.begin(), keys.end(), 1);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(20261207));
    LongSet set;
    for (std::int32_t key : keys) {
        ASSERT_NE(nullptr, set.AddKey(key));
    }
    ASSERT_EQ(TRUE, set.Rebalance());
    TreeWalk<const LongSetNode> walk;
    ASSERT_TRUE(CheckTree(set.GetRoot(), set.GetCount(), KeyOf, walk));
    EXPECT_EQ(20, walk.height);
    EXPECT_EQ(kKeys, static_cast<std::int32_t>(walk.inOrder.size()));
    EXPECT_EQ(1 << 19, set.GetRoot()->key);
}

TEST(LongSetTest, DumpWritesKeysInPreOrder) {
    // Add 4, 2, 6, 1, 3, giving 4 over (2 over 1 and 3) and 6.
    LongSet set;
    AddAll(set, {4, 2, 6, 1, 3, -9});
    EXPECT_EQ("4\n2\n1\n-9\n3\n6\n", Dump(set));
    std::ostringstream subtree;
    set.DumpNode(subtree, set.Find(2));
    EXPECT_EQ("2\n1\n-9\n3\n", subtree.str()); // never climbs above the given node
}

TEST(LongSetTest, ShuffledKeysWalkInOrderAndRemoveToEmpty) {
    std::vector<std::int32_t> keys(10000);
    std::iota(keys.begin(), keys.end(), 1);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(7));
    LongSet set;
    for (std::int32_t key : keys) {
        set.AddKey(key);
    }
    std::vector<std::int32_t> sorted = keys;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, Ascending(set));

    LongSetNode* pos = set.First();
    std::int32_t expected = 1;
    while (pos != nullptr) {
        ASSERT_EQ(expected, pos->key);
        ASSERT_EQ(TRUE, set.Remove('n', pos));
        ++expected;
    }
    EXPECT_EQ(10001, expected);
    EXPECT_EQ(0, set.GetCount());
    EXPECT_EQ(nullptr, set.GetRoot());
}

TEST(LongSetTest, RemoveAllEmptiesAndTheSetRefills) {
    LongSet set;
    AddAll(set, {3, 1, 2});
    set.RemoveAll();
    EXPECT_EQ(0, set.GetCount());
    EXPECT_EQ(nullptr, set.GetRoot());
    AddAll(set, {9});
    EXPECT_EQ(9, set.Contains(9));
}

// The searches and the stepping that the text routes through the virtual table.
class CountingSet : public LongSet {
public:
    LongSetNode* LowerBound(std::int32_t key) const override {
        ++lowerBoundCalls;
        return LongSet::LowerBound(key);
    }
    std::int32_t KeyAt(const LongSetNode* pos) const override {
        ++keyAtCalls;
        return LongSet::KeyAt(pos);
    }
    LongSetNode* First() const override {
        ++firstCalls;
        return LongSet::First();
    }
    LongSetNode* Last() const override {
        ++lastCalls;
        return LongSet::Last();
    }
    mutable int lowerBoundCalls = 0;
    mutable int keyAtCalls = 0;
    mutable int firstCalls = 0;
    mutable int lastCalls = 0;
};

TEST(LongSetTest, OverridesAreReachedThroughTheVirtualTable) {
    CountingSet set;
    AddAll(set, {2, 1, 3});
    set.Contains(2);
    set.Find(2);
    set.Locate(2);
    EXPECT_EQ(3, set.lowerBoundCalls);
    EXPECT_EQ(2, set.GetKey(set.Find(2)));
    EXPECT_EQ(1, set.keyAtCalls);
    set.Rebalance();
    EXPECT_EQ(1, set.firstCalls);
    LongSetNode* pos = set.Find(3);
    set.lowerBoundCalls = 0;
    set.Remove('p', pos); // LowerBound(3) is null, so the position goes to Last()
    EXPECT_EQ(1, set.lowerBoundCalls);
    EXPECT_EQ(1, set.lastCalls);
    EXPECT_EQ(2, pos->key);
}

} // namespace

// AddKey links a key through its index, or by a walk of its own once the keys spread too far
// apart; the tree it builds must be the one a walk from the root builds.
// The reference set takes each new key through InsertKey, which always walks from the root;
// both sets then go through the same removals, duplicates and rebalancing, and their shapes
// are compared after every step.
class AddKeyTreeTest : public ::testing::Test {
protected:
    // One step of a script: a positive number is AddKey, a negative one InsertKey of its
    // magnitude (a key stored twice); kRebalance rebalances both sets, and kRemoveNext
    // removes the key that follows it in the script.
    static constexpr std::int32_t kRebalance = -1000000;
    static constexpr std::int32_t kRemoveNext = -2000000;

    void Run(const std::vector<std::int32_t>& script, const std::string& row) {
        LongSet added;
        LongSet reference;
        for (std::size_t i = 0; i < script.size(); ++i) {
            const std::int32_t step = script[i];
            if (step == kRebalance) {
                ASSERT_EQ(TRUE, added.Rebalance()) << row;
                ASSERT_EQ(TRUE, reference.Rebalance()) << row;
            } else if (step == kRemoveNext) {
                const std::int32_t key = script[++i];
                LongSetNode* a = added.Find(key);
                LongSetNode* b = reference.Find(key);
                ASSERT_EQ(b != nullptr, a != nullptr) << row << " step " << i;
                if (a != nullptr) {
                    added.Remove('n', a);
                    reference.Remove('n', b);
                }
            } else if (step < 0) {
                added.InsertKey(-step);
                reference.InsertKey(-step);
            } else {
                const LongSetNode* node = added.AddKey(step);
                ASSERT_NE(nullptr, node) << row << " step " << i;
                EXPECT_EQ(step, node->key) << row << " step " << i;
                if (reference.Find(step) == nullptr) {
                    reference.InsertKey(step);
                }
            }
            ASSERT_EQ(ShapeOf(reference), ShapeOf(added)) << row << " after step " << i;
            ASSERT_EQ(reference.GetCount(), added.GetCount()) << row << " step " << i;
        }
        EXPECT_TRUE(Valid(added)) << row;
    }

    // Twenty-four lists of thirty planets out of three thousand, each walked from its last entry,
    // with a hop taken and given back now and then: the planner's own traffic.
    static std::vector<std::int32_t> PlannerLikeRuns() {
        std::mt19937 random(11);
        std::uniform_int_distribution<std::int32_t> planet(1, 3000);
        std::vector<std::int32_t> keys;
        for (int list = 0; list < 24; ++list) {
            std::vector<std::int32_t> entries(30);
            std::generate(entries.begin(), entries.end(), [&] { return planet(random); });
            std::sort(entries.begin(), entries.end(), std::greater<>());
            keys.insert(keys.end(), entries.begin(), entries.end());
            if (list % 7 == 3) {
                keys.insert(keys.end(), {kRemoveNext, entries[15]});
            }
        }
        return keys;
    }

    // Runs of keys walked down from each start, as the host's range lists arrive.
    static std::vector<std::int32_t> DescendingRuns(std::initializer_list<std::pair<int, int>> runs) {
        std::vector<std::int32_t> keys;
        for (const auto& [high, low] : runs) {
            for (int key = high; key >= low; --key) {
                keys.push_back(key);
            }
        }
        return keys;
    }
};

TEST_F(AddKeyTreeTest, BuildsTheTreeAWalkFromTheRootBuilds) {
    std::vector<std::int32_t> shuffled(300);
    std::iota(shuffled.begin(), shuffled.end(), -150);
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(7));
    std::replace(shuffled.begin(), shuffled.end(), 0, 151); // 0 is no key

    const struct {
        const char* name;
        std::vector<std::int32_t> script;
    } rows[] = {
        {"descending", DescendingRuns({{7, 1}})},
        {"ascending", {1, 2, 3, 4, 5, 6, 7}},
        {"overlapping descending runs", DescendingRuns({{50, 20}, {70, 35}, {30, 1}, {90, 60}})},
        {"zigzag", {50, 10, 90, 20, 80, 30, 70, 40, 60, 45, 55}},
        {"repeats", {5, 3, 5, 8, 3, 8, 1, 5, 9}},
        {"negative keys", {-5, -10, 7, -3, 2, -8, 9, -1}},
        {"shuffled", shuffled},
        {"runs over a rebalanced set",
         [] {
             auto keys = DescendingRuns({{40, 21}});
             keys.push_back(kRebalance);
             const auto more = DescendingRuns({{60, 10}, {25, 5}});
             keys.insert(keys.end(), more.begin(), more.end());
             return keys;
         }()},
        {"removals between additions",
         {20, 10, 30, 5, 15, 25, 35, kRemoveNext, 15, 14, 13, kRemoveNext, 10, 12, 11,
          kRemoveNext, 20, 22, 21, 40}},
        {"keys stored twice", {30, -20, 20, 10, -20, 25, 20, 15, -30, 30, 35}},
        {"removing the last added", {9, 8, 7, kRemoveNext, 7, 6, kRemoveNext, 6, 5}},
        // 17 moves up into 20's node: 18 now belongs above it, no longer below 20
        {"removal narrowing the last added's bounds", {20, 10, 30, 15, 17, kRemoveNext, 20, 18}},
        // The index's window doubles down and up, and its bitmap gains summary levels.
        {"runs far apart", DescendingRuns({{300000, 299900}, {2000, 1900}, {150050, 149950},
                                           {2050, 1850}, {299950, 299850}})},
        {"a far key turns the index off", {10, 20, 5, 1 << 30, 15, 25, 3, kRemoveNext, 1 << 30, 12}},
        {"emptied and filled again", {5, 3, kRemoveNext, 5, kRemoveNext, 3, 8, 7, 9}},
        {"far keys, emptied, then near ones",
         {1 << 30, 1, kRemoveNext, 1, kRemoveNext, 1 << 30, 4, 2, 3}},
        {"a key stored twice turns the index off", {40, 30, -30, 35, 20, 30, 25}},
        {"a planner's range lists", PlannerLikeRuns()},
    };
    for (const auto& row : rows) {
        Run(row.script, row.name);
    }
}

// The scripts above take negative numbers for InsertKey; these rows add any key.
TEST_F(AddKeyTreeTest, AddsKeysOfEverySignWhereAWalkFromTheRootWould) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    const struct {
        const char* name;
        std::vector<std::int32_t> keys;
    } rows[] = {
        {"both ends of the range", {kMax, kMin, 1, -1, kMax - 1, kMin + 1, 0, kMax - 2, kMin + 2}},
        {"descending through zero", {70, 3, 0, -1, -64, -65, -200, 64, -129, 63, -128}},
        {"the window's edges", {-64, 63, -1, 0, 64, -65, 127, -128, 128}},
    };
    for (const auto& row : rows) {
        LongSet added;
        LongSet reference;
        for (std::int32_t key : row.keys) {
            ASSERT_EQ(key, added.AddKey(key)->key) << row.name;
            if (reference.Find(key) == nullptr) {
                reference.InsertKey(key);
            }
            ASSERT_EQ(ShapeOf(reference), ShapeOf(added)) << row.name << " after " << key;
        }
    }
}

TEST_F(AddKeyTreeTest, AddsAfreshAfterRemoveAll) {
    LongSet set;
    AddAll(set, {3, 2, 1});
    set.RemoveAll();
    AddAll(set, {5, 4});
    EXPECT_EQ("((4)5)", ShapeOf(set));
    EXPECT_TRUE(Valid(set));
}
