// MapEntries.h - a text map's entries in byte order of their keys, for the trace and the report.
//
// The framework's map walks its entries in an order of its own; the host's
// outputs list them in byte order of the keys, whatever order the map was
// filled in.
#pragma once

#include "json/JsonText.h"
#include "platform/CString.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class CMapStringToString;

namespace host {

/// A map's entry, seen in the sorter's copy of it: valid until the sorter's next call.
struct MapEntry {
    std::string_view key;
    std::string_view value;
};

/// An entry with the first sixteen bytes of its key read as two numbers that order as the
/// bytes do. Map keys are short, so the numbers order nearly every pair without a
/// byte-by-byte comparison; only keys that agree on them are compared whole. A shorter
/// key reads as padded with zero bytes, which never orders it after a longer key it begins.
struct KeyOrderedEntry {
    std::uint64_t first8 = 0;
    std::uint64_t next8 = 0;
    MapEntry entry;

    friend bool operator<(const KeyOrderedEntry& a, const KeyOrderedEntry& b) {
        if (a.first8 != b.first8) {
            return a.first8 < b.first8;
        }
        if (a.next8 != b.next8) {
            return a.next8 < b.next8;
        }
        return a.entry.key < b.entry.key;
    }
};

/// Puts maps' entries in byte order of their keys, keeping its buffers from map to map.
class MapEntrySorter {
public:
    /// Every entry of `map`, in byte order of the keys: valid until the next call.
    std::span<const KeyOrderedEntry> Sort(const CMapStringToString& map);

private:
    struct EntryCopy {
        CString key;
        CString value;
    };

    std::vector<EntryCopy> copies_; // the map's texts, kept with their room from map to map
    std::vector<KeyOrderedEntry> entries_;
};

/// A map's entry, copied out.
struct MapEntryText {
    std::string key;
    std::string value;
};

/// Every entry of `map`, in byte order of the keys.
std::vector<MapEntryText> SortedMapEntries(const CMapStringToString& map);

/// Every entry of `map`, in byte order of the keys, as a JSON object of strings.
OrderedJson MapToJson(const CMapStringToString& map);

} // namespace host
