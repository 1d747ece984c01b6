// RunReport.h - what the host tells the player after a run: orders with verdicts and a summary, as text or JSON.
//
// "Ships sent" counts accepted orders (each moves one ship); "relays" counts
// the accepted orders sent on by a group other than the selected one, that
// is the ships that relay groups passed on; "relay chains" counts the routes
// those ships form, one per first relay hop, as the plan's picture draws
// them; "queries" counts the callback calls other than "Add".
#pragma once

#include "galaxy/Galaxy.h"
#include "json/JsonText.h"
#include "answer/RunOutcome.h"

#include <cstdint>
#include <iosfwd>
#include <string>

namespace host {

struct PlanSummary {
    std::int32_t shipsSent = 0;
    std::int32_t relays = 0;
    std::int32_t relayChains = 0;
    std::int64_t queries = 0;
    std::int64_t answerFaults = 0;
    double planMs = 0.0;
};

/// "1 ship" or "3 ships": `one` for a count of one, `many` for every other.
std::string CountedText(std::int64_t count, const std::string& one, const std::string& many);

PlanSummary Summarize(const RunOutcome& outcome, std::int32_t selectedGroup);

/// The --json object: {"orders": [...], "message_box": ..., "cancelled": ..., "summary": {...}},
/// the summary {"ships_sent", "relays", "queries", "answer_faults", "plan_ms"};
/// each order {"order", "accepted", "reason", "from", "to", "relay"}, planets as numbers or null.
OrderedJson ReportJson(const RunOutcome& outcome, std::int32_t selectedGroup);

/// Why the run gave no orders, as one sentence; empty when it gave some.
/// `galaxy` as the run left it (with no accepted order, as it was before).
std::string NoOrdersReason(const RunOutcome& outcome, const Galaxy& galaxy);

/// The human report: a table of the orders under a header row, the reason when there are
/// none, and the summary. `galaxy` as the orders left it, for the planets' names.
void WriteReportText(std::ostream& out, const RunOutcome& outcome, const Galaxy& galaxy,
                     std::int32_t selectedGroup);

} // namespace host
