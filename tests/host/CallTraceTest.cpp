// CallTraceTest.cpp - trace lines: thread label, request as handed over, reply as what the answer changed.
#include "host/CallTrace.h"

#include "host/JsonText.h"
#include "platform/CMapStringToString.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <vector>
#include <string>

namespace {

using host::CallerThread;
using host::CallTrace;
using host::OrderedJson;

// The trace line of one call: `map` is the request, which `answer` then answers in place.
std::string TraceLine(CallerThread thread, CMapStringToString& map,
                      const std::function<void(CMapStringToString&)>& answer = [](CMapStringToString&) {}) {
    std::ostringstream out;
    CallTrace trace(out);
    trace.KeepRequest(map);
    answer(map);
    trace.Record(thread, map);
    return out.str();
}

TEST(CallTraceTest, LineHoldsRequestAndOnlyTheChangedKeys) {
    CMapStringToString map;
    map["Function"] = "Get";
    map["Parameter.1"] = "Race";
    map["Parameter.2"] = "Solvani";
    map["Parameters.Count"] = "2";
    // The answer adds two keys and rewrites one request key with a new value.
    const std::string line = TraceLine(CallerThread::Worker, map, [](CMapStringToString& answered) {
        answered["Name"] = "Solvani";
        answered["DrivesTech"] = "1.25";
        answered["Parameters.Count"] = "9";
    });
    EXPECT_EQ(line,
              "{\"thread\": \"worker\", \"request\": {\"Function\": \"Get\", \"Parameter.1\": \"Race\", "
              "\"Parameter.2\": \"Solvani\", \"Parameters.Count\": \"2\"}, \"reply\": {\"DrivesTech\": \"1.25\", "
              "\"Name\": \"Solvani\", \"Parameters.Count\": \"9\"}}\n");
}

TEST(CallTraceTest, UnansweredRequestHasEmptyReplyAndUiLabel) {
    CMapStringToString map;
    map["Function"] = "Nonsense";
    EXPECT_EQ(TraceLine(CallerThread::Ui, map), "{\"thread\": \"ui\", \"request\": {\"Function\": \"Nonsense\"}, \"reply\": {}}\n");
}

TEST(CallTraceTest, BytesThatAreNotUtf8DoNotBreakTheLine) {
    CMapStringToString map;
    map["Function"] = "Get";
    map["Parameter.1"] = "\xff\xfe broken";
    std::string text;
    ASSERT_NO_THROW(text = TraceLine(CallerThread::Ui, map));
    const OrderedJson line = OrderedJson::parse(text);
    EXPECT_EQ(line["request"]["Parameter.1"], "\xEF\xBF\xBD\xEF\xBF\xBD broken");
}

TEST(CallTraceTest, PlainTextsAreWrittenAsTheJsonLibraryWritesThem) {
    // Texts the writer passes through without the library, beside texts that need it.
    const std::string texts[] = {"", "Planet.12", "#7386", "0.123456", "In orbit", "~}{|", "quote \"",
                                 "back\\slash", "tab\t", "del\x7f", "\x1b[2J", "Солвани", "\xff\xfe"};
    for (const std::string& text : texts) {
        std::string written;
        host::AppendJsonString(text, written);
        EXPECT_EQ(written, OrderedJson(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace))
            << text;
    }
}

TEST(CallTraceTest, JsonLineSpacingAndEscapes) {
    const OrderedJson value = {{"a", 1}, {"b", OrderedJson::array({true, nullptr, 2.5})},
                               {"c", "quote \" and \\ back"}, {"d", OrderedJson::object()}};
    EXPECT_EQ(host::ToJsonLine(value),
              "{\"a\": 1, \"b\": [true, null, 2.5], \"c\": \"quote \\\" and \\\\ back\", \"d\": {}}");
}

// Entries are sorted by their first sixteen bytes taken as two numbers, then by the whole
// key; the order must be plain byte order, as an ordinary map of strings gives it, for keys
// that are prefixes of others, agree on sixteen bytes, or hold bytes beyond ASCII.
TEST(CallTraceTest, EntriesComeInTheByteOrderOfTheirKeys) {
    const char* const keys[] = {"Planet.10", "Planet.1", "Planet.2", "Angle.1", "", "a", "a\x01", "A",
                                "Parameter.12", "Parameter.1\x01", "Planet.1234", "Planet.124", "Planet.12339",
                                "Planet.1234567890123", "Planet.123456789012", "Planet.12345678901234",
                                "Parameters.Count", "Parameter.1", "\x7f", "\xff", "\xc3\xa9", "~"};
    CMapStringToString map;
    std::map<std::string, std::string> expected;
    for (const char* key : keys) {
        map[key] = key;
        expected[key] = key;
    }
    std::vector<std::string> order;
    for (const host::MapEntry& entry : host::SortedMapEntries(map)) {
        EXPECT_EQ(entry.key, entry.value);
        order.emplace_back(entry.key);
    }
    std::vector<std::string> expectedOrder;
    for (const auto& [key, value] : expected) {
        expectedOrder.push_back(key);
    }
    EXPECT_EQ(expectedOrder, order);
}

std::vector<std::string> KeysInOrder(const std::vector<host::KeyOrderedEntry>& entries) {
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

// Maps filled as a few ascending runs are merged, others sorted; a sorter reused from map
// to map must not carry anything over. Each row is the order the map is filled in.
TEST(CallTraceTest, SorterOrdersMapsFilledInAnyRuns) {
    std::vector<std::string> descending = KeyRun("k", 0, 40);
    std::reverse(descending.begin(), descending.end());
    const std::vector<std::vector<std::string>> fillings = {
        // A request's few entries, then an answer's long run that they fall within.
        Joined({{"Turn", "Function", "Parameter.1"}, KeyRun("Angle.", 0, 100), {"Count"}, KeyRun("Planet.", 0, 100)}),
        // Runs that interleave entry by entry, and runs that follow each other.
        Joined({KeyRun("k", 0, 20, 3), KeyRun("k", 1, 20, 3), KeyRun("k", 2, 20, 3)}),
        Joined({KeyRun("k", 50, 30), KeyRun("k", 0, 30), KeyRun("k", 30, 20)}),
        // Eight runs, the most that are merged, and nine, which are sorted.
        Joined({KeyRun("a", 0, 5), KeyRun("b", 0, 5), KeyRun("a", 5, 5), KeyRun("b", 5, 5), KeyRun("a", 10, 5),
                KeyRun("b", 10, 5), KeyRun("a", 15, 5), KeyRun("b", 15, 5)}),
        Joined({KeyRun("a", 0, 5), KeyRun("b", 0, 5), KeyRun("a", 5, 5), KeyRun("b", 5, 5), KeyRun("a", 10, 5),
                KeyRun("b", 10, 5), KeyRun("a", 15, 5), KeyRun("b", 15, 5), KeyRun("a", 20, 5)}),
        descending,
        KeyRun("k", 0, 40),
        {},
        {"Count"},
        {"Angle.1", "Angle.10", "Angle.2", "Count", "Planet.1", "Planet.10", "Planet.2"},
        {"Turn", "Function", "Parameter.1", "Angle.1", "Angle.2", "Count", "Planet.1", "Planet.2"},
        {"Planet.2", "Planet.1", "Count", "Angle.2", "Angle.1"},
        {"b", "a", "d", "c", "f", "e", "h", "g", "j", "i", "l", "k", "n", "m", "p", "o", "r", "q"},
        {"x", "y", "z", "a", "b", "c", "m", "n", "Planet.1234567890123", "Planet.123456789012", "\xff"},
    };
    host::MapEntrySorter sorter;
    for (const std::vector<std::string>& filling : fillings) {
        CMapStringToString map;
        for (const std::string& key : filling) {
            map[key.c_str()] = key.c_str();
        }
        std::vector<std::string> expected = filling;
        std::sort(expected.begin(), expected.end());
        const std::vector<host::KeyOrderedEntry>& sorted = sorter.Sort(map);
        EXPECT_EQ(expected, KeysInOrder(sorted)) << ::testing::PrintToString(filling);
        for (const host::KeyOrderedEntry& item : sorted) {
            EXPECT_EQ(item.entry.key, item.entry.value);
        }
    }
}

// The request is kept as it came: an answer that rewrites its values, or empties the map,
// shows in the reply and leaves the request's half of the line as it was.
TEST(CallTraceTest, KeptRequestOutlivesChangesToTheMap) {
    CMapStringToString map;
    map["Function"] = "Get";
    map["Parameter.1"] = "a value long enough to live on the heap";
    const std::string line = TraceLine(CallerThread::Worker, map, [](CMapStringToString& answered) {
        answered.RemoveAll();
        answered["Parameter.1"] = "other";
    });
    EXPECT_EQ(line, "{\"thread\": \"worker\", \"request\": {\"Function\": \"Get\", \"Parameter.1\": "
                         "\"a value long enough to live on the heap\"}, \"reply\": {\"Parameter.1\": \"other\"}}\n");
}

// A member of plain texts is copied in and checked in place, sixteen bytes at a time; one
// that needs escaping takes the general way: both must read the same, whatever the length
// and wherever in the text the byte to escape lies.
TEST(CallTraceTest, MembersReadTheSameWhateverTheirLength) {
    host::JsonLineBuffer line;
    for (const std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 40u, 90u, 200u}) {
        const std::string key(length, 'k');
        std::vector<std::string> values = {std::string(length, 'v'), std::string(length, 'v') + "\n"};
        if (length > 0) {
            values.push_back("\"" + std::string(length - 1, 'v'));
            values.push_back(std::string(length - 1, 'v') + "\xc3");
        }
        for (const std::string& value : values) {
            line.Clear();
            line.Append("{");
            line.AppendMember(", ", key, value);
            line.AppendMember(", ", value, key);
            std::string expected = "{";
            for (const auto& [first, second] : {std::pair(key, value), std::pair(value, key)}) {
                expected += ", ";
                host::AppendJsonString(first, expected);
                expected += ": ";
                host::AppendJsonString(second, expected);
            }
            EXPECT_EQ(expected, line.Text()) << length << ' ' << value;
        }
    }
}

} // namespace
