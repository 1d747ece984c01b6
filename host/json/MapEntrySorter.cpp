// MapEntrySorter.cpp - reading a map's entries and putting them in key order.
#include "json/MapEntrySorter.h"

#include "platform/CMapStringToString.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <span>

namespace host {
namespace {

/// Eight bytes of `bytes` as one number, the first byte highest: numbers that order as
/// the bytes do.
std::uint64_t BigEndian(const unsigned char* bytes) {
    std::uint64_t number = 0;
    std::memcpy(&number, bytes, sizeof number);
    if constexpr (std::endian::native == std::endian::little) {
        number = __builtin_bswap64(number);
    }
    return number;
}

// Keys of eight bytes or more are read a word at a time, the second word of a shorter key
// than sixteen from its last eight bytes, shifted past the ones the first word holds.
KeyOrderedEntry Keyed(MapEntry entry) {
    KeyOrderedEntry keyed{0, 0, entry};
    const auto* key = reinterpret_cast<const unsigned char*>(entry.key.data());
    const std::size_t size = entry.key.size();
    if (size < 8) {
        unsigned char leading[8] = {};
        std::copy(key, key + size, leading);
        keyed.first8 = BigEndian(leading);
        return keyed;
    }
    keyed.first8 = BigEndian(key);
    if (size >= 16) {
        keyed.next8 = BigEndian(key + 8);
    } else if (size > 8) {
        keyed.next8 = BigEndian(key + size - 8) << (8 * (16 - size));
    }
    return keyed;
}

/// Merges the ascending runs `a` and `b`, whose keys differ, onto `out`. Each entry of the
/// shorter run is placed by a binary search in the longer, whose entries in between are
/// copied as a block: merging an answer's long run with a request's few entries costs
/// little more than copying it.
void MergeTwoRuns(std::span<const KeyOrderedEntry> a, std::span<const KeyOrderedEntry> b,
                  std::vector<KeyOrderedEntry>& out) {
    if (a.size() > b.size()) {
        std::swap(a, b);
    }
    auto from = b.begin();
    for (const KeyOrderedEntry& entry : a) {
        const auto to = std::lower_bound(from, b.end(), entry);
        out.insert(out.end(), from, to);
        out.push_back(entry);
        from = to;
    }
    out.insert(out.end(), from, b.end());
}

} // namespace

std::span<const KeyOrderedEntry> MapEntrySorter::Sort(const CMapStringToString& map) {
    entries_.clear();
    POSITION position = map.GetStartPosition();
    while (position != nullptr) {
        MapEntry entry;
        map.GetNextEntry(position, entry.key, entry.value);
        entries_.push_back(Keyed(entry));
    }
    return InKeyOrder();
}

// A map walks its entries in an order of its own, which for the host's answers is a few
// runs already in key order: the request's entries as the plug-in added them, then the
// answer's as the host did. Merging a few runs costs a pass each where sorting costs
// many; anything less orderly, and any map of a few entries, is sorted.
std::span<const KeyOrderedEntry> MapEntrySorter::InKeyOrder() {
    constexpr std::size_t kFewEntries = 32;
    constexpr std::size_t kMostRuns = 8;
    if (entries_.size() <= kFewEntries) {
        std::sort(entries_.begin(), entries_.end());
        return entries_;
    }
    runStarts_.clear();
    for (std::size_t i = 1; i < entries_.size(); ++i) {
        if (entries_[i] < entries_[i - 1]) {
            if (runStarts_.size() == kMostRuns) {
                std::sort(entries_.begin(), entries_.end());
                return entries_;
            }
            runStarts_.push_back(i);
        }
    }
    if (runStarts_.empty()) {
        return entries_;
    }
    runStarts_.push_back(entries_.size());
    const std::span<const KeyOrderedEntry> walked(entries_);
    merged_.assign(entries_.begin(),
                   entries_.begin() + static_cast<std::ptrdiff_t>(runStarts_.front()));
    for (std::size_t run = 0; run + 1 < runStarts_.size(); ++run) {
        spare_.clear();
        MergeTwoRuns(merged_,
                     walked.subspan(runStarts_[run], runStarts_[run + 1] - runStarts_[run]),
                     spare_);
        merged_.swap(spare_);
    }
    return merged_;
}

} // namespace host
