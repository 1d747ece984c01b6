// CampaignTest.cpp - a campaign in one load of the real plug-in: every command plans as a fresh
// process would on the galaxy as it stood, the turns advance as they should, and the command
// line's outputs agree with `plan`.
#include "campaign/Campaign.h"

#include "galaxy/DemoGalaxy.h"
#include "galaxy/GalaxyFile.h"
#include "session/CallTrace.h"
#include "session/PluginLoad.h"

#include "HostProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

using host_test::HostRun;
using host_test::RunHost;
using host_test::TestFolder;

const std::string kRealPlugin = TARVENIX_REAL_PLUGIN;

host::Galaxy DemoGalaxy() { return host::ParseGalaxyJson(host::DemoGalaxyJson(), host::kDemoGalaxyName); }

/// A command of the campaign as it ran in the load: the galaxy before it and its trace.
struct RecordedCommand {
    std::string galaxyFile;
    std::int32_t group = 0;
    std::optional<std::int32_t> cancelAfterSteps;
    std::unique_ptr<std::ostringstream> trace;
    std::unique_ptr<host::CallTrace> tracer;
    bool cancelled = false;
    bool messageBox = false;
};

TEST(CampaignTest, EveryCommandPlansAsAFreshProcessWould) {
    TestFolder folder;
    host::Galaxy galaxy = DemoGalaxy();
    host::PluginLoad load(host::PluginModule::Load(kRealPlugin));
    std::vector<RecordedCommand> commands;

    host::CampaignSettings settings;
    settings.turns = 3;
    host::CampaignHooks hooks;
    // Turn one: the largest group's command is cancelled after 3 steps, then group 12, in
    // flight, gets the message box; every command after them must plan as if fresh.
    hooks.groupsOfTurn = [first = true](const host::Galaxy& now) mutable {
        std::vector<std::int32_t> groups = host::GroupsWorthACommand(now);
        if (first) {
            groups.insert(groups.begin() + 1, 12);
            first = false;
        }
        return groups;
    };
    hooks.beforeCommand = [&](const host::Galaxy& now, std::int32_t group, host::RunSettings& run) {
        RecordedCommand& command = commands.emplace_back();
        command.galaxyFile = (folder / ("before-" + std::to_string(commands.size()) + ".json")).string();
        std::ofstream(command.galaxyFile, std::ios::binary) << host::GalaxyToJson(now);
        command.group = group;
        if (commands.size() == 1) {
            run.cancelAfterSteps = 3;
        }
        command.cancelAfterSteps = run.cancelAfterSteps;
        command.trace = std::make_unique<std::ostringstream>();
        command.tracer = std::make_unique<host::CallTrace>(*command.trace);
        run.trace = command.tracer.get();
    };
    hooks.afterCommand = [&](const host::CampaignCommand& ran, std::int64_t) {
        commands.back().cancelled = ran.outcome.Cancelled();
        commands.back().messageBox = ran.outcome.messageBox.has_value();
    };
    const host::CampaignResult result = host::RunCampaign(load, galaxy, settings, hooks);

    ASSERT_GE(result.turns.size(), 2u);
    ASSERT_GE(commands.size(), 6u);
    EXPECT_TRUE(commands[1].messageBox) << "group 12 is in flight";
    EXPECT_TRUE(commands[0].cancelled);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const RecordedCommand& command = commands[i];
        const std::string freshTrace = (folder / ("fresh-" + std::to_string(i) + ".jsonl")).string();
        std::vector<std::string> arguments = {"plan",    "--galaxy", command.galaxyFile, "--select",
                                              std::to_string(command.group), "--plugin", kRealPlugin,
                                              "--trace", freshTrace,     "--json"};
        if (command.cancelAfterSteps) {
            arguments.insert(arguments.end(), {"--cancel-after-steps", std::to_string(*command.cancelAfterSteps)});
        }
        const HostRun fresh = RunHost(folder, arguments);
        ASSERT_EQ(fresh.status, 0) << "command " << i << ": " << fresh.err;
        EXPECT_EQ(host_test::ReadText(freshTrace), command.trace->str())
            << "command " << i << " (group " << command.group << ") planned otherwise than a fresh process";
    }
}

TEST(CampaignTest, NextTurnLandsEveryGroupAndKeepsTheSelection) {
    const host::Galaxy galaxy = DemoGalaxy();
    const host::Galaxy next = host::NextTurnGalaxy(galaxy);
    EXPECT_EQ(next.Turn(), galaxy.Turn() + 1);
    EXPECT_EQ(next.SelectedGroup().number, galaxy.SelectedGroup().number);
    ASSERT_EQ(next.Groups().size(), galaxy.Groups().size());
    for (std::size_t i = 0; i < galaxy.Groups().size(); ++i) {
        // In flight to p: in orbit of p, the rest unchanged.
        EXPECT_TRUE(next.Groups()[i].InOrbit()) << "group " << galaxy.Groups()[i].number;
        EXPECT_EQ(next.Groups()[i].planet, galaxy.Groups()[i].planet);
        EXPECT_EQ(next.Groups()[i].count, galaxy.Groups()[i].count);
    }
}

TEST(CampaignTest, AllPlansTheRacesLargestGroupsInOrbitFirst) {
    const host::Galaxy galaxy = DemoGalaxy();
    const std::vector<std::int32_t> groups = host::GroupsWorthACommand(galaxy);
    ASSERT_FALSE(groups.empty());
    const host::Group* previous = nullptr;
    for (const std::int32_t number : groups) {
        const host::Group& group = *galaxy.FindGroup(number);
        EXPECT_TRUE(group.InOrbit());
        EXPECT_GE(group.count, 2);
        EXPECT_EQ(group.race, galaxy.SelectedGroup().race);
        if (previous != nullptr) {
            EXPECT_TRUE(previous->count > group.count || (previous->count == group.count && previous->number < group.number));
        }
        previous = &group;
    }
}

TEST(CampaignTest, CoveredCountsPlanetsWithAShipOfTheTypeInOrbit) {
    host::Galaxy galaxy = DemoGalaxy();
    const host::Group& selected = galaxy.SelectedGroup();
    const std::string race(selected.race.View());
    const std::string type(selected.type.View());
    const std::vector<std::int32_t> before = host::CoveredPlanets(galaxy, race, type);
    // A ship split off is in flight: it covers its destination only once it has landed.
    const std::int32_t destination = selected.planet == 1 ? 2 : 1;
    galaxy.SplitOffShip(selected.number, destination);
    EXPECT_EQ(host::CoveredPlanets(galaxy, race, type), before);
    const std::vector<std::int32_t> landed = host::CoveredPlanets(host::NextTurnGalaxy(galaxy), race, type);
    EXPECT_TRUE(std::binary_search(landed.begin(), landed.end(), destination));
}

TEST(CampaignTest, OutWritesTheGalaxyThatPlansTheNextTurn) {
    TestFolder folder;
    const std::string next = (folder / "next.json").string();
    const HostRun campaign = RunHost(folder, {"campaign", "--plugin", kRealPlugin, "--turns", "1", "--out", next});
    ASSERT_EQ(campaign.status, 0) << campaign.err;
    const HostRun twoTurns = RunHost(folder, {"campaign", "--plugin", kRealPlugin, "--turns", "2", "--json"});
    const HostRun plan = RunHost(folder, {"plan", "--plugin", kRealPlugin, "--galaxy", next, "--json"});
    ASSERT_EQ(twoTurns.status, 0) << twoTurns.err;
    ASSERT_EQ(plan.status, 0) << plan.err;
    const auto campaignJson = nlohmann::ordered_json::parse(twoTurns.out);
    ASSERT_EQ(campaignJson["turns"].size(), 2u);
    EXPECT_EQ(campaignJson["turns"][1]["commands"][0]["orders"], nlohmann::ordered_json::parse(plan.out)["orders"]);
    EXPECT_EQ(campaignJson["turns"][1]["turn"], campaignJson["turns"][0]["turn"].get<int>() + 1);
}

TEST(CampaignTest, SameInputsGiveTheSameBytes) {
    TestFolder folder;
    std::vector<std::string> outputs;
    for (int run = 0; run < 2; ++run) {
        const std::string trace = (folder / ("trace-" + std::to_string(run))).string();
        const std::string page = (folder / ("page-" + std::to_string(run) + ".html")).string();
        const HostRun campaign = RunHost(folder, {"campaign", "--plugin", kRealPlugin, "--all", "--json",
                                                  "--trace", trace, "--html", page, "--cancel-one-in", "3"});
        ASSERT_EQ(campaign.status, 0) << campaign.err;
        outputs.push_back(campaign.out + host_test::ReadText(trace) + host_test::ReadText(page));
    }
    EXPECT_EQ(outputs[0], outputs[1]);
}

TEST(CampaignTest, SelectAndAllTogetherError) {
    TestFolder folder;
    const HostRun both = RunHost(folder, {"campaign", "--plugin", kRealPlugin, "--all", "--select", "7"});
    EXPECT_EQ(both.status, 2);
    EXPECT_NE(both.err.find("--all"), std::string::npos) << both.err;
}

} // namespace
