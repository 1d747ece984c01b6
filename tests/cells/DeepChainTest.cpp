// DeepChainTest.cpp - degenerate chains are walked, dumped, rebalanced and freed on a 64 KiB stack.
//
// Keys added in descending order leave either container as one chain along
// lesser links, as deep as it is long. Everything here runs on a thread with a
// deliberately small stack, where one stack frame per node would overflow
// after a few thousand nodes; the chains are tens of thousands deep. Chains
// built through AddKey/InsertCell cost quadratic time, so the longest ones are
// linked directly by a test subclass in the same shape.
#include "cells/CellTree.h"
#include "cells/LongSet.h"

#include "cells/CountingCell.h"
#include "cells/TreeCheck.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <type_traits>

#if defined(_WIN32) && !defined(PTHREAD_STACK_MIN)
#define PTHREAD_STACK_MIN 0 // Windows threads take any stack size, rounded up to whole pages
#endif

namespace {

using cells_test::CheckTree;
using cells_test::CountingCell;
using cells_test::TreeWalk;

constexpr std::size_t kSmallStack = 64 * 1024;

// Runs `body` to its end on a thread with a small stack. A recursion per node
// would overflow it and crash the test program.
void RunOnSmallStack(const std::function<void()>& body) {
    pthread_attr_t attributes;
    ASSERT_EQ(0, pthread_attr_init(&attributes));
    ASSERT_EQ(0, pthread_attr_setstacksize(&attributes,
                                           std::max<std::size_t>(kSmallStack, PTHREAD_STACK_MIN)));
    pthread_t thread;
    auto trampoline = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(0, pthread_create(&thread, &attributes, trampoline,
                                const_cast<std::function<void()>*>(&body)));
    pthread_attr_destroy(&attributes);
    ASSERT_EQ(0, pthread_join(thread, nullptr));
}

// What a run on the small stack saw; checked on the test's own thread.
struct ChainReport {
    std::int32_t depth = 0;      // nodes along lesser links from the root
    std::int32_t walkedUp = 0;   // steps of First/Next, in ascending order
    std::int32_t walkedDown = 0; // steps of Last/Prev, in descending order
    std::size_t dumpLines = 0;
    std::string firstDumpLine;
    BOOL rebalanced = FALSE;
    int heightAfter = 0;
    bool validAfter = false;
    std::int32_t countAfterRemoveAll = -1;
};

template <class Tree, class Node> std::int32_t LesserDepth(const Tree& tree) {
    std::int32_t depth = 0;
    for (const Node* node = tree.GetRoot(); node != nullptr; node = node->lesser) {
        ++depth;
    }
    return depth;
}

template <class Tree> void DumpInto(const Tree& tree, ChainReport& report) {
    std::ostringstream out;
    tree.DumpNode(out, tree.GetRoot());
    const std::string text = out.str();
    report.dumpLines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    report.firstDumpLine = text.substr(0, text.find('\n'));
}

std::int32_t KeyOf(const LongSetNode* node) {
    return node->key;
}
std::int32_t LongOf(const CellTreeNode* node) {
    return node->cell->GetLong();
}

// Steps from `start` while `step(pos)` yields values moving the expected way; answers the steps
// taken.
template <class Node, class StepFn>
std::int32_t StepsInOrder(Node* start, StepFn step, bool ascending) {
    std::int32_t steps = 0;
    std::int64_t previous = ascending ? INT64_MIN : INT64_MAX;
    for (Node* pos = start; pos != nullptr; ++steps) {
        const std::int64_t value = step(pos);
        if (ascending ? value <= previous : value >= previous) {
            break;
        }
        previous = value;
    }
    return steps;
}

void WalkLongSet(const LongSet& set, ChainReport& report) {
    auto next = [&set](LongSetNode*& pos) { return set.Next(pos); };
    auto prev = [&set](LongSetNode*& pos) { return set.Prev(pos); };
    report.walkedUp = StepsInOrder(set.First(), next, true);
    report.walkedDown = StepsInOrder(set.Last(), prev, false);
}

void WalkCellTree(const CellTree& tree, ChainReport& report) {
    auto next = [&tree](CellTreeNode*& pos) { return tree.Next(pos)->cell->GetLong(); };
    auto prev = [&tree](CellTreeNode*& pos) { return tree.Prev(pos)->cell->GetLong(); };
    report.walkedUp = StepsInOrder(tree.First(), next, true);
    report.walkedDown = StepsInOrder(tree.Last(), prev, false);
}

template <class Tree, class KeyOfFn>
void RebalanceInto(Tree& tree, KeyOfFn keyOf, ChainReport& report) {
    report.rebalanced = tree.Rebalance();
    TreeWalk<const std::remove_pointer_t<decltype(tree.First())>> walk;
    report.validAfter = static_cast<bool>(CheckTree(tree.GetRoot(), tree.GetCount(), keyOf, walk));
    report.heightAfter = walk.height;
}

// Links n..1 as a chain along lesser links in linear time: the shape that adding
// them in that order gives. `fill(node, key)` stores the key.
template <class Node, class FillFn>
void LinkChain(Node*& root, std::int32_t& count, std::int32_t n, FillFn fill) {
    Node* bottom = nullptr;
    for (std::int32_t key = n; key >= 1; --key) {
        auto* node = new Node;
        fill(node, key);
        node->parent = bottom;
        (bottom == nullptr ? root : bottom->lesser) = node;
        bottom = node;
    }
    count = n;
}

class ChainSet : public LongSet {
public:
    void LinkDescendingChain(std::int32_t n) {
        RemoveAll();
        LinkChain(root, count, n, [](LongSetNode* node, std::int32_t key) { node->key = key; });
    }
};

class ChainTree : public CellTree {
public:
    void LinkDescendingChain(std::int32_t n) {
        RemoveAll();
        LinkChain(root, count, n, [](CellTreeNode* node, std::int32_t value) {
            node->cell = new CountingCell(value);
        });
    }
};

TEST(DeepChainTest, LongSetChainFromAddKeyIsWalkedDumpedAndDestroyed) {
    constexpr std::int32_t kKeys = 20000;
    ChainReport report;
    RunOnSmallStack([&report] {
        LongSet set;
        for (std::int32_t key = kKeys; key >= 1; --key) {
            set.AddKey(key);
        }
        report.depth = LesserDepth<LongSet, LongSetNode>(set);
        WalkLongSet(set, report);
        DumpInto(set, report);
    }); // the destructor frees the chain on the small stack
    EXPECT_EQ(kKeys, report.depth);
    EXPECT_EQ(kKeys, report.walkedUp);
    EXPECT_EQ(kKeys, report.walkedDown);
    EXPECT_EQ(static_cast<std::size_t>(kKeys), report.dumpLines);
    EXPECT_EQ("20000", report.firstDumpLine);
}

TEST(DeepChainTest, LongLongSetChainIsEmptiedAndRebalanced) {
    constexpr std::int32_t kKeys = 300000;
    ChainReport report;
    RunOnSmallStack([&report] {
        ChainSet set;
        set.LinkDescendingChain(kKeys);
        set.RemoveAll();
        report.countAfterRemoveAll = set.GetCount();
        set.LinkDescendingChain(kKeys);
        report.depth = LesserDepth<LongSet, LongSetNode>(set);
        RebalanceInto(set, KeyOf, report);
        set.LinkDescendingChain(kKeys); // left for the destructor
    });
    EXPECT_EQ(0, report.countAfterRemoveAll);
    EXPECT_EQ(kKeys, report.depth);
    EXPECT_EQ(TRUE, report.rebalanced);
    EXPECT_TRUE(report.validAfter);
    EXPECT_EQ(cells_test::MinimalHeight(kKeys), report.heightAfter);
}

TEST(DeepChainTest, CellTreeChainFromInsertCellIsWalkedDumpedAndDestroyed) {
    constexpr std::int32_t kCells = 10000;
    ChainReport report;
    RunOnSmallStack([&report] {
        CellTree tree;
        for (std::int32_t value = kCells; value >= 1; --value) {
            tree.InsertCell(new CountingCell(value));
        }
        report.depth = LesserDepth<CellTree, CellTreeNode>(tree);
        WalkCellTree(tree, report);
        DumpInto(tree, report);
    });
    EXPECT_EQ(kCells, report.depth);
    EXPECT_EQ(kCells, report.walkedUp);
    EXPECT_EQ(kCells, report.walkedDown);
    EXPECT_EQ(static_cast<std::size_t>(kCells), report.dumpLines);
    EXPECT_EQ("CCellLong=\"10000\"", report.firstDumpLine);
    EXPECT_EQ(0, CountingCell::Live());
}

TEST(DeepChainTest, LongCellTreeChainIsEmptiedRebalancedAndDestroyed) {
    constexpr std::int32_t kCells = 200000;
    ChainReport report;
    RunOnSmallStack([&report] {
        ChainTree tree;
        tree.LinkDescendingChain(kCells);
        WalkCellTree(tree, report);
        tree.RemoveAll();
        report.countAfterRemoveAll = tree.GetCount() + CountingCell::Live();
        tree.LinkDescendingChain(kCells);
        report.depth = LesserDepth<CellTree, CellTreeNode>(tree);
        RebalanceInto(tree, LongOf, report);
        tree.LinkDescendingChain(kCells);
    });
    EXPECT_EQ(kCells, report.walkedUp);
    EXPECT_EQ(kCells, report.walkedDown);
    EXPECT_EQ(0, report.countAfterRemoveAll);
    EXPECT_EQ(kCells, report.depth);
    EXPECT_EQ(TRUE, report.rebalanced);
    EXPECT_TRUE(report.validAfter);
    EXPECT_EQ(cells_test::MinimalHeight(kCells), report.heightAfter);
    EXPECT_EQ(0, CountingCell::Live());
}

} // namespace
