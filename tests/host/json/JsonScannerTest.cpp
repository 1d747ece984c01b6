// JsonScannerTest.cpp - the fast scanner against nlohmann's parser: the same events for every document it takes,
// nothing taken that nlohmann refuses, and a file's windows that read as the whole file does.
#include "galaxy/GalaxyFile.h"
#include "galaxy/GalaxyGenerator.h"
#include "galaxy/GalaxyJsonReader.h"
#include "files/InputFile.h"
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

/// What this process has read so far, as the system counts it.
std::uint64_t BytesThisProcessRead() {
    std::ifstream io("/proc/self/io");
    for (std::string field; io >> field;) {
        std::uint64_t value = 0;
        io >> value;
        if (field == "rchar:") {
            return value;
        }
    }
    return 0;
}

class InputFileWindowsTest : public ::testing::Test {
protected:
    InputFileWindowsTest() {
        directory = std::filesystem::temp_directory_path() /
                    ("tarvenix-json-scanner-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
    }
    ~InputFileWindowsTest() override { std::filesystem::remove_all(directory); }

    std::filesystem::path Written(std::string_view text) const {
        const std::filesystem::path path = directory / "windows.json";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path directory;
};

TEST_F(InputFileWindowsTest, WindowsJoinToTheFileWhateverItsLinesAndKeepWhatIsAskedFor) {
    const std::vector<std::pair<const char*, std::string>> contents = {
        {"empty", ""},
        {"one short line", "{}"},
        {"no line break, many chunks", std::string(200 * 1024, 'x')},
        {"a line longer than a chunk between short ones", "a\n" + std::string(150 * 1024, 'y') + "\r\nb\tc"},
        {"line breaks everywhere", std::string(70 * 1024, '\n')},
    };
    for (const auto& [what, content] : contents) {
        InputFile file(Written(content), kMaxGalaxyFileBytes);
        for (const std::size_t keep : {std::size_t{0}, std::size_t{7}, std::size_t{100 * 1024}}) {
            // Each window begins with the last `keep` bytes of the one before (all of it when shorter).
            std::string joined;
            std::size_t kept = 0;
            for (std::string_view window = file.NextWindow(); window.size() > kept; window = file.NextWindow(kept)) {
                EXPECT_EQ(joined.substr(joined.size() - kept), window.substr(0, kept)) << what;
                EXPECT_LE(window.size(), std::max<std::size_t>(2 * kept, 64 * 1024) + kept) << what;
                joined += window.substr(kept);
                kept = std::min(keep, window.size());
            }
            EXPECT_EQ(content, joined) << what << ", keeping " << keep;
            file.Rewind();
        }
    }
}

TEST_F(InputFileWindowsTest, FileWrongAtItsFirstBytesIsRefusedAfterOneWindow) {
    // A gibibyte of NUL bytes, sparse: reading it whole would take seconds and the size of it.
    const std::filesystem::path path = directory / "nul.json";
    std::ofstream(path, std::ios::binary).put('\0');
    std::filesystem::resize_file(path, kMaxGalaxyFileBytes);
    for (const std::string& lead : {std::string(), std::string("{\"game\": ")}) {
        std::fstream(path, std::ios::binary | std::ios::in | std::ios::out) << lead;
        const std::uint64_t before = BytesThisProcessRead();
        std::string message;
        try {
            LoadGalaxyFile(path);
        } catch (const GalaxyError& error) {
            message = error.what();
        }
        EXPECT_NE(message.find("malformed JSON: parse error at line 1, column " + std::to_string(lead.size() + 1)),
                  std::string::npos) << message;
        EXPECT_LT(BytesThisProcessRead() - before, std::uint64_t{1} << 20) << lead;
    }
}

/// The message of loading `text` through nlohmann's parser alone, as the load said it before the scanner.
std::string NlohmannMessage(const std::string& text, const std::filesystem::path& path) {
    GalaxyJsonReader reader;
    nlohmann::json::sax_parse(text.begin(), text.end(), &reader);
    try {
        Galaxy galaxy(reader.TakeContent());
    } catch (const GalaxyError& error) {
        return path.string() + ": " + error.what();
    }
    return "(accepted)";
}

TEST_F(InputFileWindowsTest, FilesLoadAsTheirTextWhateverTheirLinesAndFaults) {
    const std::string generated = GenerateGalaxyJson({3000, 4, 6000, 5});
    std::string crlf;
    for (const char c : generated) {
        crlf += c == '\n' ? "\r\n" : std::string(1, c);
    }
    const std::string oneLine = nlohmann::json::parse(generated).dump();
    std::string lateFault = generated;
    lateFault.insert(lateFault.rfind("\"fleet\":\"") + 9, "\\uD800"); // a lone surrogate in the last window
    const std::vector<std::pair<const char*, std::string>> texts = {
        {"generated, a line an entry", generated},
        {"CR LF line ends", crlf},
        {"all on one line", oneLine},
        {"fault in a late window", lateFault},
        {"cut in the middle of a token", generated.substr(0, generated.size() / 2)},
    };
    for (const auto& [what, text] : texts) {
        const std::filesystem::path path = Written(text);
        std::string loaded;
        try {
            loaded = GalaxyToJson(LoadGalaxyFile(path));
        } catch (const GalaxyError& error) {
            EXPECT_EQ(NlohmannMessage(text, path), error.what()) << what;
            continue;
        }
        EXPECT_EQ(GalaxyToJson(ParseGalaxyJson(generated, "text")), loaded) << what;
    }
}

} // namespace
} // namespace host
