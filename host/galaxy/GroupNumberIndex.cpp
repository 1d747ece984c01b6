// GroupNumberIndex.cpp - group numbers as the keys of the flat table.
#include "galaxy/GroupNumberIndex.h"

namespace host {

namespace {

std::uint64_t HashOf(std::int32_t number) {
    return static_cast<std::uint32_t>(number);
}

auto SlotHash() {
    return [](const auto& slot) { return HashOf(slot.number); };
}

auto HoldsNumber(std::int32_t number) {
    return [number](const auto& slot) { return slot.number == number; };
}

} // namespace

void GroupNumberIndex::Reserve(std::size_t count) {
    table_.Reserve(count, SlotHash());
}

bool GroupNumberIndex::Insert(std::int32_t number, std::size_t position) {
    table_.MakeRoomForOne(SlotHash());
    const Slot* slot = table_.Find(HashOf(number), HoldsNumber(number));
    if (!slot->IsEmpty()) {
        return false;
    }
    table_.Fill(slot, Slot{number, static_cast<std::uint32_t>(position)});
    return true;
}

std::optional<std::size_t> GroupNumberIndex::Find(std::int32_t number) const {
    if (number <= 0) {
        return std::nullopt; // 0 would find an empty slot
    }
    const Slot* slot = table_.Find(HashOf(number), HoldsNumber(number));
    if (slot == nullptr || slot->IsEmpty()) {
        return std::nullopt;
    }
    return slot->position;
}

} // namespace host
