// JsonText.cpp - the one-line JSON writer and the text-map conversion.
#include "host/JsonText.h"

#include "platform/CMapStringToString.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace host {
namespace {

std::string ScalarText(const OrderedJson& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

/// Printable ASCII without '"' or '\\' is written as it stands; only other texts need the
/// library's escaping, which builds a JSON value for each.
bool NeedsEscaping(std::string_view text) {
    static constexpr auto kEscaped = [] {
        std::array<bool, 256> escaped{};
        for (int byte = 0; byte < 256; ++byte) {
            escaped[static_cast<std::size_t>(byte)] = byte < 0x20 || byte > 0x7e || byte == '"' || byte == '\\';
        }
        return escaped;
    }();
    return std::any_of(text.begin(), text.end(),
                       [](char ch) { return kEscaped[static_cast<unsigned char>(ch)]; });
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

// Map keys are short, so their first sixteen bytes, compared as two numbers, order
// nearly every pair without a byte-by-byte comparison; only keys that agree on
// them are compared whole. A shorter key reads as padded with zero bytes, which
// never orders it after a longer key it begins.
struct SortableEntry {
    std::uint64_t first8;
    std::uint64_t next8;
    MapEntry entry;

    friend bool operator<(const SortableEntry& a, const SortableEntry& b) {
        if (a.first8 != b.first8) {
            return a.first8 < b.first8;
        }
        if (a.next8 != b.next8) {
            return a.next8 < b.next8;
        }
        return a.entry.key < b.entry.key;
    }
};

// A map walks its entries as they were added: an answer is a few runs already in key
// order (the request's keys as the plug-in added them, the answer's as the host did),
// and merging a few runs costs a pass each where sorting costs many.
template <class Item> void MergeRuns(std::vector<Item>& items) {
    constexpr std::size_t kMostRuns = 8;
    std::vector<std::size_t> runStarts;
    for (std::size_t i = 1; i < items.size() && runStarts.size() < kMostRuns; ++i) {
        if (items[i] < items[i - 1]) {
            runStarts.push_back(i);
        }
    }
    if (runStarts.size() >= kMostRuns) {
        std::sort(items.begin(), items.end());
        return;
    }
    runStarts.push_back(items.size());
    for (std::size_t run = 0; run + 1 < runStarts.size(); ++run) {
        std::inplace_merge(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(runStarts[run]),
                           items.begin() + static_cast<std::ptrdiff_t>(runStarts[run + 1]));
    }
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

// A trace writes a member for every entry of every answer, most of them a short key
// and value that need no escaping: those are put together in a buffer of their own and
// appended at once, rather than in eight appends.
void AppendJsonMember(std::string_view separator, std::string_view key, std::string_view value,
                      std::string& out) {
    char member[96];
    constexpr std::size_t kMarks = 6; // the four quotes, the colon and its blank
    if (separator.size() + key.size() + value.size() + kMarks > sizeof member || NeedsEscaping(key) ||
        NeedsEscaping(value)) {
        out += separator;
        AppendJsonString(key, out);
        out += ": ";
        AppendJsonString(value, out);
        return;
    }
    char* at = std::copy(separator.begin(), separator.end(), member);
    *at++ = '"';
    std::memcpy(at, key.data(), key.size());
    at += key.size();
    for (const char mark : {'"', ':', ' ', '"'}) {
        *at++ = mark;
    }
    std::memcpy(at, value.data(), value.size());
    at += value.size();
    *at++ = '"';
    out.append(member, static_cast<std::size_t>(at - member));
}

std::vector<MapEntry> SortedMapEntries(const CMapStringToString& map) {
    std::vector<SortableEntry> sortable;
    sortable.reserve(static_cast<std::size_t>(map.GetCount()));
    POSITION position = map.GetStartPosition();
    while (position != nullptr) {
        MapEntry entry;
        map.GetNextEntry(position, entry.key, entry.value);
        unsigned char leading[16] = {};
        std::memcpy(leading, entry.key.data(), std::min(entry.key.size(), sizeof leading));
        sortable.push_back({BigEndian(leading), BigEndian(leading + 8), entry});
    }
    MergeRuns(sortable);
    std::vector<MapEntry> entries;
    entries.reserve(sortable.size());
    for (const SortableEntry& item : sortable) {
        entries.push_back(item.entry);
    }
    return entries;
}

// A request holds a handful of entries: copied first and sorted as they are.
std::vector<MapEntryCopy> SortedMapCopy(const CMapStringToString& map) {
    std::vector<MapEntryCopy> copy(static_cast<std::size_t>(map.GetCount()));
    POSITION position = map.GetStartPosition();
    for (MapEntryCopy& entry : copy) {
        std::string_view key;
        std::string_view value;
        map.GetNextEntry(position, key, value);
        entry.key = key;
        entry.value = value;
    }
    std::sort(copy.begin(), copy.end(),
              [](const MapEntryCopy& a, const MapEntryCopy& b) { return a.key < b.key; });
    return copy;
}

OrderedJson MapToJson(const CMapStringToString& map) {
    OrderedJson object = OrderedJson::object();
    for (const MapEntry& entry : SortedMapEntries(map)) {
        object[std::string(entry.key)] = std::string(entry.value);
    }
    return object;
}

} // namespace host
