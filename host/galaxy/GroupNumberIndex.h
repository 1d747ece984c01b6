// GroupNumberIndex.h - a group's position found from its number, in one flat array or one flat table.
//
// Galaxies number their groups upwards with small gaps, so the index starts as
// an array of positions by number: four bytes a number, where a hash table at
// most half full costs sixteen or more a group. A number far beyond what the
// groups so far could fill (more than four numbers a group, where the array
// would cost more than the table) moves every entry into a flat hash table,
// which any numbers suit; the index stays there. Group numbers are positive,
// so a table slot with number 0 is empty.
#pragma once

#include "galaxy/OpenAddressingTable.h"

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
        std::int32_t number = 0;
        std::uint32_t position = 0;
        bool IsEmpty() const { return number == 0; }
    };
    static constexpr std::uint32_t kNoPosition = 0xFFFFFFFFU;

    /// True while `number` keeps the array at most about four times as long as the groups it holds.
    bool FitsArray(std::int32_t number) const;
    /// Moves every entry of the array into the table, for good.
    void MoveToTable();
    bool InsertInTable(std::int32_t number, std::uint32_t position);

    bool inArray_ = true;
    std::vector<std::uint32_t> byNumber_; // while inArray_: [number]: its position, or kNoPosition
    std::size_t used_ = 0;                // numbers held
    std::size_t expected_ = 0;            // the count last reserved
    OpenAddressingTable<Slot> table_;     // once !inArray_
};

} // namespace host
