// ProtocolWords.h - the words of the host protocol, and picking texts with them from the fuzzer's bytes.
//
// Texts drawn from the protocol's own vocabulary let the fuzzer build requests
// and answers that come close to real ones in a few mutations, while a raw
// text now and then keeps anything else possible.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fuzz {

/// Function words, query words and answer texts, as the plug-in and the host write them.
inline constexpr std::string_view kProtocolWords[] = {
    "",          "Get",       "List",       "Selection",  "Add",        "Planet",          "Race",
    "ShipType",  "Group",     "Groups",     "PlanetsNum", "ShipTypes",  "PlanetsAndRange", "Owner",
    "Status",    "Num",       "Name",       "Source",     "MinSpeed",   "Count",           "SendGroup",
    "In orbit",  "In space",  "51507",      "#1",         "#0",         "#-1",             "1",
    "0",         "-1",        "2147483647", "2147483648", "-2147483648", "1e308",          "nan",
    "inf",       " 7",        "7 #5 1",     "0.000000",   "3.141593",   "-3.141593",       "22.36",
};

/// Reply keys of the host's answers (host.md); list entries add "1".., "Planet.i", "Angle.i".
inline constexpr std::string_view kReplyKeys[] = {
    "Count", "Num",     "Name",  "Owner", "X",      "Y",      "DrivesTech", "Drives", "Weapons",
    "Ammo",  "Cargo",   "Shields", "Planet", "Source", "Feet", "Speed",
};

/// One of `words`, chosen by the next byte.
inline std::string PickWord(FuzzedDataProvider& bytes, std::span<const std::string_view> words) {
    return std::string(words[bytes.ConsumeIntegralInRange<std::size_t>(0, words.size() - 1)]);
}

/// A whole number in [low, high] as decimal text.
inline std::string PickNumber(FuzzedDataProvider& bytes, std::int32_t low, std::int32_t high) {
    return std::to_string(bytes.ConsumeIntegralInRange<std::int32_t>(low, high));
}

/// Raw bytes of at most `longest` characters: whatever the words do not cover.
inline std::string PickRawText(FuzzedDataProvider& bytes, std::size_t longest) {
    return bytes.ConsumeRandomLengthString(longest);
}

} // namespace fuzz
