// MapEntries.h - a CMapStringToString as an ordinary map, and a request map read back as text.
//
// Shared by the tests that look at the maps the plug-in and the host hand each
// other: an ordinary map compares and prints whole in an assertion, and a request's
// text ("Function" and its parameters joined by blanks) is what the scripted hosts
// record and answer by.
#pragma once

#include "platform/CMapStringToString.h"
#include "platform/Conversions.h"

#include <map>
#include <string>

namespace platform_test {

using MapEntries = std::map<std::string, std::string>;

/// The whole map as an ordinary map, for comparisons that print well.
inline MapEntries Entries(const CMapStringToString& map) {
    MapEntries entries;
    CString key;
    CString value;
    for (POSITION pos = map.GetStartPosition(); pos != nullptr;) {
        map.GetNextAssoc(pos, key, value);
        entries[key.str()] = value.str();
    }
    return entries;
}

/// The request rebuilt as text: "Function", then "Parameter.1".. up to "Parameters.Count".
/// A missing parameter reads as empty; a count that is not a number reads as none.
inline std::string RequestText(const MapEntries& request) {
    const auto valueOf = [&request](const std::string& key) {
        const auto found = request.find(key);
        return found != request.end() ? found->second : std::string();
    };
    std::string text = valueOf("Function");
    const int count = platform::atoi(valueOf("Parameters.Count").c_str());
    for (int k = 1; k <= count; ++k) {
        text += ' ';
        text += valueOf("Parameter." + std::to_string(k));
    }
    return text;
}

} // namespace platform_test
