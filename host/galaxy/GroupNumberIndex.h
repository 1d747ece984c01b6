// GroupNumberIndex.h - a group's position found from its number, in one flat table.
//
// Group numbers are positive, so a slot with number 0 is empty.
#pragma once

#include "galaxy/OpenAddressingTable.h"

#include <cstddef>
#include <cstdint>
#include <optional>

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
        std::int32_t number = 0;
        std::uint32_t position = 0;
        bool IsEmpty() const { return number == 0; }
    };

    OpenAddressingTable<Slot> table_;
};

} // namespace host
