// MapEntries.cpp - reading a map's entries and putting them in key order.
#include "session/MapEntries.h"

#include "platform/CMapStringToString.h"

#include <algorithm>
#include <bit>
#include <cstring>

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
    std::sort(entries_.begin(), entries_.end());
    return entries_;
}

std::vector<MapEntryText> SortedMapEntries(const CMapStringToString& map) {
    // The sorter's entries are seen in its own copies, which go with it.
    MapEntrySorter sorter;
    const std::span<const KeyOrderedEntry> sorted = sorter.Sort(map);
    std::vector<MapEntryText> entries;
    entries.reserve(sorted.size());
    for (const KeyOrderedEntry& item : sorted) {
        entries.push_back({std::string(item.entry.key), std::string(item.entry.value)});
    }
    return entries;
}

OrderedJson MapToJson(const CMapStringToString& map) {
    OrderedJson object = OrderedJson::object();
    for (MapEntryText& entry : SortedMapEntries(map)) {
        object[std::move(entry.key)] = std::move(entry.value);
    }
    return object;
}

} // namespace host
