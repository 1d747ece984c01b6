// AllocationFailureTest.cpp - when memory runs out the containers answer null or FALSE and stay as
// they were.
//
// This program replaces the non-throwing operator new so that a chosen one of
// the next allocations fails. Nothing else in the program asks for
// non-throwing allocations while a failure is armed.
#include "cells/CellTree.h"
#include "cells/LongSet.h"

#include "cells/CountingCell.h"
#include "cells/TreeCheck.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <string>

namespace {

int allocationsBeforeFailure = -1; // -1: none fails; k: the (k+1)-th from now fails

void* AllocateUnlessArmed(std::size_t size, void* (*allocate)(std::size_t)) noexcept {
    if (allocationsBeforeFailure == 0) {
        allocationsBeforeFailure = -1;
        return nullptr;
    }
    if (allocationsBeforeFailure > 0) {
        --allocationsBeforeFailure;
    }
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}

void* AllocateOne(std::size_t size) {
    return ::operator new(size);
}
void* AllocateArray(std::size_t size) {
    return ::operator new[](size);
}

} // namespace

void* operator new(std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
    return AllocateUnlessArmed(size, AllocateOne);
}

void* operator new[](std::size_t size, const std::nothrow_t& /*tag*/) noexcept {
    return AllocateUnlessArmed(size, AllocateArray);
}

namespace {

using cells_test::CountingCell;

// Fails the (k+1)-th non-throwing allocation made by `operation`, then disarms.
template <class Operation> auto WithFailingAllocation(int k, Operation operation) {
    allocationsBeforeFailure = k;
    auto result = operation();
    allocationsBeforeFailure = -1;
    return result;
}

std::int32_t KeyOf(const LongSetNode* node) {
    return node->key;
}
std::int32_t LongOf(const CellTreeNode* node) {
    return node->cell->GetLong();
}

// Shape, count and the identity of every node and cell, so "unchanged" means unchanged.
std::string Snapshot(const LongSet& set) {
    std::string text =
        cells_test::Shape(set.GetRoot(), KeyOf) + " #" + std::to_string(set.GetCount());
    for (LongSetNode* pos = set.First(); pos != nullptr; set.Next(pos)) {
        text += ' ';
        text += std::to_string(reinterpret_cast<std::uintptr_t>(pos));
    }
    return text;
}

std::string Snapshot(const CellTree& tree) {
    std::string text =
        cells_test::Shape(tree.GetRoot(), LongOf) + " #" + std::to_string(tree.GetCount());
    for (CellTreeNode* pos = tree.First(); pos != nullptr; tree.Next(pos)) {
        text += ' ';
        text += std::to_string(reinterpret_cast<std::uintptr_t>(pos));
        text += '/';
        text += std::to_string(reinterpret_cast<std::uintptr_t>(pos->cell));
    }
    return text;
}

TEST(AllocationFailureTest, LongSetOperationsFailWithoutChange) {
    struct Row {
        const char* what;
        int failAt;
        std::function<bool(LongSet&)> failed; // true when the operation reported failure
    };
    const Row rows[] = {
        {"AddKey new", 0, [](LongSet& s) { return s.AddKey(25) == nullptr; }},
        {"InsertKey new", 0, [](LongSet& s) { return s.InsertKey(25) == nullptr; }},
        {"InsertKey present", 0, [](LongSet& s) { return s.InsertKey(20) == nullptr; }},
        {"Rebalance", 0, [](LongSet& s) { return s.Rebalance() == FALSE; }},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        LongSet set;
        for (std::int32_t key : {10, 20, 30, 40}) {
            set.AddKey(key);
        }
        const std::string before = Snapshot(set);
        EXPECT_TRUE(WithFailingAllocation(rows[i].failAt, [&] { return rows[i].failed(set); }))
            << "row " << i << " " << rows[i].what;
        EXPECT_EQ(before, Snapshot(set)) << "row " << i << " " << rows[i].what;
    }
}

TEST(AllocationFailureTest, AddKeyOfAPresentKeyNeedsNoMemory) {
    LongSet set;
    LongSetNode* node = set.AddKey(5);
    EXPECT_EQ(node, WithFailingAllocation(0, [&] { return set.AddKey(5); }));
}

TEST(AllocationFailureTest, CellTreeOperationsFailWithoutChange) {
    struct Row {
        const char* what;
        int failAt;
        std::function<bool(CellTree&)> failed;
    };
    const Row rows[] = {
        {"InsertLong, first", 0, [](CellTree& t) { return t.InsertLong(25) == nullptr; }},
        {"InsertLong, second", 1, [](CellTree& t) { return t.InsertLong(25) == nullptr; }},
        {"SetLong new, first", 0, [](CellTree& t) { return t.SetLong(25) == nullptr; }},
        {"SetLong new, second", 1, [](CellTree& t) { return t.SetLong(25) == nullptr; }},
        {"SetLong present", 0, [](CellTree& t) { return t.SetLong(20) == nullptr; }},
        {"Rebalance", 0, [](CellTree& t) { return t.Rebalance() == FALSE; }},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CellTree tree;
        for (std::int32_t value : {10, 20, 30, 40}) {
            tree.InsertCell(new CountingCell(value));
        }
        const std::string before = Snapshot(tree);
        EXPECT_TRUE(WithFailingAllocation(rows[i].failAt, [&] { return rows[i].failed(tree); }))
            << "row " << i << " " << rows[i].what;
        EXPECT_EQ(before, Snapshot(tree)) << "row " << i << " " << rows[i].what;
        EXPECT_EQ(4, CountingCell::Live()) << "row " << i << " " << rows[i].what;
    }
    EXPECT_EQ(0, CountingCell::Live());
}

TEST(AllocationFailureTest, TextCellsFailWithoutChange) {
    for (int failAt = 0; failAt < 2; ++failAt) {
        CellTree tree;
        tree.InsertString("Cruiser");
        EXPECT_EQ(nullptr,
                  WithFailingAllocation(failAt, [&] { return tree.InsertString("Drone"); }))
            << "row " << failAt;
        EXPECT_EQ(nullptr, WithFailingAllocation(failAt, [&] { return tree.SetString("Drone"); }))
            << "row " << failAt;
        EXPECT_EQ(1, tree.GetCount()) << "row " << failAt;
        EXPECT_EQ(nullptr, tree.FindString("Drone")) << "row " << failAt;
    }
}

TEST(AllocationFailureTest, GivenCellsStayWithTheCallerWhenNoNodeCanBeMade) {
    CellTree tree;
    tree.InsertCell(new CountingCell(1));
    auto* inserted = new CountingCell(2);
    EXPECT_EQ(nullptr, WithFailingAllocation(0, [&] { return tree.InsertCell(inserted); }));
    auto* set = new CountingCell(3);
    EXPECT_EQ(nullptr, WithFailingAllocation(0, [&] { return tree.SetCell(set); }));
    EXPECT_EQ(1, tree.GetCount());
    EXPECT_EQ(3, CountingCell::Live()); // neither was deleted by the tree: still the caller's
    delete inserted;
    delete set;
}

} // namespace
