// GroupNumberIndex.cpp - group numbers as positions in an array while they are dense, as keys of the flat table after.
#include "galaxy/GroupNumberIndex.h"

#include <algorithm>

namespace host {

namespace {

// Up to four numbers a group, sixteen bytes, stay in the array: no more than the table's
// least. Numbers up to this many beyond that too: a small galaxy, or one whose numbering
// starts high, costs at most a few kilobytes more for it.
constexpr std::size_t kNumbersPerGroup = 4;
constexpr std::size_t kArraySlack = 1024;

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
    expected_ = std::max(expected_, count);
    if (inArray_) {
        byNumber_.reserve(count + 1); // numbers 1..count; a galaxy with gaps grows it further
    } else {
        table_.Reserve(count, SlotHash());
    }
}

bool GroupNumberIndex::Insert(std::int32_t number, std::size_t position) {
    const auto stored = static_cast<std::uint32_t>(position);
    if (inArray_ && !FitsArray(number)) {
        MoveToTable();
    }
    if (!inArray_) {
        return InsertInTable(number, stored);
    }
    const auto at = static_cast<std::size_t>(number);
    if (at >= byNumber_.size()) {
        byNumber_.resize(at + 1, kNoPosition);
    }
    if (byNumber_[at] != kNoPosition) {
        return false;
    }
    byNumber_[at] = stored;
    ++used_;
    return true;
}

std::optional<std::size_t> GroupNumberIndex::Find(std::int32_t number) const {
    if (number <= 0) {
        return std::nullopt; // 0 would find an empty slot
    }
    if (inArray_) {
        const auto at = static_cast<std::size_t>(number);
        if (at >= byNumber_.size() || byNumber_[at] == kNoPosition) {
            return std::nullopt;
        }
        return byNumber_[at];
    }
    const Slot* slot = table_.Find(HashOf(number), HoldsNumber(number));
    if (slot == nullptr || slot->IsEmpty()) {
        return std::nullopt;
    }
    return slot->position;
}

bool GroupNumberIndex::FitsArray(std::int32_t number) const {
    const std::size_t groups = std::max(used_ + 1, expected_);
    return static_cast<std::size_t>(number) <= kNumbersPerGroup * groups + kArraySlack;
}

void GroupNumberIndex::MoveToTable() {
    inArray_ = false;
    table_.Reserve(std::max(used_ + 1, expected_), SlotHash());
    for (std::size_t number = 1; number < byNumber_.size(); ++number) {
        if (byNumber_[number] != kNoPosition) {
            InsertInTable(static_cast<std::int32_t>(number), byNumber_[number]);
        }
    }
    std::vector<std::uint32_t>().swap(byNumber_);
}

bool GroupNumberIndex::InsertInTable(std::int32_t number, std::uint32_t position) {
    table_.MakeRoomForOne(SlotHash());
    const Slot* slot = table_.Find(HashOf(number), HoldsNumber(number));
    if (!slot->IsEmpty()) {
        return false;
    }
    table_.Fill(slot, Slot{number, position});
    return true;
}

} // namespace host
