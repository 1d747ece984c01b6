// LongSet.cpp - ordered set of 32-bit keys over the shared tree link mechanics.
#include "cells/LongSet.h"

#include "cells/TreeLinks.h"

#include <algorithm>
#include <cassert>
#include <new>
#include <optional>
#include <ostream>

namespace links = cells::links;

namespace {

LongSetNode* IfHolding(LongSetNode* node, std::int32_t key) {
    return node != nullptr && node->key == key ? node : nullptr;
}

// Key 0 is the "absent" answer, so a node holding it stops a walk.
bool HoldsKey(const LongSetNode* node) {
    return node->key != 0;
}

std::int32_t KeyOrZero(const LongSetNode* node) {
    return node != nullptr ? node->key : 0;
}

// Whether the index lists exactly the set's nodes: it holds one for each key it was told
// of, and a derived set that links nodes by itself leaves it holding fewer.
bool IndexListsEveryNode(const cells::LongSetIndex& index, std::int32_t count) {
    return index.IsOn() && index.NodeCount() == count;
}

// Shared by RemoveAll and the destructor, which must not dispatch virtually. While the
// index lists every node, the nodes are freed from it in key order.
void FreeAllNodes(LongSetNode*& root, std::int32_t& count, const cells::LongSetIndex& index) {
    if (IndexListsEveryNode(index, count)) {
        cells::LongSetIndex::NodesInOrder nodes(index);
        while (LongSetNode* node = nodes.Next()) {
            delete node;
        }
    } else {
        links::FreePostOrder(root, [](LongSetNode* node) { delete node; });
    }
    count = 0;
    root = nullptr;
}

} // namespace

std::int32_t LongSet::KeyAt(const LongSetNode* pos) const {
    assert(pos != nullptr && "KeyAt needs a position");
    return pos->key;
}

std::int32_t LongSet::Contains(std::int32_t key) const {
    return IfHolding(LowerBound(key), key) != nullptr ? key : 0;
}

std::int32_t LongSet::GetKey(const LongSetNode* pos) const {
    return KeyAt(pos);
}

LongSetNode* LongSet::InsertKey(std::int32_t key) {
    LongSetNode* node = new (std::nothrow) LongSetNode;
    if (node == nullptr) {
        return nullptr;
    }
    node->key = key;
    // A fresh node is never refused; the check keeps a refusal from leaking it.
    if (InsertNode(node) == nullptr) {
        delete node;
        return nullptr;
    }
    return node;
}

// While the index covers the key, it says between which two stored keys a missing
// key falls, and a walk from the root for it ends at one of those two neighbours.
LongSetNode* LongSet::AddAbsentKey(std::int32_t key) {
    if (!keyIndex.Reach(key, count)) {
        return AddByWalk(key);
    }
    return LinkBetween(key, keyIndex.NeighboursOf(key));
}

LongSetNode* LongSet::LinkBetween(std::int32_t key, const cells::LongSetIndex::Neighbours& near) {
    LongSetNode* node = new (std::nothrow) LongSetNode;
    if (node == nullptr) {
        return nullptr;
    }
    node->key = key;
    const links::WalkEnd<LongSetNode> end = links::WalkEndBetween(near.below, near.above);
    assert(root == nullptr || end.parent != nullptr);
    links::LinkCounted(root, count, end, node);
    keyIndex.Note(node);
    return node;
}

void LongSet::AddKeyOfRun(std::int32_t key,
                          const std::optional<cells::LongSetIndex::Neighbours>& near,
                          cells::KeyRunLookahead& ahead) {
    if (!keyIndex.Holds(key)) {
        LongSetNode* added = near && keyIndex.Reach(key, count) ? LinkBetween(key, *near)
                                                                : AddAbsentKey(key);
        if (added != nullptr) {
            ahead.NoteAdded(key);
        }
    }
    ahead.LookAhead();
}

// Only a set whose keys spread wider than the index's window, or that holds a key twice,
// comes here; planet numbers never do.
LongSetNode* LongSet::AddByWalk(std::int32_t key) {
    links::WalkEnd<LongSetNode> end;
    if (root != nullptr) {
        end = links::WalkDown(root, [key](const LongSetNode* at) {
            if (at->key < key) {
                return links::Turn::Greater;
            }
            return at->key == key ? links::Turn::Stop : links::Turn::Lesser;
        });
        if (end.hit != nullptr) {
            return end.hit; // already present: nothing added
        }
    }
    LongSetNode* node = new (std::nothrow) LongSetNode;
    if (node == nullptr) {
        return nullptr;
    }
    node->key = key;
    return links::LinkCounted(root, count, end, node);
}

LongSetNode* LongSet::InsertNode(LongSetNode* node) {
    if (LinkFromRoot(node) == nullptr) {
        return nullptr;
    }
    if (keyIndex.Reach(node->key, count)) {
        if (keyIndex.NodeOf(node->key) != nullptr) {
            keyIndex.TurnOff(); // a key held twice has no one node to answer with
        } else {
            keyIndex.Note(node);
        }
    }
    return node;
}

LongSetNode* LongSet::LinkFromRoot(LongSetNode* node) {
    if (node == nullptr) {
        return nullptr;
    }
    links::WalkEnd<LongSetNode> end;
    if (root != nullptr) {
        end = links::WalkDown(root, [node](const LongSetNode* at) {
            if (at->key < node->key) {
                return links::Turn::Greater;
            }
            return at == node ? links::Turn::Stop : links::Turn::Lesser;
        });
        if (end.hit != nullptr) {
            return nullptr; // the node is already linked
        }
    }
    return links::LinkCounted(root, count, end, node);
}

BOOL LongSet::Remove(char mode, LongSetNode*& pos) {
    if (pos == nullptr || root == nullptr || pos->key == 0) {
        return FALSE;
    }
    const std::int32_t removedKey = pos->key;
    LongSetNode* holder = pos;
    LongSetNode* freed = links::UnlinkEntry(
        root, pos, [](const LongSetNode* from, LongSetNode* to) { to->key = from->key; });
    delete freed;
    --count;
    ForgetInIndex(removedKey, freed == holder ? nullptr : holder);
    links::RepositionAfterRemove(
        mode, pos, [this, removedKey] { return LowerBound(removedKey); }, [this] { return Last(); },
        [this](LongSetNode*& at) { Prev(at); });
    return TRUE;
}

void LongSet::RemoveAll() {
    FreeAllNodes(root, count, keyIndex);
    keyIndex.Reset();
}

// A removal whose node kept its place but took its predecessor's key (`movedInto`)
// moves that key in the index too. An emptied set starts the index afresh, so a set
// that had turned it off can have it again.
void LongSet::ForgetInIndex(std::int32_t removedKey, LongSetNode* movedInto) {
    if (count == 0) {
        keyIndex.Reset();
        return;
    }
    if (keyIndex.IsOn()) {
        keyIndex.Forget(removedKey);
        if (movedInto != nullptr) {
            keyIndex.Note(movedInto);
        }
    }
}

LongSetNode* LongSet::LowerBound(std::int32_t key) const {
    return links::LowerBound(root, [key](const LongSetNode* at) { return at->key < key; });
}

LongSetNode* LongSet::Find(std::int32_t key) const {
    return IfHolding(LowerBound(key), key);
}

LongSetNode* LongSet::Locate(std::int32_t key) const {
    return IfHolding(LowerBound(key), key);
}

LongSetNode* LongSet::First() const {
    return links::Leftmost(root);
}

LongSetNode* LongSet::Last() const {
    return links::Rightmost(root);
}

// Pre-order, one key a line. The walk is a loop over parent links rather than a
// call per child, so a long chain cannot exhaust the stack; an override still
// receives the call for the subtree it is asked to write.
std::ostream& LongSet::DumpNode(std::ostream& s, const LongSetNode* node) const {
    assert(node != nullptr && "DumpNode needs a node");
    links::VisitPreOrder(node, [&s](const LongSetNode* at) { s << at->key << "\n"; });
    return s;
}

LongSet::~LongSet() {
    FreeAllNodes(root, count, keyIndex);
}

std::int32_t LongSet::Next(LongSetNode*& pos) const {
    return KeyOrZero(links::StepOver(pos, HoldsKey, links::Successor<LongSetNode>));
}

std::int32_t LongSet::Prev(LongSetNode*& pos) const {
    return KeyOrZero(links::StepOver(pos, HoldsKey, links::Predecessor<LongSetNode>));
}

BOOL LongSet::Rebalance() {
    // Same keys, same nodes: the index holds across the rebuild. While it is on, it
    // lists the nodes in order without a walk along their links.
    // First is asked all the same, for a derived set that answers it.
    std::optional<cells::LongSetIndex::NodesInOrder> fromIndex;
    const auto first = [this, &fromIndex] {
        LongSetNode* head = First();
        // A node holding 0 stops the walk, and the rebuild must see that happen.
        if (IndexListsEveryNode(keyIndex, count) && !keyIndex.Holds(0)) {
            fromIndex.emplace(keyIndex);
            if (fromIndex->Next() == head) {
                return head;
            }
            fromIndex.reset();
        }
        return head;
    };
    const auto stepForward = [this, &fromIndex](LongSetNode*& at) {
        if (fromIndex) {
            at = fromIndex->Next();
        } else {
            Next(at);
        }
    };
    return links::RebuildBalancedDistinct(
        root, count, first, stepForward,
        [](const LongSetNode* a, const LongSetNode* b) { return a->key < b->key; },
        [this](LongSetNode* node) { LinkFromRoot(node); });
}
