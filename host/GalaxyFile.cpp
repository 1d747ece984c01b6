// GalaxyFile.cpp - galaxy JSON in and out: field-by-field reading with named errors, and the file writer.
#include "host/GalaxyFile.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <utility>

namespace host {

namespace {

using nlohmann::json;
using nlohmann::ordered_json;

/// Reads the fields of one JSON object; every complaint starts with where the object sits.
/// The place is kept as array name and index and spelled out only for a complaint, so
/// reading a few hundred thousand good entries makes no strings for it.
class FieldReader {
public:
    /// The galaxy object itself.
    explicit FieldReader(const json& object) : object_(object) {
        if (!object_.is_object()) {
            Refuse("the galaxy must be a JSON object");
        }
    }

    /// Entry `index` of the galaxy's array `array`.
    FieldReader(const json& object, const char* array, std::size_t index)
        : object_(object), array_(array), index_(index) {
        if (!object_.is_object()) {
            Refuse(Where() + "must be an object");
        }
    }

    std::string Text(const char* field) const {
        const json& value = Required(field);
        if (!value.is_string()) {
            Mistyped(field, "a text");
        }
        return value.get<std::string>();
    }

    std::string OptionalText(const char* field) const {
        return object_.contains(field) ? Text(field) : std::string();
    }

    double Number(const char* field) const {
        const json& value = Required(field);
        if (!value.is_number()) {
            Mistyped(field, "a number");
        }
        return value.get<double>();
    }

    std::int32_t WholeNumber(const char* field) const {
        const json& value = Required(field);
        if (!value.is_number_integer()) {
            Mistyped(field, "a whole number");
        }
        if (value.is_number_unsigned()) {
            const auto unsignedValue = value.get<std::uint64_t>();
            if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
                OutOfRange(field);
            }
            return static_cast<std::int32_t>(unsignedValue);
        }
        const auto signedValue = value.get<std::int64_t>();
        if (signedValue < std::numeric_limits<std::int32_t>::min() ||
            signedValue > std::numeric_limits<std::int32_t>::max()) {
            OutOfRange(field);
        }
        return static_cast<std::int32_t>(signedValue);
    }

    const json& Array(const char* field) const {
        const json& value = Required(field);
        if (!value.is_array()) {
            Mistyped(field, "an array");
        }
        return value;
    }

private:
    const json& Required(const char* field) const {
        const auto it = object_.find(field);
        if (it == object_.end()) {
            Refuse(Where() + "missing field \"" + field + "\"");
        }
        return *it;
    }

    [[noreturn]] void Mistyped(const char* field, const char* expected) const {
        Refuse(Where() + "field \"" + field + "\" must be " + expected);
    }

    [[noreturn]] void OutOfRange(const char* field) const {
        Refuse(Where() + "field \"" + field + "\" is out of range");
    }

    [[noreturn]] static void Refuse(const std::string& message) { throw GalaxyError(message); }

    /// "planets[3]: " for an entry, nothing for the galaxy object.
    std::string Where() const {
        if (array_ == nullptr) {
            return {};
        }
        std::string where = array_;
        where += '[';
        where += std::to_string(index_);
        where += "]: ";
        return where;
    }

    const json& object_;
    const char* array_ = nullptr;
    std::size_t index_ = 0;
};

/// Reads every entry of one of the galaxy's arrays with `readEntry(FieldReader&)`.
template <typename Entry, typename ReadEntry>
std::vector<Entry> ReadArray(const FieldReader& top, const char* field, ReadEntry readEntry) {
    const json& array = top.Array(field);
    std::vector<Entry> entries;
    entries.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) {
        const FieldReader entry(array[i], field, i);
        entries.push_back(readEntry(entry));
    }
    return entries;
}

GalaxyContent ReadContent(const json& document) {
    const FieldReader top(document);
    GalaxyContent content;
    content.game = top.Text("game");
    content.turn = top.WholeNumber("turn");
    content.races = ReadArray<Race>(top, "races", [](const FieldReader& entry) {
        return Race{entry.Text("name"), entry.Number("drivesTech")};
    });
    content.planets = ReadArray<Planet>(top, "planets", [](const FieldReader& entry) {
        return Planet{entry.Text("name"), entry.Number("x"), entry.Number("y"), entry.OptionalText("owner")};
    });
    content.shipTypes = ReadArray<ShipType>(top, "shipTypes", [](const FieldReader& entry) {
        return ShipType{entry.Text("race"),        entry.Text("name"),  entry.Number("drives"),
                        entry.Number("weapons"),   entry.Number("ammo"), entry.Number("cargo"),
                        entry.Number("shields")};
    });
    content.groups = ReadArray<Group>(top, "groups", [](const FieldReader& entry) {
        return Group{entry.WholeNumber("number"), entry.Text("race"),       entry.Text("type"),
                     entry.WholeNumber("planet"), entry.WholeNumber("count"), entry.Number("speed"),
                     entry.WholeNumber("from"),   entry.Text("fleet")};
    });
    content.selection = top.WholeNumber("selection");
    return content;
}

/// nlohmann's messages open with an exception tag that means nothing to a player.
std::string WithoutExceptionTag(const char* message) {
    std::string text = message;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find("] ");
        if (close != std::string::npos) {
            text.erase(0, close + 2);
        }
    }
    return text;
}

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

} // namespace

Galaxy ParseGalaxyJson(std::string_view jsonText, std::string_view sourceName) {
    const std::string prefix = std::string(sourceName) + ": ";
    json document;
    try {
        document = json::parse(jsonText.begin(), jsonText.end());
    } catch (const json::exception& error) {
        throw GalaxyError(prefix + "malformed JSON: " + WithoutExceptionTag(error.what()));
    }
    try {
        return Galaxy(ReadContent(document));
    } catch (const GalaxyError& error) {
        throw GalaxyError(prefix + error.what());
    }
}

Galaxy LoadGalaxyFile(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) {
        throw GalaxyError(name + ": cannot read the file: it is a directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw GalaxyError(name + ": cannot read the file: " + std::strerror(errno));
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw GalaxyError(name + ": cannot read the file: " + std::strerror(errno));
    }
    return ParseGalaxyJson(text, name);
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
    const std::string text = GalaxyToJson(galaxy);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw GalaxyError(path.string() + ": cannot write the file: " + std::strerror(errno));
    }
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
        throw GalaxyError(path.string() + ": cannot write the file: " + std::strerror(errno));
    }
}

} // namespace host
