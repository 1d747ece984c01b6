// MapEntrySorterTest.cpp - map entries in the byte order of their keys, however the map was filled.
#include "session/MapEntries.h"

#include "platform/CMapStringToString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace {

// Entries are sorted by their first sixteen bytes taken as two numbers, then by the whole
// key; the order must be plain byte order, as an ordinary map of strings gives it, for keys
// that are prefixes of others, agree on sixteen bytes, or hold bytes beyond ASCII.
TEST(MapEntrySorterTest, EntriesComeInTheByteOrderOfTheirKeys) {
    const char* const keys[] = {
        "Planet.10", "Planet.1", "Planet.2", "Angle.1", "", "a", "a\x01", "A", "Parameter.12",
        "Parameter.1\x01", "Planet.1234", "Planet.124", "Planet.12339", "Planet.1234567890123",
        "Planet.123456789012", "Planet.12345678901234", "Parameters.Count", "Parameter.1", "\x7f",
        "\xff", "\xc3\xa9", "~"};
    CMapStringToString map;
    std::map<std::string, std::string> expected;
    for (const char* key : keys) {
        map[key] = key;
        expected[key] = key;
    }
    std::vector<std::string> order;
    for (const host::MapEntryText& entry : host::SortedMapEntries(map)) {
        EXPECT_EQ(entry.key, entry.value);
        order.emplace_back(entry.key);
    }
    std::vector<std::string> expectedOrder;
    for (const auto& [key, value] : expected) {
        expectedOrder.push_back(key);
    }
    EXPECT_EQ(expectedOrder, order);
}

std::vector<std::string> KeysInOrder(std::span<const host::KeyOrderedEntry> entries) {
    std::vector<std::string> keys;
    for (const host::KeyOrderedEntry& item : entries) {
        keys.emplace_back(item.entry.key);
    }
    return keys;
}

// `count` keys "<prefix>000", "<prefix>001", ... from `first` on, every `step`-th: ascending.
std::vector<std::string> KeyRun(const std::string& prefix, int first, int count, int step = 1) {
    std::vector<std::string> keys;
    for (int i = 0; i < count; ++i) {
        const std::string number = std::to_string(first + i * step);
        keys.push_back(prefix + std::string(3 - number.size(), '0') + number);
    }
    return keys;
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> runs) {
    std::vector<std::string> keys;
    for (const std::vector<std::string>& run : runs) {
        keys.insert(keys.end(), run.begin(), run.end());
    }
    return keys;
}

// A range answer as the host adds it, after a request: "Planet.1", "Angle.1", "Planet.2",
// ... up to `count`, then "Count". Its numbers change width, which breaks the key order.
std::vector<std::string> RangeAnswer(int count) {
    std::vector<std::string> keys = {"GameName", "Turn", "Function", "Parameter.1", "Parameter.2"};
    for (int i = 1; i <= count; ++i) {
        keys.push_back("Planet." + std::to_string(i));
        keys.push_back("Angle." + std::to_string(i));
    }
    keys.emplace_back("Count");
    return keys;
}

// `runs` runs of three keys, each run below every key before it.
std::vector<std::string> FallingRuns(int runs) {
    std::vector<std::string> keys;
    for (int n = 0; n < runs; ++n) {
        const std::string prefix(1, static_cast<char>('z' - n));
        const std::vector<std::string> run = KeyRun(prefix, 0, 3);
        keys.insert(keys.end(), run.begin(), run.end());
    }
    return keys;
}

// However a map was filled, its entries come in key order, and a sorter reused from map
// to map carries nothing over. Each row is the order the map is filled in.
TEST(MapEntrySorterTest, MapsFilledInAnyRunsComeInKeyOrder) {
    std::vector<std::string> descending = KeyRun("k", 0, 40);
    std::reverse(descending.begin(), descending.end());
    const std::vector<std::vector<std::string>> fillings = {
        // A request's few entries, then an answer's long run that they fall within.
        Joined({{"Turn", "Function", "Parameter.1"}, KeyRun("Angle.", 0, 100), {"Count"},
                KeyRun("Planet.", 0, 100)}),
        // Runs that interleave entry by entry, and runs that follow each other.
        Joined({KeyRun("k", 0, 20, 3), KeyRun("k", 1, 20, 3), KeyRun("k", 2, 20, 3)}),
        Joined({KeyRun("k", 50, 30), KeyRun("k", 0, 30), KeyRun("k", 30, 20)}),
        // Answers of numbered keys whose numbers grow a digit, or two.
        RangeAnswer(40),
        RangeAnswer(150),
        // Runs each below every key before it.
        FallingRuns(16),
        FallingRuns(17),
        // Runs that take turns, block by block.
        Joined({KeyRun("a", 0, 5), KeyRun("b", 0, 5), KeyRun("a", 5, 5), KeyRun("b", 5, 5),
                KeyRun("a", 10, 5), KeyRun("b", 10, 5), KeyRun("a", 15, 5), KeyRun("b", 15, 5)}),
        Joined({KeyRun("a", 0, 5), KeyRun("b", 0, 5), KeyRun("a", 5, 5), KeyRun("b", 5, 5),
                KeyRun("a", 10, 5), KeyRun("b", 10, 5), KeyRun("a", 15, 5), KeyRun("b", 15, 5),
                KeyRun("a", 20, 5)}),
        descending,
        KeyRun("k", 0, 40),
        {},
        {"Count"},
        {"Angle.1", "Angle.10", "Angle.2", "Count", "Planet.1", "Planet.10", "Planet.2"},
        {"Turn", "Function", "Parameter.1", "Angle.1", "Angle.2", "Count", "Planet.1", "Planet.2"},
        {"Planet.2", "Planet.1", "Count", "Angle.2", "Angle.1"},
        {"b", "a", "d", "c", "f", "e", "h", "g", "j", "i", "l", "k", "n", "m", "p", "o", "r", "q"},
        {"x", "y", "z", "a", "b", "c", "m", "n", "Planet.1234567890123", "Planet.123456789012",
         "\xff"},
    };
    host::MapEntrySorter sorter;
    for (const std::vector<std::string>& filling : fillings) {
        CMapStringToString map;
        for (const std::string& key : filling) {
            map[key.c_str()] = key.c_str();
        }
        std::vector<std::string> expected = filling;
        std::sort(expected.begin(), expected.end());
        const std::span<const host::KeyOrderedEntry> sorted = sorter.Sort(map);
        EXPECT_EQ(expected, KeysInOrder(sorted)) << ::testing::PrintToString(filling);
        for (const host::KeyOrderedEntry& item : sorted) {
            EXPECT_EQ(item.entry.key, item.entry.value);
        }
    }
}

} // namespace
