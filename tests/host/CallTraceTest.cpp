// CallTraceTest.cpp - trace lines: thread label, request as handed over, reply as what the answer changed.
#include "host/CallTrace.h"

#include "host/JsonText.h"
#include "platform/CMapStringToString.h"

#include <gtest/gtest.h>

#include <sstream>
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

} // namespace
