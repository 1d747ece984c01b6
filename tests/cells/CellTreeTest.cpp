// CellTreeTest.cpp - CellTree: ownership of cells, searching by cell/text/long, removal,
// rebalancing, dumping.
#include "cells/CellTree.h"

#include "cells/CountingCell.h"
#include "cells/TreeCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace {

using cells_test::CheckTree;
using cells_test::CountingCell;
using cells_test::TreeWalk;

std::int32_t LongOf(const CellTreeNode* node) {
    return node->cell->GetLong();
}

std::string ShapeOf(const CellTree& tree) {
    return cells_test::Shape(tree.GetRoot(), LongOf);
}

::testing::AssertionResult Valid(const CellTree& tree) {
    TreeWalk<const CellTreeNode> walk;
    return CheckTree(tree.GetRoot(), tree.GetCount(), LongOf, walk);
}

std::vector<std::int32_t> Ascending(const CellTree& tree) {
    std::vector<std::int32_t> values;
    for (CellTreeNode* pos = tree.First(); pos != nullptr;) {
        values.push_back(tree.GetCell(tree.Next(pos))->GetLong());
    }
    return values;
}

std::string Dump(const CellTree& tree) {
    std::ostringstream out;
    if (tree.GetRoot() != nullptr) {
        tree.DumpNode(out, tree.GetRoot());
    }
    return out.str();
}

void InsertCounting(CellTree& tree, std::initializer_list<std::int32_t> values) {
    for (std::int32_t value : values) {
        auto* cell = new CountingCell(value);
        if (tree.InsertCell(cell) == nullptr) {
            delete cell;
            ADD_FAILURE() << "InsertCell refused " << value;
        }
    }
}

// Every test starts and must end with no counting cell alive.
class CellTreeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, CountingCell::Live()); }
    void TearDown() override {
        EXPECT_EQ(0, CountingCell::Live()) << "a cell leaked or was deleted twice";
    }
};

// A cell whose CanReplace refuses, to see the offered cell discarded.
class StubbornCell : public CCellLong {
public:
    using CCellLong::CCellLong;
    BOOL CanReplace(const CCell* /*existing*/) const override { return FALSE; }
};

TEST_F(CellTreeTest, EmptyTreeAnswersNothing) {
    CellTree tree;
    const CCellLong probe(1);
    CellTreeNode* pos = nullptr;
    EXPECT_EQ(nullptr, tree.First());
    EXPECT_EQ(nullptr, tree.Last());
    EXPECT_EQ(nullptr, tree.CellAt(nullptr));
    EXPECT_EQ(nullptr, tree.GetCell(nullptr));
    EXPECT_EQ(nullptr, tree.LowerBoundCell(&probe));
    EXPECT_EQ(nullptr, tree.LowerBoundString("a"));
    EXPECT_EQ(nullptr, tree.LowerBoundLong(1));
    EXPECT_EQ(nullptr, tree.FindCell(&probe));
    EXPECT_EQ(nullptr, tree.FindString("a"));
    EXPECT_EQ(nullptr, tree.FindLong(1));
    EXPECT_EQ(nullptr, tree.LocateCell(&probe));
    EXPECT_EQ(nullptr, tree.LocateString("a"));
    EXPECT_EQ(nullptr, tree.LocateLong(1));
    EXPECT_EQ(nullptr, tree.LookupCell(&probe));
    EXPECT_EQ(nullptr, tree.LookupString("a"));
    EXPECT_EQ(nullptr, tree.LookupLong(1));
    EXPECT_EQ(FALSE, tree.Remove('n', pos));
    EXPECT_EQ(TRUE, tree.Rebalance());
    EXPECT_EQ(0, tree.GetCount());
    EXPECT_EQ(nullptr, tree.Next(pos));
    EXPECT_EQ(nullptr, pos);
}

TEST_F(CellTreeTest, InsertStringOfPresentTextAddsASecondCell) {
    CellTree tree;
    CellTreeNode* first = tree.InsertString("Cruiser");
    CellTreeNode* second = tree.InsertString("Cruiser");
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first->cell, second->cell);
    EXPECT_EQ(2, tree.GetCount());
    EXPECT_EQ(second, first->lesser);
    const CCell* found = tree.LookupString("Cruiser");
    EXPECT_TRUE(found == first->cell || found == second->cell);
}

TEST_F(CellTreeTest, SetStringReplacesTheStoredCellInPlace) {
    CellTree tree;
    CellTreeNode* node = tree.SetString("Cruiser");
    ASSERT_NE(nullptr, node);
    const CCell* before = node->cell;
    EXPECT_EQ(node, tree.SetString("Cruiser"));
    EXPECT_NE(before, node->cell); // a new cell, the old one deleted
    EXPECT_STREQ("Cruiser", node->cell->GetString());
    EXPECT_EQ(1, tree.GetCount());

    CellTreeNode* other = tree.SetString("Battleship");
    EXPECT_NE(node, other);
    EXPECT_EQ(2, tree.GetCount());
    EXPECT_EQ(other, tree.FindString("Battleship"));
}

TEST_F(CellTreeTest, SetLongInsertsOrReplaces) {
    CellTree tree;
    CellTreeNode* five = tree.SetLong(5);
    CellTreeNode* three = tree.SetLong(3);
    EXPECT_EQ(five, tree.SetLong(5));
    EXPECT_EQ(three, tree.SetLong(3));
    EXPECT_EQ(2, tree.GetCount());
    EXPECT_EQ((std::vector<std::int32_t>{3, 5}), Ascending(tree));
}

TEST_F(CellTreeTest, SetCellRefusesACellItHoldsAndReplacesAnEqualOne) {
    CellTree tree;
    auto* held = new CountingCell(7);
    CellTreeNode* node = tree.SetCell(held);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(nullptr, tree.SetCell(held));
    EXPECT_EQ(held, node->cell);
    EXPECT_EQ(1, CountingCell::Live());

    auto* equal = new CountingCell(7);
    EXPECT_EQ(node, tree.SetCell(equal));
    EXPECT_EQ(equal, node->cell);
    EXPECT_EQ(1, CountingCell::Live()); // the held one was deleted
    EXPECT_EQ(1, tree.GetCount());
    EXPECT_EQ(nullptr, tree.SetCell(nullptr));
}

TEST_F(CellTreeTest, SetCellDiscardsAnOfferThatMayNotReplace) {
    CellTree tree;
    auto* held = new CountingCell(4);
    tree.SetCell(held);
    CellTreeNode* node = tree.SetCell(new StubbornCell(4)); // taken over, then deleted
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(held, node->cell);
    EXPECT_EQ(1, tree.GetCount());
}

TEST_F(CellTreeTest, InsertCellOfTheSameObjectTwiceIsRefused) {
    CellTree tree;
    auto* cell = new CountingCell(1);
    EXPECT_NE(nullptr, tree.InsertCell(cell));
    EXPECT_EQ(nullptr, tree.InsertCell(cell));
    EXPECT_EQ(1, tree.GetCount());
    EXPECT_EQ(nullptr, tree.InsertCell(nullptr));
    EXPECT_EQ(1, tree.GetCount());
}

TEST_F(CellTreeTest, InsertNodeRefusesLinkedAndEmptyNodes) {
    CellTree tree;
    InsertCounting(tree, {2, 1, 3});
    CellTreeNode empty;
    EXPECT_EQ(nullptr, tree.InsertNode(nullptr));
    EXPECT_EQ(nullptr, tree.InsertNode(&empty));
    EXPECT_EQ(nullptr, tree.InsertNode(tree.FindLong(1)));
    EXPECT_EQ(nullptr, tree.InsertNode(tree.FindLong(2)));
    EXPECT_EQ(3, tree.GetCount());
    EXPECT_TRUE(Valid(tree));
}

TEST_F(CellTreeTest, LegsIterateByAscendingAngle) {
    CellTree tree;
    InsertCounting(tree, {300, 100, 200});
    EXPECT_EQ((std::vector<std::int32_t>{100, 200, 300}), Ascending(tree));
}

TEST_F(CellTreeTest, WalkRemovesTheSavedEntryAfterSteppingPastIt) {
    // The planner's pattern: save the position, step on with Next, remove the saved entry.
    CellTree tree;
    InsertCounting(tree, {300, 100, 500, 200, 400});
    std::vector<std::int32_t> visited;
    for (CellTreeNode* pos = tree.First(); pos != nullptr;) {
        CellTreeNode* saved = pos;
        const std::int32_t angle = tree.GetCell(tree.Next(pos))->GetLong();
        visited.push_back(angle);
        if (angle == 200 || angle == 300 || angle == 500) {
            ASSERT_EQ(TRUE, tree.Remove(' ', saved));
            EXPECT_EQ(nullptr, saved);
        }
    }
    EXPECT_EQ((std::vector<std::int32_t>{100, 200, 300, 400, 500}), visited);
    EXPECT_EQ((std::vector<std::int32_t>{100, 400}), Ascending(tree));
    EXPECT_EQ(2, CountingCell::Live());
    EXPECT_TRUE(Valid(tree));
}

TEST_F(CellTreeTest, RemovingTheOnlyEntryDeletesItsCell) {
    CellTree tree;
    InsertCounting(tree, {9});
    CellTreeNode* pos = tree.First();
    EXPECT_EQ(TRUE, tree.Remove('n', pos));
    EXPECT_EQ(nullptr, pos);
    EXPECT_EQ(nullptr, tree.GetRoot());
    EXPECT_EQ(0, tree.GetCount());
    EXPECT_EQ(0, CountingCell::Live());
}

// Removal over 10..50 built as 30 over (20 over 10) and (40 over 50).
TEST_F(CellTreeTest, RemoveMovesThePositionAsTheModeSays) {
    struct Row {
        std::int32_t removed;
        char mode;
        std::int32_t expected; // value at pos afterwards, 0: null
    };
    const Row rows[] = {
        {50, 'n', 0},  {10, 'p', 0},  {50, 'p', 40}, {30, 'n', 40},
        {30, 'p', 20}, {20, 'p', 10}, {40, 'n', 50}, {30, ' ', 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CellTree tree;
        InsertCounting(tree, {30, 20, 40, 10, 50});
        CellTreeNode* pos = tree.FindLong(rows[i].removed);
        ASSERT_EQ(TRUE, tree.Remove(rows[i].mode, pos)) << "row " << i;
        EXPECT_EQ(rows[i].expected, pos == nullptr ? 0 : pos->cell->GetLong()) << "row " << i;
        EXPECT_EQ(nullptr, tree.FindLong(rows[i].removed)) << "row " << i;
        EXPECT_EQ(4, CountingCell::Live()) << "row " << i;
        EXPECT_TRUE(Valid(tree)) << "row " << i;
    }
}

TEST_F(CellTreeTest, ThreeEqualCellsStayAChainThroughRebalance) {
    CellTree tree;
    InsertCounting(tree, {5, 5, 5});
    const CellTreeNode* root = tree.GetRoot();
    ASSERT_NE(nullptr, root->lesser);
    EXPECT_NE(nullptr, root->lesser->lesser);
    EXPECT_EQ(nullptr, root->greater);

    EXPECT_EQ(TRUE, tree.Rebalance());
    TreeWalk<const CellTreeNode> walk;
    ASSERT_TRUE(CheckTree(tree.GetRoot(), tree.GetCount(), LongOf, walk));
    EXPECT_EQ(3, walk.height); // equal cells always go to the lesser side
    EXPECT_EQ(nullptr, tree.GetRoot()->greater);
}

TEST_F(CellTreeTest, RebalanceBuildsMinimalShapesAndKeepsNodes) {
    struct Row {
        std::initializer_list<std::int32_t> values;
        const char* shape;
    };
    const Row rows[] = {
        {{7, 6, 5, 4, 3, 2, 1}, "(((1)2(3))4((5)6(7)))"},
        {{1, 2, 3, 4, 5}, "(((1)2(3))4(5))"},
        {{2, 1}, "((1)2)"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CellTree tree;
        InsertCounting(tree, rows[i].values);
        std::vector<std::pair<CellTreeNode*, const CCell*>> held;
        for (CellTreeNode* pos = tree.First(); pos != nullptr; tree.Next(pos)) {
            held.emplace_back(pos, pos->cell);
        }
        EXPECT_EQ(TRUE, tree.Rebalance()) << "row " << i;
        EXPECT_EQ(rows[i].shape, ShapeOf(tree)) << "row " << i;
        for (const auto& [node, cell] : held) {
            EXPECT_EQ(cell, node->cell) << "row " << i;
        }
        EXPECT_TRUE(Valid(tree)) << "row " << i;
    }
}

TEST_F(CellTreeTest, SearchesByTextLongAndCell) {
    CellTree names;
    for (const char* name : {"Drone", "Battleship", "Cruiser", "Frigate"}) {
        names.InsertString(name);
    }
    struct Row {
        const char* text;
        const char* lowerBound; // null: none
        bool found;
    };
    const Row rows[] = {
        {"Cruiser", "Cruiser", true}, {"C", "Cruiser", false},   {"A", "Battleship", false},
        {"Z", nullptr, false},        {"", "Battleship", false}, {"Frigate", "Frigate", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const CellTreeNode* bound = names.LowerBoundString(rows[i].text);
        if (rows[i].lowerBound == nullptr) {
            EXPECT_EQ(nullptr, bound) << "row " << i;
        } else {
            ASSERT_NE(nullptr, bound) << "row " << i;
            EXPECT_STREQ(rows[i].lowerBound, bound->cell->GetString()) << "row " << i;
        }
        const CellTreeNode* found = names.FindString(rows[i].text);
        EXPECT_EQ(rows[i].found ? bound : nullptr, found) << "row " << i;
        EXPECT_EQ(found, names.LocateString(rows[i].text)) << "row " << i;
        EXPECT_EQ(names.CellAt(found), names.LookupString(rows[i].text)) << "row " << i;
        const CCellString probe(rows[i].text);
        EXPECT_EQ(found, names.FindCell(&probe)) << "row " << i;
    }

    CellTree legs;
    InsertCounting(legs, {1570, 3141, 0, 4712});
    EXPECT_EQ(3141, legs.LowerBoundLong(1571)->cell->GetLong());
    EXPECT_EQ(nullptr, legs.LowerBoundLong(5000));
    EXPECT_EQ(legs.FindLong(0), legs.LocateLong(0));
    EXPECT_EQ(0, legs.LookupLong(0)->GetLong());
    EXPECT_EQ(nullptr, legs.LookupLong(1));
    const CCellLong probe(4712);
    EXPECT_EQ(legs.FindLong(4712), legs.LocateCell(&probe));
    EXPECT_EQ(legs.FindLong(4712)->cell, legs.LookupCell(&probe));
    EXPECT_EQ(nullptr, legs.LowerBoundCell(nullptr));
    EXPECT_EQ(nullptr, legs.FindCell(nullptr));
}

TEST_F(CellTreeTest, DumpWritesEachCellsLineInPreOrder) {
    // Insert 4, 2, 6, 1, giving 4 over (2 over 1) and 6.
    CellTree legs;
    InsertCounting(legs, {4, 2, 6, 1});
    EXPECT_EQ("CCellLong=\"4\"\nCCellLong=\"2\"\nCCellLong=\"1\"\nCCellLong=\"6\"\n", Dump(legs));

    CellTree names;
    names.InsertString("b");
    names.InsertString("a");
    names.InsertString("");
    EXPECT_EQ("CCellString=\"b\"\nCCellString=\"a\"\nCCellString=\"\"\n", Dump(names));
}

TEST_F(CellTreeTest, RemoveAllAndTheDestructorDeleteEveryCell) {
    {
        CellTree tree;
        InsertCounting(tree, {5, 3, 8, 1, 4, 7, 9});
        EXPECT_EQ(7, CountingCell::Live());
        tree.RemoveAll();
        EXPECT_EQ(0, CountingCell::Live());
        EXPECT_EQ(0, tree.GetCount());
        EXPECT_EQ(nullptr, tree.GetRoot());
        InsertCounting(tree, {2, 1});
        EXPECT_EQ(2, CountingCell::Live());
    }
    EXPECT_EQ(0, CountingCell::Live());
}

// Records the order in which cells are deleted.
class RecordingCell : public CCellLong {
public:
    RecordingCell(std::int32_t v, std::vector<std::int32_t>& log) : CCellLong(v), deleted(log) {}
    ~RecordingCell() override { deleted.push_back(value); }

private:
    std::vector<std::int32_t>& deleted;
};

TEST_F(CellTreeTest, RemoveAllAndTheDestructorDeleteInPostOrder) {
    // Insert 4, 2, 6, 1, 3, 5, 7, giving 4 over (2 over 1 and 3) and (6 over 5 and 7).
    const std::vector<std::int32_t> postOrder = {1, 3, 2, 5, 7, 6, 4};
    std::vector<std::int32_t> deleted;
    {
        CellTree tree;
        for (std::int32_t value : {4, 2, 6, 1, 3, 5, 7}) {
            tree.InsertCell(new RecordingCell(value, deleted));
        }
        tree.RemoveAll();
        EXPECT_EQ(postOrder, deleted);
        deleted.clear();
        for (std::int32_t value : {4, 2, 6, 1, 3, 5, 7}) {
            tree.InsertCell(new RecordingCell(value, deleted));
        }
    }
    EXPECT_EQ(postOrder, deleted);
}

// The operations that the text routes through the virtual table.
class CountingTree : public CellTree {
public:
    CCell* CellAt(const CellTreeNode* pos) const override {
        ++cellAtCalls;
        return CellTree::CellAt(pos);
    }
    CellTreeNode* InsertNode(CellTreeNode* node) override {
        ++insertNodeCalls;
        return CellTree::InsertNode(node);
    }
    CellTreeNode* LowerBoundCell(const CCell* x) const override {
        ++lowerBoundCalls;
        return CellTree::LowerBoundCell(x);
    }
    CellTreeNode* LowerBoundLong(std::int32_t x) const override {
        ++lowerBoundCalls;
        return CellTree::LowerBoundLong(x);
    }
    CellTreeNode* First() const override {
        ++firstCalls;
        return CellTree::First();
    }
    CellTreeNode* Last() const override {
        ++lastCalls;
        return CellTree::Last();
    }
    mutable int cellAtCalls = 0;
    mutable int insertNodeCalls = 0;
    mutable int lowerBoundCalls = 0;
    mutable int firstCalls = 0;
    mutable int lastCalls = 0;
};

TEST_F(CellTreeTest, OverridesAreReachedThroughTheVirtualTable) {
    CountingTree tree;
    tree.InsertLong(2);
    tree.SetLong(1); // links its own node, without InsertNode
    InsertCounting(tree, {3});
    EXPECT_EQ(2, tree.insertNodeCalls);

    tree.FindLong(2);
    tree.LocateLong(2);
    tree.LookupLong(2);
    EXPECT_EQ(3, tree.lowerBoundCalls);
    tree.GetCell(tree.First());
    EXPECT_EQ(1, tree.cellAtCalls);

    tree.firstCalls = 0;
    tree.insertNodeCalls = 0;
    tree.Rebalance();
    EXPECT_EQ(1, tree.firstCalls);
    EXPECT_EQ(3, tree.insertNodeCalls);

    tree.lowerBoundCalls = 0;
    CellTreeNode* pos = tree.FindLong(3);
    tree.lowerBoundCalls = 0;
    tree.Remove('p', pos); // nothing follows 3, so the position goes to Last()
    EXPECT_EQ(1, tree.lowerBoundCalls);
    EXPECT_EQ(1, tree.lastCalls);
    EXPECT_EQ(2, pos->cell->GetLong());
}

} // namespace
