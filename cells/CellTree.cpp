// CellTree.cpp - owning ordered tree of cells over the shared tree link mechanics.
#include "cells/CellTree.h"

#include "cells/TreeLinks.h"

#include <cassert>
#include <new>
#include <ostream>
#include <type_traits>

namespace links = cells::links;

namespace {

// A cell of the kind that holds `value`; null when memory runs out. The text
// copy may throw on its own allocation, which must not leave the tree.
CCell* NewCellHolding(std::int32_t value) {
    return new (std::nothrow) CCellLong(value);
}

CCell* NewCellHolding(const char* text) {
    try {
        return new (std::nothrow) CCellString(text);
    } catch (...) {
        return nullptr;
    }
}

// Puts `cell` into a new node and links it through the tree's InsertNode; null,
// with the node freed and the cell left to the caller, when that fails.
CellTreeNode* LinkInNewNode(CellTree& tree, CCell* cell) {
    CellTreeNode* node = new (std::nothrow) CellTreeNode;
    if (node == nullptr) {
        return nullptr;
    }
    node->cell = cell;
    if (tree.InsertNode(node) == nullptr) {
        delete node;
        return nullptr;
    }
    return node;
}

template <class Value> CellTreeNode* InsertNewCell(CellTree& tree, Value value) {
    CCell* cell = NewCellHolding(value);
    if (cell == nullptr) {
        return nullptr;
    }
    CellTreeNode* node = LinkInNewNode(tree, cell);
    if (node == nullptr) {
        delete cell;
    }
    return node;
}

// The cell a Set... operation offers: the caller's, or one made from the value.
template <class Value> CCell* OfferedCell(Value value, CCell* given) {
    if constexpr (std::is_same_v<Value, const CCell*>) {
        return given;
    } else {
        return given != nullptr ? given : NewCellHolding(value);
    }
}

CCell* CellOf(const CellTreeNode* node) {
    return node != nullptr ? node->cell : nullptr;
}

/// Answers `node` if its cell equals `x`, else null.
template <class Value> CellTreeNode* IfEqual(CellTreeNode* node, Value x) {
    return node != nullptr && node->cell->IsEqual(x) ? node : nullptr;
}

// A cell lives apart from its node, so each step down waits first for the node and
// then for its cell. Asking for both children while the cell is read and compared
// lets the next node arrive during that second wait: a search of a large tree then
// waits about once per level, as a tree that keeps its keys in its nodes does.
template <class Value> CellTreeNode* LowerBoundOf(CellTreeNode* root, Value x) {
    return links::LowerBound(root, [x](const CellTreeNode* at) {
        __builtin_prefetch(at->lesser);
        __builtin_prefetch(at->greater);
        return at->cell->IsLess(x);
    });
}

// The walk of the Set... operations: the stored cells' ordering test picks the
// side, the first stored cell equal to `value` is replaced (or the offer
// discarded, as the offered cell's CanReplace decides), and a value that meets
// no equal cell is linked as a new leaf. `given` is the offered cell, or null
// when the tree makes the cell from `value` itself; a given cell that the tree
// already holds is refused.
template <class Value>
CellTreeNode* StoreOrReplace(CellTreeNode*& root, std::int32_t& count, Value value, CCell* given) {
    bool alreadyHeld = false;
    links::WalkEnd<CellTreeNode> end;
    if (root != nullptr) {
        end = links::WalkDown(root, [&](const CellTreeNode* at) {
            if (given != nullptr && at->cell == given) {
                alreadyHeld = true;
                return links::Turn::Stop;
            }
            if (at->cell->IsLess(value)) {
                return links::Turn::Greater;
            }
            return at->cell->IsEqual(value) ? links::Turn::Stop : links::Turn::Lesser;
        });
    }
    if (alreadyHeld) {
        return nullptr;
    }
    if (end.hit != nullptr) {
        CCell* offered = OfferedCell(value, given);
        if (offered == nullptr) {
            return nullptr;
        }
        if (offered->CanReplace(end.hit->cell)) {
            delete end.hit->cell;
            end.hit->cell = offered;
        } else {
            delete offered;
        }
        return end.hit;
    }
    CCell* cell = OfferedCell(value, given);
    CellTreeNode* node = cell != nullptr ? new (std::nothrow) CellTreeNode : nullptr;
    if (node == nullptr) {
        if (given == nullptr) {
            delete cell; // made here, so not the caller's
        }
        return nullptr;
    }
    node->cell = cell;
    return links::LinkCounted(root, count, end, node);
}

// A node without a cell stops a walk.
bool HoldsCell(const CellTreeNode* node) {
    return node->cell != nullptr;
}

// Shared by RemoveAll and the destructor, which must not dispatch virtually.
void FreeAllNodes(CellTreeNode*& root, std::int32_t& count) {
    links::FreePostOrder(root, [](CellTreeNode* node) {
        delete node->cell; // through the cell's virtual destructor
        delete node;
    });
    count = 0;
    root = nullptr;
}

} // namespace

CCell* CellTree::CellAt(const CellTreeNode* pos) const {
    return CellOf(pos);
}

CCell* CellTree::LookupCell(const CCell* x) const {
    return CellOf(IfEqual(LowerBoundCell(x), x));
}

CCell* CellTree::LookupString(const char* x) const {
    return CellOf(IfEqual(LowerBoundString(x), x));
}

CCell* CellTree::LookupLong(std::int32_t x) const {
    return CellOf(IfEqual(LowerBoundLong(x), x));
}

CCell* CellTree::GetCell(const CellTreeNode* pos) const {
    return CellAt(pos);
}

CellTreeNode* CellTree::InsertNode(CellTreeNode* node) {
    // A node without a cell would break every later comparison, so it is refused.
    if (node == nullptr || node->cell == nullptr) {
        return nullptr;
    }
    links::WalkEnd<CellTreeNode> end;
    if (root != nullptr) {
        end = links::WalkDown(root, [node](const CellTreeNode* at) {
            if (at->cell->IsLess(node->cell)) {
                return links::Turn::Greater;
            }
            if (at == node || at->cell == node->cell) {
                return links::Turn::Stop;
            }
            return links::Turn::Lesser;
        });
        if (end.hit != nullptr) {
            return nullptr; // the node, or its cell, is already in the tree
        }
    }
    return links::LinkCounted(root, count, end, node);
}

CellTreeNode* CellTree::InsertString(const char* text) {
    return InsertNewCell(*this, text);
}

CellTreeNode* CellTree::InsertLong(std::int32_t value) {
    return InsertNewCell(*this, value);
}

CellTreeNode* CellTree::InsertCell(CCell* cell) {
    return LinkInNewNode(*this, cell);
}

CellTreeNode* CellTree::SetString(const char* text) {
    return StoreOrReplace(root, count, text, nullptr);
}

CellTreeNode* CellTree::SetLong(std::int32_t value) {
    return StoreOrReplace(root, count, value, nullptr);
}

CellTreeNode* CellTree::SetCell(CCell* cell) {
    if (cell == nullptr) {
        return nullptr;
    }
    return StoreOrReplace(root, count, static_cast<const CCell*>(cell), cell);
}

BOOL CellTree::Remove(char mode, CellTreeNode*& pos) {
    if (pos == nullptr || root == nullptr || pos->cell == nullptr) {
        return FALSE;
    }
    CCell* removed = pos->cell; // stays alive for the repositioning comparisons
    CellTreeNode* freed = links::UnlinkEntry(
        root, pos, [](const CellTreeNode* from, CellTreeNode* to) { to->cell = from->cell; });
    delete freed;
    --count;
    links::RepositionAfterRemove(
        mode, pos, [this, removed] { return LowerBoundCell(removed); }, [this] { return Last(); },
        [this](CellTreeNode*& at) { Prev(at); });
    delete removed;
    return TRUE;
}

void CellTree::RemoveAll() {
    FreeAllNodes(root, count);
}

CellTreeNode* CellTree::LowerBoundCell(const CCell* x) const {
    return x != nullptr ? LowerBoundOf(root, x) : nullptr;
}

CellTreeNode* CellTree::LowerBoundString(const char* x) const {
    return LowerBoundOf(root, x);
}

CellTreeNode* CellTree::LowerBoundLong(std::int32_t x) const {
    return LowerBoundOf(root, x);
}

CellTreeNode* CellTree::FindCell(const CCell* x) const {
    return IfEqual(LowerBoundCell(x), x);
}

CellTreeNode* CellTree::FindString(const char* x) const {
    return IfEqual(LowerBoundString(x), x);
}

CellTreeNode* CellTree::FindLong(std::int32_t x) const {
    return IfEqual(LowerBoundLong(x), x);
}

CellTreeNode* CellTree::LocateCell(const CCell* x) const {
    return IfEqual(LowerBoundCell(x), x);
}

CellTreeNode* CellTree::LocateString(const char* x) const {
    return IfEqual(LowerBoundString(x), x);
}

CellTreeNode* CellTree::LocateLong(std::int32_t x) const {
    return IfEqual(LowerBoundLong(x), x);
}

CellTreeNode* CellTree::First() const {
    return links::Leftmost(root);
}

CellTreeNode* CellTree::Last() const {
    return links::Rightmost(root);
}

// Pre-order, one dump line per cell in the cell's own format. The walk is a loop
// over parent links rather than a call per child, so a long chain cannot exhaust
// the stack; each line still comes from the cell's virtual Dump.
std::ostream& CellTree::DumpNode(std::ostream& s, const CellTreeNode* node) const {
    assert(node != nullptr && "DumpNode needs a node");
    links::VisitPreOrder(node, [&s](const CellTreeNode* at) {
        if (at->cell != nullptr) {
            at->cell->Dump(s);
        }
    });
    return s;
}

CellTree::~CellTree() {
    FreeAllNodes(root, count);
}

CellTreeNode* CellTree::Next(CellTreeNode*& pos) const {
    return links::StepOver(pos, HoldsCell, links::Successor<CellTreeNode>);
}

CellTreeNode* CellTree::Prev(CellTreeNode*& pos) const {
    return links::StepOver(pos, HoldsCell, links::Predecessor<CellTreeNode>);
}

BOOL CellTree::Rebalance() {
    return links::RebuildBalanced(
        root, count, [this] { return First(); }, [this](CellTreeNode*& at) { Next(at); },
        [this](CellTreeNode* node) { InsertNode(node); });
}
