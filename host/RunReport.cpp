// RunReport.cpp - the summary counts and the two forms of the report.
#include "host/RunReport.h"

#include <cmath>
#include <iomanip>
#include <ostream>
#include <string>

namespace host {
namespace {

/// `#p name`, or `#p` alone for a number that names no planet. Streamed, not concatenated:
/// GCC 12 at -O3 takes short string concatenations for overlapping copies (-Wrestrict).
void WritePlanet(std::ostream& out, const Galaxy& galaxy, std::int32_t number) {
    out << '#' << number;
    if (galaxy.HasPlanet(number)) {
        out << ' ' << galaxy.PlanetAt(number).name;
    }
}

double RoundedMs(double ms) {
    return std::round(ms * 1000.0) / 1000.0;
}

} // namespace

PlanSummary Summarize(const RunOutcome& outcome, std::int32_t selectedGroup) {
    PlanSummary summary;
    for (const OrderResult& order : outcome.orders) {
        if (order.accepted) {
            ++summary.shipsSent;
            summary.relays += order.group != selectedGroup ? 1 : 0;
        }
    }
    summary.queries = outcome.queries;
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
                         {"plan_ms", RoundedMs(summary.planMs)}};
    return report;
}

void WriteReportText(std::ostream& out, const RunOutcome& outcome, const Galaxy& galaxy,
                     std::int32_t selectedGroup) {
    if (outcome.messageBox) {
        out << "Message box: " << *outcome.messageBox << "  [OK]\n";
    }
    if (!outcome.orders.empty()) {
        out << "Orders:\n";
        for (const OrderResult& order : outcome.orders) {
            out << "  " << std::left << std::setw(12) << order.order << ' ';
            if (order.accepted) {
                out << "accepted  ";
                WritePlanet(out, galaxy, order.origin);
                out << " -> ";
                WritePlanet(out, galaxy, order.destination);
                if (order.group != selectedGroup) {
                    out << "  (relay group " << order.group << ')';
                }
            } else {
                out << "refused   " << order.reason;
            }
            out << '\n';
        }
    }
    if (outcome.Cancelled()) {
        out << "Cancelled: nothing was sent.\n";
    } else if (outcome.addRequests > 0 && outcome.orders.empty()) {
        out << "The plan holds no orders.\n";
    }
    const PlanSummary summary = Summarize(outcome, selectedGroup);
    out << "Summary: " << summary.shipsSent << " ships sent, " << summary.relays << " relays used, "
        << summary.queries << " queries answered, planning took " << std::fixed << std::setprecision(1)
        << summary.planMs << " ms\n";
}

} // namespace host
