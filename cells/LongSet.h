// LongSet.h - ordered set of 32-bit keys: a plain binary search tree with parent links.
//
// The set owns its nodes, each allocated by itself. It does not balance
// itself while it grows; Rebalance relinks the existing nodes into a tree of
// minimal height in one pass, freeing and copying nothing, so positions held
// across it stay valid. A position is a LongSetNode* that the caller keeps;
// null is "no entry". Remove frees only the node it names (or, for a node
// with two children, its in-order predecessor, whose key moves up).
//
// Key 0 is the "absent" answer of Contains, Next and Prev and must not be
// stored: a node holding 0 stops Next and Prev, Remove refuses it and
// Rebalance fails on a set that holds it. InsertKey may store a key twice,
// the second on the lesser side.
//
// Emptying and destroying the set, walking it and rebalancing it use no
// recursion, so a degenerate chain of any length is safe on a small stack.
//
// AddKey does not walk from the root while it can help it: hosts hand over their
// lists in descending runs, and each key of a run would otherwise walk down the whole
// chain the earlier runs built. While the set's keys lie within the index's widest
// window (any planet numbers do, whatever order they come in), an index beside the
// tree (cells/LongSetIndex.h) finds a key's node, or the neighbour to link a new key
// to, directly; only a set whose keys spread wider, or that holds a key twice, walks
// from the root. Either way each key is linked where a walk from the root links it,
// so the tree is the same. AddKeys adds a run of keys the same way, and into a large
// set asks for the memory each new key needs a few new keys ahead of its turn.
#pragma once

#include "cells/KeyRunLookahead.h"
#include "cells/LongSetIndex.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <iosfwd>
#include <optional>

struct LongSetNode {
    LongSetNode* lesser = nullptr;  // subtree of keys not greater than key
    LongSetNode* greater = nullptr; // subtree of keys greater than key
    LongSetNode* parent = nullptr;  // null at the root
    std::int32_t key = 0;
};

class LongSet {
public:
    LongSet() = default;
    LongSet(const LongSet&) = delete;
    LongSet& operator=(const LongSet&) = delete;

    virtual std::int32_t KeyAt(const LongSetNode* pos) const;        // 0: pos must not be null
    virtual std::int32_t Contains(std::int32_t key) const;           // 1: key, or 0 when absent
    virtual std::int32_t GetKey(const LongSetNode* pos) const;       // 2: KeyAt, through the vtable
    virtual LongSetNode* InsertKey(std::int32_t key);                // 3: always links a new node
    virtual LongSetNode* AddKey(std::int32_t key) {                  // 4: existing node if present
        // Inline, and deciding by the index's bitmap alone: a caller that drops the result
        // of adding a key the set already holds then never reads the index's node table,
        // whose reads, scattered over a table of a pointer per planet, cost the planner more
        // than the rest of its work at 100 000 planets.
        return keyIndex.Holds(key) ? keyIndex.NodeOf(key) : AddAbsentKey(key);
    }
    virtual BOOL Remove(char mode, LongSetNode*& pos);               // 5: mode 'n', 'p' or other
    virtual void RemoveAll();                                        // 6
    virtual LongSetNode* LowerBound(std::int32_t key) const;         // 7
    virtual LongSetNode* Find(std::int32_t key) const;               // 8
    virtual LongSetNode* Locate(std::int32_t key) const;             // 9: same as Find
    virtual LongSetNode* First() const;                              // 10
    virtual LongSetNode* Last() const;                               // 11
    virtual std::ostream& DumpNode(std::ostream& s, const LongSetNode* node) const; // 12: pre-order
    virtual ~LongSet();                                              // 13

    std::int32_t GetCount() const { return count; }
    const LongSetNode* GetRoot() const { return root; }
    /// A set holding more keys than this no longer fits the caches a run's additions
    /// reach; below it, looking ahead along the run is only extra work.
    static constexpr std::int32_t kLookAheadFrom = 1 << 16;

    /// Adds `keyCount` keys in order, leaving the set exactly as AddKey for each would, and
    /// calls `proceed()` before each: when it answers false, the keys before are added and
    /// the result is false. Into a set of more than kLookAheadFrom keys, a run of new keys
    /// otherwise waits on scattered memory for each key in turn (the index's table for
    /// its neighbours, then their nodes); there both are asked for a few new keys ahead.
    template <class ProceedFn>
    bool AddKeys(const std::int32_t* keys, std::int32_t keyCount, ProceedFn proceed) {
        if (count <= kLookAheadFrom) {
            return EachWhileProceeding(keyCount, proceed,
                                       [&](std::int32_t i) { LongSet::AddKey(keys[i]); });
        }
        cells::KeyRunLookahead ahead(keyIndex, keys, keyCount);
        return EachWhileProceeding(keyCount, proceed, [&](std::int32_t i) {
            AddKeyOfRun(keys[i], ahead.TakeNeighbours(i), ahead);
        });
    }

    /// Whether the key index still answers for this set (tests and benchmarks ask).
    bool IsKeyIndexOn() const { return keyIndex.IsOn(); }

    /// Returns the key at `pos` before the move, then moves `pos` to its successor
    /// (null after the last); 0 and no move for a null position or a node holding 0.
    std::int32_t Next(LongSetNode*& pos) const;
    /// Mirror image of Next.
    std::int32_t Prev(LongSetNode*& pos) const;

    /// Relinks every node into a tree of minimal height (for distinct keys). FALSE,
    /// with the set unchanged, when the index array cannot be allocated or the walk
    /// yields more than GetCount() nodes.
    BOOL Rebalance();

    /// Links a prepared node with both child links cleared; null for a null node or
    /// one that is already linked. Equal keys go to the lesser side.
    LongSetNode* InsertNode(LongSetNode* node);

protected:
    std::int32_t count = 0;      // number of linked nodes
    LongSetNode* root = nullptr; // null when the set is empty

private:
    /// Calls `add(i)` for i = 0..n-1, each after `proceed()`; false once that answers false.
    template <class ProceedFn, class AddFn>
    static bool EachWhileProceeding(std::int32_t n, ProceedFn& proceed, AddFn add) {
        for (std::int32_t i = 0; i < n; ++i) {
            if (!proceed()) {
                return false;
            }
            add(i);
        }
        return true;
    }
    /// Adds a key of a run, beside the neighbours looked up for it when they still hold,
    /// and looks ahead for the keys after it.
    void AddKeyOfRun(std::int32_t key, const std::optional<cells::LongSetIndex::Neighbours>& near,
                     cells::KeyRunLookahead& ahead);
    /// AddKey for a key that the index does not know to be present.
    LongSetNode* AddAbsentKey(std::int32_t key);
    /// Links a new node for `key` between the neighbours the index gave; the index has
    /// reached `key`.
    LongSetNode* LinkBetween(std::int32_t key, const cells::LongSetIndex::Neighbours& near);
    /// AddKey by a walk from the root, for a key the index does not cover.
    LongSetNode* AddByWalk(std::int32_t key);
    /// InsertNode without telling the index: Rebalance relinks nodes it already knows.
    LongSetNode* LinkFromRoot(LongSetNode* node);
    void ForgetInIndex(std::int32_t removedKey, LongSetNode* movedInto);

    cells::LongSetIndex keyIndex; // every key's node while the keys lie close together
};
