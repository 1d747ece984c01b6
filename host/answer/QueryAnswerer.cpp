// QueryAnswerer.cpp - the host's answer to every query the plug-in sends, and the hand-over of "Add" to the order checker.
#include "answer/QueryAnswerer.h"

#include "answer/HostRequest.h"
#include "text/NumberText.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

namespace {

// The host's number forms: whole numbers `%d`, planets `#%d`, decimals `%.2f`, angles `%.6f`.
// Written with to_chars, which gives printf's exact digits without its cost: a range
// answer formats some sixty numbers, and printf's share made it tens of microseconds.

/// `prefix` (a short key or sign) followed by `value` in decimal.
std::string Prefixed(std::string_view prefix, std::int32_t value) {
    char text[32];
    assert(prefix.size() <= 16 && "prefixes are short words");
    char* digits = std::copy(prefix.begin(), prefix.end(), text);
    const auto [end, error] = std::to_chars(digits, text + sizeof text, value);
    return std::string(text, error == std::errc{} ? end : digits);
}

std::string Whole(std::int32_t value) { return Prefixed("", value); }
std::string PlanetText(std::int32_t number) { return Prefixed("#", number); }

std::string Decimal(double value) { return FixedText(value, 2); }
std::string AngleText(double radians) { return FixedText(radians, 6); }

void Put(CMapStringToString& reply, const std::string& key, const std::string& value) {
    reply.SetAt(key.c_str(), value.c_str());
}

/// A request's usable parameter count, with the request to read its words from.
struct Query {
    std::int32_t count = 0;
    const HostRequest* request = nullptr;

    std::string Word(std::int32_t index) const { return request->Parameter(index); }
    std::string NameFrom(std::int32_t first) const { return request->JoinParameters(first, count); }
};

/// Angle at planet a of planet v for a range list: with a == b the bearing of v from a,
/// otherwise the unsigned angle between the rays a->b and a->v; 0 where a ray has no length.
/// Lengths are the galaxy's distances, sqrt(dx*dx + dy*dy), computed from the same differences.
double RangeAngle(const Galaxy::PlanetPlace& a, const Galaxy::PlanetPlace& b, const Galaxy::PlanetPlace& v) {
    if (v.number == a.number) {
        return 0.0;
    }
    const double wx = v.x - a.x;
    const double wy = v.y - a.y;
    if (a.number == b.number) {
        return std::atan2(wy, wx);
    }
    const double ux = b.x - a.x;
    const double uy = b.y - a.y;
    const double lengthU = std::sqrt(ux * ux + uy * uy);
    const double lengthW = std::sqrt(wx * wx + wy * wy);
    if (lengthU == 0.0 || lengthW == 0.0) {
        return 0.0;
    }
    return std::acos(std::max(-1.0, std::min(1.0, (ux * wx + uy * wy) / (lengthU * lengthW))));
}

Galaxy::PlanetPlace PlaceOf(const Galaxy& galaxy, std::int32_t number) {
    const Planet& planet = galaxy.PlanetAt(number);
    return Galaxy::PlanetPlace{number, planet.x, planet.y};
}

/// A range as the plug-in writes it ("%f"); blanks, NaN or anything after the number make it none.
/// Read without the C locale's help, so the host's locale can never change what it reads.
std::optional<double> ParseRange(const std::string& text) {
    double range = 0.0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, range);
    if (error != std::errc{} || stop != end || std::isnan(range)) {
        return std::nullopt;
    }
    return range;
}

bool AnswerSelection(const Galaxy& galaxy, const Query& query, std::int32_t selectionId, std::int32_t menuItemId,
                     CMapStringToString& reply) {
    if (query.count != 2) {
        return false;
    }
    const std::string id = query.Word(1);
    if (id != Whole(selectionId) && id != Whole(menuItemId)) {
        return false;
    }
    const Group& group = galaxy.SelectedGroup();
    const std::string field = query.Word(2);
    std::string answer;
    if (field == "Owner") {
        answer = group.race;
    } else if (field == "Status") {
        answer = group.InOrbit() ? "In orbit" : "In space";
    } else if (field == "Num") {
        answer = Whole(group.number);
    } else if (field == "Name") {
        answer = group.type;
    } else if (field == "Source") {
        answer = PlanetText(group.InOrbit() ? group.planet : group.from);
    } else if (field == "MinSpeed") {
        answer = Decimal(group.speed);
    } else if (field == "Count") {
        answer = Whole(group.count);
    } else {
        return false;
    }
    Put(reply, "1", answer);
    return true;
}

bool AnswerPlanetsAndRange(const Galaxy& galaxy, const Query& query, CMapStringToString& reply) {
    if (query.count != 4) {
        return false;
    }
    const std::optional<std::int32_t> a = ParsePlanetDesignation(query.Word(2));
    const std::optional<std::int32_t> b = ParsePlanetDesignation(query.Word(3));
    const std::optional<double> range = ParseRange(query.Word(4));
    if (!a || !b || !range || !galaxy.HasPlanet(*a) || !galaxy.HasPlanet(*b)) {
        return false;
    }
    std::vector<Galaxy::PlanetPlace> found;
    galaxy.PlanetsWithinRange(*a, *range, found);
    const Galaxy::PlanetPlace placeA = PlaceOf(galaxy, *a);
    const Galaxy::PlanetPlace placeB = PlaceOf(galaxy, *b);
    std::int32_t index = 0;
    for (const Galaxy::PlanetPlace& place : found) {
        Put(reply, Prefixed("Planet.", ++index), PlanetText(place.number));
        Put(reply, Prefixed("Angle.", index), AngleText(RangeAngle(placeA, placeB, place)));
    }
    Put(reply, "Count", Whole(index));
    return true;
}

bool AnswerNumberedList(const std::vector<std::string>& entries, CMapStringToString& reply) {
    std::int32_t index = 0;
    for (const std::string& entry : entries) {
        ++index;
        Put(reply, Whole(index), entry);
    }
    Put(reply, "Count", Whole(index));
    return true;
}

bool AnswerGroupsAtPlanet(const Galaxy& galaxy, const Query& query, CMapStringToString& reply) {
    if (query.count < 2) {
        return false;
    }
    const std::optional<std::int32_t> planet = ParsePlanetDesignation(query.Word(2));
    const std::string race = query.NameFrom(3);
    if (!planet || !galaxy.HasPlanet(*planet) || galaxy.FindRace(race) == nullptr) {
        return false;
    }
    std::vector<std::int32_t> numbers;
    galaxy.GroupsAtPlanet(*planet, race, numbers);
    std::vector<std::string> entries;
    entries.reserve(numbers.size());
    std::transform(numbers.begin(), numbers.end(), std::back_inserter(entries), Whole);
    return AnswerNumberedList(entries, reply);
}

bool AnswerList(const Galaxy& galaxy, const ShipTypeNames& typeNames, const Query& query,
                CMapStringToString& reply) {
    const std::string what = query.Word(1);
    if (what == "PlanetsNum" && query.count == 1) {
        Put(reply, "Count", Whole(galaxy.PlanetCount()));
        return true;
    }
    if (what == "ShipTypes" && query.count == 1) {
        return AnswerNumberedList(typeNames.Distinct(), reply);
    }
    if (what == "PlanetsAndRange") {
        return AnswerPlanetsAndRange(galaxy, query, reply);
    }
    if (what == "Groups") {
        return AnswerGroupsAtPlanet(galaxy, query, reply);
    }
    return false;
}

/// A planet named "#p" by number, or else by its name.
std::int32_t FindPlanetByDesignation(const Galaxy& galaxy, const std::string& designation) {
    const std::optional<std::int32_t> number = ParsePlanetDesignation(designation);
    if (number && galaxy.HasPlanet(*number)) {
        return *number;
    }
    return galaxy.FindPlanetNumber(designation);
}

bool AnswerPlanet(const Galaxy& galaxy, const Query& query, CMapStringToString& reply) {
    const std::int32_t number = FindPlanetByDesignation(galaxy, query.NameFrom(2));
    if (number == 0) {
        return false;
    }
    const Planet& planet = galaxy.PlanetAt(number);
    Put(reply, "Num", Whole(number));
    Put(reply, "Name", planet.name);
    Put(reply, "Owner", planet.owner);
    Put(reply, "X", Decimal(planet.x));
    Put(reply, "Y", Decimal(planet.y));
    return true;
}

bool AnswerRace(const Galaxy& galaxy, const Query& query, CMapStringToString& reply) {
    const Race* race = galaxy.FindRace(query.NameFrom(2));
    if (race == nullptr) {
        return false;
    }
    Put(reply, "Name", race->name);
    Put(reply, "DrivesTech", Decimal(race->drivesTech));
    return true;
}

/// The ship type of "<type words> <race words>": the first split at which the pair exists.
/// The type part only grows while it could still be a known name, so even a request
/// with a huge number of parameters costs no more than its own length.
const ShipType* FindTypeAndRace(const Galaxy& galaxy, const ShipTypeNames& typeNames, const Query& query) {
    std::string type;
    for (std::int32_t last = 2; last < query.count; ++last) {
        if (last > 2) {
            type += ' ';
        }
        type += query.Word(last);
        if (type.size() > typeNames.Longest()) {
            return nullptr;
        }
        if (!typeNames.Contains(type)) {
            continue;
        }
        if (const ShipType* found = galaxy.FindShipType(query.NameFrom(last + 1), type)) {
            return found;
        }
    }
    return nullptr;
}

bool AnswerShipType(const Galaxy& galaxy, const ShipTypeNames& typeNames, const Query& query,
                    CMapStringToString& reply) {
    const ShipType* type = FindTypeAndRace(galaxy, typeNames, query);
    if (type == nullptr) {
        return false;
    }
    Put(reply, "Name", type->name);
    Put(reply, "Drives", Decimal(type->drives));
    Put(reply, "Weapons", Decimal(type->weapons));
    Put(reply, "Ammo", Decimal(type->ammo));
    Put(reply, "Cargo", Decimal(type->cargo));
    Put(reply, "Shields", Decimal(type->shields));
    return true;
}

bool AnswerGroup(const Galaxy& galaxy, const Query& query, CMapStringToString& reply) {
    if (query.count != 2) {
        return false;
    }
    const std::optional<std::int32_t> number = ParseWholeNumber(query.Word(2));
    const Group* group = number ? galaxy.FindGroup(*number) : nullptr;
    if (group == nullptr) {
        return false;
    }
    Put(reply, "Num", Whole(group->number));
    Put(reply, "Owner", group->race);
    Put(reply, "Name", group->type);
    Put(reply, "Planet", PlanetText(group->planet));
    Put(reply, "Source", group->InOrbit() ? std::string() : PlanetText(group->from));
    Put(reply, "Feet", group->fleet);
    Put(reply, "Count", Whole(group->count));
    Put(reply, "Speed", Decimal(group->speed));
    return true;
}

bool AnswerGet(const Galaxy& galaxy, const ShipTypeNames& typeNames, const Query& query, CMapStringToString& reply) {
    const std::string what = query.Word(1);
    if (what == "Planet") {
        return AnswerPlanet(galaxy, query, reply);
    }
    if (what == "Race") {
        return AnswerRace(galaxy, query, reply);
    }
    if (what == "ShipType") {
        return AnswerShipType(galaxy, typeNames, query, reply);
    }
    if (what == "Group") {
        return AnswerGroup(galaxy, query, reply);
    }
    return false;
}

} // namespace

bool QueryAnswerer::Answer(CMapStringToString& request) {
    try {
        return AnswerRequest(request);
    } catch (...) {
        // The callback is called across the plug-in's boundary: nothing may escape it.
        ++faults_;
        return false;
    }
}

bool QueryAnswerer::AnswerRequest(CMapStringToString& request) {
    const HostRequest reader(request);
    const std::string function = reader.Function();
    if (function == "Add") {
        // Judged even when malformed, so that a bad hand-over shows among the orders.
        std::vector<OrderResult> judged = orders_.ApplyAddRequest(request);
        orderResults_.insert(orderResults_.end(), std::make_move_iterator(judged.begin()),
                             std::make_move_iterator(judged.end()));
        return true;
    }
    const std::optional<std::int32_t> count = reader.ParameterCount();
    if (!count) {
        return false;
    }
    const Query query{*count, &reader};
    if (function == "Selection") {
        return AnswerSelection(galaxy_, query, selectionId_, menuItemId_, request);
    }
    if (function == "List") {
        return AnswerList(galaxy_, typeNames_, query, request);
    }
    if (function == "Get") {
        return AnswerGet(galaxy_, typeNames_, query, request);
    }
    return false;
}

} // namespace host
