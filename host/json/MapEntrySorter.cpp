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

/// Merges the ascending runs `a` and `b`, whose keys differ, onto `out`. Where one run is
/// much the shorter, each of its entries is placed by a binary search in the longer, whose
/// entries in between are copied as a block: merging an answer's long run with a request's
/// few entries costs little more than copying it. Runs of like length merge side by side.
void MergeTwoRuns(std::span<const KeyOrderedEntry> a, std::span<const KeyOrderedEntry> b,
                  std::vector<KeyOrderedEntry>& out) {
    constexpr std::size_t kMuchShorter = 8;
    if (a.size() > b.size()) {
        std::swap(a, b);
    }
    if (a.size() * kMuchShorter >= b.size()) {
        const std::size_t start = out.size();
        out.resize(start + a.size() + b.size());
        std::merge(a.begin(), a.end(), b.begin(), b.end(),
                   out.begin() + static_cast<std::ptrdiff_t>(start));
        return;
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
    // Every text is copied before any is seen: a short text lives inside its copy, which
    // moves while the copies' vector grows.
    const auto count = static_cast<std::size_t>(map.GetCount());
    if (copies_.size() < count) {
        copies_.resize(count);
    }
    std::size_t walked = 0;
    for (POSITION position = map.GetStartPosition(); position != nullptr; ++walked) {
        map.GetNextAssoc(position, copies_[walked].key, copies_[walked].value);
    }
    entries_.clear();
    for (std::size_t i = 0; i < walked; ++i) {
        entries_.push_back(Keyed({copies_[i].key.view(), copies_[i].value.view()}));
    }
    return InKeyOrder();
}

// A map walks its entries in an order of its own, which for the host's answers interleaves
// a few sequences already in key order: the request's entries as the plug-in added them,
// then numbered keys of each name ("Planet.1", "Planet.2", ...) that stay in order while
// their numbers keep their width. Dealt onto piles, each entry onto the first pile it
// follows, they make a few ordered piles, and merging a few piles costs a pass each where
// sorting costs many; anything less orderly, and any map of a few entries, is sorted.
std::span<const KeyOrderedEntry> MapEntrySorter::InKeyOrder() {
    constexpr std::size_t kFewEntries = 32;
    constexpr std::size_t kMostPiles = 16;
    if (entries_.size() <= kFewEntries) {
        std::sort(entries_.begin(), entries_.end());
        return entries_;
    }
    std::size_t piles = 0;
    for (const KeyOrderedEntry& entry : entries_) {
        std::size_t pile = 0;
        while (pile < piles && !(piles_[pile].back() < entry)) {
            ++pile;
        }
        if (pile == piles) {
            if (piles == kMostPiles) {
                std::sort(entries_.begin(), entries_.end());
                return entries_;
            }
            if (piles_.size() == piles) {
                piles_.emplace_back();
            }
            piles_[piles++].clear();
        }
        piles_[pile].push_back(entry);
    }
    merged_.swap(piles_[0]);
    for (std::size_t pile = 1; pile < piles; ++pile) {
        spare_.clear();
        MergeTwoRuns(merged_, piles_[pile], spare_);
        merged_.swap(spare_);
    }
    // The merged entries' vector goes back among the piles, keeping its room for the next map.
    piles_[0].swap(merged_);
    return piles_[0];
}

} // namespace host
