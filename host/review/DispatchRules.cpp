// DispatchRules.cpp - planets judged as the plug-in sees them before the orders, ranges as it works them out.
#include "review/DispatchRules.h"

#include "galaxy/GroupSurvey.h"
#include "text/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace host {
namespace {

/// A decimal text as the plug-in's atof reads it; the host writes only plain decimals.
double ReadDecimal(const std::string& text) {
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

/// The plug-in's drive range is its race's drive technology times 40.
constexpr double kDriveRangePerTech = 40.0;

} // namespace

double AsPrintedRange(double value) {
    return ReadDecimal(FixedText(value, 6));
}

DispatchRules::DispatchRules(const Galaxy& galaxy, std::int32_t selectedGroup, std::int32_t highestGroupBefore,
                             const std::vector<OrderResult>& orders)
    : galaxy_(galaxy), selected_(*galaxy.FindGroup(selectedGroup)), highestGroupBefore_(highestGroupBefore),
      equivalentTypes_(EquivalentTypeNames(galaxy, selected_)),
      kinds_(static_cast<std::size_t>(galaxy.PlanetCount()) + 1, PlanetKind::Unjudged) {
    for (const OrderResult& order : orders) {
        if (order.accepted) {
            ++shipsSentBy_[order.group];
        }
    }
    // The plug-in reads the printed speed, keeps whole hundredths, and asks for them times a float 0.01.
    const double hundredths = std::trunc(ReadDecimal(FixedText(selected_.speed, 2)) * 100.0);
    plannedRange_ = AsPrintedRange(static_cast<std::int32_t>(hundredths) * static_cast<double>(0.01f));
    if (const Race* race = galaxy.FindRace(selected_.race)) {
        const float range = static_cast<float>(ReadDecimal(FixedText(race->drivesTech, 2)) * kDriveRangePerTech);
        driveRange_ = AsPrintedRange(range);
    }
}

std::int32_t DispatchRules::CountBefore(const Group& group) const {
    const auto sent = shipsSentBy_.find(group.number);
    return group.count + (sent != shipsSentBy_.end() ? sent->second : 0);
}

bool DispatchRules::WithinDriveRange(std::int32_t planet) {
    near_.clear();
    galaxy_.PlanetsWithinRange(planet, driveRange_, near_);
    return std::any_of(near_.begin(), near_.end(),
                       [&](std::int32_t owned) { return galaxy_.PlanetAt(owned).owner == selected_.race; });
}

PlanetKind DispatchRules::KindOf(std::int32_t planet) {
    if (!galaxy_.HasPlanet(planet)) {
        return PlanetKind::OutOfRange;
    }
    PlanetKind& kind = kinds_[static_cast<std::size_t>(planet)];
    if (kind == PlanetKind::Unjudged) {
        kind = JudgeKind(planet);
    }
    return kind;
}

double DispatchRules::RelaySpeed(std::int32_t planet) {
    return KindOf(planet) == PlanetKind::Relay ? relaySpeed_[planet] : 0.0;
}

PlanetKind DispatchRules::JudgeKind(std::int32_t planet) {
    if (planet == Source()) {
        return PlanetKind::Source;
    }
    if (!WithinDriveRange(planet)) {
        return PlanetKind::OutOfRange;
    }
    std::vector<std::int32_t> numbers;
    galaxy_.GroupsAtPlanet(planet, selected_.race, numbers);
    bool held = false;
    double fastestIdle = -1.0;
    for (const std::int32_t number : numbers) {
        const Group& group = *galaxy_.FindGroup(number);
        const bool equivalent = std::any_of(equivalentTypes_.begin(), equivalentTypes_.end(),
                                            [&](const std::string* name) { return *name == group.type; });
        if (number > highestGroupBefore_ || !equivalent) {
            continue; // the orders' own ships, or a type the plug-in does not count
        }
        held = true;
        if (group.InOrbit() && group.fleet.empty() && CountBefore(group) == 1) {
            fastestIdle = std::max(fastestIdle, group.speed);
        }
    }
    if (fastestIdle >= 0.0) {
        relaySpeed_[planet] = fastestIdle;
        return PlanetKind::Relay;
    }
    return held ? PlanetKind::Held : PlanetKind::Destination;
}

} // namespace host
