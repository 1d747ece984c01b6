// RunReport.h - what the host tells the player after a run: orders with verdicts and a summary, as text or JSON.
//
// "Ships sent" counts accepted orders (each moves one ship); "relays" counts
// the accepted orders sent on by a group other than the selected one, that
// is the relay groups the plan used; "queries" counts the callback calls
// other than "Add".
#pragma once

#include "host/Galaxy.h"
#include "host/JsonText.h"
#include "host/PluginSession.h"

#include <cstdint>
#include <iosfwd>

namespace host {

struct PlanSummary {
    std::int32_t shipsSent = 0;
    std::int32_t relays = 0;
    std::int64_t queries = 0;
    double planMs = 0.0;
};

PlanSummary Summarize(const RunOutcome& outcome, std::int32_t selectedGroup);

/// The --json object: {"orders": [...], "message_box": ..., "cancelled": ..., "summary": {...}}.
OrderedJson ReportJson(const RunOutcome& outcome, std::int32_t selectedGroup);

/// The human report; `galaxy` as the orders left it, for the planets' names.
void WriteReportText(std::ostream& out, const RunOutcome& outcome, const Galaxy& galaxy,
                     std::int32_t selectedGroup);

} // namespace host
