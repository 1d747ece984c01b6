// CallTraceTest.cpp - trace lines: thread label, request as handed over, reply as what the answer changed.
#include "session/CallTrace.h"

#include "json/JsonText.h"
#include "platform/CMapStringToString.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace {

using host::CallerThread;
using host::CallTrace;
using host::OrderedJson;

using Answer = std::function<void(CMapStringToString&)>;

// The trace line of one call: `map` is the request, which `answer` then answers in place.
std::string TraceLine(CallerThread thread, CMapStringToString& map,
                      const Answer& answer = [](CMapStringToString&) {}) {
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

} // namespace
