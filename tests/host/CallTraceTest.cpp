// CallTraceTest.cpp - trace lines: thread label, request as handed over, reply as what the answer changed.
#include "host/CallTrace.h"

#include "host/JsonText.h"
#include "platform/CMapStringToString.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <vector>
#include <string>

namespace {

using host::CallerThread;
using host::CallTrace;
using host::OrderedJson;

TEST(CallTraceTest, LineHoldsRequestAndOnlyTheChangedKeys) {
    CMapStringToString map;
    map["Function"] = "Get";
    map["Parameter.1"] = "Race";
    map["Parameter.2"] = "Solvani";
    map["Parameters.Count"] = "2";
    const auto before = host::SortedMapCopy(map);
    // The answer adds two keys and rewrites one request key with a new value.
    map["Name"] = "Solvani";
    map["DrivesTech"] = "1.25";
    map["Parameters.Count"] = "9";

    std::ostringstream out;
    CallTrace(out).Record(CallerThread::Worker, before, map);
    EXPECT_EQ(out.str(),
              "{\"thread\": \"worker\", \"request\": {\"Function\": \"Get\", \"Parameter.1\": \"Race\", "
              "\"Parameter.2\": \"Solvani\", \"Parameters.Count\": \"2\"}, \"reply\": {\"DrivesTech\": \"1.25\", "
              "\"Name\": \"Solvani\", \"Parameters.Count\": \"9\"}}\n");
}

TEST(CallTraceTest, UnansweredRequestHasEmptyReplyAndUiLabel) {
    CMapStringToString map;
    map["Function"] = "Nonsense";
    std::ostringstream out;
    CallTrace(out).Record(CallerThread::Ui, host::SortedMapCopy(map), map);
    EXPECT_EQ(out.str(), "{\"thread\": \"ui\", \"request\": {\"Function\": \"Nonsense\"}, \"reply\": {}}\n");
}

TEST(CallTraceTest, BytesThatAreNotUtf8DoNotBreakTheLine) {
    CMapStringToString map;
    map["Function"] = "Get";
    map["Parameter.1"] = "\xff\xfe broken";
    std::ostringstream out;
    ASSERT_NO_THROW(CallTrace(out).Record(CallerThread::Ui, host::SortedMapCopy(map), map));
    const OrderedJson line = OrderedJson::parse(out.str());
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
    const auto copied = host::SortedMapCopy(map);
    ASSERT_EQ(expectedOrder.size(), copied.size());
    for (std::size_t i = 0; i < copied.size(); ++i) {
        EXPECT_EQ(expectedOrder[i], copied[i].key) << i;
    }
}

// A member of plain texts is put together apart from the line; one too long for that, or
// one that needs escaping, takes the general way: both must read the same.
TEST(CallTraceTest, MembersReadTheSameWhateverTheirLength) {
    for (const std::size_t length : {0u, 1u, 40u, 44u, 45u, 90u, 200u}) {
        const std::string key(length, 'k');
        for (const std::string& value : {std::string(length, 'v'), std::string(length, 'v') + "\n"}) {
            std::string member;
            host::AppendJsonMember(", ", key, value, member);
            std::string expected = ", ";
            host::AppendJsonString(key, expected);
            expected += ": ";
            host::AppendJsonString(value, expected);
            EXPECT_EQ(expected, member) << length;
        }
    }
}

} // namespace
