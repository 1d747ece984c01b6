// BenchGalaxy.h - a generated galaxy that answers the planner's queries in process, for benchmarks.
//
// Reproducible from its seed. Planets lie uniformly in a square; the race owns
// a share of them; groups of the race's ship types stand on a share of the
// planets, some of them idle one-ship groups that can carry a relay on. The
// answers follow the host's formats (planets "#%d", decimals "%.2f", angles
// "%.6f") and its geometry, and a grid finds the planets within a range
// without scanning the whole galaxy. Names hold no blanks.
#pragma once

#include "platform/CMapStringToString.h"

#include <cstdint>
#include <string>
#include <vector>

struct BenchGalaxyShape {
    int planets = 10000;
    double side = 1000.0;      // the square the planets lie in
    double ownedShare = 0.02;  // of the planets, owned by the race
    double groupShare = 0.25;  // of the planets, holding a group of the race
    double idleShare = 0.4;    // of those groups, idle one-ship groups of an equivalent type
    double drivesTech = 2.5;   // range 100 for the race
    double sourceSpeed = 90.0; // the selected group's speed
    int ships = 200;           // the selected group's ships
    std::uint32_t seed = 20261207;
};

class BenchGalaxy {
public:
    explicit BenchGalaxy(const BenchGalaxyShape& shape);

    /// Writes the answer to the request in `map` into `map`, as the host's callback does.
    void Answer(CMapStringToString& map) const;

    int SourcePlanet() const { return source_; }
    int SelectedGroup() const { return selected_; }
    std::int32_t SourceSpeedHundredths() const;
    const char* RaceName() const { return "Vexari"; }
    const char* SelectedType() const { return "Courier"; }

private:
    struct Planet {
        double x;
        double y;
        bool owned;
    };
    struct Group {
        int number;
        int planet;
        std::string type;
        int ships;
        double speed;
    };

    std::vector<int> PlanetsWithin(int centre, double range) const;
    void AnswerRange(CMapStringToString& map, int a, int b, double range) const;
    void AnswerGroup(CMapStringToString& map, int number) const;
    void AnswerShipType(CMapStringToString& map, const std::string& type) const;

    BenchGalaxyShape shape_;
    std::vector<Planet> planets_; // planet p at index p - 1
    std::vector<Group> groups_;   // group g at index g - 1
    std::vector<std::vector<int>> groupsOnPlanet_;
    std::vector<std::vector<int>> grid_; // planet numbers by grid cell
    int cells_ = 1;                      // grid cells per side
    int source_ = 1;
    int selected_ = 1;
};
