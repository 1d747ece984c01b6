// CampaignReport.cpp - the campaign's turns as text, JSON and a page with an SVG bar chart.
#include "views/CampaignReport.h"

#include "views/PlanPicture.h"
#include "views/RunReport.h"
#include "text/SafeText.h"
#include "text/TextColumns.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <sstream>
#include <string_view>

namespace host {
namespace {

struct Column {
    const char* heading;
    std::int64_t (*value)(const CampaignTurn&);
};

constexpr std::array kColumns = {
    Column{"Turn", [](const CampaignTurn& t) -> std::int64_t { return t.turn; }},
    Column{"Commands", [](const CampaignTurn& t) -> std::int64_t { return static_cast<std::int64_t>(t.commands.size()); }},
    Column{"Sent", [](const CampaignTurn& t) -> std::int64_t { return t.shipsSent; }},
    Column{"By relays", [](const CampaignTurn& t) -> std::int64_t { return t.relays; }},
    Column{"New", [](const CampaignTurn& t) -> std::int64_t { return t.newlyCovered; }},
    Column{"Covered", [](const CampaignTurn& t) -> std::int64_t { return t.covered; }},
    Column{"Idle", [](const CampaignTurn& t) -> std::int64_t { return t.idleShips; }},
};

std::string ClosingLine(const CampaignResult& result) {
    std::string line = CountedText(static_cast<std::int64_t>(result.turns.size()), "turn", "turns") + ", " +
                       CountedText(result.commandsRun, "command", "commands") + "; planets covered: " +
                       std::to_string(result.coveredAtStart) + " at the start, " +
                       std::to_string(result.turns.empty() ? result.coveredAtStart : result.turns.back().covered) +
                       " at the end";
    if (result.interrupted) {
        line += "; interrupted: the command under way was cancelled and the campaign ended";
    }
    return line;
}

} // namespace

std::string CampaignTurnLine(const CampaignTurn& turn) {
    std::string line = "Turn " + std::to_string(turn.turn) + ": " +
                       CountedText(static_cast<std::int64_t>(turn.commands.size()), "command", "commands") + ", " +
                       CountedText(turn.shipsSent, "ship sent", "ships sent");
    if (turn.relays > 0) {
        line += " (" + std::to_string(turn.relays) + " by relays)";
    }
    const auto cancelled = std::count_if(turn.commands.begin(), turn.commands.end(),
                                         [](const CampaignCommand& c) { return c.outcome.Cancelled(); });
    if (cancelled > 0) {
        line += ", " + std::to_string(cancelled) + " cancelled";
    }
    return line + ", " + CountedText(turn.newlyCovered, "planet", "planets") + " newly covered, " +
           std::to_string(turn.covered) + " covered, " + CountedText(turn.idleShips, "ship", "ships") + " idle";
}

void WriteCampaignTable(std::ostream& out, const CampaignResult& result) {
    constexpr std::string_view kGap = "  ";
    for (const Column& column : kColumns) {
        out << (&column == kColumns.data() ? "" : kGap) << column.heading;
    }
    out << '\n';
    for (const CampaignTurn& turn : result.turns) {
        for (const Column& column : kColumns) {
            const std::string text = std::to_string(column.value(turn));
            const std::size_t width = DisplayColumns(column.heading);
            out << (&column == kColumns.data() ? "" : kGap) << std::string(width - std::min(width, text.size()), ' ')
                << text;
        }
        out << '\n';
    }
    out << ClosingLine(result) << '\n';
}

OrderedJson CampaignJson(const CampaignResult& result) {
    OrderedJson turns = OrderedJson::array();
    for (const CampaignTurn& turn : result.turns) {
        OrderedJson commands = OrderedJson::array();
        for (const CampaignCommand& command : turn.commands) {
            const OrderedJson plan = ReportJson(command.outcome, command.group);
            OrderedJson entry;
            entry["group"] = command.group;
            entry["orders"] = plan["orders"];
            entry["cancelled"] = plan["cancelled"];
            entry["message_box"] = plan["message_box"];
            commands.push_back(std::move(entry));
        }
        OrderedJson entry;
        entry["turn"] = turn.turn;
        entry["commands"] = std::move(commands);
        entry["ships_sent"] = turn.shipsSent;
        entry["relays"] = turn.relays;
        entry["newly_covered"] = turn.newlyCovered;
        entry["covered"] = turn.covered;
        entry["idle_ships"] = turn.idleShips;
        turns.push_back(std::move(entry));
    }
    OrderedJson report;
    report["turns"] = std::move(turns);
    report["covered_at_start"] = result.coveredAtStart;
    report["commands_run"] = result.commandsRun;
    report["interrupted"] = result.interrupted;
    return report;
}

std::string WriteCampaignPage(const CampaignResult& result, const std::string& game) {
    constexpr int kBarWidth = 28;
    constexpr int kGap = 8;
    constexpr int kChartHeight = 160;
    constexpr int kMargin = 24;
    std::int32_t most = result.coveredAtStart;
    for (const CampaignTurn& turn : result.turns) {
        most = std::max(most, turn.covered);
    }
    const int width = kMargin * 2 + static_cast<int>(result.turns.size()) * (kBarWidth + kGap);
    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\""
        << kChartHeight + kMargin * 2 << "\" role=\"img\" aria-label=\"planets covered per turn\">\n";
    int x = kMargin;
    for (const CampaignTurn& turn : result.turns) {
        const int height = most == 0 ? 0 : turn.covered * kChartHeight / most;
        const int top = kMargin + kChartHeight - height;
        svg << "<g><title>turn " << turn.turn << ": " << turn.covered << " covered</title>"
            << "<rect x=\"" << x << "\" y=\"" << top << "\" width=\"" << kBarWidth << "\" height=\"" << height
            << "\" fill=\"#3a7bd5\"/>"
            << "<text x=\"" << x + kBarWidth / 2 << "\" y=\"" << top - 4 << "\" text-anchor=\"middle\" font-size=\"11\">"
            << turn.covered << "</text>"
            << "<text x=\"" << x + kBarWidth / 2 << "\" y=\"" << kMargin * 2 + kChartHeight - 8
            << "\" text-anchor=\"middle\" font-size=\"11\">" << turn.turn << "</text></g>\n";
        x += kBarWidth + kGap;
    }
    svg << "</svg>\n";
    std::ostringstream table;
    WriteCampaignTable(table, result);
    const std::string title = "Campaign on " + EscapeXml(EscapeControls(game));
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
           "</title>\n<style>body{font-family:sans-serif;margin:1.5em}pre{font-size:13px}</style>\n</head>\n<body>\n<h1>" +
           title + "</h1>\n<p>Planets covered after each turn's ships landed, by turn number.</p>\n" + svg.str() +
           "<pre>" + EscapeXml(table.str()) + "</pre>\n</body>\n</html>\n";
}

} // namespace host
