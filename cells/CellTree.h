// CellTree.h - intrusive binary search tree of CCell nodes, with parent links.
//
// The tree orders cells by the stored cell's IsLess(const CCell*): a cell goes
// to the greater side of a node whose cell IsLess than it, else to the lesser
// side, so equal cells sit side by side (the Set... operations merge them).
// It owns every cell it holds and deletes it through its virtual destructor
// when it is removed, replaced, discarded, or when the tree is emptied or
// destroyed; cells returned by CellAt, GetCell and the Lookup... operations
// still belong to the tree. All cells of one tree must be of one kind.
//
// Positions are CellTreeNode* kept by the caller; null is "no entry". Remove
// frees only the node it names (or its in-order predecessor, whose cell moves
// up); Rebalance relinks and frees nothing. Like LongSet, emptying, walking
// and rebalancing use no recursion.
#pragma once

#include "cells/Cell.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <iosfwd>

struct CellTreeNode {
    CCell* cell = nullptr;           // owned by the tree; never null in a linked node
    CellTreeNode* lesser = nullptr;  // cells that do not order after cell
    CellTreeNode* greater = nullptr; // cells that order after cell
    CellTreeNode* parent = nullptr;  // null at the root
};

class CellTree {
public:
    CellTree() = default;
    CellTree(const CellTree&) = delete;
    CellTree& operator=(const CellTree&) = delete;

    virtual CCell* CellAt(const CellTreeNode* pos) const;      // 0: null for a null pos
    virtual CCell* LookupCell(const CCell* x) const;           // 1
    virtual CCell* LookupString(const char* x) const;          // 2
    virtual CCell* LookupLong(std::int32_t x) const;           // 3
    virtual CCell* GetCell(const CellTreeNode* pos) const;     // 4: CellAt, through the vtable
    virtual CellTreeNode* InsertNode(CellTreeNode* node);      // 5: refuses a node without a cell
    virtual CellTreeNode* InsertString(const char* text);      // 6
    virtual CellTreeNode* InsertLong(std::int32_t value);      // 7
    virtual CellTreeNode* InsertCell(CCell* cell);             // 8: null leaves the cell with the caller
    virtual CellTreeNode* SetString(const char* text);         // 9
    virtual CellTreeNode* SetLong(std::int32_t value);         // 10
    virtual CellTreeNode* SetCell(CCell* cell);                // 11: a returned node means the tree took cell
    virtual BOOL Remove(char mode, CellTreeNode*& pos);        // 12
    virtual void RemoveAll();                                  // 13
    virtual CellTreeNode* LowerBoundCell(const CCell* x) const; // 14: null also for a null x
    virtual CellTreeNode* LowerBoundString(const char* x) const; // 15
    virtual CellTreeNode* LowerBoundLong(std::int32_t x) const; // 16
    virtual CellTreeNode* FindCell(const CCell* x) const;      // 17
    virtual CellTreeNode* FindString(const char* x) const;     // 18
    virtual CellTreeNode* FindLong(std::int32_t x) const;      // 19
    virtual CellTreeNode* LocateCell(const CCell* x) const;    // 20: same as FindCell
    virtual CellTreeNode* LocateString(const char* x) const;   // 21
    virtual CellTreeNode* LocateLong(std::int32_t x) const;    // 22
    virtual CellTreeNode* First() const;                       // 23
    virtual CellTreeNode* Last() const;                        // 24
    virtual std::ostream& DumpNode(std::ostream& s, const CellTreeNode* node) const; // 25: pre-order
    virtual ~CellTree();                                       // 26

    std::int32_t GetCount() const { return count; }
    const CellTreeNode* GetRoot() const { return root; }

    /// Returns the node `pos` held before the move, then moves `pos` to its successor;
    /// null and no move for a null position or a node without a cell.
    CellTreeNode* Next(CellTreeNode*& pos) const;
    /// Mirror image of Next.
    CellTreeNode* Prev(CellTreeNode*& pos) const;

    /// Relinks every node into a tree of minimal height, as LongSet::Rebalance does.
    BOOL Rebalance();

protected:
    std::int32_t count = 0;       // number of linked nodes
    CellTreeNode* root = nullptr; // null when the tree is empty
};
