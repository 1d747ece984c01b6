// BenchGalaxy.cpp - generating the benchmark galaxy and answering the planner's query table from
// it.
#include "relay/BenchGalaxy.h"

#include "platform/CString.h"
#include "platform/FrameworkApi.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

// Ship types of the race: the first two are equivalent (same five values).
struct ShipType {
    const char* name;
    const char* drives;
};
constexpr ShipType kTypes[] = {{"Courier", "1.00"}, {"Runner", "1.00"}, {"Hauler", "2.00"}};

std::vector<std::string> Tokens(CMapStringToString& map) {
    std::vector<std::string> tokens{map["Function"].str()};
    const int count = std::atoi(map["Parameters.Count"]);
    for (int k = 1; k <= count; ++k) {
        CString key;
        key.Format("Parameter.%d", k);
        tokens.push_back(map[key].str());
    }
    return tokens;
}

int PlanetOf(const std::string& designation) {
    return designation.size() > 1 ? std::atoi(designation.c_str() + 1) : 0;
}

void Put(CMapStringToString& map, const char* key, const char* format, ...)
    TARVENIX_PRINTF_FORMAT(3, 4);

void Put(CMapStringToString& map, const char* key, const char* format, ...) {
    char text[64];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    map.SetAt(key, text);
}

} // namespace

BenchGalaxy::BenchGalaxy(const BenchGalaxyShape& shape) : shape_(shape) {
    std::mt19937 engine(shape.seed);
    std::uniform_real_distribution<double> coordinate(0.0, shape.side);
    std::uniform_real_distribution<double> share(0.0, 1.0);

    cells_ = std::max(1, static_cast<int>(shape.side / 25.0));
    grid_.resize(static_cast<std::size_t>(cells_) * cells_);
    groupsOnPlanet_.resize(shape.planets + 1);
    for (int p = 1; p <= shape.planets; ++p) {
        const Planet planet{coordinate(engine), coordinate(engine),
                            share(engine) < shape.ownedShare};
        planets_.push_back(planet);
        const int cx = std::min(cells_ - 1, static_cast<int>(planet.x / shape.side * cells_));
        const int cy = std::min(cells_ - 1, static_cast<int>(planet.y / shape.side * cells_));
        grid_[static_cast<std::size_t>(cy) * cells_ + cx].push_back(p);
    }

    // The selected group stands on the owned planet nearest the middle.
    source_ = 1;
    double best = 1e300;
    for (int p = 1; p <= shape.planets; ++p) {
        const double dx = planets_[p - 1].x - shape.side / 2;
        const double dy = planets_[p - 1].y - shape.side / 2;
        if (planets_[p - 1].owned && dx * dx + dy * dy < best) {
            best = dx * dx + dy * dy;
            source_ = p;
        }
    }
    planets_[source_ - 1].owned = true;
    groups_.push_back({1, source_, "Courier", shape.ships, shape.sourceSpeed});
    selected_ = 1;
    groupsOnPlanet_[source_].push_back(1);

    for (int p = 1; p <= shape.planets; ++p) {
        if (p == source_ || share(engine) >= shape.groupShare) {
            continue;
        }
        const int number = static_cast<int>(groups_.size()) + 1;
        if (share(engine) < shape.idleShare) {
            groups_.push_back({number, p, share(engine) < 0.5 ? "Courier" : "Runner", 1, 40.0});
        } else {
            groups_.push_back(
                {number, p, kTypes[engine() % 3].name, 1 + static_cast<int>(engine() % 5), 30.0});
        }
        groupsOnPlanet_[p].push_back(number);
    }
}

std::int32_t BenchGalaxy::SourceSpeedHundredths() const {
    return static_cast<std::int32_t>(shape_.sourceSpeed * 100.0);
}

std::vector<int> BenchGalaxy::PlanetsWithin(int centre, double range) const {
    std::vector<int> found;
    const Planet& a = planets_[centre - 1];
    const double cell = shape_.side / cells_;
    const int x0 = std::max(0, static_cast<int>((a.x - range) / cell));
    const int x1 = std::min(cells_ - 1, static_cast<int>((a.x + range) / cell));
    const int y0 = std::max(0, static_cast<int>((a.y - range) / cell));
    const int y1 = std::min(cells_ - 1, static_cast<int>((a.y + range) / cell));
    for (int cy = y0; cy <= y1; ++cy) {
        for (int cx = x0; cx <= x1; ++cx) {
            for (int v : grid_[static_cast<std::size_t>(cy) * cells_ + cx]) {
                const double dx = planets_[v - 1].x - a.x;
                const double dy = planets_[v - 1].y - a.y;
                if (std::sqrt(dx * dx + dy * dy) <= range) {
                    found.push_back(v);
                }
            }
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

void BenchGalaxy::AnswerRange(CMapStringToString& map, int a, int b, double range) const {
    if (a < 1 || a > shape_.planets || b < 1 || b > shape_.planets) {
        return;
    }
    const std::vector<int> found = PlanetsWithin(a, range);
    const Planet& pa = planets_[a - 1];
    const Planet& pb = planets_[b - 1];
    const double ux = pb.x - pa.x;
    const double uy = pb.y - pa.y;
    const double ulen = std::sqrt(ux * ux + uy * uy);
    Put(map, "Count", "%d", static_cast<int>(found.size()));
    for (std::size_t i = 0; i < found.size(); ++i) {
        const Planet& pv = planets_[found[i] - 1];
        const double wx = pv.x - pa.x;
        const double wy = pv.y - pa.y;
        const double wlen = std::sqrt(wx * wx + wy * wy);
        double angle = 0.0;
        if (a == b) {
            angle = found[i] == a ? 0.0 : std::atan2(wy, wx);
        } else if (ulen > 0.0 && wlen > 0.0) {
            angle = std::acos(std::clamp((ux * wx + uy * wy) / (ulen * wlen), -1.0, 1.0));
        }
        char key[40];
        std::snprintf(key, sizeof key, "Planet.%zu", i + 1);
        Put(map, key, "#%d", found[i]);
        std::snprintf(key, sizeof key, "Angle.%zu", i + 1);
        Put(map, key, "%.6f", angle);
    }
}

void BenchGalaxy::AnswerGroup(CMapStringToString& map, int number) const {
    if (number < 1 || number > static_cast<int>(groups_.size())) {
        return;
    }
    const Group& group = groups_[number - 1];
    Put(map, "Num", "%d", group.number);
    map.SetAt("Owner", RaceName());
    map.SetAt("Name", group.type.c_str());
    Put(map, "Planet", "#%d", group.planet);
    map.SetAt("Source", "");
    map.SetAt("Feet", "");
    Put(map, "Count", "%d", group.ships);
    Put(map, "Speed", "%.2f", group.speed);
}

void BenchGalaxy::AnswerShipType(CMapStringToString& map, const std::string& type) const {
    for (const ShipType& known : kTypes) {
        if (type == known.name) {
            map.SetAt("Name", known.name);
            map.SetAt("Drives", known.drives);
            for (const char* key : {"Weapons", "Ammo", "Cargo", "Shields"}) {
                map.SetAt(key, "0.00");
            }
        }
    }
}

void BenchGalaxy::Answer(CMapStringToString& map) const {
    const std::vector<std::string> t = Tokens(map);
    const auto is = [&t](std::size_t size, const char* word, const char* what) {
        return t.size() == size && t[0] == word && t[1] == what;
    };
    if (is(2, "List", "PlanetsNum")) {
        Put(map, "Count", "%d", shape_.planets);
    } else if (is(3, "Get", "Planet")) {
        const int p = PlanetOf(t[2]);
        if (p >= 1 && p <= shape_.planets) {
            Put(map, "Num", "%d", p);
            map.SetAt("Owner", planets_[p - 1].owned ? RaceName() : "");
        }
    } else if (is(3, "Get", "Race")) {
        map.SetAt("Name", RaceName());
        Put(map, "DrivesTech", "%.2f", shape_.drivesTech);
    } else if (is(5, "List", "PlanetsAndRange")) {
        AnswerRange(map, PlanetOf(t[2]), PlanetOf(t[3]), std::atof(t[4].c_str()));
    } else if (is(4, "Get", "ShipType")) {
        AnswerShipType(map, t[2]);
    } else if (is(2, "List", "ShipTypes")) {
        Put(map, "Count", "%d", 3);
        for (int i = 0; i < 3; ++i) {
            Put(map, std::to_string(i + 1).c_str(), "%s", kTypes[i].name);
        }
    } else if (is(4, "List", "Groups")) {
        const int p = PlanetOf(t[2]);
        const std::vector<int> none;
        const std::vector<int>& here = p >= 1 && p <= shape_.planets ? groupsOnPlanet_[p] : none;
        Put(map, "Count", "%d", static_cast<int>(here.size()));
        for (std::size_t i = 0; i < here.size(); ++i) {
            Put(map, std::to_string(i + 1).c_str(), "%d", here[i]);
        }
    } else if (is(3, "Get", "Group")) {
        AnswerGroup(map, std::atoi(t[2].c_str()));
    }
}
