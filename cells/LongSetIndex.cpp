// LongSetIndex.cpp - the key table and the levelled bitmap behind LongSet's additions.
#include "cells/LongSetIndex.h"

#include "cells/LongSet.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <limits>
#include <new>

namespace cells {

namespace {

constexpr std::int64_t kLowestKey = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kBeyondHighestKey = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;

std::int64_t AlignDown(std::int64_t value, std::int64_t step) {
    return value >= 0 ? value / step * step : -((-value + step - 1) / step * step);
}

std::int64_t AlignUp(std::int64_t value, std::int64_t step) {
    return -AlignDown(-value, step);
}

std::uint64_t Bit(std::int64_t slot) {
    return std::uint64_t{1} << (slot % 64);
}

} // namespace

LongSetIndex::Neighbours LongSetIndex::NeighboursOf(std::int32_t key) const {
    assert(Covers(key));
    const auto slot = static_cast<std::int64_t>(Slot(key));
    Neighbours near;
    if (const std::int64_t below = HighestBelow(slot); below >= 0) {
        near.below = NodeAt(static_cast<std::size_t>(below));
        near.belowKey = base_ + below;
    }
    if (const std::int64_t above = LowestAbove(slot); above >= 0) {
        near.above = NodeAt(static_cast<std::size_t>(above));
        near.aboveKey = base_ + above;
    }
    return near;
}

void LongSetIndex::PrefetchNeighbours(std::int32_t key) const {
    assert(Covers(key));
    const auto slot = static_cast<std::int64_t>(Slot(key));
    for (const std::int64_t near : {HighestBelow(slot), LowestAbove(slot)}) {
        if (near >= 0) {
            __builtin_prefetch(&pages_[static_cast<std::size_t>(near / kPageSlots)][near % kPageSlots]);
        }
    }
}

bool LongSetIndex::Reach(std::int32_t key, std::int32_t count) {
    if (!on_) {
        return false;
    }
    if (!Covers(key) && !Widen(key, count)) {
        return false;
    }
    Page& page = pages_[Slot(key) / kPageSlots];
    if (!page) {
        page.reset(new (std::nothrow) LongSetNode*[kPageSlots]());
        if (!page) {
            TurnOff();
            return false;
        }
    }
    return true;
}

bool LongSetIndex::Widen(std::int32_t key, std::int32_t count) {
    std::int64_t low = AlignDown(key, kPageSlots);
    std::int64_t high = low + kPageSlots;
    if (span_ > 0) {
        const std::int64_t end = base_ + span_;
        low = std::min(low, base_);
        high = std::max(high, end);
        const std::int64_t widest = std::max(kWidestSpan, kSpanPerKey * (std::int64_t{count} + 1));
        if (high - low > widest) {
            TurnOff();
            return false;
        }
        // Double the window towards the key, as far as the widest allowed, so that keys
        // arriving one past the edge cost a copy only every so often; but not across zero,
        // where a set of keys of the key's sign needs no room.
        if (key < base_) {
            const std::int64_t floor = key >= 0 ? 0 : kLowestKey;
            low = std::min(low, std::max({end - 2 * span_, AlignUp(high - widest, kPageSlots), floor}));
        } else {
            const std::int64_t ceiling = key < 0 ? 0 : kBeyondHighestKey;
            high = std::max(high, std::min({base_ + 2 * span_, AlignDown(low + widest, kPageSlots), ceiling}));
        }
    }
    low = std::max(low, kLowestKey);
    high = std::min(high, kBeyondHighestKey);
    try {
        MoveWindow(low, high - low);
    } catch (const std::bad_alloc&) {
        TurnOff();
        return false;
    }
    return true;
}

// Moves the pages and copies the bottom level into a window of their own (a multiple of
// the page size, as both bases are), then builds the levels above afresh.
void LongSetIndex::MoveWindow(std::int64_t newBase, std::int64_t newSpan) {
    std::vector<Page> pages(static_cast<std::size_t>(newSpan / kPageSlots));
    std::vector<std::uint64_t> words(static_cast<std::size_t>(newSpan / kWordBits), 0);
    if (span_ > 0) {
        const auto shift = static_cast<std::size_t>(base_ - newBase);
        std::move(pages_.begin(), pages_.end(), pages.begin() + static_cast<std::ptrdiff_t>(shift / kPageSlots));
        std::copy(bits_[0].begin(), bits_[0].end(),
                  words.begin() + static_cast<std::ptrdiff_t>(shift / kWordBits));
    }
    bits_.clear();
    bits_.push_back(std::move(words));
    pages_ = std::move(pages);
    base_ = newBase;
    span_ = newSpan;
    present_ = bits_[0].data();
    SummariseLevels();
}

void LongSetIndex::SummariseLevels() {
    while (bits_.back().size() > 1) {
        const std::vector<std::uint64_t>& below = bits_.back();
        std::vector<std::uint64_t> level((below.size() + kWordBits - 1) / kWordBits, 0);
        for (std::size_t w = 0; w < below.size(); ++w) {
            if (below[w] != 0) {
                level[w / kWordBits] |= Bit(static_cast<std::int64_t>(w));
            }
        }
        bits_.push_back(std::move(level));
    }
}

void LongSetIndex::Note(LongSetNode* node) {
    const std::size_t slot = Slot(node->key);
    LongSetNode*& held = pages_[slot / kPageSlots][slot % kPageSlots];
    nodes_ += held == nullptr ? 1 : 0;
    held = node;
    SetBit(static_cast<std::int64_t>(slot));
}

// A page emptied by removals stays: the set's keys often come back where they were.
void LongSetIndex::Forget(std::int32_t key) {
    const std::size_t slot = Slot(key);
    if (Page& page = pages_[slot / kPageSlots]) {
        nodes_ -= page[slot % kPageSlots] != nullptr ? 1 : 0;
        page[slot % kPageSlots] = nullptr;
    }
    ClearBit(static_cast<std::int64_t>(slot));
}

// A level's word turning non-empty is news for the level above; one that was already
// non-empty is not.
void LongSetIndex::SetBit(std::int64_t slot) {
    for (std::vector<std::uint64_t>& level : bits_) {
        std::uint64_t& word = level[static_cast<std::size_t>(slot / kWordBits)];
        const bool wasEmpty = word == 0;
        word |= Bit(slot);
        if (!wasEmpty) {
            return;
        }
        slot /= kWordBits;
    }
}

void LongSetIndex::ClearBit(std::int64_t slot) {
    for (std::vector<std::uint64_t>& level : bits_) {
        std::uint64_t& word = level[static_cast<std::size_t>(slot / kWordBits)];
        word &= ~Bit(slot);
        if (word != 0) {
            return;
        }
        slot /= kWordBits;
    }
}

// Climbs until a level has a set bit before the position, then descends along the
// highest set bits; -1 when no slot before `slot` is set.
std::int64_t LongSetIndex::HighestBelow(std::int64_t slot) const {
    std::int64_t at = slot;
    for (std::size_t level = 0; level < bits_.size(); ++level) {
        const std::uint64_t before =
            bits_[level][static_cast<std::size_t>(at / kWordBits)] & (Bit(at) - 1);
        if (before != 0) {
            at = at / kWordBits * kWordBits + (kWordBits - 1 - std::countl_zero(before));
            while (level-- > 0) {
                const std::uint64_t word = bits_[level][static_cast<std::size_t>(at)];
                at = at * kWordBits + (kWordBits - 1 - std::countl_zero(word));
            }
            return at;
        }
        at /= kWordBits;
    }
    return -1;
}

// Mirror image of HighestBelow.
std::int64_t LongSetIndex::LowestAbove(std::int64_t slot) const {
    std::int64_t at = slot;
    for (std::size_t level = 0; level < bits_.size(); ++level) {
        const std::uint64_t after =
            bits_[level][static_cast<std::size_t>(at / kWordBits)] & ~(Bit(at) | (Bit(at) - 1));
        if (after != 0) {
            at = at / kWordBits * kWordBits + std::countr_zero(after);
            while (level-- > 0) {
                const std::uint64_t word = bits_[level][static_cast<std::size_t>(at)];
                at = at * kWordBits + std::countr_zero(word);
            }
            return at;
        }
        at /= kWordBits;
    }
    return -1;
}

// Pages where no key ever fell are passed over whole.
LongSetNode* LongSetIndex::NodesInOrder::Next() {
    const auto span = static_cast<std::size_t>(index_.span_);
    constexpr auto kSlotsPerPage = static_cast<std::size_t>(kPageSlots);
    while (slot_ < span) {
        if (!index_.pages_[slot_ / kSlotsPerPage]) {
            slot_ = (slot_ / kSlotsPerPage + 1) * kSlotsPerPage;
            continue;
        }
        if (LongSetNode* node = index_.NodeAt(slot_++)) {
            return node;
        }
    }
    return nullptr;
}

void LongSetIndex::Reset() {
    TurnOff();
    on_ = true;
}

void LongSetIndex::TurnOff() {
    on_ = false;
    nodes_ = 0;
    base_ = 0;
    span_ = 0;
    std::vector<Page>().swap(pages_);
    std::vector<std::vector<std::uint64_t>>().swap(bits_);
    present_ = nullptr;
}

} // namespace cells
