// JsonText.cpp - the one-line JSON writer and the text-map conversion.
#include "host/JsonText.h"

#include "host/PlainAscii.h"
#include "platform/CMapStringToString.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace host {
namespace {

std::string ScalarText(const OrderedJson& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

/// Plain ASCII is written as it stands; only other texts need the library's escaping,
/// which builds a JSON value for each.
bool NeedsEscaping(std::string_view text) {
    return !std::all_of(text.begin(), text.end(),
                        [](char ch) { return IsPlainAscii(static_cast<unsigned char>(ch)); });
}

/// NeedsEscaping for a text followed by at least fifteen bytes that may be read: checked
/// sixteen (or eight) bytes at a time, the marks of the bytes past its end dropped.
bool NeedsEscapingFollowedByRoom(const char* text, std::size_t size) {
#if defined(__SSE2__)
    for (;; text += 16, size -= 16) {
        const unsigned marks = NonPlainAsciiMarks16(text);
        if (size <= 16) {
            return (marks & ((1u << size) - 1)) != 0;
        }
        if (marks != 0) {
            return true;
        }
    }
#else
    if constexpr (std::endian::native != std::endian::little) {
        return NeedsEscaping({text, size});
    }
    for (;; text += 8, size -= 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, text, sizeof word);
        // Marks past the end can only follow a true mark, so dropping them loses none.
        const std::uint64_t marks = NonPlainAsciiMarks(word);
        if (size <= 8) {
            return (size == 8 ? marks : marks & ((std::uint64_t{1} << (8 * size)) - 1)) != 0;
        }
        if (marks != 0) {
            return true;
        }
    }
#endif
}

/// Copies `size` bytes, from `size / 2` to `2 * size`, as a move of the first `size` and
/// one of the last, which overlap.
template <std::size_t size> void CopyOverlapping(char* to, const char* from, std::size_t total) {
    char head[size];
    char tail[size];
    std::memcpy(head, from, size);
    std::memcpy(tail, from + total - size, size);
    std::memcpy(to, head, size);
    std::memcpy(to + total - size, tail, size);
}

// Nearly every key and value of an answer is short: those are copied in a few moves of
// known size rather than through a call that first works out how to copy.
char* CopyText(char* to, std::string_view text) {
    const std::size_t size = text.size();
    if (size > 16) {
        return std::copy(text.begin(), text.end(), to);
    }
    if (size >= 8) {
        CopyOverlapping<8>(to, text.data(), size);
    } else if (size >= 4) {
        CopyOverlapping<4>(to, text.data(), size);
    } else if (size >= 2) {
        CopyOverlapping<2>(to, text.data(), size);
    } else if (size == 1) {
        to[0] = text[0];
    }
    return to + size;
}

void AppendJson(const OrderedJson& value, std::string& out) {
    if (value.is_object()) {
        out += '{';
        const char* separator = "";
        for (const auto& [key, member] : value.items()) {
            out += separator;
            AppendJsonString(key, out);
            out += ": ";
            AppendJson(member, out);
            separator = ", ";
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        const char* separator = "";
        for (const auto& element : value) {
            out += separator;
            AppendJson(element, out);
            separator = ", ";
        }
        out += ']';
    } else if (value.is_string()) {
        AppendJsonString(value.get_ref<const std::string&>(), out);
    } else {
        out += ScalarText(value);
    }
}

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

void AppendJsonString(std::string_view text, std::string& out) {
    if (NeedsEscaping(text)) {
        out += ScalarText(OrderedJson(std::string(text)));
        return;
    }
    out += '"';
    out += text;
    out += '"';
}

void AppendJsonLine(const OrderedJson& value, std::string& out) {
    AppendJson(value, out);
}

std::string ToJsonLine(const OrderedJson& value) {
    std::string out;
    AppendJson(value, out);
    return out;
}

void JsonLineBuffer::Append(std::string_view text) {
    size_ = static_cast<std::size_t>(CopyText(Room(text.size()), text) - bytes_.data());
}

// A trace writes a member for every entry of every answer, most of them a short key and
// value that need no escaping: those are copied in and checked where they lie.
void JsonLineBuffer::AppendMember(std::string_view separator, std::string_view key, std::string_view value) {
    constexpr std::string_view kBetween = "\": \"";
    char* at = Room(separator.size() + key.size() + value.size() + kBetween.size() + 2);
    at = CopyText(at, separator);
    *at++ = '"';
    const char* const keyAt = at;
    at = CopyText(at, key);
    at = CopyText(at, kBetween);
    const char* const valueAt = at;
    at = CopyText(at, value);
    *at++ = '"';
    if (!NeedsEscapingFollowedByRoom(keyAt, key.size()) && !NeedsEscapingFollowedByRoom(valueAt, value.size())) {
        size_ = static_cast<std::size_t>(at - bytes_.data());
        return;
    }
    std::string member(separator);
    AppendJsonString(key, member);
    member += ": ";
    AppendJsonString(value, member);
    Append(member);
}

char* JsonLineBuffer::Room(std::size_t size) {
    constexpr std::size_t kReadPast = 16;
    const std::size_t needed = size_ + size + kReadPast;
    if (bytes_.size() < needed) {
        bytes_.resize(std::max(needed, 2 * bytes_.size()));
    }
    return bytes_.data() + size_;
}

// Keys of eight bytes or more are read a word at a time, the second word of a shorter key
// than sixteen from its last eight bytes, shifted past the ones the first word holds.
KeyOrderedEntry::KeyOrderedEntry(MapEntry mapEntry) : first8(0), next8(0), entry(mapEntry) {
    const auto* key = reinterpret_cast<const unsigned char*>(entry.key.data());
    const std::size_t size = entry.key.size();
    if (size < 8) {
        unsigned char leading[8] = {};
        std::copy(key, key + size, leading);
        first8 = BigEndian(leading);
        return;
    }
    first8 = BigEndian(key);
    if (size >= 16) {
        next8 = BigEndian(key + 8);
    } else if (size > 8) {
        next8 = BigEndian(key + size - 8) << (8 * (16 - size));
    }
}

const std::vector<KeyOrderedEntry>& MapEntrySorter::Sort(const CMapStringToString& map) {
    entries_.clear();
    POSITION position = map.GetStartPosition();
    while (position != nullptr) {
        MapEntry entry;
        map.GetNextEntry(position, entry.key, entry.value);
        entries_.emplace_back(entry);
    }
    return InKeyOrder();
}

// A map walks its entries in an order of its own, which for the host's answers is a few
// runs already in key order: the request's entries as the plug-in added them, then the
// answer's as the host did. Merging a few runs costs a pass each where sorting costs
// many; anything less orderly, and any map of a few entries, is sorted.
const std::vector<KeyOrderedEntry>& MapEntrySorter::InKeyOrder() {
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
    const std::span<const KeyOrderedEntry> all(entries_);
    merged_.assign(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(runStarts_.front()));
    for (std::size_t run = 0; run + 1 < runStarts_.size(); ++run) {
        spare_.clear();
        MergeTwoRuns(merged_, all.subspan(runStarts_[run], runStarts_[run + 1] - runStarts_[run]), spare_);
        merged_.swap(spare_);
    }
    return merged_;
}

std::vector<MapEntry> SortedMapEntries(const CMapStringToString& map) {
    MapEntrySorter sorter;
    std::vector<MapEntry> entries;
    for (const KeyOrderedEntry& sorted : sorter.Sort(map)) {
        entries.push_back(sorted.entry);
    }
    return entries;
}

OrderedJson MapToJson(const CMapStringToString& map) {
    OrderedJson object = OrderedJson::object();
    for (const MapEntry& entry : SortedMapEntries(map)) {
        object[std::string(entry.key)] = std::string(entry.value);
    }
    return object;
}

} // namespace host
