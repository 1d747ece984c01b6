// OrderChecker.cpp - judging "G #P 1" orders one by one and sending the ship of each accepted one.
#include "answer/OrderChecker.h"

#include "answer/HostRequest.h"
#include "text/NumberText.h"

#include <limits>
#include <optional>

namespace host {

namespace {

struct ParsedOrder {
    std::int32_t group = 0;
    std::int32_t planet = 0;
};

/// Exactly "G #P 1": single blanks, plain digits, one ship. Nothing else is an order.
std::optional<ParsedOrder> ParseOrder(std::string_view text) {
    const std::size_t firstBlank = text.find(' ');
    if (firstBlank == std::string_view::npos) {
        return std::nullopt;
    }
    const std::size_t secondBlank = text.find(' ', firstBlank + 1);
    if (secondBlank == std::string_view::npos || text.substr(secondBlank + 1) != "1") {
        return std::nullopt;
    }
    const std::optional<std::int32_t> group = ParseWholeNumber(text.substr(0, firstBlank));
    const std::optional<std::int32_t> planet =
        ParsePlanetDesignation(text.substr(firstBlank + 1, secondBlank - firstBlank - 1));
    if (!group || !planet) {
        return std::nullopt;
    }
    return ParsedOrder{*group, *planet};
}

OrderResult Refused(OrderResult result, std::string reason) {
    result.accepted = false;
    result.reason = std::move(reason);
    return result;
}

} // namespace

OrderResult OrderChecker::CheckAndApply(std::string_view orderText, std::string_view race) {
    OrderResult result;
    result.order = std::string(orderText);
    const std::optional<ParsedOrder> parsed = ParseOrder(orderText);
    if (!parsed) {
        return Refused(std::move(result), "malformed order, expected \"G #P 1\"");
    }
    result.group = parsed->group;
    result.destination = parsed->planet;
    const std::string groupName = "group " + std::to_string(parsed->group);

    const Group* group = galaxy_.FindGroup(parsed->group);
    if (group == nullptr) {
        return Refused(std::move(result), "unknown " + groupName);
    }
    if (group->race != race) {
        return Refused(std::move(result),
                       groupName + " belongs to " + group->race.Text() + ", not " + std::string(race));
    }
    if (!group->InOrbit()) {
        return Refused(std::move(result), groupName + " is not in orbit");
    }
    if (group->count < 1) {
        return Refused(std::move(result), groupName + " has no ships left");
    }
    if (!galaxy_.HasPlanet(parsed->planet)) {
        return Refused(std::move(result), "unknown planet #" + std::to_string(parsed->planet));
    }
    // The exact distance against the exact speed: the two-place text the plug-in saw may differ.
    const double distance = galaxy_.Distance(group->planet, parsed->planet);
    if (!(distance <= group->speed)) {
        return Refused(std::move(result), "planet #" + std::to_string(parsed->planet) + " is out of reach of " +
                                              groupName + ": distance " + FixedText(distance, 4) + ", speed " +
                                              FixedText(group->speed, 4));
    }
    if (galaxy_.HighestGroupNumber() == std::numeric_limits<std::int32_t>::max()) {
        return Refused(std::move(result), "no group number left for the ship");
    }
    result.origin = group->planet;
    result.newGroup = galaxy_.SplitOffShip(parsed->group, parsed->planet);
    result.accepted = true;
    return result;
}

std::vector<OrderResult> OrderChecker::ApplyAddRequest(const CMapStringToString& request) {
    const HostRequest reader(request);
    const std::optional<std::int32_t> count = reader.ParameterCount();
    if (!count) {
        OrderResult result;
        result.order = reader.Value("Parameters.Count");
        return {Refused(std::move(result), "malformed request: bad Parameters.Count")};
    }
    const std::string head = reader.Parameter(1);
    if (*count < 1 || head != kSendGroupHead) {
        OrderResult result;
        result.order = head;
        return {Refused(std::move(result), "malformed request: parameter 1 is not SendGroup")};
    }
    const std::string race = galaxy_.SelectedGroup().race;
    std::vector<OrderResult> results;
    results.reserve(static_cast<std::size_t>(*count - 1));
    for (std::int32_t index = 2; index <= *count; ++index) {
        results.push_back(CheckAndApply(reader.Parameter(index), race));
    }
    return results;
}

} // namespace host
