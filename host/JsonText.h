// JsonText.h - one-line JSON text in the host's documented spacing, and text maps as JSON objects.
//
// The host's JSON outputs (the --json report and each --trace line) are single
// lines with a blank after every ':' and ',' as the host's documentation shows
// them. Texts that are not valid UTF-8 (a plug-in may send any bytes) are
// written with the replacement character instead of failing. Maps are read in
// byte order of their keys, whatever order the map itself walks in.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CMapStringToString;

namespace host {

using OrderedJson = nlohmann::ordered_json;

/// `value` as one line: `{"a": 1, "b": [1, 2]}`.
std::string ToJsonLine(const OrderedJson& value);
/// The same text, appended to `out`.
void AppendJsonLine(const OrderedJson& value, std::string& out);
/// `text` as a JSON string, quoted and escaped as ToJsonLine writes it, appended to `out`.
void AppendJsonString(std::string_view text, std::string& out);

/// A map's entry seen in place: valid until the map changes.
struct MapEntry {
    std::string_view key;
    std::string_view value;
};

/// An entry with the first sixteen bytes of its key read as two numbers that order as the
/// bytes do. Map keys are short, so the numbers order nearly every pair without a
/// byte-by-byte comparison; only keys that agree on them are compared whole. A shorter
/// key reads as padded with zero bytes, which never orders it after a longer key it begins.
struct KeyOrderedEntry {
    explicit KeyOrderedEntry(MapEntry mapEntry);

    std::uint64_t first8;
    std::uint64_t next8;
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
    /// Every entry of `map`, in byte order of the keys: valid until the map changes or the
    /// next call.
    const std::vector<KeyOrderedEntry>& Sort(const CMapStringToString& map);

private:
    const std::vector<KeyOrderedEntry>& InKeyOrder();

    std::vector<KeyOrderedEntry> entries_;   // as the map walks them
    std::vector<KeyOrderedEntry> merged_;    // runs merged so far
    std::vector<KeyOrderedEntry> spare_;     // the next merge's output
    std::vector<std::size_t> runStarts_;
};

/// Every entry of `map`, in byte order of the keys.
std::vector<MapEntry> SortedMapEntries(const CMapStringToString& map);

/// One line of JSON text put together in place, kept from line to line. A member's texts
/// are copied in and checked there, sixteen bytes at a time; only texts that need escaping
/// take the JSON library's way.
class JsonLineBuffer {
public:
    void Clear() { size_ = 0; }
    /// `text` as it stands: the line's own punctuation.
    void Append(std::string_view text);
    /// `"key": "value"` after `separator`, the texts written as AppendJsonString writes them.
    void AppendMember(std::string_view separator, std::string_view key, std::string_view value);
    std::string_view Text() const { return {bytes_.data(), size_}; }

private:
    /// Where `size` more bytes go, with room to read sixteen bytes past them.
    char* Room(std::size_t size);

    std::vector<char> bytes_;  // every byte written at least once, so any of them may be read
    std::size_t size_ = 0;
};

/// Every entry of `map`, in byte order of the keys, as a JSON object of strings.
OrderedJson MapToJson(const CMapStringToString& map);

} // namespace host
