// LongSet.cpp - ordered set of 32-bit keys over the shared tree link mechanics.
#include "cells/LongSet.h"

#include "cells/TreeLinks.h"

#include <cassert>
#include <new>
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

// Shared by RemoveAll and the destructor, which must not dispatch virtually.
void FreeAllNodes(LongSetNode*& root, std::int32_t& count) {
    links::FreePostOrder(root, [](LongSetNode* node) { delete node; });
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

// A subtree's keys lie strictly between two ancestors' keys: the nearest one it
// hangs on the greater side of, and the nearest one it hangs on the lesser side
// of. Climbing from the finger, each node whose bound on the key's side still
// lets the key in is one the root walk passes through; the first such is where
// the walk may begin. On a node holding the key itself the climb gives up: with
// a key stored twice, only the root walk knows which of them it meets first.
LongSetNode* LongSet::WalkStartFor(std::int32_t key) const {
    LongSetNode* start = finger;
    while (start != nullptr && start->key != key) {
        const bool goingLesser = key < start->key;
        // climb while the subtree hangs on the side that does not bound it there
        LongSetNode* child = start;
        LongSetNode* bound = child->parent;
        while (bound != nullptr && (goingLesser ? bound->lesser : bound->greater) == child) {
            child = bound;
            bound = bound->parent;
        }
        if (bound == nullptr || (goingLesser ? bound->key < key : bound->key > key)) {
            return start; // no bound, or one the key lies within
        }
        start = bound;
    }
    return nullptr;
}

LongSetNode* LongSet::AddKey(std::int32_t key) {
    links::WalkEnd<LongSetNode> end;
    if (root != nullptr) {
        LongSetNode* start = WalkStartFor(key);
        end = links::WalkDown(start != nullptr ? start : root, [key](const LongSetNode* at) {
            if (at->key < key) {
                return links::Turn::Greater;
            }
            return at->key == key ? links::Turn::Stop : links::Turn::Lesser;
        });
        if (end.hit != nullptr) {
            finger = end.hit;
            return end.hit; // already present: nothing added
        }
    }
    LongSetNode* node = new (std::nothrow) LongSetNode;
    if (node == nullptr) {
        return nullptr;
    }
    node->key = key;
    finger = node;
    return links::LinkCounted(root, count, end, node);
}

LongSetNode* LongSet::InsertNode(LongSetNode* node) {
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
    LongSetNode* freed = links::UnlinkEntry(
        root, pos, [](const LongSetNode* from, LongSetNode* to) { to->key = from->key; });
    if (freed == finger) {
        finger = nullptr;
    }
    delete freed;
    --count;
    links::RepositionAfterRemove(
        mode, pos, [this, removedKey] { return LowerBound(removedKey); }, [this] { return Last(); },
        [this](LongSetNode*& at) { Prev(at); });
    return TRUE;
}

void LongSet::RemoveAll() {
    FreeAllNodes(root, count);
    finger = nullptr;
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
    FreeAllNodes(root, count);
}

std::int32_t LongSet::Next(LongSetNode*& pos) const {
    return KeyOrZero(links::StepOver(pos, HoldsKey, links::Successor<LongSetNode>));
}

std::int32_t LongSet::Prev(LongSetNode*& pos) const {
    return KeyOrZero(links::StepOver(pos, HoldsKey, links::Predecessor<LongSetNode>));
}

BOOL LongSet::Rebalance() {
    return links::RebuildBalanced(
        root, count, [this] { return First(); }, [this](LongSetNode*& at) { Next(at); },
        [this](LongSetNode* node) { InsertNode(node); });
}
