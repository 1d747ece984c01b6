// OpenAddressingTable.h - the slots of a flat hash table: a power-of-two vector probed linearly, at most half full.
//
// The galaxy's large indexes (groups by number, planets by name) hold a few
// hundred thousand entries; a node per entry would cost an allocation each to
// build and to free. Their slots live here in one vector instead. A search
// starts where the key's hash points and goes on slot by slot until it meets
// the key or an empty slot, which at most half full comes within a few steps.
// The slot type says when it is empty; a default-made slot is.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace host {

template <typename Slot>
class OpenAddressingTable {
public:
    /// Room for `count` slots in use without growing; `hashOf(slot)` gives a slot's hash.
    template <typename HashOf>
    void Reserve(std::size_t count, HashOf hashOf) {
        const std::size_t wanted = std::bit_ceil(std::max(count * 2, kSmallestTable));
        if (wanted > slots_.size()) {
            Rehash(wanted, hashOf);
        }
    }

    /// Grows, when needed, so that one more slot can be filled.
    template <typename HashOf>
    void MakeRoomForOne(HashOf hashOf) {
        if ((used_ + 1) * 2 > slots_.size()) {
            Rehash(std::max(slots_.size() * 2, kSmallestTable), hashOf);
        }
    }

    /// The slot that `matches`, or the empty one where the search from `hash` ends; null
    /// when the table has no slots yet.
    template <typename Matches>
    const Slot* Find(std::uint64_t hash, Matches matches) const {
        return slots_.empty() ? nullptr : &slots_[Probe(hash, matches)];
    }

    /// Fills the empty slot that Find returned (after MakeRoomForOne).
    void Fill(const Slot* empty, const Slot& slot) {
        slots_[static_cast<std::size_t>(empty - slots_.data())] = slot;
        ++used_;
    }

private:
    static constexpr std::size_t kSmallestTable = 16;

    template <typename Matches>
    std::size_t Probe(std::uint64_t hash, Matches matches) const {
        // Fibonacci hashing spreads consecutive keys over the whole table.
        const std::size_t mask = slots_.size() - 1;
        auto at = static_cast<std::size_t>((hash * 0x9E3779B97F4A7C15ULL) >> 32) & mask;
        while (!slots_[at].IsEmpty() && !matches(slots_[at])) {
            at = (at + 1) & mask;
        }
        return at;
    }

    template <typename HashOf>
    void Rehash(std::size_t slotCount, HashOf hashOf) {
        std::vector<Slot> old(slotCount);
        old.swap(slots_);
        for (const Slot& slot : old) {
            if (!slot.IsEmpty()) {
                slots_[Probe(hashOf(slot), [](const Slot&) { return false; })] = slot;
            }
        }
    }

    std::vector<Slot> slots_; // a power of two in size, or empty
    std::size_t used_ = 0;
};

} // namespace host
