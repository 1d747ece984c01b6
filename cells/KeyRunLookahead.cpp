// KeyRunLookahead.cpp - the two stages of a run's lookahead and the check of what it found.
#include "cells/KeyRunLookahead.h"

namespace cells {

namespace {

// Asks for a node's memory ahead of its use: a wait that nothing else overlaps stalls the
// whole step, and asking for several at once lets their waits run side by side.
void PrefetchNode(const LongSetNode* node) {
    __builtin_prefetch(node);
}

} // namespace

KeyRunLookahead::KeyRunLookahead(const LongSetIndex& index, const std::int32_t* keys,
                                 std::int32_t keyCount)
    : index_(index), keys_(keys), keyCount_(keyCount) {
    LookAhead();
}

std::optional<LongSetIndex::Neighbours> KeyRunLookahead::TakeNeighbours(std::int32_t at) {
    if (lookedUp_.Empty() || lookedUp_.Front().at != at) {
        return std::nullopt;
    }
    const LookedUp lookedUp = lookedUp_.Front();
    lookedUp_.Pop();
    if (!StillNeighbours(lookedUp)) {
        return std::nullopt;
    }
    return lookedUp.near;
}

void KeyRunLookahead::NoteAdded(std::int32_t key) {
    added_[addedCount_++ % kAdded] = key;
}

// Run once per key, the second stage goes first, so that the first stage refills what it
// took; at the start of a run the first stage fills up once more behind it.
void KeyRunLookahead::LookAhead() {
    Ask();
    LookUp();
    Ask();
}

// Only the neighbours' entries are asked for, not the neighbours kept: keys added before
// the second stage may change them, and finding them again in the cached bitmap is cheap.
void KeyRunLookahead::Ask() {
    while (!asked_.Full() && scanned_ < keyCount_) {
        if (IsNew(keys_[scanned_])) {
            index_.PrefetchNeighbours(keys_[scanned_]);
            asked_.Push(scanned_);
        }
        ++scanned_;
    }
}

// A key may have come in meanwhile, added earlier in the run; it needs no neighbours.
void KeyRunLookahead::LookUp() {
    while (!lookedUp_.Full() && !asked_.Empty()) {
        const std::int32_t at = asked_.Front();
        asked_.Pop();
        if (!IsNew(keys_[at])) {
            continue;
        }
        const LookedUp lookedUp{at, addedCount_, index_.NeighboursOf(keys_[at])};
        PrefetchNode(lookedUp.near.below);
        PrefetchNode(lookedUp.near.above);
        lookedUp_.Push(lookedUp);
    }
}

// The index's window may have moved since the lookup, but no node did: only a key added
// in between can come between the neighbours. More keys added than are kept counts as one.
bool KeyRunLookahead::StillNeighbours(const LookedUp& lookedUp) const {
    if (addedCount_ - lookedUp.addedBefore > kAdded) {
        return false;
    }
    for (std::uint32_t i = lookedUp.addedBefore; i != addedCount_; ++i) {
        const std::int32_t key = added_[i % kAdded];
        if (key > lookedUp.near.belowKey && key < lookedUp.near.aboveKey) {
            return false;
        }
    }
    return true;
}

} // namespace cells
