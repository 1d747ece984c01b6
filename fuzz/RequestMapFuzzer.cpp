// RequestMapFuzzer.cpp - request maps from the fuzzer's bytes, answered by the host on the demo galaxy.
//
// Whatever a map holds, the answerer must return (never throw, never hang),
// change no key outside the reply keys it documents, drop no key, and leave an
// unanswered map exactly as it was. Each input gets a fresh copy of the demo
// galaxy, since an "Add" changes it.
#include "fuzz/Failure.h"
#include "fuzz/ProtocolWords.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "answer/QueryAnswerer.h"
#include "platform/CMapStringToString.h"
#include "platform/MapEntries.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using platform_test::MapEntries;

const host::Galaxy& DemoGalaxy() {
    static const host::Galaxy galaxy = host::ParseGalaxyJson(host::DemoGalaxyJson(), host::kDemoGalaxyName);
    return galaxy;
}

/// The demo galaxy's own names and numbers, so that requests can name what exists.
const std::vector<std::string>& DemoWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> made;
        const host::Galaxy& galaxy = DemoGalaxy();
        for (const host::Race& race : galaxy.Races()) {
            made.push_back(race.name);
        }
        for (const host::Planet& planet : galaxy.Planets()) {
            made.push_back(planet.name);
        }
        for (const host::ShipType& type : galaxy.ShipTypes()) {
            made.push_back(type.name);
        }
        for (const host::Group& group : galaxy.Groups()) {
            made.push_back(std::to_string(group.number));
            made.push_back(std::to_string(group.number) + " #" + std::to_string(group.planet) + " 1");
        }
        made.push_back(galaxy.Game());
        return made;
    }();
    return words;
}

bool IsDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

/// A key the host may write in an answer: a documented reply key or a list entry's key.
bool IsReplyKey(std::string_view key) {
    if (std::find(std::begin(fuzz::kReplyKeys), std::end(fuzz::kReplyKeys), key) != std::end(fuzz::kReplyKeys)) {
        return true;
    }
    for (std::string_view prefix : {"Planet.", "Angle."}) {
        if (key.starts_with(prefix)) {
            return IsDigits(key.substr(prefix.size()));
        }
    }
    return IsDigits(key);
}

std::string PickKey(FuzzedDataProvider& bytes) {
    switch (bytes.ConsumeIntegralInRange(0, 5)) {
    case 0: return "Function";
    case 1: return "Parameters.Count";
    case 2: return "Parameter." + fuzz::PickNumber(bytes, 0, 7);
    case 3: return fuzz::PickWord(bytes, fuzz::kReplyKeys);
    case 4: return bytes.ConsumeBool() ? "GameName" : "Turn";
    default: return fuzz::PickRawText(bytes, 20);
    }
}

std::string PickValue(FuzzedDataProvider& bytes) {
    switch (bytes.ConsumeIntegralInRange(0, 4)) {
    case 0: return fuzz::PickWord(bytes, fuzz::kProtocolWords);
    case 1: return DemoWords()[bytes.ConsumeIntegralInRange<std::size_t>(0, DemoWords().size() - 1)];
    case 2: return "#" + fuzz::PickNumber(bytes, -2, 24);
    case 3: return fuzz::PickNumber(bytes, -2, 16);
    default: return fuzz::PickRawText(bytes, 40);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider bytes(data, size);
    CMapStringToString request;
    for (int entry = 0; entry < 16 && bytes.remaining_bytes() > 0; ++entry) {
        const std::string key = PickKey(bytes);
        request.SetAt(key.c_str(), PickValue(bytes).c_str());
    }
    const MapEntries before = platform_test::Entries(request);

    host::Galaxy galaxy = DemoGalaxy();
    host::QueryAnswerer answerer(galaxy);
    answerer.SetSelectionId(galaxy.SelectedGroup().number);
    const bool answered = answerer.Answer(request);
    const MapEntries after = platform_test::Entries(request);

    if (!answered && after != before) {
        fuzz::Fail("an unanswered request changed the map");
    }
    for (const auto& [key, value] : before) {
        const auto found = after.find(key);
        if (found == after.end()) {
            fuzz::Fail("the answer dropped a key: '" + key + "'");
        }
        if (found->second != value && !IsReplyKey(key)) {
            fuzz::Fail("the answer changed a request key: '" + key + "'");
        }
    }
    for (const auto& [key, value] : after) {
        if (!before.contains(key) && !IsReplyKey(key)) {
            fuzz::Fail("the answer added a key that is no reply key: '" + key + "'");
        }
    }
    return 0;
}
