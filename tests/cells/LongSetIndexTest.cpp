// LongSetIndexTest.cpp - LongSet's key index at a million planet numbers: it stays on in every
// order the keys come in, and the tree it builds is the tree of a walk from the root.
//
// A walk from the root for each of a million keys that arrive in order costs a million
// steps a key, so the tree a plain walk builds is found here another way, checked against
// real walks on smaller sets below: a key added by a walk from the root hangs below
// whichever of its two nearest earlier keys came later (the one it meets last on the way
// down), on the greater side of the one below it or the lesser side of the one above it.
#include "cells/LongSet.h"

#include "cells/TreeCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace {

using cells_test::CheckTree;
using cells_test::TreeWalk;

constexpr std::int32_t kMillion = 1000000;

std::int32_t KeyOf(const LongSetNode* node) {
    return node->key;
}

// Where a walk from the root links each key of 1..highest, as key -> parent key (0 at the
// root) and whether it hangs on the parent's greater side. Keys added twice count once.
struct PlainWalkTree {
    std::vector<std::int32_t> parent;
    std::vector<bool> onGreaterSide;
};

// Takes the keys away last first from a list of every key in order: when a key goes, the
// list around it holds exactly the keys added before it, so its list neighbours are its
// nearest earlier keys.
PlainWalkTree TreeOfPlainWalks(const std::vector<std::int32_t>& keys, std::int32_t highest) {
    const auto size = static_cast<std::size_t>(highest) + 2; // 0 and highest + 1 end the list
    std::vector<std::int64_t> addedAt(size, -1);
    std::vector<std::int32_t> order;
    for (std::int32_t key : keys) {
        if (addedAt[static_cast<std::size_t>(key)] < 0) {
            addedAt[static_cast<std::size_t>(key)] = static_cast<std::int64_t>(order.size());
            order.push_back(key);
        }
    }
    std::vector<std::int32_t> below(size);
    std::vector<std::int32_t> above(size);
    std::int32_t last = 0;
    for (std::int32_t key = 1; key <= highest; ++key) {
        if (addedAt[static_cast<std::size_t>(key)] >= 0) {
            below[static_cast<std::size_t>(key)] = last;
            above[static_cast<std::size_t>(last)] = key;
            last = key;
        }
    }
    above[static_cast<std::size_t>(last)] = highest + 1;
    PlainWalkTree tree{std::vector<std::int32_t>(size, 0), std::vector<bool>(size, false)};
    for (auto k = order.rbegin(); k != order.rend(); ++k) {
        const auto key = static_cast<std::size_t>(*k);
        const std::int32_t lower = below[key];
        const std::int32_t upper = above[key];
        const std::int64_t lowerAt = lower == 0 ? -1 : addedAt[static_cast<std::size_t>(lower)];
        const std::int64_t upperAt = upper > highest ? -1 : addedAt[static_cast<std::size_t>(upper)];
        tree.onGreaterSide[key] = lowerAt > upperAt;
        tree.parent[key] = lowerAt > upperAt ? lower : (upperAt >= 0 ? upper : 0);
        above[static_cast<std::size_t>(lower)] = upper;
        if (upper <= highest) {
            below[static_cast<std::size_t>(upper)] = lower;
        }
    }
    return tree;
}

::testing::AssertionResult SameTree(const LongSet& set, const PlainWalkTree& expected) {
    TreeWalk<const LongSetNode> walk;
    if (auto valid = CheckTree(set.GetRoot(), set.GetCount(), KeyOf, walk); !valid) {
        return valid;
    }
    for (const LongSetNode* node : walk.inOrder) {
        const auto key = static_cast<std::size_t>(node->key);
        const std::int32_t parent = node->parent == nullptr ? 0 : node->parent->key;
        const bool greater = node->parent != nullptr && node->parent->greater == node;
        if (parent != expected.parent[key] || greater != expected.onGreaterSide[key]) {
            return ::testing::AssertionFailure()
                   << node->key << " hangs below " << parent << (greater ? " (greater)" : " (lesser)")
                   << ", a walk from the root puts it below " << expected.parent[key]
                   << (expected.onGreaterSide[key] ? " (greater)" : " (lesser)");
        }
    }
    return ::testing::AssertionSuccess();
}

std::vector<std::int32_t> Descending(std::int32_t high, std::int32_t low) {
    std::vector<std::int32_t> keys;
    for (std::int32_t key = high; key >= low; --key) {
        keys.push_back(key);
    }
    return keys;
}

// Range lists as the planner meets them: runs of neighbouring planets, each walked from its
// top, taken alternately from the top and the bottom of the galaxy, each overlapping the
// last of its side (keys already present).
std::vector<std::int32_t> InterleavedRuns(std::int32_t highest, std::int32_t run) {
    std::vector<std::int32_t> keys;
    std::int32_t top = highest;
    std::int32_t bottom = 1;
    for (bool fromTop = true; bottom <= top; fromTop = !fromTop) {
        const std::int32_t high = fromTop ? top : std::min(top, bottom + run - 1);
        const std::int32_t low = fromTop ? std::max(bottom, top - run + 1) : bottom;
        const std::vector<std::int32_t> runKeys = Descending(std::min(high + run / 4, highest), low);
        keys.insert(keys.end(), runKeys.begin(), runKeys.end());
        (fromTop ? top : bottom) = fromTop ? low - 1 : high + 1;
    }
    return keys;
}

std::vector<std::int32_t> Shuffled(std::int32_t highest, unsigned seed) {
    std::vector<std::int32_t> keys(static_cast<std::size_t>(highest));
    std::iota(keys.begin(), keys.end(), 1);
    std::shuffle(keys.begin(), keys.end(), std::mt19937(seed));
    return keys;
}

struct OrderRow {
    const char* name;
    std::vector<std::int32_t> keys;
};

void ExpectIndexedPlainWalkTree(const OrderRow& row, std::int32_t highest) {
    LongSet set;
    for (std::int32_t key : row.keys) {
        ASSERT_EQ(key, set.AddKey(key)->key) << row.name;
    }
    EXPECT_TRUE(set.IsKeyIndexOn()) << row.name;
    EXPECT_TRUE(SameTree(set, TreeOfPlainWalks(row.keys, highest))) << row.name;
}

TEST(LongSetIndexTest, AMillionPlanetNumbersInAnyOrderKeepTheIndexAndThePlainWalkTree) {
    const OrderRow rows[] = {
        {"descending", Descending(kMillion, 1)},
        {"ascending", [] {
             std::vector<std::int32_t> keys = Descending(kMillion, 1);
             std::reverse(keys.begin(), keys.end());
             return keys;
         }()},
        {"interleaved descending runs", InterleavedRuns(kMillion, 1000)},
        {"shuffled", Shuffled(kMillion, 18)},
    };
    for (const OrderRow& row : rows) {
        ExpectIndexedPlainWalkTree(row, kMillion);
    }
}

// The way of finding the plain walk's tree above, held against real walks from the root
// (InsertKey walks from the root every time) where they are affordable.
TEST(LongSetIndexTest, ThePlainWalkTreeIsTheTreeOfInsertKey) {
    const OrderRow rows[] = {
        {"descending", Descending(3000, 1)},
        {"interleaved descending runs", InterleavedRuns(3000, 70)},
        {"shuffled", Shuffled(3000, 5)},
        {"sparse from the top", {2900, 1500, 2950, 10, 1499, 2999, 11, 1, 3000, 1501}},
    };
    for (const OrderRow& row : rows) {
        LongSet walked;
        for (std::int32_t key : row.keys) {
            if (walked.Find(key) == nullptr) {
                walked.InsertKey(key);
            }
        }
        EXPECT_TRUE(SameTree(walked, TreeOfPlainWalks(row.keys, 3000))) << row.name;
    }
}

// Keys that came from the top down once grew the window into negative numbers, and the
// next key above the window then lay too far from its bottom: the index turned off for good.
TEST(LongSetIndexTest, StaysOnForPlanetNumbersUpToTheWidestWindow) {
    constexpr std::int32_t kHighest = static_cast<std::int32_t>(cells::LongSetIndex::kWidestSpan - 1);
    const std::vector<std::int32_t> rows[] = {
        {kMillion, kMillion - 1000, kMillion - 600000, 5, kMillion + 40000, 1, 2 * kMillion},
        {1 << 24, 1, (1 << 24) - 1, 1 << 23, 2},
        {kHighest, 1, kHighest - 1, 700, kHighest / 2},
    };
    for (const std::vector<std::int32_t>& keys : rows) {
        LongSet set;
        LongSet walked;
        for (std::int32_t key : keys) {
            set.AddKey(key);
            walked.InsertKey(key);
            ASSERT_TRUE(set.IsKeyIndexOn()) << "after " << key;
        }
        EXPECT_EQ(cells_test::Shape(walked.GetRoot(), KeyOf), cells_test::Shape(set.GetRoot(), KeyOf));
    }
}

TEST(LongSetIndexTest, KeysOfBothSignsOrSpreadPastTheWidestWindowTurnItOff) {
    const std::vector<std::int32_t> rows[] = {
        {1, -1, static_cast<std::int32_t>(cells::LongSetIndex::kWidestSpan)},
        {1, static_cast<std::int32_t>(cells::LongSetIndex::kWidestSpan)},
    };
    for (const std::vector<std::int32_t>& keys : rows) {
        LongSet set;
        for (std::int32_t key : keys) {
            set.AddKey(key);
        }
        EXPECT_FALSE(set.IsKeyIndexOn()) << keys.back();
    }
}

// Rebalancing and emptying take the nodes from the index while it is on: the same keys
// without the index (a key held twice turns it off for good) must give the same tree, and
// after removals the index must still list exactly the linked nodes (the sanitiser presets
// catch a node freed twice or never).
TEST(LongSetIndexTest, RebalanceAndEmptyingFromTheIndexMatchTheTreeWalk) {
    const std::vector<std::int32_t> keys = Shuffled(100000, 7);
    LongSet indexed;
    LongSet walked;
    for (std::int32_t key : keys) {
        indexed.AddKey(key);
        walked.AddKey(key);
    }
    walked.InsertKey(keys.front());
    LongSetNode* twice = walked.Find(keys.front());
    ASSERT_TRUE(walked.Remove(' ', twice));
    for (LongSet* set : {&indexed, &walked}) {
        for (std::int32_t key = 5; key <= 100000; key += 1000) {
            LongSetNode* pos = set->Find(key);
            ASSERT_TRUE(set->Remove('n', pos)) << key;
        }
    }
    ASSERT_TRUE(indexed.IsKeyIndexOn());
    ASSERT_FALSE(walked.IsKeyIndexOn());
    ASSERT_TRUE(indexed.Rebalance());
    ASSERT_TRUE(walked.Rebalance());
    TreeWalk<const LongSetNode> fromIndex;
    TreeWalk<const LongSetNode> fromLinks;
    ASSERT_TRUE(CheckTree(indexed.GetRoot(), indexed.GetCount(), KeyOf, fromIndex));
    ASSERT_TRUE(CheckTree(walked.GetRoot(), walked.GetCount(), KeyOf, fromLinks));
    ASSERT_EQ(fromIndex.inOrder.size(), fromLinks.inOrder.size());
    for (std::size_t i = 0; i < fromIndex.inOrder.size(); ++i) {
        const LongSetNode* a = fromIndex.inOrder[i];
        const LongSetNode* b = fromLinks.inOrder[i];
        ASSERT_EQ(a->key, b->key);
        ASSERT_EQ(a->parent == nullptr ? 0 : a->parent->key, b->parent == nullptr ? 0 : b->parent->key) << a->key;
    }
    indexed.RemoveAll();
    EXPECT_EQ(0, indexed.GetCount());
    EXPECT_EQ(nullptr, indexed.GetRoot());
    EXPECT_EQ(7, indexed.AddKey(7)->key);
}

// AddKeys looks each new key's neighbours up a few new keys ahead of adding it, once the set
// holds more than LongSet::kLookAheadFrom keys; a key added in between that falls between
// them makes them stale. These orders do that all the time: each key closing in lands
// between the last ones, and halving keeps splitting the widest gap left. Repeats within
// the lookahead and a key that turns the index off in the middle of a run must change
// nothing either.
std::vector<std::int32_t> ClosingIn(std::int32_t low, std::int32_t high) {
    std::vector<std::int32_t> keys;
    for (; low <= high; ++low, --high) {
        keys.push_back(low);
        keys.push_back(high);
    }
    return keys;
}

std::vector<std::int32_t> Halving(std::int32_t highest) {
    std::vector<std::int32_t> keys;
    for (std::int32_t step = highest; step >= 1; step /= 2) {
        for (std::int32_t key = step; key <= highest; key += step) {
            keys.push_back(key);
        }
    }
    return keys;
}

// Like the planner's lists of planets in range: each new key comes among many that are
// there already, so the lookahead, which counts new keys only, reaches far into a run.
std::vector<std::int32_t> NewAmongRepeats(std::int32_t highest, std::int32_t repeats, unsigned seed) {
    std::vector<std::int32_t> keys;
    std::mt19937 random(seed);
    for (std::int32_t key : Shuffled(highest, seed)) {
        keys.push_back(key);
        for (std::int32_t r = 0; r < repeats; ++r) {
            keys.push_back(keys[random() % keys.size()]);
        }
    }
    return keys;
}

// Each node as its key, its parent's key (0 at the root) and whether it hangs on the parent's
// greater side, in key order.
using Link = std::tuple<std::int32_t, std::int32_t, bool>;

std::vector<Link> Links(const LongSet& set) {
    TreeWalk<const LongSetNode> walk;
    EXPECT_TRUE(CheckTree(set.GetRoot(), set.GetCount(), KeyOf, walk));
    std::vector<Link> links;
    links.reserve(walk.inOrder.size());
    for (const LongSetNode* node : walk.inOrder) {
        const LongSetNode* parent = node->parent;
        links.emplace_back(node->key, parent == nullptr ? 0 : parent->key,
                           parent != nullptr && parent->greater == node);
    }
    return links;
}

// What a set holds before a run is added: nothing (the run takes the plain path), or one key
// more than the lookahead waits for, above every key of the rows below.
struct Prefill {
    const char* name;
    std::vector<std::int32_t> keys;
};

std::vector<Prefill> Prefills() {
    std::vector<std::int32_t> large = Shuffled(LongSet::kLookAheadFrom + 1, 8);
    for (std::int32_t& key : large) {
        key += kMillion;
    }
    return {{"into an empty set", {}}, {"into a large set", large}};
}

void AddEach(LongSet& set, const std::vector<std::int32_t>& keys) {
    for (std::int32_t key : keys) {
        set.AddKey(key);
    }
}

TEST(LongSetIndexTest, AddingARunBuildsTheTreeOfAddingEachKey) {
    const OrderRow rows[] = {
        {"closing in", ClosingIn(1, 3000)},
        {"halving", Halving(4096)},
        {"repeats within the lookahead", {50, 90, 50, 70, 90, 70, 60, 80, 60, 80, 50, 65, 65, 75}},
        {"the index turned off halfway", {10, 20, 15, 12, 17, -4, 11, 13, 2000000000, 14, 16, 18}},
        {"interleaved descending runs", InterleavedRuns(3000, 70)},
        {"shuffled", Shuffled(100000, 3)},
        {"new keys among repeats", NewAmongRepeats(20000, 6, 5)},
    };
    for (const Prefill& prefill : Prefills()) {
        for (const OrderRow& row : rows) {
            LongSet byKey;
            AddEach(byKey, prefill.keys);
            AddEach(byKey, row.keys);
            const auto size = static_cast<std::int32_t>(row.keys.size());
            for (std::int32_t runLength : {1, 9, 64, 500}) {
                const std::string where = std::string(row.name) + ", runs of " +
                                          std::to_string(runLength) + ", " + prefill.name;
                LongSet byRun;
                AddEach(byRun, prefill.keys);
                std::int32_t asked = 0;
                for (std::int32_t start = 0; start < size; start += runLength) {
                    ASSERT_TRUE(byRun.AddKeys(row.keys.data() + start,
                                              std::min(runLength, size - start),
                                              [&asked] { return ++asked > 0; }))
                        << where;
                }
                EXPECT_EQ(size, asked) << where;
                EXPECT_EQ(byKey.IsKeyIndexOn(), byRun.IsKeyIndexOn()) << where;
                EXPECT_EQ(Links(byKey), Links(byRun)) << where;
            }
        }
    }
}

// Neighbours looked up ahead are given only while no key added since lies between them,
// and while the keys added since are still kept to tell (kAdded of them).
TEST(LongSetIndexTest, LookaheadGivesNeighboursOnlyWhileTheyHold) {
    constexpr int kKept = cells::KeyRunLookahead::kAdded;
    struct Row {
        const char* name;
        std::vector<std::int32_t> added; // after the lookup, before the key's turn
        bool given;
    };
    const Row rows[] = {
        {"nothing added", {}, true},
        {"keys outside, as many as are kept", std::vector<std::int32_t>(kKept, 100), true},
        {"one more than are kept", std::vector<std::int32_t>(kKept + 1, 100), false},
        {"a key between", {12}, false},
        {"the neighbours themselves", {10, 20}, true},
    };
    LongSetNode below{nullptr, nullptr, nullptr, 10};
    LongSetNode above{nullptr, nullptr, nullptr, 20};
    cells::LongSetIndex index;
    for (LongSetNode* node : {&below, &above}) {
        ASSERT_TRUE(index.Reach(node->key, 1));
        index.Note(node);
    }
    const std::int32_t run[] = {15};
    for (const Row& row : rows) {
        cells::KeyRunLookahead ahead(index, run, 1);
        for (std::int32_t key : row.added) {
            ahead.NoteAdded(key);
        }
        const std::optional<cells::LongSetIndex::Neighbours> near = ahead.TakeNeighbours(0);
        ASSERT_EQ(row.given, near.has_value()) << row.name;
        if (near) {
            EXPECT_EQ(&below, near->below) << row.name;
            EXPECT_EQ(&above, near->above) << row.name;
        }
    }
}

// The stop check comes before each key, repeats included, as it would before AddKey one by
// one: the keys before the refusal are in, none after.
TEST(LongSetIndexTest, AddingARunStopsWhereItIsToldTo) {
    std::vector<std::int32_t> keys = Shuffled(200, 4);
    keys.insert(keys.begin() + 5, keys.begin(), keys.begin() + 5);
    const auto size = static_cast<std::int32_t>(keys.size());
    for (const Prefill& prefill : Prefills()) {
        for (std::int32_t allowed : {0, 1, 9, 10, 11, size - 1}) {
            LongSet set;
            AddEach(set, prefill.keys);
            LongSet reference;
            AddEach(reference, prefill.keys);
            AddEach(reference, {keys.begin(), keys.begin() + allowed});
            std::int32_t asked = 0;
            EXPECT_FALSE(
                set.AddKeys(keys.data(), size, [&asked, allowed] { return asked++ < allowed; }))
                << prefill.name;
            EXPECT_EQ(allowed + 1, asked) << prefill.name;
            EXPECT_EQ(Links(reference), Links(set)) << prefill.name << ", " << allowed << " allowed";
        }
    }
}

} // namespace
