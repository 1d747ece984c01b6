// TreeDifferentialTest.cpp - LongSet and CellTree against std::multiset over long random operation
// sequences.
//
// One driver runs both containers through an adapter. After every operation one
// checker walks the whole tree: ascending order, count, parent links both ways,
// and every position the driver still holds is a node of the tree with the key
// it should have. Keys come from a small signed range so that duplicates,
// removals of nodes with two children and empty trees all happen often.
#include "cells/CellTree.h"
#include "cells/LongSet.h"

#include "cells/CountingCell.h"
#include "cells/TreeCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using cells_test::CheckTree;
using cells_test::CountingCell;
using cells_test::TreeWalk;

struct LongSetAdapter {
    using Node = LongSetNode;
    LongSet set;

    static std::int32_t KeyOf(const Node* node) { return node->key; }
    Node* Root() const { return const_cast<Node*>(set.GetRoot()); }
    std::int32_t Count() const { return set.GetCount(); }
    int LiveCells() const { return 0; }
    int CountingCellsIn(const TreeWalk<Node>& /*walk*/) const { return 0; }

    Node* Merge(std::int32_t key, std::mt19937& /*rng*/) { return set.AddKey(key); }
    Node* Duplicate(std::int32_t key, std::mt19937& /*rng*/) { return set.InsertKey(key); }
    BOOL Remove(char mode, Node*& pos) { return set.Remove(mode, pos); }
    void RemoveAll() { set.RemoveAll(); }
    BOOL Rebalance() { return set.Rebalance(); }
    Node* LowerBound(std::int32_t key, std::mt19937& /*rng*/) const { return set.LowerBound(key); }
    Node* Find(std::int32_t key) const { return set.Find(key); }
    bool Contains(std::int32_t key) const { return set.Contains(key) == key; }
    Node* First() const { return set.First(); }
    Node* Last() const { return set.Last(); }
    std::int32_t Next(Node*& pos) const { return set.Next(pos); }
    std::int32_t Prev(Node*& pos) const { return set.Prev(pos); }
};

// Long cells, half of them made by the tree and half counting cells handed to it.
struct CellTreeAdapter {
    using Node = CellTreeNode;
    CellTree tree;

    static std::int32_t KeyOf(const Node* node) { return node->cell->GetLong(); }
    Node* Root() const { return const_cast<Node*>(tree.GetRoot()); }
    std::int32_t Count() const { return tree.GetCount(); }
    int LiveCells() const { return CountingCell::Live(); }
    int CountingCellsIn(const TreeWalk<Node>& walk) const {
        return static_cast<int>(
            std::count_if(walk.inOrder.begin(), walk.inOrder.end(), [](Node* n) {
                return dynamic_cast<const CountingCell*>(n->cell) != nullptr;
            }));
    }

    Node* Merge(std::int32_t key, std::mt19937& rng) {
        if (rng() % 2 == 0) {
            return tree.SetLong(key);
        }
        return tree.SetCell(new CountingCell(key)); // taken over whenever a node comes back
    }
    Node* Duplicate(std::int32_t key, std::mt19937& rng) {
        if (rng() % 2 == 0) {
            return tree.InsertLong(key);
        }
        auto* cell = new CountingCell(key);
        Node* node = tree.InsertCell(cell);
        if (node == nullptr) {
            delete cell;
        }
        return node;
    }
    BOOL Remove(char mode, Node*& pos) { return tree.Remove(mode, pos); }
    void RemoveAll() { tree.RemoveAll(); }
    BOOL Rebalance() { return tree.Rebalance(); }
    Node* LowerBound(std::int32_t key, std::mt19937& rng) const {
        if (rng() % 2 == 0) {
            return tree.LowerBoundLong(key);
        }
        const CCellLong probe(key);
        return tree.LowerBoundCell(&probe);
    }
    Node* Find(std::int32_t key) const { return tree.FindLong(key); }
    bool Contains(std::int32_t key) const { return tree.LookupLong(key) != nullptr; }
    Node* First() const { return tree.First(); }
    Node* Last() const { return tree.Last(); }
    std::int32_t Next(Node*& pos) const { return KeyOrZero(tree.Next(pos)); }
    std::int32_t Prev(Node*& pos) const { return KeyOrZero(tree.Prev(pos)); }

private:
    static std::int32_t KeyOrZero(const Node* node) { return node != nullptr ? KeyOf(node) : 0; }
};

template <class Adapter> class TreeDifferentialTest : public ::testing::Test {
protected:
    using Node = typename Adapter::Node;

    static constexpr int kOperations = 100000;
    static constexpr std::int32_t kKeyRange = 80; // keys -80..80 without 0
    static constexpr std::size_t kHeldPositions = 6;

    void Run(std::uint32_t seed) {
        rng.seed(seed);
        for (int step = 0; step < kOperations; ++step) {
            RunOne();
            ASSERT_NO_FATAL_FAILURE(Check()) << "step " << step << " seed " << seed;
            if (HasFailure()) {
                FAIL() << "step " << step << " seed " << seed;
            }
        }
        adapter.RemoveAll();
        EXPECT_EQ(0, adapter.LiveCells());
    }

private:
    std::int32_t RandomKey() {
        const auto k = static_cast<std::int32_t>(rng() % (2 * kKeyRange)) - kKeyRange;
        return k >= 0 ? k + 1 : k;
    }

    void Hold(Node* node) {
        if (node == nullptr) {
            return;
        }
        if (held.size() < kHeldPositions) {
            held.push_back(node);
        } else {
            held[rng() % held.size()] = node;
        }
    }

    void RunOne() {
        const unsigned roll = rng() % 1000;
        // Removal wins more often once the tree is large, so its size wanders up and down.
        const unsigned removeShare = model.size() > 100 ? 450 : 250;
        if (roll < 250) {
            const std::int32_t key = RandomKey();
            Node* node = adapter.Merge(key, rng);
            ASSERT_NE(nullptr, node);
            EXPECT_EQ(key, Adapter::KeyOf(node));
            if (model.count(key) == 0) {
                model.insert(key);
            }
            Hold(node);
        } else if (roll < 250 + 150) {
            const std::int32_t key = RandomKey();
            Node* node = adapter.Duplicate(key, rng);
            ASSERT_NE(nullptr, node);
            model.insert(key);
            Hold(node);
        } else if (roll < 400 + removeShare) {
            RemoveOne();
        } else if (roll < 900) {
            SearchOne();
        } else if (roll < 985) {
            StepOne();
        } else if (roll < 999) {
            RebalanceOne();
        } else {
            adapter.RemoveAll();
            model.clear();
            held.clear();
        }
    }

    void RemoveOne() {
        if (model.empty()) {
            Node* none = nullptr;
            EXPECT_EQ(FALSE, adapter.Remove('n', none));
            return;
        }
        // Remove at a held position or at a random entry of the walk.
        Node* pos = nullptr;
        if (!held.empty() && rng() % 2 == 0) {
            pos = held[rng() % held.size()];
        } else {
            pos = walk.inOrder[rng() % walk.inOrder.size()];
        }
        const char modes[] = {'n', 'p', ' '};
        const char mode = modes[rng() % 3];
        const std::int32_t key = Adapter::KeyOf(pos);

        // The entry leaves; only its node, or its predecessor's when it has two
        // children, is freed, and held copies of that node must be dropped.
        Node* freed = pos;
        if (pos->lesser != nullptr && pos->greater != nullptr) {
            freed = pos->lesser;
            while (freed->greater != nullptr) {
                freed = freed->greater;
            }
        }
        held.erase(std::remove(held.begin(), held.end(), freed), held.end());

        ASSERT_EQ(TRUE, adapter.Remove(mode, pos)) << "removing " << key;
        model.erase(model.find(key));

        const auto after = model.lower_bound(key);
        std::int32_t expected = 0;
        if (mode == 'n') {
            expected = after == model.end() ? 0 : *after;
        } else if (mode == 'p') {
            if (after == model.end()) {
                expected = model.empty() ? 0 : *model.rbegin();
            } else {
                expected = after == model.begin() ? 0 : *std::prev(after);
            }
        }
        EXPECT_EQ(expected, pos == nullptr ? 0 : Adapter::KeyOf(pos))
            << "mode '" << mode << "' after removing " << key;
        Hold(pos);
    }

    void SearchOne() {
        const std::int32_t key = RandomKey();
        Node* bound = adapter.LowerBound(key, rng);
        // The first node in order with a key not less than the searched one.
        const auto expected = std::find_if(walk.inOrder.begin(), walk.inOrder.end(),
                                           [key](Node* n) { return Adapter::KeyOf(n) >= key; });
        EXPECT_EQ(expected == walk.inOrder.end() ? nullptr : *expected, bound) << "key " << key;
        const bool present = model.count(key) != 0;
        EXPECT_EQ(present, adapter.Contains(key)) << "key " << key;
        Node* found = adapter.Find(key);
        EXPECT_EQ(present ? bound : nullptr, found) << "key " << key;
        Hold(found);
    }

    void StepOne() {
        if (held.empty()) {
            Hold(rng() % 2 == 0 ? adapter.First() : adapter.Last());
            return;
        }
        Node*& pos = held[rng() % held.size()];
        const auto at = std::find(walk.inOrder.begin(), walk.inOrder.end(), pos);
        ASSERT_NE(walk.inOrder.end(), at);
        const std::int32_t key = Adapter::KeyOf(pos);
        if (rng() % 2 == 0) {
            EXPECT_EQ(key, adapter.Next(pos));
            EXPECT_EQ(std::next(at) == walk.inOrder.end() ? nullptr : *std::next(at), pos);
        } else {
            EXPECT_EQ(key, adapter.Prev(pos));
            EXPECT_EQ(at == walk.inOrder.begin() ? nullptr : *std::prev(at), pos);
        }
        held.erase(std::remove(held.begin(), held.end(), nullptr), held.end());
    }

    void RebalanceOne() {
        const std::vector<Node*> before = walk.inOrder;
        ASSERT_EQ(TRUE, adapter.Rebalance());
        Check();
        const bool distinct = std::adjacent_find(model.begin(), model.end()) == model.end();
        if (distinct) {
            // The same nodes in the same order, at the least height possible.
            EXPECT_EQ(before, walk.inOrder);
            EXPECT_EQ(cells_test::MinimalHeight(static_cast<std::int64_t>(model.size())),
                      walk.height);
        }
    }

    void Check() {
        ASSERT_TRUE(CheckTree(adapter.Root(), adapter.Count(), Adapter::KeyOf, walk));
        ASSERT_EQ(model.size(), walk.inOrder.size());
        ASSERT_TRUE(std::equal(model.begin(), model.end(), walk.inOrder.begin(),
                               [](std::int32_t key, Node* n) { return key == Adapter::KeyOf(n); }));
        ASSERT_TRUE(cells_test::PositionsInTree(walk, held));
        ASSERT_EQ(adapter.CountingCellsIn(walk), adapter.LiveCells());
    }

    Adapter adapter;
    std::multiset<std::int32_t> model;
    std::vector<Node*> held; // positions the caller keeps across operations
    TreeWalk<Node> walk;     // the tree as the last check saw it
    std::mt19937 rng;
};

using Containers = ::testing::Types<LongSetAdapter, CellTreeAdapter>;
TYPED_TEST_SUITE(TreeDifferentialTest, Containers);

TYPED_TEST(TreeDifferentialTest, AgreesWithMultisetOverRandomOperations) {
    this->Run(20261207);
}

} // namespace
