// CampaignSoakTest.cpp - a thousand commands and more in one load of the real plug-in, one in
// three cancelled at a random step: resident memory stays flat. Labelled soak, out of the quick run:
//   ctest --test-dir build/dev -L soak --output-on-failure
#include "campaign/Campaign.h"

#include "galaxy/GalaxyGenerator.h"
#include "session/PluginLoad.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <string>

namespace {

constexpr std::int64_t kCommands = 1200;
constexpr std::int64_t kBaselineAfter = 50;

/// Resident set size in KiB, from /proc/self/status.
std::int64_t ResidentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stoll(line.substr(6));
        }
    }
    return -1;
}

TEST(CampaignSoakTest, ResidentMemoryStaysFlatOverAThousandCommands) {
    host::GeneratorOptions options;
    options.planets = 40;
    options.seed = 3;
    options.groups = host::DefaultGroupCount(options.planets);
    host::Galaxy galaxy(host::GenerateGalaxy(options));
    host::PluginLoad load(host::PluginModule::Load(TARVENIX_REAL_PLUGIN));

    host::CampaignSettings settings;
    settings.all = true;
    settings.turns = 6;
    settings.cancelOneIn = 3;
    settings.cancelSeed = 29;
    settings.minimumCommands = kCommands;
    settings.keepEveryTurn = false;
    std::int64_t baseline = 0;
    std::int64_t cancelled = 0;
    host::CampaignHooks hooks;
    hooks.afterCommand = [&](const host::CampaignCommand& command, std::int64_t run) {
        cancelled += command.outcome.Cancelled() ? 1 : 0;
        if (run == kBaselineAfter) {
            baseline = ResidentKib();
        }
        if (run % 200 == 0) {
            std::cout << "after " << run << " commands: " << ResidentKib() << " KiB resident\n";
        }
    };
    const host::CampaignResult result = host::RunCampaign(load, galaxy, settings, hooks);
    const std::int64_t end = ResidentKib();
    std::cout << result.commandsRun << " commands (" << cancelled << " cancelled): " << baseline
              << " KiB resident after " << kBaselineAfter << ", " << end << " KiB at the end\n";
    ASSERT_GE(result.commandsRun, kCommands);
    EXPECT_GT(cancelled, kCommands / 10); // a press drawn after the plan's last step finds it done
    EXPECT_LE(end * 10, baseline * 11) << "resident memory grew more than 10% over the load";
}

} // namespace
