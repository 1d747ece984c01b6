// RunReportTest.cpp - the report's table, counts, wording and JSON, from outcomes made by hand on the demo galaxy.
#include "views/RunReport.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/GalaxyFile.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using host::OrderResult;
using host::RunOutcome;

constexpr std::int32_t kSelected = 7; // the demo galaxy's selection, in orbit of #1 Hearth

OrderResult Accepted(std::string text, std::int32_t group, std::int32_t from, std::int32_t to) {
    return {std::move(text), true, "", group, to, from, 0};
}

OrderResult Refused(std::string text, std::int32_t group, std::int32_t to, std::string reason) {
    return {std::move(text), false, std::move(reason), group, to, 0, 0};
}

class RunReportTest : public ::testing::Test {
protected:
    host::Galaxy galaxy = host::ParseGalaxyJson(host::DemoGalaxyJson(), host::kDemoGalaxyName);

    std::string Text(const RunOutcome& outcome) const {
        std::ostringstream out;
        host::WriteReportText(out, outcome, galaxy, kSelected);
        return out.str();
    }

    static RunOutcome Planned(std::vector<OrderResult> orders) {
        RunOutcome outcome;
        outcome.orders = std::move(orders);
        outcome.addRequests = 1;
        outcome.queries = 6;
        return outcome;
    }
};

TEST_F(RunReportTest, ColumnsStayAlignedWhateverTheNumbersWidth) {
    // Planet numbers past the galaxy's end print as numbers alone; widths from 1 to 5 digits.
    const RunOutcome outcome = Planned({Accepted("7 #5 1", 7, 1, 5), Accepted("10002 #11817 1", 10002, 14, 11817),
                                        Refused("7 #40 1", 7, 40, "planet 40 is out of reach"),
                                        Accepted("18 #18 1", 18, 99999, 18)});
    std::istringstream lines(Text(outcome));
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    // Orders:, the header, four orders, the summary.
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[1], "  Order           Result    From          To           Sent by");
    EXPECT_EQ(rows[2], "  7 #5 1          accepted  #1 Hearth  -> #5 Brisk     group 7");
    EXPECT_EQ(rows[3], "  10002 #11817 1  accepted  #14 Morrow -> #11817       relay group 10002");
    EXPECT_EQ(rows[4], "  7 #40 1         refused   planet 40 is out of reach");
    EXPECT_EQ(rows[5], "  18 #18 1        accepted  #99999     -> #18 Bramble  relay group 18");
}

TEST_F(RunReportTest, SummaryCountsInSingularAndPlural) {
    struct Row {
        std::vector<OrderResult> orders;
        std::int64_t queries;
        std::string summary;
        std::int64_t answerFaults = 0;
    };
    const std::vector<Row> rows = {
        {{}, 1, "Summary: 0 ships sent; 1 query answered; planning took 2.5 ms"},
        {{Accepted("7 #5 1", 7, 1, 5)}, 2, "Summary: 1 ship sent; 2 queries answered; planning took 2.5 ms"},
        {{Accepted("7 #14 1", 7, 1, 14), Accepted("18 #18 1", 18, 14, 18)}, 6,
         "Summary: 2 ships sent, 1 of them sent on by a relay group (1 relay chain); 6 queries answered; planning took 2.5 ms"},
        // The demo's plan: a chain of one relay and one of two.
        {{Accepted("7 #14 1", 7, 1, 14), Accepted("18 #18 1", 18, 14, 18), Accepted("7 #13 1", 7, 1, 13),
          Accepted("17 #16 1", 17, 13, 16), Accepted("22 #17 1", 22, 16, 17), Refused("9 #3 1", 9, 3, "not ours")},
         176,
         "Summary: 5 ships sent, 3 of them sent on by relay groups (2 relay chains); 176 queries answered; planning took 2.5 ms"},
        // Faults in the host's answering are named only when there were some.
        {{}, 3, "Summary: 0 ships sent; 3 queries answered; 1 fault in the host's answering; planning took 2.5 ms", 1},
        {{}, 3, "Summary: 0 ships sent; 3 queries answered; 4 faults in the host's answering; planning took 2.5 ms", 4},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        RunOutcome outcome = Planned(rows[i].orders);
        outcome.queries = rows[i].queries;
        outcome.answerFaults = rows[i].answerFaults;
        outcome.planMs = 2.45;
        const std::string text = Text(outcome);
        EXPECT_EQ(text.substr(text.rfind("Summary:")), rows[i].summary + "\n") << "row " << i;
    }
}

TEST_F(RunReportTest, APlanWithoutOrdersSaysWhy) {
    RunOutcome covered = Planned({});
    RunOutcome cancelled;
    cancelled.cancelPressed = true;
    RunOutcome message;
    message.messageBox = "Group is not on planet!!!";
    const RunOutcome silent;

    // Group 7 has five uncovered planets in reach: the host does not claim that none is left.
    EXPECT_NE(Text(covered).find("The plan holds no orders: the plug-in sent no ship, though 5 planets within reach "
                                 "hold no Long Courier or equivalent ship.\n"),
              std::string::npos)
        << Text(covered);
    EXPECT_NE(Text(cancelled).find("Cancelled: nothing was sent.\n"), std::string::npos);
    EXPECT_EQ(Text(message).rfind("Message box: Group is not on planet!!!  [OK]\n"
                                  "The plan holds no orders: the plug-in showed the message above instead of planning.\n",
                                  0),
              0u);
    EXPECT_EQ(host::NoOrdersReason(silent, galaxy), "the plug-in ended without sending a plan");
    EXPECT_EQ(host::NoOrdersReason(Planned({Refused("7 #5", 0, 0, "malformed")}), galaxy), "");

    // A selected group with no ship left.
    host::GalaxyContent content = galaxy.Content();
    for (host::Group& group : content.groups) {
        group.count = group.number == kSelected ? 0 : group.count;
    }
    const host::Galaxy empty(content);
    EXPECT_EQ(host::NoOrdersReason(covered, empty), "group 7 has no ship left to send");
}

// Each reason for a plan without orders on a galaxy made to have that cause alone: the demo, with
// group 24 (3 Lancers of Keth on #15 Dunmore, speed 20.50) selected and one fact changed.
TEST_F(RunReportTest, NoOrdersReasonNamesTheCauseTheGalaxyHolds) {
    constexpr std::int32_t kKethGroup = 24;
    const auto withChange = [&](const auto& change) {
        host::GalaxyContent content = galaxy.Content();
        content.selection = kKethGroup;
        change(content);
        return host::Galaxy(std::move(content));
    };
    const auto keepKethOwning = [](host::GalaxyContent& content, const std::string& kept) {
        for (host::Planet& planet : content.planets) {
            if (planet.owner == "Keth" && planet.name != kept) {
                planet.owner = host::SharedText();
            }
        }
    };
    struct Row {
        host::Galaxy galaxy;
        std::string reason;
    };
    const std::vector<Row> rows = {
        // The case: no planet is Keth's, so nothing is within its drive range.
        {withChange([&](host::GalaxyContent& content) { keepKethOwning(content, ""); }),
         "Keth owns no planet, so no planet lies within its drive range"},
        {withChange([](host::GalaxyContent& content) {
             for (host::Group& group : content.groups) {
                 group.speed = group.number == kKethGroup ? 0.5 : group.speed;
             }
         }),
         "no other planet lies within group 24's speed (0.50) of #15 Dunmore"},
        // Keth keeps one planet, far away, and a drive range too short to reach past it.
        {withChange([&](host::GalaxyContent& content) {
             keepKethOwning(content, "Zenith");
             content.races[1].drivesTech = 0.01;
         }),
         "none of the 5 planets within group 24's speed lies within Keth's drive range (0.40) of a planet Keth owns"},
        // A Lancer already on every planet in reach.
        {withChange([&](host::GalaxyContent& content) {
             std::vector<std::int32_t> reach;
             galaxy.PlanetsWithinRange(15, 20.5, reach);
             std::int32_t number = 1000;
             for (const std::int32_t planet : reach) {
                 content.groups.push_back({++number, "Keth", "Lancer", planet, 1, 20.5, 0, ""});
             }
         }),
         "every planet within reach already holds a Lancer or an equivalent ship"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(host::NoOrdersReason(Planned({}), rows[i].galaxy), rows[i].reason) << "row " << i;
    }
}

TEST_F(RunReportTest, JsonOrdersSayWhereEachShipFliesAndWhetherItIsARelay) {
    const RunOutcome outcome = Planned({Accepted("7 #14 1", 7, 1, 14), Accepted("18 #18 1", 18, 14, 18),
                                        Refused("7 #40 1", 7, 40, "too far"), Refused("7 #5", 0, 0, "malformed")});
    const host::OrderedJson report = host::ReportJson(outcome, kSelected);
    EXPECT_EQ(host::ToJsonLine(report["orders"]),
              "[{\"order\": \"7 #14 1\", \"accepted\": true, \"reason\": \"\", \"from\": 1, \"to\": 14, \"relay\": false}, "
              "{\"order\": \"18 #18 1\", \"accepted\": true, \"reason\": \"\", \"from\": 14, \"to\": 18, \"relay\": true}, "
              "{\"order\": \"7 #40 1\", \"accepted\": false, \"reason\": \"too far\", \"from\": null, \"to\": 40, "
              "\"relay\": false}, "
              "{\"order\": \"7 #5\", \"accepted\": false, \"reason\": \"malformed\", \"from\": null, \"to\": null, "
              "\"relay\": false}]");
    EXPECT_EQ(report["summary"]["relays"], 1);
    EXPECT_EQ(report["summary"]["answer_faults"], 0);
}

} // namespace
