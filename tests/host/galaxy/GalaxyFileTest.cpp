// GalaxyFileTest.cpp - galaxy files: every kind of bad input with its one message, and saving that loads back.
#include "galaxy/GalaxyFile.h"
#include "files/OutputFile.h"

#include "host/HostTestSupport.h"
#include "galaxy/DemoGalaxy.h"
#include "galaxy/GalaxyGenerator.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#if !defined(_WIN32)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif
#include <vector>

namespace host {
namespace {

using nlohmann::json;

std::string MessageOf(const std::function<void()>& load) {
    try {
        load();
    } catch (const GalaxyError& error) {
        return error.what();
    } catch (const OutputError& error) {
        return error.what();
    }
    return "(accepted)";
}

/// The small galaxy, changed by `edit`, loaded as "galaxy.json": its message, or "(accepted)".
std::string LoadEdited(const std::function<void(json&)>& edit) {
    json document = json::parse(test::kSmallGalaxyJson);
    edit(document);
    const std::string text = document.dump();
    return MessageOf([&] { ParseGalaxyJson(text, "galaxy.json"); });
}

struct BadEdit {
    const char* what;
    std::function<void(json&)> edit;
    const char* message;
};

class GalaxyFileTest : public ::testing::Test {
protected:
    GalaxyFileTest() {
        directory = std::filesystem::temp_directory_path() /
                    ("tarvenix-galaxy-file-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(directory);
    }
    ~GalaxyFileTest() override { std::filesystem::remove_all(directory); }

    std::filesystem::path directory;
};

TEST_F(GalaxyFileTest, SmallGalaxyLoadsInFileOrder) {
    const Galaxy galaxy = test::SmallGalaxy();
    EXPECT_EQ("Demo Cluster", galaxy.Game());
    EXPECT_EQ(42, galaxy.Turn());
    EXPECT_EQ(6, galaxy.PlanetCount());
    EXPECT_EQ("New Hope", galaxy.PlanetAt(4).name);
    EXPECT_EQ("", galaxy.PlanetAt(5).owner); // owner absent
    EXPECT_EQ(7, galaxy.SelectedGroup().number);
    EXPECT_EQ(7U, galaxy.Groups().size());
}

TEST_F(GalaxyFileTest, MalformedJsonError) {
    const std::string message = MessageOf([] { ParseGalaxyJson("{\"game\": \"x\",\n  \"turn\": }", "galaxy.json"); });
    EXPECT_EQ(0U, message.find("galaxy.json: malformed JSON: parse error at line 2, column 11:")) << message;
    EXPECT_EQ(std::string::npos, message.find("json.exception")) << message;
}

TEST_F(GalaxyFileTest, EmptyTextError) {
    const std::string message = MessageOf([] { ParseGalaxyJson("", "galaxy.json"); });
    EXPECT_EQ(0U, message.find("galaxy.json: malformed JSON: ")) << message;
}

TEST_F(GalaxyFileTest, EachBadEntryGetsOneMessageNamingFileAndEntry) {
    const std::vector<BadEdit> rows = {
        {"not an object", [](json& d) { d = json::array(); }, "galaxy.json: the galaxy must be a JSON object"},
        {"missing array", [](json& d) { d.erase("planets"); }, "galaxy.json: missing field \"planets\""},
        {"mistyped array", [](json& d) { d["races"] = "Vexari"; }, "galaxy.json: field \"races\" must be an array"},
        {"mistyped game", [](json& d) { d["game"] = 5; }, "galaxy.json: field \"game\" must be a text"},
        {"text turn", [](json& d) { d["turn"] = "42"; }, "galaxy.json: field \"turn\" must be a whole number"},
        {"missing selection", [](json& d) { d.erase("selection"); }, "galaxy.json: missing field \"selection\""},
        {"entry not object", [](json& d) { d["planets"][0] = 5; }, "galaxy.json: planets[0] (planet #1): must be an object"},
        {"missing x", [](json& d) { d["planets"][1].erase("x"); }, "galaxy.json: planets[1] (planet #2): missing field \"x\""},
        {"text x", [](json& d) { d["planets"][1]["x"] = "3"; },
         "galaxy.json: planets[1] (planet #2): field \"x\" must be a number"},
        {"boolean speed", [](json& d) { d["groups"][0]["speed"] = true; },
         "galaxy.json: groups[0] (the 1st group): field \"speed\" must be a number"},
        {"fractional count", [](json& d) { d["groups"][2]["count"] = 1.5; },
         "galaxy.json: groups[2] (the 3rd group): field \"count\" must be a whole number"},
        {"huge number", [](json& d) { d["groups"][1]["number"] = 3000000000LL; },
         "galaxy.json: groups[1] (the 2nd group): field \"number\" is out of range"},
        {"missing fleet", [](json& d) { d["groups"][6].erase("fleet"); },
         "galaxy.json: groups[6] (the 7th group): missing field \"fleet\""},
        {"null owner", [](json& d) { d["planets"][0]["owner"] = nullptr; },
         "galaxy.json: planets[0] (planet #1): field \"owner\" must be a text"},
        {"unknown owner", [](json& d) { d["planets"][2]["owner"] = "Nobody"; },
         "galaxy.json: planets[2] (planet #3): unknown owner race \"Nobody\""},
        {"unknown planet", [](json& d) { d["groups"][3]["planet"] = 99; }, "galaxy.json: groups[3] (the 4th group): unknown planet 99"},
        {"planet zero", [](json& d) { d["groups"][3]["planet"] = 0; }, "galaxy.json: groups[3] (the 4th group): unknown planet 0"},
        {"unknown from", [](json& d) { d["groups"][2]["from"] = 7; }, "galaxy.json: groups[2] (the 3rd group): unknown from planet 7"},
        {"negative from", [](json& d) { d["groups"][2]["from"] = -1; },
         "galaxy.json: groups[2] (the 3rd group): unknown from planet -1"},
        {"unknown group race", [](json& d) { d["groups"][0]["race"] = "Nobody"; },
         "galaxy.json: groups[0] (the 1st group): unknown race \"Nobody\""},
        {"type of another race", [](json& d) { d["groups"][0]["type"] = "Drone"; },
         "galaxy.json: groups[0] (the 1st group): unknown ship type \"Drone\" of race \"Vexari\""},
        {"unknown type race", [](json& d) { d["shipTypes"][1]["race"] = "Nobody"; },
         "galaxy.json: shipTypes[1] (the 2nd ship type): unknown race \"Nobody\""},
        {"unknown selection", [](json& d) { d["selection"] = 8; }, "galaxy.json: selection: unknown group 8"},
        {"duplicate group number", [](json& d) { d["groups"][4]["number"] = 3; },
         "galaxy.json: groups[4] (the 5th group): duplicate group number 3"},
        {"duplicate race", [](json& d) { d["races"][3]["name"] = "Zorgon"; },
         "galaxy.json: races[3] (the 4th race): duplicate race name \"Zorgon\""},
        {"duplicate planet", [](json& d) { d["planets"][5]["name"] = "Aster"; },
         "galaxy.json: planets[5] (planet #6): duplicate planet name \"Aster\""},
        {"duplicate type in race", [](json& d) { d["shipTypes"][1]["name"] = "Courier"; },
         "galaxy.json: shipTypes[1] (the 2nd ship type): duplicate ship type \"Courier\" of race \"Vexari\""},
        {"empty race name", [](json& d) { d["races"][3]["name"] = ""; }, "galaxy.json: races[3] (the 4th race): race name is empty"},
        {"empty planet name", [](json& d) { d["planets"][3]["name"] = ""; },
         "galaxy.json: planets[3] (planet #4): planet name is empty"},
        {"negative speed", [](json& d) { d["groups"][1]["speed"] = -0.5; },
         "galaxy.json: groups[1] (the 2nd group): speed is negative"},
        {"negative count", [](json& d) { d["groups"][1]["count"] = -1; },
         "galaxy.json: groups[1] (the 2nd group): count is negative"},
        // A misspelt key is named with the key meant, before the field it leaves missing.
        {"misspelt owner", [](json& d) { d["planets"][3]["ownr"] = d["planets"][3]["owner"]; d["planets"][3].erase("owner"); },
         "galaxy.json: planets[3] (planet #4): unknown key \"ownr\"; did you mean \"owner\"?"},
        {"misspelt name", [](json& d) { d["races"][1]["nmae"] = d["races"][1]["name"]; d["races"][1].erase("name"); },
         "galaxy.json: races[1] (the 2nd race): unknown key \"nmae\"; did you mean \"name\"?"},
        {"unknown key beside every field", [](json& d) { d["groups"][2]["colour"] = "red"; },
         "galaxy.json: groups[2] (the 3rd group): unknown key \"colour\""},
        {"unknown key before a later entry's fault",
         [](json& d) { d["shipTypes"][0]["weapon"] = 1; d["shipTypes"][1].erase("drives"); },
         "galaxy.json: shipTypes[0] (the 1st ship type): unknown key \"weapon\"; did you mean \"weapons\"?"},
        {"a galaxy key where an entry key belongs", [](json& d) { d["planets"][0]["planet"] = 1; },
         "galaxy.json: planets[0] (planet #1): unknown key \"planet\""},
        {"misspelt array", [](json& d) { d["plantes"] = d["planets"]; d.erase("planets"); },
         "galaxy.json: unknown key \"plantes\"; did you mean \"planets\"?"},
        {"misspelt game, ranked before the missing field", [](json& d) { d["gmae"] = "x"; d.erase("game"); },
         "galaxy.json: unknown key \"gmae\"; did you mean \"game\"?"},
        {"unknown galaxy key before an entry's fault", [](json& d) { d["extra"] = {1, 2}; d["planets"][0].erase("x"); },
         "galaxy.json: unknown key \"extra\""},
        {"long unknown key, shown cut", [](json& d) { d["planets"][0][std::string(100, 'k')] = 1; },
         "galaxy.json: planets[0] (planet #1): unknown key \"kkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkk...\""},
        // A key is the file's own text: a control character in it must not break the line.
        {"unknown key holding a newline", [](json& d) { d["pl\nets"] = 1; },
         "galaxy.json: unknown key \"pl\\u000aets\"; did you mean \"planets\"?"},
        {"unknown key holding an escape and a backslash", [](json& d) { d["groups"][0]["\x1b[2J\\"] = 1; },
         "galaxy.json: groups[0] (the 1st group): unknown key \"\\u001b[2J\\\\\""},
        {"mistyped $schema", [](json& d) { d["$schema"] = 1; }, "galaxy.json: field \"$schema\" must be a text"},
        {"group number zero", [](json& d) { d["groups"][1]["number"] = 0; },
         "galaxy.json: groups[1] (the 2nd group): group number 0 is not positive"},
        {"negative tech", [](json& d) { d["races"][0]["drivesTech"] = -1; },
         "galaxy.json: races[0] (the 1st race): drivesTech is negative"},
        {"negative shields", [](json& d) { d["shipTypes"][2]["shields"] = -4; },
         "galaxy.json: shipTypes[2] (the 3rd ship type): shields is negative"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].message, LoadEdited(rows[i].edit)) << "row " << i << ": " << rows[i].what;
    }
}

TEST_F(GalaxyFileTest, MeaningfulValuesAreAccepted) {
    const std::vector<std::function<void(json&)>> rows = {
        [](json& d) { d["planets"][0]["x"] = -1e6; },                       // coordinates may be negative
        [](json& d) { d["groups"][0]["speed"] = 0; },                         // a group that cannot move
        [](json& d) { d["groups"][0]["count"] = 0; },                         // an emptied group
        [](json& d) { d["planets"][2].erase("owner"); },                      // owner absent
        [](json& d) { d["$schema"] = "galaxy.schema.json"; },                 // a schema for editors
        [](json& d) { d["groups"][2]["from"] = 1; },                          // in flight from its own target
        [](json& d) { d["groups"][0]["fleet"] = "Home Guard"; },              // fleets are shared
        [](json& d) { d["groups"][0]["number"] = 2147483647; d["selection"] = 2147483647; }, // the largest
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ("(accepted)", LoadEdited(rows[i])) << "row " << i;
    }
}

TEST_F(GalaxyFileTest, NonFiniteCoordinateError) {
    // JSON has no infinity; a number too large for a double is where one would come from.
    std::string text(test::kSmallGalaxyJson);
    text.replace(text.find("\"x\": 10,"), 8, "\"x\": 1e999,");
    EXPECT_EQ("galaxy.json: malformed JSON: number overflow parsing '1e999'",
              MessageOf([&] { ParseGalaxyJson(text, "galaxy.json"); }));
}

TEST_F(GalaxyFileTest, MissingFileError) {
    const std::filesystem::path path = directory / "missing.json";
    EXPECT_EQ(path.string() + ": cannot read the file: No such file or directory",
              MessageOf([&] { LoadGalaxyFile(path); }));
}

TEST_F(GalaxyFileTest, DirectoryError) {
    EXPECT_EQ(directory.string() + ": cannot read the file: it is a directory",
              MessageOf([&] { LoadGalaxyFile(directory); }));
}

TEST_F(GalaxyFileTest, FileMessagesNameThePathAsGiven) {
    const std::filesystem::path path = directory / "bad.json";
    std::ofstream(path) << "[]";
    EXPECT_EQ(path.string() + ": the galaxy must be a JSON object", MessageOf([&] { LoadGalaxyFile(path); }));
}

TEST_F(GalaxyFileTest, SavedGalaxyLoadsBackWithOrdersApplied) {
    Galaxy galaxy = test::SmallGalaxy();
    ASSERT_EQ(21, galaxy.SplitOffShip(7, 2));
    const std::filesystem::path path = directory / "saved.json";
    SaveGalaxyFile(galaxy, path);

    const Galaxy loaded = LoadGalaxyFile(path);
    EXPECT_EQ(GalaxyToJson(galaxy), GalaxyToJson(loaded));
    ASSERT_NE(nullptr, loaded.FindGroup(21));
    EXPECT_EQ(1, loaded.FindGroup(21)->from);
    EXPECT_EQ(11, loaded.FindGroup(7)->count);
    EXPECT_EQ(22.36, loaded.FindGroup(7)->speed);
    EXPECT_EQ(100.25, loaded.PlanetAt(6).x);
}

TEST_F(GalaxyFileTest, SaveToUnwritablePathError) {
    const Galaxy galaxy = test::SmallGalaxy();
    const std::filesystem::path path = directory / "no-such-dir" / "saved.json";
    EXPECT_EQ("cannot write galaxy file '" + path.string() + "': No such file or directory",
              MessageOf([&] { SaveGalaxyFile(galaxy, path); }));
}

/// What the load kept, built the plain way: the whole document parsed, then each field
/// taken with the JSON library's own conversions. The streaming load must give the same.
GalaxyContent ContentFromParsedDocument(std::string_view text) {
    const json document = json::parse(text.begin(), text.end());
    GalaxyContent content;
    content.game = document["game"];
    content.turn = document["turn"];
    for (const json& race : document["races"]) {
        content.races.push_back(Race{race["name"], race["drivesTech"]});
    }
    for (const json& planet : document["planets"]) {
        content.planets.push_back(Planet{planet["name"], planet["x"], planet["y"], planet.value("owner", "")});
    }
    for (const json& type : document["shipTypes"]) {
        content.shipTypes.push_back(ShipType{type["race"], type["name"], type["drives"], type["weapons"],
                                             type["ammo"], type["cargo"], type["shields"]});
    }
    for (const json& group : document["groups"]) {
        const auto textOf = [&group](const char* field) { return group[field].get<std::string>(); };
        content.groups.push_back(Group{group["number"], textOf("race"), textOf("type"), group["planet"],
                                       group["count"], group["speed"], group["from"], textOf("fleet")});
    }
    content.selection = document["selection"];
    return content;
}

// Numbers at the edges of what the parser turns into doubles.
// The saved text shows every double bit for bit (its shortest exact form, signed zero kept).
constexpr std::string_view kEdgeNumbersGalaxy = R"({"game": "Edges", "turn": 2,
  "races": [{"name": "R", "drivesTech": 18446744073709551615},
            {"name": "S", "drivesTech": 18446744073709551616},
            {"name": "T", "drivesTech": 1.7976931348623157e308}],
  "planets": [{"name": "A", "x": -0, "y": -0.0, "owner": "R"},
              {"name": "B", "x": 2.2250738585072011e-308, "y": 1e-400},
              {"name": "E", "x": 5e-324, "y": 0},
              {"name": "C", "x": -9223372036854775808, "y": 1e150},
              {"name": "D", "x": 0.30000000000000004, "y": -1e150}],
  "shipTypes": [{"race": "R", "name": "Courier", "drives": 1E2, "weapons": 0e0, "ammo": 4.9e-324,
                 "cargo": 9007199254740993, "shields": 123456789012345678901234567890}],
  "groups": [{"number": 1, "race": "R", "type": "Courier", "planet": 4, "count": 2147483647,
              "speed": 22.36, "from": 0, "fleet": ""}],
  "selection": 1})";

TEST_F(GalaxyFileTest, StreamedLoadKeepsEveryValueAsAParsedDocumentGivesIt) {
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"small", std::string(test::kSmallGalaxyJson)},
        {"demo", std::string(DemoGalaxyJson())},
        {"edges", std::string(kEdgeNumbersGalaxy)},
        {"generated 1", GenerateGalaxyJson({300, 3, 700, 1})},
        {"generated 2", GenerateGalaxyJson({2000, 5, 100, 77})},
    };
    for (const auto& [what, text] : texts) {
        const Galaxy streamed = ParseGalaxyJson(text, what);
        EXPECT_EQ(GalaxyContentToJson(ContentFromParsedDocument(text)), GalaxyToJson(streamed)) << what;
        // From a file the load reads chunk by chunk; the result is the same.
        const std::filesystem::path path = directory / "streamed.json";
        std::ofstream(path, std::ios::binary) << text;
        EXPECT_EQ(GalaxyToJson(streamed), GalaxyToJson(LoadGalaxyFile(path))) << what;
    }
}

TEST_F(GalaxyFileTest, FaultsAreJudgedAsInTheWholeDocumentWhereverTheySit) {
    struct Row {
        const char* what;
        std::string text;
        const char* message;
    };
    const std::string small(test::kSmallGalaxyJson);
    auto replaced = [&small](std::string_view from, std::string_view to) {
        std::string text = small;
        text.replace(text.find(from), from.size(), to);
        return text;
    };
    const std::vector<Row> rows = {
        {"syntax error after a bad entry", replaced("\"x\": 3,", "\"x\": \"3\",").substr(0, small.size() - 2),
         "galaxy.json: malformed JSON: parse error"},
        {"later array judged after earlier one", "{\"groups\": [5], \"planets\": [7], \"game\": \"g\", \"turn\": 1}",
         "galaxy.json: missing field \"races\""},
        {"planets before groups whatever the file order",
         R"({"game": "g", "turn": 1, "races": [], "groups": [5], "planets": [{"name": "A"}], "shipTypes": []})",
         "galaxy.json: planets[0] (planet #1): missing field \"x\""},
        {"first bad entry of an array", replaced("\"x\": 3,", "\"x\": [3],"),
         "galaxy.json: planets[1] (planet #2): field \"x\" must be a number"},
        {"a repeated key before the galaxy's own faults", replaced("\"turn\": 42,", "\"turn\": 42, \"turn\": \"late\","),
         "galaxy.json: the galaxy object: key \"turn\" is given twice"},
        {"a repeated array however its value", replaced("\"selection\": 7", "\"selection\": 7, \"races\": 4"),
         "galaxy.json: the galaxy object: key \"races\" is given twice"},
        {"game before turn", R"({"turn": null, "game": {}})", "galaxy.json: field \"game\" must be a text"},
        {"field checks in field order", replaced("\"x\": 3, \"y\": 4,", "\"y\": true,"),
         "galaxy.json: planets[1] (planet #2): missing field \"x\""},
        {"keys inside an unknown key's value are not read", replaced("\"x\": 3,", "\"x\": 3, \"moons\": {\"nmae\": 1},"),
         "galaxy.json: planets[1] (planet #2): unknown key \"moons\""},
        {"an earlier array's fault before a later array's unknown key",
         replaced("\"from\": 0", "\"form\": 0, \"from\": 0").replace(small.find("\"x\": 3,"), 7, "\"x\": \"3\","),
         "galaxy.json: planets[1] (planet #2): field \"x\" must be a number"},
        {"a repeated key before an earlier entry's unknown key", replaced("\"game\"", "\"planets\": [{\"nmae\": 1}], \"game\""),
         "galaxy.json: the galaxy object: key \"planets\" is given twice"},
        {"a syntax error before a repeated key", replaced("\"turn\": 42,", "\"turn\": 42, \"turn\": 4,").substr(0, 40),
         "galaxy.json: malformed JSON: parse error"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string message = MessageOf([&] { ParseGalaxyJson(rows[i].text, "galaxy.json"); });
        EXPECT_EQ(0U, message.find(rows[i].message)) << "row " << i << ": " << rows[i].what << "\n" << message;
    }
}

/// One bad galaxy file: how it is made in the test's folder, and how its message begins after "<path>: ".
struct BadFile {
    const char* what;
    std::function<std::filesystem::path(const std::filesystem::path& folder)> make;
    std::string messageStart;
};

std::filesystem::path Written(const std::filesystem::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string SmallWith(std::string_view from, std::string_view to) {
    std::string text(test::kSmallGalaxyJson);
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST_F(GalaxyFileTest, BadFilesAreRefusedAsBadInputWithOneLineNamingTheFile) {
    const std::string deep(200000, '[');
    const std::vector<BadFile> rows = {
        {"missing", [](const auto& f) { return f / "missing.json"; }, "cannot read the file: No such file or directory"},
        {"directory", [](const auto& f) { return f; }, "cannot read the file: it is a directory"},
#if !defined(_WIN32)
        {"FIFO without writer",
         [](const auto& f) {
             const auto path = f / "fifo";
             EXPECT_EQ(0, ::mkfifo(path.c_str(), 0600));
             return path;
         },
         "cannot read the file: it is not a regular file"},
        {"endless device", [](const auto&) { return std::filesystem::path("/dev/zero"); },
         "cannot read the file: it is not a regular file"},
#endif
        {"over the size limit",
         [](const auto& f) {
             const auto path = Written(f / "huge.json", "{");
             std::filesystem::resize_file(path, kMaxGalaxyFileBytes + 1); // sparse: no disk used
             return path;
         },
         "cannot read the file: it is larger than the limit of 1024 MiB"},
        // An editor's usual mistakes, in plain words at the line where they are.
        {"empty", [](const auto& f) { return Written(f / "empty.json", ""); },
         "malformed JSON: the file is empty; a galaxy file is one JSON object"},
        {"blanks only", [](const auto& f) { return Written(f / "blank.json", " \n\t\n"); },
         "malformed JSON: the file is empty; a galaxy file is one JSON object"},
        {"trailing comma in an array", [](const auto& f) { return Written(f / "comma.json", SmallWith("\"fleet\": \"\" }\n  ]", "\"fleet\": \"\" },\n  ]")); },
         "malformed JSON: line 33: a comma after the last entry before ']'; remove it"},
        {"trailing comma in an object", [](const auto& f) { return Written(f / "comma2.json", SmallWith("\"selection\": 7", "\"selection\": 7,")); },
         "malformed JSON: line 35: a comma after the last entry before '}'; remove it"},
        {"comment", [](const auto& f) { return Written(f / "comment.json", SmallWith("  \"turn\"", "  // the turn\n  \"turn\"")); },
         "malformed JSON: line 3: a comment; JSON has none, remove it"},
        {"UTF-16", [](const auto& f) {
             std::string wide = "\xFF\xFE";
             for (const char c : std::string(test::kSmallGalaxyJson)) {
                 wide += c;
                 wide += '\0';
             }
             return Written(f / "utf16.json", wide); },
         "malformed JSON: the file is UTF-16 text; save it as UTF-8"},
        {"binary",
         [](const auto& f) {
             std::string bytes;
             for (int b = 255; b >= 0; --b) {
                 bytes += static_cast<char>(b);
             }
             return Written(f / "binary.json", bytes);
         },
         // Its first two bytes, 0xFF 0xFE, are how UTF-16 text begins.
         "malformed JSON: the file is UTF-16 text; save it as UTF-8"},
        {"deeply nested, unterminated", [&deep](const auto& f) { return Written(f / "deep.json", deep); },
         "malformed JSON: parse error"},
        {"deeply nested galaxy", [&deep](const auto& f) { return Written(f / "deep2.json", deep + std::string(deep.size(), ']')); },
         "the galaxy must be a JSON object"},
        {"duplicate planet name",
         [](const auto& f) { return Written(f / "dup.json", SmallWith("\"Far\"", "\"Cyne\"")); },
         "planets[5] (planet #6): duplicate planet name \"Cyne\""},
        {"control characters in a name",
         [](const auto& f) {
             return Written(f / "ctl.json", SmallWith("\"owner\": \"\"", R"("owner": "Vex\n\u001b[2J\u009b\\")"));
         },
         R"(planets[2] (planet #3): unknown owner race "Vex\u000a\u001b[2J\u009b\\")"},
        // A find of the galaxy file fuzzer: a line break in a group's race split the message.
        {"line break in a group's race",
         [](const auto& f) {
             return Written(f / "race.json", SmallWith(R"("number": 7, "race": "Vexari")", R"("number": 7, "race": "Vex\n")"));
         },
         R"(groups[0] (the 1st group): unknown race "Vex\u000a")"},
        {"coordinate too large", [](const auto& f) { return Written(f / "far.json", SmallWith("\"x\": 3,", "\"x\": -1.7e308,")); },
         "planets[1] (planet #2): field \"x\" is out of range"},
        {"coordinate over the bound", [](const auto& f) { return Written(f / "far2.json", SmallWith("\"y\": 4,", "\"y\": 1.0000000000000001e150,")); },
         "planets[1] (planet #2): field \"y\" is out of range"},
        {"infinite number", [](const auto& f) { return Written(f / "inf.json", SmallWith("\"x\": 3,", "\"x\": 1e999,")); },
         "malformed JSON: number overflow parsing '1e999'"},
        {"NaN", [](const auto& f) { return Written(f / "nan.json", SmallWith("\"x\": 3,", "\"x\": NaN,")); },
         "malformed JSON: parse error"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::filesystem::path path = rows[i].make(directory);
        try {
            LoadGalaxyFile(path);
            ADD_FAILURE() << "row " << i << ": " << rows[i].what << " was accepted";
        } catch (const GalaxyError& error) {
            const std::string message = error.what();
            EXPECT_EQ(0U, message.find(path.string() + ": " + rows[i].messageStart))
                << "row " << i << ": " << rows[i].what << "\n" << message;
            EXPECT_EQ(std::string::npos, message.find_first_of("\n\r\x1b")) << "row " << i << ": " << message;
        }
    }
}

TEST_F(GalaxyFileTest, RepeatedKeyIsRefusedNamingObjectKeyAndBothLines) {
    // The last of two keys used to win silently: a second "groups" array replaced the first,
    // and an "x" out of range passed when a valid "x" followed it.
    const std::string oneGroup =
        R"("groups": [ { "number": 7, "race": "Vexari", "type": "Courier", "planet": 1, "count": 1, "speed": 1, "from": 0, "fleet": "" } ],)";
    struct Row {
        const char* what;
        std::string text;
        const char* message;
    };
    const std::vector<Row> rows = {
        {"repeated array", SmallWith("  \"selection\"", "  " + oneGroup + "\n  \"selection\""),
         R"(the galaxy object: key "groups" is given twice, on lines 26 and 35; keep one of them)"},
        {"repeated scalar", SmallWith(R"("x": 3, "y": 4,)", R"("x": 1e300, "y": 4,)" "\n" R"(  "x": 3,)"),
         R"(planets[1] (planet #2): key "x" is given twice, on lines 12 and 13; keep one of them)"},
        {"repeated key of an entry",
         SmallWith(R"("count": 4, "speed": 7.5)", R"("count": 4, "speed": 7.5, "count": 5)"),
         R"(groups[4] (the 5th group): key "count" is given twice, on lines 31 and 31; keep one of them)"},
        {"repeated key in a one-line file",
         nlohmann::json::parse(test::kSmallGalaxyJson).dump().insert(1, R"("turn": 1,)"),
         R"(the galaxy object: key "turn" is given twice, on lines 1 and 1; keep one of them)"},
        // A scanner's fallback path (a byte-order mark) counts keys the same way.
        {"repeated key after a byte-order mark", "\xEF\xBB\xBF" + SmallWith("\"turn\": 42,", "\"turn\": 42, \"game\": \"B\","),
         R"(the galaxy object: key "game" is given twice, on lines 2 and 3; keep one of them)"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string expected = std::string("galaxy.json: ") + rows[i].message;
        EXPECT_EQ(MessageOf([&] { ParseGalaxyJson(rows[i].text, "galaxy.json"); }), expected) << "row " << i << ": " << rows[i].what;
        const std::filesystem::path path = Written(directory / "galaxy.json", rows[i].text);
        EXPECT_EQ(MessageOf([&] { LoadGalaxyFile(path); }), path.string() + ": " + rows[i].message)
            << "row " << i << ": " << rows[i].what;
    }
}

TEST_F(GalaxyFileTest, DocumentEndsWhereJsonSaysItEnds) {
    // nlohmann's lexer takes a NUL byte for the end of its input; the load does not, from a text
    // or a file alike, and names the NUL's place as the parser counts lines and columns.
    const std::string document(test::kSmallGalaxyJson);
    const auto nulAt = [&](const std::string& tail) {
        const std::string before = document + tail.substr(0, tail.find('\0'));
        const std::size_t lineStart = before.rfind('\n') == std::string::npos ? 0 : before.rfind('\n') + 1;
        return "malformed JSON: parse error at line " +
               std::to_string(1 + std::count(before.begin(), before.end(), '\n')) + ", column " +
               std::to_string(before.size() - lineStart + 1) +
               ": syntax error while parsing value - unexpected NUL byte; expected end of input";
    };
    using namespace std::string_literals;
    const std::vector<std::pair<std::string, std::string>> tails = {
        {"", "(accepted)"},
        {" \n\t\r\n", "(accepted)"},
        {"\0"s, nulAt("\0"s)},
        {" \0not JSON {{{"s, nulAt(" \0not JSON {{{"s)},
        {"\n\n\0\n"s, nulAt("\n\n\0\n"s)},
        {" not JSON {{{", "malformed JSON: parse error at line"},
        {"\n{}", "malformed JSON: parse error at line"},
    };
    for (const auto& [tail, message] : tails) {
        const std::string text = document + tail;
        const std::string fromText = MessageOf([&] { ParseGalaxyJson(text, "galaxy.json"); });
        const std::string fromFile = MessageOf([&] { LoadGalaxyFile(Written(directory / "galaxy.json", text)); });
        const std::string expected = message == "(accepted)" ? message : "galaxy.json: " + message;
        EXPECT_EQ(fromText.substr(0, expected.size()), expected) << nlohmann::json(tail).dump();
        EXPECT_EQ(fromFile, fromText == "(accepted)"
                                ? fromText
                                : (directory / "galaxy.json").string() + fromText.substr(std::string("galaxy.json").size()))
            << nlohmann::json(tail).dump();
    }
}

TEST_F(GalaxyFileTest, DeepValuesUnderUnknownKeysAreRefusedWithoutRecursion) {
    // Nested far deeper than any recursive parser's stack would allow.
    const std::string deep = std::string(1000000, '[') + std::string(1000000, ']');
    const std::string text = SmallWith("\"selection\": 7", "\"selection\": 7, \"notes\": " + deep);
    const std::filesystem::path path = Written(directory / "deep.json", text);
    EXPECT_EQ(path.string() + ": unknown key \"notes\"", MessageOf([&] { LoadGalaxyFile(path); }));
}

#if !defined(_WIN32)
TEST_F(GalaxyFileTest, RunningOutOfMemoryIsBadInputNamingTheFile) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers reserve more address space than the limit this test sets";
#else
    // One name of 16 MiB, loaded where the address space has 12 MiB to spare.
    const std::filesystem::path path =
        Written(directory / "hungry.json", "{\"game\": \"" + std::string(16 * 1024 * 1024, 'a') + "\"}");
    const pid_t child = ::fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (12U << 20);
        const rlimit addressSpace{limit, limit};
        ::setrlimit(RLIMIT_AS, &addressSpace);
        const std::string message = MessageOf([&] { LoadGalaxyFile(path); });
        ::_exit(message == path.string() + ": out of memory while loading the galaxy" ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
#endif
}
#endif

} // namespace
} // namespace host
