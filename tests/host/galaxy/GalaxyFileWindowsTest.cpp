// GalaxyFileWindowsTest.cpp - a galaxy file read in windows: the windows join to the file, and the
// file loads as its text does whatever its line ends, its length on one line or its faults.
#include "galaxy/GalaxyFile.h"
#include "galaxy/GalaxyGenerator.h"
#include "galaxy/GalaxyJsonReader.h"
#include "files/InputFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace host {
namespace {

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
    // Not "nul.json": Windows takes NUL with any extension for the null device.
    const std::filesystem::path path = directory / "zero-bytes.json";
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
