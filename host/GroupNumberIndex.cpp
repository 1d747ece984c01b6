// GroupNumberIndex.cpp - probing, inserting and growing the flat table of group numbers.
#include "host/GroupNumberIndex.h"

#include <algorithm>
#include <bit>

namespace host {

namespace {

// Fibonacci hashing: group numbers are often consecutive, and the multiplication spreads
// them over the whole table.
std::size_t Spread(std::int32_t number, std::size_t slotCount) {
    const std::uint64_t mixed = static_cast<std::uint64_t>(static_cast<std::uint32_t>(number)) * 0x9E3779B97F4A7C15ULL;
    return static_cast<std::size_t>(mixed >> 32) & (slotCount - 1);
}

constexpr std::size_t kSmallestTable = 16;

} // namespace

void GroupNumberIndex::Reserve(std::size_t count) {
    const std::size_t wanted = std::bit_ceil(std::max(count * 2, kSmallestTable));
    if (wanted > slots_.size()) {
        Rehash(wanted);
    }
}

bool GroupNumberIndex::Insert(std::int32_t number, std::size_t position) {
    if ((size_ + 1) * 2 > slots_.size()) {
        Rehash(std::max(slots_.size() * 2, kSmallestTable));
    }
    Slot& slot = slots_[SlotOf(number)];
    if (slot.number == number) {
        return false;
    }
    slot = Slot{number, static_cast<std::uint32_t>(position)};
    ++size_;
    return true;
}

std::optional<std::size_t> GroupNumberIndex::Find(std::int32_t number) const {
    if (number <= 0 || slots_.empty()) {
        return std::nullopt; // 0 would find an empty slot
    }
    const Slot& slot = slots_[SlotOf(number)];
    return slot.number == number ? std::optional<std::size_t>(slot.position) : std::nullopt;
}

std::size_t GroupNumberIndex::SlotOf(std::int32_t number) const {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Spread(number, slots_.size());
    while (slots_[at].number != 0 && slots_[at].number != number) {
        at = (at + 1) & mask;
    }
    return at;
}

void GroupNumberIndex::Rehash(std::size_t slotCount) {
    std::vector<Slot> old(slotCount);
    old.swap(slots_);
    for (const Slot& slot : old) {
        if (slot.number != 0) {
            slots_[SlotOf(slot.number)] = slot;
        }
    }
}

} // namespace host
