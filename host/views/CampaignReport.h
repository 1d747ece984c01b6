// CampaignReport.h - what the host tells the player about a campaign: a line per turn and a
// closing table, one JSON object, or a small page with the coverage per turn.
//
// Nothing here depends on the time a command took: the same campaign gives the same bytes.
#pragma once

#include "campaign/Campaign.h"
#include "json/JsonText.h"

#include <iosfwd>
#include <string>

namespace host {

/// "Turn 42: 3 commands, 17 ships sent (4 by relays), 9 planets newly covered, 21 covered, 5 ships idle".
std::string CampaignTurnLine(const CampaignTurn& turn);

/// The closing table, one row per turn, and how the campaign ended.
void WriteCampaignTable(std::ostream& out, const CampaignResult& result);

/// {"turns": [{"turn", "commands": [{"group", "orders", "cancelled", "message_box"}], "ships_sent",
/// "relays", "newly_covered", "covered", "idle_ships"}], "covered_at_start", "commands_run",
/// "interrupted"}; the orders as plan's --json gives them.
OrderedJson CampaignJson(const CampaignResult& result);

/// One self-contained page: the table and a bar chart of the planets covered per turn.
std::string WriteCampaignPage(const CampaignResult& result, const std::string& game);

} // namespace host
