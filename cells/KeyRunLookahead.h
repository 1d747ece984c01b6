// KeyRunLookahead.h - the neighbours of a run's new keys, looked up before their turn.
//
// LongSet::AddKeys links each new key of a run beside the neighbours the index
// gives for it. In a large set both the index's table entries and the neighbours'
// nodes lie in memory no cache holds, and waiting for them key by key is most of
// the cost of adding. This lookahead asks for them ahead, in two stages: it finds
// a new key's neighbours in the bitmap and asks for their table entries kAsked new
// keys before it reads those entries, and reads them (asking for the nodes they
// name) kLookedUp new keys before the key's turn. Distances count new keys only: a
// run of planet numbers mostly repeats keys the set holds already, which cost a
// bitmap test, and a distance in keys would leave a wait no time to pass.
//
// Neighbours looked up ahead go stale when a key added in between falls between
// them; the keys added since are kept, and such a key is looked up afresh.
#pragma once

#include "cells/LongSetIndex.h"

#include <cstdint>
#include <optional>

namespace cells {

class KeyRunLookahead {
public:
    static constexpr int kAsked = 8;    // new keys whose neighbours' table entries are asked for
    static constexpr int kLookedUp = 8; // new keys, nearer their turn, whose neighbours are known
    static constexpr int kAdded = 16;   // keys added lately, checked against a lookup

    /// Starts looking ahead over keys[0..keyCount) of a run into the set `index` serves.
    KeyRunLookahead(const LongSetIndex& index, const std::int32_t* keys, std::int32_t keyCount);

    /// The neighbours of keys[at], when they were looked up and no key added since lies
    /// between them; the run calls this for each position in turn, whether it adds the key
    /// or not, and before it adds it.
    std::optional<LongSetIndex::Neighbours> TakeNeighbours(std::int32_t at);
    /// Records that the run added `key`: neighbours looked up before may no longer be.
    void NoteAdded(std::int32_t key);
    /// Moves both stages on, after the run has added a key.
    void LookAhead();

private:
    struct LookedUp {
        std::int32_t at;            // the key's position in the run
        std::uint32_t addedBefore;  // how many keys the run had added when it was looked up
        LongSetIndex::Neighbours near;
    };

    /// A queue of at most N entries in an array, oldest first.
    template <class T, int N> struct Queue {
        T entries[N];
        int first = 0;
        int size = 0;
        bool Full() const { return size == N; }
        bool Empty() const { return size == 0; }
        T& Front() { return entries[first]; }
        void Push(const T& entry) { entries[(first + size++) % N] = entry; }
        void Pop() {
            first = (first + 1) % N;
            --size;
        }
    };

    bool IsNew(std::int32_t key) const { return index_.Covers(key) && !index_.Holds(key); }
    void Ask();
    void LookUp();
    bool StillNeighbours(const LookedUp& lookedUp) const;

    const LongSetIndex& index_;
    const std::int32_t* keys_;
    std::int32_t keyCount_;
    std::int32_t scanned_ = 0;               // keys[0..scanned_) have passed the first stage
    Queue<std::int32_t, kAsked> asked_;      // positions whose neighbours' entries were asked for
    Queue<LookedUp, kLookedUp> lookedUp_;
    std::int32_t added_[kAdded] = {};        // by the number of keys added before, modulo kAdded
    std::uint32_t addedCount_ = 0;
};

} // namespace cells
