// JsonScannerTest.cpp - the fast scanner against nlohmann's parser: the same events for every document it takes,
// nothing taken that nlohmann refuses, and the same events however the text is cut into windows.
#include "host/json/CutWindows.h"
#include "host/json/JsonEventLog.h"
#include "json/JsonScanner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace host {
namespace {

using namespace std::string_literals;

struct Logs {
    bool scanned = false;
    bool parsed = false;
    std::string scanner;
    std::string nlohmann;
};

Logs BothLogs(std::string_view text) {
    Logs logs;
    JsonTextWindows windows(text);
    JsonEventLog scanner;
    logs.scanned = ScanJson(windows, scanner);
    logs.scanner = scanner.Text();
    JsonEventLog nlohmann;
    logs.parsed = nlohmann::json::sax_parse(text.begin(), text.end(), &nlohmann);
    logs.nlohmann = nlohmann.Text();
    return logs;
}

enum class Scanner { Takes, HandsOver };

struct Document {
    const char* what;
    std::string text;
    Scanner expected;
};

TEST(JsonScannerTest, TakesPlainJsonWithNlohmannsEventsAndHandsOverTheRest) {
    const std::vector<Document> documents = {
        {"escapes", R"({"a":"\"\\\/\b\f\n\r\t","\n":"\u0000x"})", Scanner::Takes},
        {"\\u escapes and a surrogate pair", R"(["\u0041\u00e9\u20AC\uD83D\uDE00\udbff\udfff"])", Scanner::Takes},
        {"UTF-8 names", "[\"caf\xC3\xA9\", \"\xE2\x82\xAC\", \"\xF0\x9F\x98\x80\", \"\xF4\x8F\xBF\xBF\", \"\x7F\"]",
         Scanner::Takes},
        {"long texts, read many bytes at a time",
         "[\"" + std::string(40, 'a') + "\\n" + std::string(20, 'b') + "\", \"" + std::string(33, 'c') + "\xC3\xA9" +
             std::string(17, 'd') + "\", \"" + std::string(16, '~') + "\"]",
         Scanner::Takes},
        {"signed zeros and small numbers", "[-0, 0, -0.0, 0.0, 0e0, -0E-0, 0.1, 5e-324, 2.2250738585072011e-308]",
         Scanner::Takes},
        {"large numbers", "[1e308, 1.7976931348623157e308, 9007199254740993, 123456789012345678901234567890]",
         Scanner::Takes},
        {"integers at 64 bits", "[9223372036854775807, 9223372036854775808, 18446744073709551615, "
                                "18446744073709551616, -9223372036854775808, -9223372036854775809]",
         Scanner::Takes},
        {"exponents", "[1E+2, 1e-2, 1.5E-0, 12.5e1, 1e-320]", Scanner::Takes},
        {"whitespace of every kind", " \t\r\n{ \"a\" \t:\r\n[ 1 , 2 ] \n,\"b\":{ }, \"c\" : [ ]} \n\r\t", Scanner::Takes},
        {"literals and empty keys", R"([true, false, null, {"": ""}, [], {}])", Scanner::Takes},
        {"a lone scalar", R"("text")", Scanner::Takes},
        {"a lone number", "42", Scanner::Takes},
        {"deep nesting", std::string(2000, '[') + std::string(2000, ']'), Scanner::Takes},
        // Left to nlohmann: what it refuses, and what the scanner does not convert itself.
        {"empty", "", Scanner::HandsOver},
        {"only whitespace", " \n", Scanner::HandsOver},
        {"byte-order mark", "\xEF\xBB\xBF{}", Scanner::Takes},
        {"byte-order mark in the middle", "[\xEF\xBB\xBF]", Scanner::HandsOver},
        {"lone high surrogate", R"(["\uD800"])", Scanner::HandsOver},
        {"high surrogate before a letter", R"(["\uD800\u0041"])", Scanner::HandsOver},
        {"lone low surrogate", R"(["\uDC00"])", Scanner::HandsOver},
        {"bad hex digit", R"(["\u12G4"])", Scanner::HandsOver},
        {"unknown escape", R"(["\x41"])", Scanner::HandsOver},
        {"NUL after the value", "{}\0"s, Scanner::HandsOver},
        {"NUL in a string", "[\"a\0b\"]"s, Scanner::HandsOver},
        {"raw newline in a string", "[\"a\nb\"]", Scanner::HandsOver},
        {"control character in a long text", "[\"" + std::string(20, 'a') + "\x01\"]", Scanner::HandsOver},
        {"byte that is not UTF-8 in a long text", "[\"" + std::string(20, 'a') + "\xFF" + std::string(20, 'a') + "\"]",
         Scanner::HandsOver},
        {"overlong UTF-8", "[\"\xC0\x80\"]", Scanner::HandsOver},
        {"surrogate in UTF-8", "[\"\xED\xA0\x80\"]", Scanner::HandsOver},
        {"beyond U+10FFFF", "[\"\xF4\x90\x80\x80\"]", Scanner::HandsOver},
        {"cut UTF-8", "[\"\xE2\x82\"]", Scanner::HandsOver},
        {"unterminated string", "[\"abc", Scanner::HandsOver},
        {"leading zero", "[01]", Scanner::HandsOver},
        {"bare point", "[1.]", Scanner::HandsOver},
        {"bare minus", "[-]", Scanner::HandsOver},
        {"bare exponent", "[1e]", Scanner::HandsOver},
        {"plus sign", "[+1]", Scanner::HandsOver},
        {"overflowing double", "[1e400]", Scanner::HandsOver},
        {"negative overflow", "[-1e400]", Scanner::HandsOver},
        {"underflow to zero", "[1e-400]", Scanner::HandsOver},
        {"trailing comma in an array", "[1,]", Scanner::HandsOver},
        {"trailing comma in an object", R"({"a":1,})", Scanner::HandsOver},
        {"key without value", R"({"a"})", Scanner::HandsOver},
        {"number as key", "{1:2}", Scanner::HandsOver},
        {"cut literal", "[tru]", Scanner::HandsOver},
        {"longer literal", "[nulls]", Scanner::HandsOver},
        {"missing comma", "[1 2]", Scanner::HandsOver},
        {"two documents", "{}{}", Scanner::HandsOver},
        {"unclosed array", "[[]", Scanner::HandsOver},
        {"wrong closer", "[}", Scanner::HandsOver},
        {"comment", "[1] // no", Scanner::HandsOver},
    };
    for (const Document& document : documents) {
        const Logs logs = BothLogs(document.text);
        EXPECT_EQ(document.expected == Scanner::Takes, logs.scanned) << document.what;
        if (logs.scanned) {
            EXPECT_TRUE(logs.parsed) << document.what;
            EXPECT_EQ(logs.nlohmann, logs.scanner) << document.what;
        }
        // Cut anywhere, at every token's every byte, the windows read as the whole text.
        for (std::size_t step = 1; step <= 13; ++step) {
            CutWindows windows(document.text, step);
            JsonEventLog cut;
            EXPECT_EQ(logs.scanned, ScanJson(windows, cut)) << document.what << ", windows of " << step;
            if (logs.scanned) {
                EXPECT_EQ(logs.scanner, cut.Text()) << document.what << ", windows of " << step;
            }
        }
    }
}

} // namespace
} // namespace host
