// GroupNumberIndex.h - a group's position found from its number, in one flat table.
//
// A galaxy holds up to a few hundred thousand groups; a node per group would
// cost an allocation each to build and to free. This is an open-addressing
// table instead (linear probing, at most half full), grown by doubling.
// Group numbers are positive, so 0 marks an empty slot.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace host {

class GroupNumberIndex {
public:
    /// Room for `count` numbers without growing.
    void Reserve(std::size_t count);
    /// Adds `number` (positive) at `position`; false, changing nothing, when it is there already.
    bool Insert(std::int32_t number, std::size_t position);
    /// The position of `number`, or nothing.
    std::optional<std::size_t> Find(std::int32_t number) const;

private:
    struct Slot {
        std::int32_t number = 0; // 0: empty
        std::uint32_t position = 0;
    };

    /// The slot holding `number`, or the empty one where it would go.
    std::size_t SlotOf(std::int32_t number) const;
    void Rehash(std::size_t slotCount);

    std::vector<Slot> slots_; // a power of two in size, or empty
    std::size_t size_ = 0;
};

} // namespace host
