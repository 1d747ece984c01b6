// GalaxyFile.cpp - galaxy JSON in and out: the streaming load with its file-named errors, and the file writer.
#include "galaxy/GalaxyFile.h"

#include "galaxy/GalaxyJsonReader.h"
#include "files/InputFile.h"
#include "json/JsonScanner.h"
#include "files/OutputFile.h"

#include <nlohmann/json.hpp>

#include <new>
#include <utility>

namespace host {

namespace {

using nlohmann::ordered_json;

void AppendArray(std::string& out, const char* field, const std::vector<ordered_json>& entries) {
    out += "  \"";
    out += field;
    out += "\": [";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        out += i == 0 ? "\n    " : ",\n    ";
        out += entries[i].dump();
    }
    out += entries.empty() ? "],\n" : "\n  ],\n";
}

template <typename Entry, typename ToJson>
std::vector<ordered_json> EntriesToJson(const std::vector<Entry>& entries, ToJson toJson) {
    std::vector<ordered_json> out;
    out.reserve(entries.size());
    for (const Entry& entry : entries) {
        out.push_back(toJson(entry));
    }
    return out;
}

/// Runs `parse` over a fresh reader and builds the galaxy; every failure becomes one
/// message that starts with the file's name.
template <typename Parse>
Galaxy ReadGalaxy(std::string_view sourceName, Parse parse) {
    const std::string prefix = std::string(sourceName) + ": ";
    try {
        GalaxyJsonReader reader;
        parse(reader);
        return Galaxy(reader.TakeContent());
    } catch (const GalaxyError& error) {
        throw GalaxyFileError(prefix + error.what());
    } catch (const InputFileError& error) {
        throw GalaxyFileError(prefix + "cannot read the file: " + error.what());
    } catch (const std::bad_alloc&) {
        // The input asked for more than this machine has: that is bad input, not a host failure.
        throw GalaxyFileError(prefix + "out of memory while loading the galaxy");
    }
}

/// The file's windows for the scanner.
class InputFileWindows final : public JsonWindows {
public:
    InputFileWindows(InputFile& file, const LoadProgress& progress) : file_(file), progress_(progress) {}
    std::string_view Next(std::size_t keep) override {
        const std::string_view window = file_.NextWindow(keep);
        if (progress_) {
            progress_(file_.BytesRead(), file_.Size());
        }
        return window;
    }

private:
    InputFile& file_;
    const LoadProgress& progress_;
};

/// The fast scanner's pass over `windows`; when it leaves the document to nlohmann, a fresh
/// reader takes nlohmann's pass instead, so a bad document is judged and worded by nlohmann alone.
template <typename NlohmannPass>
void ScanOrParse(GalaxyJsonReader& reader, JsonWindows& windows, NlohmannPass nlohmannPass) {
    if (!ScanJson(windows, reader)) {
        reader = GalaxyJsonReader();
        nlohmannPass();
    }
}

/// Refuses a document with a key given twice in one object, naming the lines of both, which
/// `findKeyLines` finds by reading the document again; a rare path, so the first reading counts no lines.
template <typename FindKeyLinesAgain>
void RefuseAnyRepeatedKey(const GalaxyJsonReader& reader, FindKeyLinesAgain findKeyLines) {
    if (const auto numbers = reader.RepeatedKeyNumbers()) {
        const auto [firstLine, secondLine] = findKeyLines(numbers->first, numbers->second);
        reader.RefuseRepeatedKey(firstLine, secondLine);
    }
}

} // namespace

Galaxy ParseGalaxyJson(std::string_view jsonText, std::string_view sourceName) {
    return ReadGalaxy(sourceName, [jsonText](GalaxyJsonReader& reader) {
        JsonTextWindows windows(jsonText);
        ScanOrParse(reader, windows, [&] { ParseJsonDocument(jsonText.begin(), jsonText.end(), reader); });
        RefuseAnyRepeatedKey(reader, [&](std::uint64_t first, std::uint64_t second) {
            return FindKeyLines(jsonText.begin(), jsonText.end(), first, second);
        });
    });
}

Galaxy LoadGalaxyFile(const std::filesystem::path& path, const LoadProgress& progress) {
    return ReadGalaxy(path.string(), [&path, &progress](GalaxyJsonReader& reader) {
        InputFile file(path, kMaxGalaxyFileBytes);
        InputFileWindows windows(file, progress);
        ScanOrParse(reader, windows, [&] {
            file.Rewind();
            ParseJsonDocument(file.begin(), InputFile::end(), reader);
        });
        RefuseAnyRepeatedKey(reader, [&](std::uint64_t first, std::uint64_t second) {
            file.Rewind();
            return FindKeyLines(file.begin(), InputFile::end(), first, second);
        });
    });
}

std::string GalaxyContentToJson(const GalaxyContent& content) {
    const auto races = EntriesToJson(content.races, [](const Race& race) {
        return ordered_json{{"name", race.name}, {"drivesTech", race.drivesTech}};
    });
    const auto planets = EntriesToJson(content.planets, [](const Planet& planet) {
        ordered_json entry{{"name", planet.name}, {"x", planet.x}, {"y", planet.y}};
        if (!planet.owner.empty()) {
            entry["owner"] = planet.owner;
        }
        return entry;
    });
    const auto shipTypes = EntriesToJson(content.shipTypes, [](const ShipType& type) {
        return ordered_json{{"race", type.race},       {"name", type.name},   {"drives", type.drives},
                            {"weapons", type.weapons}, {"ammo", type.ammo},   {"cargo", type.cargo},
                            {"shields", type.shields}};
    });
    const auto groups = EntriesToJson(content.groups, [](const Group& group) {
        return ordered_json{{"number", group.number}, {"race", group.race},   {"type", group.type},
                            {"planet", group.planet}, {"count", group.count}, {"speed", group.speed},
                            {"from", group.from},     {"fleet", group.fleet}};
    });
    std::string out = "{\n";
    out += "  \"game\": " + ordered_json(content.game).dump() + ",\n";
    out += "  \"turn\": " + std::to_string(content.turn) + ",\n";
    AppendArray(out, "races", races);
    AppendArray(out, "planets", planets);
    AppendArray(out, "shipTypes", shipTypes);
    AppendArray(out, "groups", groups);
    out += "  \"selection\": " + std::to_string(content.selection) + "\n}\n";
    return out;
}

std::string GalaxyToJson(const Galaxy& galaxy) {
    return GalaxyContentToJson(galaxy.Content());
}

void SaveGalaxyFile(const Galaxy& galaxy, const std::filesystem::path& path) {
    WriteOutputFile(path, "galaxy file", GalaxyToJson(galaxy));
}

} // namespace host
