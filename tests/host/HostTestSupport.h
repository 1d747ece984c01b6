// HostTestSupport.h - a small hand-made galaxy and request helpers shared by the host core's tests.
//
// The galaxy is laid out so that the distances and angles the tests expect are
// easy to check by hand: planet 1 at the origin, planet 2 at (3, 4), five away.
#pragma once

#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "platform/CMapStringToString.h"
#include "platform/MapEntries.h"

#include <string>
#include <string_view>
#include <vector>

namespace host::test {

// Planets:  1 Aster (0,0) Vexari   2 Borea (3,4) Vexari   3 Cyne (10,0)
//           4 New Hope (0,-6) Zorgon   5 Dusk (0,0), where Aster is   6 Far (100,100)
// Two ship types can be read from "Star Blue Moon": Star of "Blue Moon" and
// "Star Blue" of Moon; the first split (Star / Blue Moon) is the answer.
inline constexpr std::string_view kSmallGalaxyJson = R"({
  "game": "Demo Cluster",
  "turn": 42,
  "races": [
    { "name": "Vexari", "drivesTech": 1.37 },
    { "name": "Zorgon", "drivesTech": 2.5 },
    { "name": "Blue Moon", "drivesTech": 1 },
    { "name": "Moon", "drivesTech": 0.25 }
  ],
  "planets": [
    { "name": "Aster", "x": 0, "y": 0, "owner": "Vexari" },
    { "name": "Borea", "x": 3, "y": 4, "owner": "Vexari" },
    { "name": "Cyne", "x": 10, "y": 0, "owner": "" },
    { "name": "New Hope", "x": 0, "y": -6, "owner": "Zorgon" },
    { "name": "Dusk", "x": 0, "y": 0 },
    { "name": "Far", "x": 100.25, "y": 100 }
  ],
  "shipTypes": [
    { "race": "Vexari", "name": "Courier", "drives": 1, "weapons": 0, "ammo": 0, "cargo": 0, "shields": 0 },
    { "race": "Vexari", "name": "Heavy Freighter", "drives": 3, "weapons": 0, "ammo": 0, "cargo": 10.5, "shields": 2 },
    { "race": "Zorgon", "name": "Courier", "drives": 1.5, "weapons": 1, "ammo": 2, "cargo": 3, "shields": 4 },
    { "race": "Zorgon", "name": "Drone", "drives": 1, "weapons": 0, "ammo": 0, "cargo": 0, "shields": 0 },
    { "race": "Blue Moon", "name": "Star", "drives": 2, "weapons": 0, "ammo": 0, "cargo": 0, "shields": 0 },
    { "race": "Moon", "name": "Star Blue", "drives": 9, "weapons": 9, "ammo": 9, "cargo": 9, "shields": 9 }
  ],
  "groups": [
    { "number": 7, "race": "Vexari", "type": "Courier", "planet": 1, "count": 12, "speed": 22.36, "from": 0, "fleet": "" },
    { "number": 3, "race": "Vexari", "type": "Courier", "planet": 2, "count": 1, "speed": 5, "from": 0, "fleet": "" },
    { "number": 9, "race": "Vexari", "type": "Heavy Freighter", "planet": 1, "count": 2, "speed": 4.999, "from": 2, "fleet": "Home Guard" },
    { "number": 4, "race": "Vexari", "type": "Courier", "planet": 2, "count": 1, "speed": 4.999, "from": 0, "fleet": "" },
    { "number": 12, "race": "Zorgon", "type": "Courier", "planet": 1, "count": 4, "speed": 7.5, "from": 0, "fleet": "" },
    { "number": 5, "race": "Vexari", "type": "Courier", "planet": 1, "count": 0, "speed": 30, "from": 0, "fleet": "" },
    { "number": 20, "race": "Blue Moon", "type": "Star", "planet": 6, "count": 1, "speed": 1, "from": 0, "fleet": "" }
  ],
  "selection": 7
})";

inline Galaxy SmallGalaxy() {
    return ParseGalaxyJson(kSmallGalaxyJson, "small.json");
}

/// Fills `request` the way the plug-in encodes a query text: blanks split, the first
/// word is "Function", the rest "Parameter.1".., an empty last word is not stored.
inline void EncodeQuery(std::string_view text, CMapStringToString& request) {
    request.RemoveAll();
    request.SetAt("GameName", "Demo Cluster");
    request.SetAt("Turn", "42");
    int count = 0;
    std::string token;
    auto store = [&] {
        const std::string key = count == 0 ? std::string("Function") : "Parameter." + std::to_string(count);
        request.SetAt(key.c_str(), token.c_str());
    };
    for (const char ch : text) {
        if (ch != ' ') {
            token += ch;
            continue;
        }
        store();
        ++count;
        token.clear();
    }
    if (!token.empty()) {
        store();
    }
    request.SetAt("Parameters.Count", std::to_string(count).c_str());
}

/// Fills `request` as the plug-in's list form does: every entry whole, one parameter each.
inline void EncodeList(std::string_view function, const std::vector<std::string>& parameters,
                       CMapStringToString& request) {
    request.RemoveAll();
    request.SetAt("GameName", "Demo Cluster");
    request.SetAt("Turn", "42");
    request.SetAt("Function", std::string(function).c_str());
    request.SetAt("Parameters.Count", std::to_string(parameters.size()).c_str());
    for (std::size_t k = 0; k < parameters.size(); ++k) {
        request.SetAt(("Parameter." + std::to_string(k + 1)).c_str(), parameters[k].c_str());
    }
}

using platform_test::Entries;

} // namespace host::test
