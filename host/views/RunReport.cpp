// RunReport.cpp - the summary counts and the two forms of the report.
#include "views/RunReport.h"

#include "galaxy/GroupSurvey.h"
#include "text/NumberText.h"
#include "text/SafeText.h"
#include "text/TextColumns.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace host {
namespace {

constexpr const char* kIndent = "  ";
constexpr const char* kColumnGap = "  ";
constexpr const char* kRouteArrow = " -> ";

/// `#p name`, or `#p` alone for a number that names no planet.
std::string PlanetText(const Galaxy& galaxy, std::int32_t number) {
    std::string text = "#";
    text += std::to_string(number);
    if (galaxy.HasPlanet(number)) {
        text.append(" ").append(EscapeControls(galaxy.PlanetAt(number).name));
    }
    return text;
}

double RoundedMs(double ms) {
    return std::round(ms * 1000.0) / 1000.0;
}

bool IsRelay(const OrderResult& order, std::int32_t selectedGroup) {
    return order.group != 0 && order.group != selectedGroup;
}

/// A planet number in the JSON report; 0 (not parsed, not reached) is null.
OrderedJson PlanetJson(std::int32_t number) {
    return number != 0 ? OrderedJson(number) : OrderedJson(nullptr);
}

/// The order table's cells, one row per order, and each column's width in display columns.
class OrderTable {
public:
    OrderTable(const std::vector<OrderResult>& orders, const Galaxy& galaxy, std::int32_t selectedGroup) {
        for (const OrderResult& order : orders) {
            Row row{order.order, order.accepted ? "accepted" : "refused", {}, {}, {}};
            if (order.accepted) {
                row.from = PlanetText(galaxy, order.origin);
                row.to = PlanetText(galaxy, order.destination);
                row.sentBy = (IsRelay(order, selectedGroup) ? "relay group " : "group ") + std::to_string(order.group);
                anyAccepted_ = true;
            } else {
                row.from = order.reason;
            }
            rows_.push_back(row);
        }
        for (const Row& row : rows_) {
            orderWidth_ = std::max(orderWidth_, DisplayColumns(row.order));
            if (!row.to.empty()) {
                fromWidth_ = std::max(fromWidth_, DisplayColumns(row.from));
                toWidth_ = std::max(toWidth_, DisplayColumns(row.to));
            }
        }
    }

    void Write(std::ostream& out) const {
        out << "Orders:\n" << kIndent << PadToColumns("Order", orderWidth_) << kColumnGap
            << PadToColumns("Result", kResultWidth) << kColumnGap;
        if (anyAccepted_) {
            out << PadToColumns("From", fromWidth_) << PadToColumns("", DisplayColumns(kRouteArrow))
                << PadToColumns("To", toWidth_) << kColumnGap << "Sent by\n";
        } else {
            out << "Reason\n";
        }
        for (const Row& row : rows_) {
            out << kIndent << PadToColumns(row.order, orderWidth_) << kColumnGap
                << PadToColumns(row.result, kResultWidth) << kColumnGap;
            if (row.to.empty()) {
                out << row.from << '\n'; // a refusal's reason runs to the end of the line
                continue;
            }
            out << PadToColumns(row.from, fromWidth_) << kRouteArrow << PadToColumns(row.to, toWidth_)
                << kColumnGap << row.sentBy << '\n';
        }
    }

private:
    struct Row {
        std::string order;
        std::string result;
        std::string from; // a refused order's reason
        std::string to;   // empty for a refused order
        std::string sentBy;
    };
    static constexpr std::size_t kResultWidth = 8; // "accepted"

    std::vector<Row> rows_;
    bool anyAccepted_ = false;
    std::size_t orderWidth_ = DisplayColumns("Order");
    std::size_t fromWidth_ = DisplayColumns("From");
    std::size_t toWidth_ = DisplayColumns("To");
};

std::string SummaryLine(const PlanSummary& summary) {
    std::string line = "Summary: " + CountedText(summary.shipsSent, "ship sent", "ships sent");
    if (summary.relays > 0) {
        line += ", " + std::to_string(summary.relays) + " of them sent on by " +
                (summary.relays == 1 ? "a relay group" : "relay groups") + " (" +
                CountedText(summary.relayChains, "relay chain", "relay chains") + ")";
    }
    line += "; " + CountedText(summary.queries, "query answered", "queries answered");
    if (summary.answerFaults > 0) {
        line += "; " + CountedText(summary.answerFaults, "fault in the host's answering",
                                   "faults in the host's answering");
    }
    return line + "; planning took " + FixedText(summary.planMs, 1) + " ms";
}

/// Why a group with ships, in orbit, got no orders: the first of the plug-in's conditions for a
/// destination that no planet meets, as the host finds them in the galaxy.
std::string ReasonFromReach(const Galaxy& galaxy, const Group& group) {
    GroupSurvey survey(galaxy);
    const std::string race = EscapeControls(group.race);
    if (!survey.OwnsAPlanet(group.race)) {
        return race + " owns no planet, so no planet lies within its drive range";
    }
    const GroupProspect prospect = survey.Survey(group);
    const std::string groupText = "group " + std::to_string(group.number);
    if (prospect.othersInSpeed == 0) {
        return "no other planet lies within " + groupText + "'s speed (" + FixedText(group.speed, 2) + ") of " +
               PlanetText(galaxy, group.planet);
    }
    if (prospect.othersReachable == 0) {
        return "none of the " + CountedText(prospect.othersInSpeed, "planet", "planets") + " within " + groupText +
               "'s speed lies within " + race + "'s drive range (" + FixedText(survey.DriveRange(group.race), 2) +
               ") of a planet " + race + " owns";
    }
    const std::string type = EscapeControls(group.type);
    if (prospect.uncoveredInReach == 0) {
        return "every planet within reach already holds a " + type + " or an equivalent ship";
    }
    return "the plug-in sent no ship, though " + CountedText(prospect.uncoveredInReach, "planet", "planets") +
           " within reach " + (prospect.uncoveredInReach == 1 ? "holds" : "hold") + " no " + type +
           " or equivalent ship";
}

} // namespace

std::string CountedText(std::int64_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

PlanSummary Summarize(const RunOutcome& outcome, std::int32_t selectedGroup) {
    PlanSummary summary;
    // A chain starts with a relay hop from a planet that no other relay hop reached.
    std::set<std::int32_t> reachedByRelay;
    for (const OrderResult& order : outcome.orders) {
        if (order.accepted && IsRelay(order, selectedGroup)) {
            reachedByRelay.insert(order.destination);
        }
    }
    for (const OrderResult& order : outcome.orders) {
        if (!order.accepted) {
            continue;
        }
        ++summary.shipsSent;
        if (IsRelay(order, selectedGroup)) {
            ++summary.relays;
            summary.relayChains += reachedByRelay.count(order.origin) == 0 ? 1 : 0;
        }
    }
    summary.queries = outcome.queries;
    summary.answerFaults = outcome.answerFaults;
    summary.planMs = outcome.planMs;
    return summary;
}

OrderedJson ReportJson(const RunOutcome& outcome, std::int32_t selectedGroup) {
    OrderedJson orders = OrderedJson::array();
    for (const OrderResult& order : outcome.orders) {
        OrderedJson entry = OrderedJson::object();
        entry["order"] = order.order;
        entry["accepted"] = order.accepted;
        entry["reason"] = order.reason;
        entry["from"] = PlanetJson(order.origin);
        entry["to"] = PlanetJson(order.destination);
        entry["relay"] = IsRelay(order, selectedGroup);
        orders.push_back(std::move(entry));
    }
    const PlanSummary summary = Summarize(outcome, selectedGroup);
    OrderedJson report = OrderedJson::object();
    report["orders"] = std::move(orders);
    report["message_box"] = outcome.messageBox ? OrderedJson(*outcome.messageBox) : OrderedJson(nullptr);
    report["cancelled"] = outcome.Cancelled();
    report["summary"] = {{"ships_sent", summary.shipsSent},
                         {"relays", summary.relays},
                         {"queries", summary.queries},
                         {"answer_faults", summary.answerFaults},
                         {"plan_ms", RoundedMs(summary.planMs)}};
    return report;
}

std::string NoOrdersReason(const RunOutcome& outcome, const Galaxy& galaxy) {
    if (!outcome.orders.empty()) {
        return {};
    }
    if (outcome.Cancelled()) {
        return "Cancel was pressed before the plan was complete, so nothing was sent";
    }
    if (outcome.messageBox) {
        return "the plug-in showed the message above instead of planning";
    }
    if (outcome.addRequests == 0) {
        return "the plug-in ended without sending a plan";
    }
    const Group& group = galaxy.SelectedGroup();
    if (group.count == 0) {
        return "group " + std::to_string(group.number) + " has no ship left to send";
    }
    return ReasonFromReach(galaxy, group);
}

void WriteReportText(std::ostream& out, const RunOutcome& outcome, const Galaxy& galaxy,
                     std::int32_t selectedGroup) {
    if (outcome.messageBox) {
        out << "Message box: " << *outcome.messageBox << "  [OK]\n";
    }
    if (!outcome.orders.empty()) {
        OrderTable(outcome.orders, galaxy, selectedGroup).Write(out);
    } else if (outcome.Cancelled()) {
        out << "Cancelled: nothing was sent.\n";
    } else {
        out << "The plan holds no orders: " << NoOrdersReason(outcome, galaxy) << ".\n";
    }
    out << SummaryLine(Summarize(outcome, selectedGroup)) << '\n';
}

} // namespace host
