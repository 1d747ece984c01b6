// PlanetNameIndex.h - a planet's number found from its name, in one flat table.
//
// The table keeps numbers and the names' hashes, never the names: they stay in
// the planets, and the caller says where (`nameOf(number)`), so a copied
// galaxy's index reads the copy's planets. Planet numbers start at 1, so a
// slot with number 0 is empty.
#pragma once

#include "galaxy/OpenAddressingTable.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

namespace host {

class PlanetNameIndex {
public:
    /// Room for `count` planets without growing.
    void Reserve(std::size_t count) { table_.Reserve(count, HashOfSlot); }

    /// Adds planet `number` called `name`; false, changing nothing, when a planet of that name
    /// is there already.
    template <typename NameOf>
    bool Insert(std::int32_t number, std::string_view name, NameOf nameOf) {
        table_.MakeRoomForOne(HashOfSlot);
        const std::uint32_t hash = HashOf(name);
        const Slot* slot = table_.Find(hash, Named(hash, name, nameOf));
        if (!slot->IsEmpty()) {
            return false;
        }
        table_.Fill(slot, Slot{hash, number});
        return true;
    }

    /// The number of the planet called `name`, or 0.
    template <typename NameOf>
    std::int32_t Find(std::string_view name, NameOf nameOf) const {
        const std::uint32_t hash = HashOf(name);
        const Slot* slot = table_.Find(hash, Named(hash, name, nameOf));
        return slot == nullptr ? 0 : slot->number;
    }

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::int32_t number = 0;
        bool IsEmpty() const { return number == 0; }
    };

    static std::uint32_t HashOf(std::string_view name) {
        return static_cast<std::uint32_t>(std::hash<std::string_view>()(name));
    }
    static std::uint64_t HashOfSlot(const Slot& slot) { return slot.hash; }
    /// Matches the slot of the planet called `name`; the hash spares most name comparisons.
    template <typename NameOf>
    static auto Named(std::uint32_t hash, std::string_view name, NameOf& nameOf) {
        return [hash, name, &nameOf](const Slot& slot) {
            return slot.hash == hash && std::string_view(nameOf(slot.number)) == name;
        };
    }

    OpenAddressingTable<Slot> table_;
};

} // namespace host
