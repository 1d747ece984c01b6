// GalaxyFileTest.cpp - galaxy files: every kind of bad input with its one message, and saving that loads back.
#include "host/GalaxyFile.h"

#include "HostTestSupport.h"
#include "host/OrderChecker.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace host {
namespace {

using nlohmann::json;

std::string MessageOf(const std::function<void()>& load) {
    try {
        load();
    } catch (const GalaxyError& error) {
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
        {"entry not object", [](json& d) { d["planets"][0] = 5; }, "galaxy.json: planets[0]: must be an object"},
        {"missing x", [](json& d) { d["planets"][1].erase("x"); }, "galaxy.json: planets[1]: missing field \"x\""},
        {"text x", [](json& d) { d["planets"][1]["x"] = "3"; },
         "galaxy.json: planets[1]: field \"x\" must be a number"},
        {"boolean speed", [](json& d) { d["groups"][0]["speed"] = true; },
         "galaxy.json: groups[0]: field \"speed\" must be a number"},
        {"fractional count", [](json& d) { d["groups"][2]["count"] = 1.5; },
         "galaxy.json: groups[2]: field \"count\" must be a whole number"},
        {"huge number", [](json& d) { d["groups"][1]["number"] = 3000000000LL; },
         "galaxy.json: groups[1]: field \"number\" is out of range"},
        {"missing fleet", [](json& d) { d["groups"][6].erase("fleet"); },
         "galaxy.json: groups[6]: missing field \"fleet\""},
        {"null owner", [](json& d) { d["planets"][0]["owner"] = nullptr; },
         "galaxy.json: planets[0]: field \"owner\" must be a text"},
        {"unknown owner", [](json& d) { d["planets"][2]["owner"] = "Nobody"; },
         "galaxy.json: planets[2]: unknown owner race \"Nobody\""},
        {"unknown planet", [](json& d) { d["groups"][3]["planet"] = 99; }, "galaxy.json: groups[3]: unknown planet 99"},
        {"planet zero", [](json& d) { d["groups"][3]["planet"] = 0; }, "galaxy.json: groups[3]: unknown planet 0"},
        {"unknown from", [](json& d) { d["groups"][2]["from"] = 7; }, "galaxy.json: groups[2]: unknown from planet 7"},
        {"negative from", [](json& d) { d["groups"][2]["from"] = -1; },
         "galaxy.json: groups[2]: unknown from planet -1"},
        {"unknown group race", [](json& d) { d["groups"][0]["race"] = "Nobody"; },
         "galaxy.json: groups[0]: unknown race \"Nobody\""},
        {"type of another race", [](json& d) { d["groups"][0]["type"] = "Drone"; },
         "galaxy.json: groups[0]: unknown ship type \"Drone\" of race \"Vexari\""},
        {"unknown type race", [](json& d) { d["shipTypes"][1]["race"] = "Nobody"; },
         "galaxy.json: shipTypes[1]: unknown race \"Nobody\""},
        {"unknown selection", [](json& d) { d["selection"] = 8; }, "galaxy.json: selection: unknown group 8"},
        {"duplicate group number", [](json& d) { d["groups"][4]["number"] = 3; },
         "galaxy.json: groups[4]: duplicate group number 3"},
        {"duplicate race", [](json& d) { d["races"][3]["name"] = "Zorgon"; },
         "galaxy.json: races[3]: duplicate race name \"Zorgon\""},
        {"duplicate planet", [](json& d) { d["planets"][5]["name"] = "Aster"; },
         "galaxy.json: planets[5]: duplicate planet name \"Aster\""},
        {"duplicate type in race", [](json& d) { d["shipTypes"][1]["name"] = "Courier"; },
         "galaxy.json: shipTypes[1]: duplicate ship type \"Courier\" of race \"Vexari\""},
        {"empty race name", [](json& d) { d["races"][3]["name"] = ""; }, "galaxy.json: races[3]: race name is empty"},
        {"empty planet name", [](json& d) { d["planets"][3]["name"] = ""; },
         "galaxy.json: planets[3]: planet name is empty"},
        {"negative speed", [](json& d) { d["groups"][1]["speed"] = -0.5; },
         "galaxy.json: groups[1]: speed is negative"},
        {"negative count", [](json& d) { d["groups"][1]["count"] = -1; },
         "galaxy.json: groups[1]: count is negative"},
        {"group number zero", [](json& d) { d["groups"][1]["number"] = 0; },
         "galaxy.json: groups[1]: group number 0 is not positive"},
        {"negative tech", [](json& d) { d["races"][0]["drivesTech"] = -1; },
         "galaxy.json: races[0]: drivesTech is negative"},
        {"negative shields", [](json& d) { d["shipTypes"][2]["shields"] = -4; },
         "galaxy.json: shipTypes[2]: shields is negative"},
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
        [](json& d) { d["extra"] = {1, 2}; },                                 // unknown keys
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
    OrderChecker checker(galaxy);
    ASSERT_TRUE(checker.CheckAndApply("7 #2 1", "Vexari").accepted);
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
    EXPECT_EQ(path.string() + ": cannot write the file: No such file or directory",
              MessageOf([&] { SaveGalaxyFile(galaxy, path); }));
}

} // namespace
} // namespace host
