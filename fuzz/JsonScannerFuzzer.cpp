// JsonScannerFuzzer.cpp - the galaxy load's fast scanner against nlohmann's parser, on the fuzzer's bytes.
//
// Whatever the scanner takes, nlohmann's parser must take with the very same
// events (doubles by their bits, texts by their bytes); the scanner must take
// the same whether the text comes whole or in windows ending at every line
// break, as a file's windows may; and the load that starts with the scanner
// must give exactly what the load through nlohmann alone gives (its parse with
// the document's end checked, ParseJsonDocument): the same galaxy, or the same
// message for a bad one.
#include "fuzz/Failure.h"

#include "galaxy/GalaxyFile.h"
#include "galaxy/GalaxyJsonReader.h"
#include "host/json/CutWindows.h"
#include "host/json/JsonEventLog.h"
#include "json/JsonScanner.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

struct Scan {
    bool taken = false;
    std::string log;
};

Scan Scanned(host::JsonWindows& windows) {
    host::JsonEventLog log;
    const bool taken = host::ScanJson(windows, log);
    return {taken, log.Text()};
}

/// The galaxy as saved text, or its message: what a load gives, in one comparable string.
template <typename Load>
std::string Outcome(Load load) {
    try {
        return host::GalaxyToJson(load());
    } catch (const host::GalaxyError& error) {
        return std::string("refused: ") + error.what();
    }
}

std::string LoadedThroughNlohmannAlone(std::string_view text) {
    return Outcome([text] {
        host::GalaxyJsonReader reader;
        host::ParseJsonDocument(text.begin(), text.end(), reader);
        try {
            // A repeated key is found by counting keys, its lines by reading the text again.
            if (const auto numbers = reader.RepeatedKeyNumbers()) {
                const auto [first, second] = host::FindKeyLines(text.begin(), text.end(), numbers->first, numbers->second);
                reader.RefuseRepeatedKey(first, second);
            }
            return host::Galaxy(reader.TakeContent());
        } catch (const host::GalaxyError& error) {
            throw host::GalaxyError(std::string("fuzz.json: ") + error.what());
        }
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    host::JsonTextWindows whole(text);
    const Scan scan = Scanned(whole);
    // Windows of 1 to 16 bytes, as the text's length picks: every token cut somewhere.
    host::CutWindows cut(text, 1 + size % 16);
    const Scan scanCut = Scanned(cut);
    if (scan.taken != scanCut.taken || (scan.taken && scan.log != scanCut.log)) {
        fuzz::Fail("the scanner reads the text in cut windows differently from the whole text");
    }
    if (scan.taken) {
        host::JsonEventLog nlohmann;
        if (!nlohmann::json::sax_parse(text.begin(), text.end(), &nlohmann)) {
            fuzz::Fail("the scanner takes a document that nlohmann refuses");
        }
        if (nlohmann.Text() != scan.log) {
            fuzz::Fail("the scanner's events differ from nlohmann's:\n" + scan.log + "--- nlohmann:\n" + nlohmann.Text());
        }
    }
    const std::string loaded = Outcome([text] { return host::ParseGalaxyJson(text, "fuzz.json"); });
    if (loaded != LoadedThroughNlohmannAlone(text)) {
        fuzz::Fail("the load differs from the load through nlohmann alone: " + loaded);
    }
    return 0;
}
