// CommandLineTest.cpp - parsing the host's commands: defaults, every option, and each kind of usage error.
#include "cli/CommandLine.h"
#include "cli/CommandRuns.h"
#include "files/OutputFile.h"
#include "galaxy/Galaxy.h"
#include "text/NameSuggestion.h"

#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using host::AboutOptions;
using host::GenerateOptions;
using host::GroupsOptions;
using host::kDefaultGroupsListed;
using host::HostCommand;
using host::Language;
using host::ParseCommandLine;
using host::PlanOptions;
using host::UsageError;

/// The usage error that `arguments` give; an empty one, and a failure, when they give none.
UsageError ErrorOf(const std::vector<std::string>& arguments) {
    try {
        ParseCommandLine(arguments);
    } catch (const UsageError& error) {
        return error;
    }
    ADD_FAILURE() << "no usage error";
    return UsageError("");
}

TEST(CommandLineTest, PlanIsTheDefaultAndTakesEveryOption) {
    const HostCommand parsed = ParseCommandLine(
        {"--galaxy", "g.json", "--select", "12", "--plugin=p.so", "--lang", "ru", "--trace", "t.jsonl",
         "--svg", "m.svg", "--save", "s.json", "--json", "--cancel-after-steps", "3", "--answer-delay-ms", "25"});
    const auto* plan = std::get_if<PlanOptions>(&parsed);
    ASSERT_NE(plan, nullptr);
    EXPECT_EQ(plan->galaxy, "g.json");
    EXPECT_EQ(plan->select, 12);
    EXPECT_EQ(plan->plugin, "p.so");
    EXPECT_EQ(plan->language, Language::Russian);
    EXPECT_EQ(plan->trace, "t.jsonl");
    EXPECT_EQ(plan->svg, "m.svg");
    EXPECT_EQ(plan->save, "s.json");
    EXPECT_TRUE(plan->json);
    EXPECT_EQ(plan->cancelAfterSteps, 3);
    EXPECT_EQ(plan->answerDelayMs, 25);
}

TEST(CommandLineTest, PlanWithoutOptionsUsesDemoGalaxyAndBuiltPlugin) {
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{}, {"plan"}}) {
        const HostCommand parsed = ParseCommandLine(arguments);
        const auto* plan = std::get_if<PlanOptions>(&parsed);
        ASSERT_NE(plan, nullptr);
        EXPECT_FALSE(plan->galaxy);
        EXPECT_FALSE(plan->plugin);
        EXPECT_FALSE(plan->language);
        EXPECT_FALSE(plan->cancelAfterSteps);
        EXPECT_FALSE(plan->json);
    }
}

TEST(CommandLineTest, GenerateAndAbout) {
    const HostCommand generate =
        ParseCommandLine({"generate", "--planets", "500", "--races", "4", "--groups", "900", "--seed", "77",
                          "--out", "big.json"});
    const auto* options = std::get_if<GenerateOptions>(&generate);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->planets, 500);
    EXPECT_EQ(options->races, 4);
    EXPECT_EQ(options->groups, 900);
    EXPECT_EQ(options->seed, 77u);
    EXPECT_EQ(options->out, "big.json");

    const HostCommand groups = ParseCommandLine({"groups", "--galaxy", "big.json", "--json", "--limit", "0"});
    const auto* groupsOptions = std::get_if<GroupsOptions>(&groups);
    ASSERT_NE(groupsOptions, nullptr);
    EXPECT_EQ(groupsOptions->galaxy, "big.json");
    EXPECT_TRUE(groupsOptions->json);
    EXPECT_EQ(groupsOptions->limit, 0);
    EXPECT_EQ(std::get<GroupsOptions>(ParseCommandLine({"groups"})).limit, kDefaultGroupsListed);
    EXPECT_FALSE(std::get<GenerateOptions>(ParseCommandLine({"generate", "--planets", "5"})).groups)
        << "the count follows the planets, decided by the command";

    const HostCommand about = ParseCommandLine({"about", "--lang", "en", "--plugin", "x.so"});
    const auto* aboutOptions = std::get_if<AboutOptions>(&about);
    ASSERT_NE(aboutOptions, nullptr);
    EXPECT_EQ(aboutOptions->language, Language::English);
    EXPECT_EQ(aboutOptions->plugin, "x.so");
}

TEST(CommandLineTest, OutIsTheMainOutputOfEveryCommandAndSaveStillWorks) {
    for (const char* name : {"--out", "--save"}) {
        const HostCommand parsed = ParseCommandLine({"plan", name, "after.json", "--html", "plan.html"});
        const auto* plan = std::get_if<PlanOptions>(&parsed);
        ASSERT_NE(plan, nullptr) << name;
        EXPECT_EQ(plan->save, "after.json") << name;
        EXPECT_EQ(plan->html, "plan.html") << name;
    }
    // A negative number is a value, not an option given again.
    const HostCommand negative = ParseCommandLine({"--select", "-3", "--cancel-after-steps", "-0"});
    EXPECT_EQ(std::get<PlanOptions>(negative).select, -3);
}

/// The help of the command asked about, however it is asked for.
TEST(CommandLineTest, HelpWherever) {
    struct Row {
        std::vector<std::string> arguments;
        std::string mentions;
    };
    const std::vector<Row> rows = {
        {{"--help"}, "Commands:"},
        {{"-h"}, "Commands:"},
        {{"help"}, "Commands:"},
        {{"plan", "-h"}, "--cancel-after-steps N"},
        {{"--galaxy", "g.json", "--help"}, "--out,--save FILE"},
        {{"help", "generate"}, "Default: standard output."},
        {{"generate", "--help"}, "--planets N"},
        {{"about", "-h"}, "--lang en|ru"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HostCommand parsed = ParseCommandLine(rows[i].arguments);
        const auto* help = std::get_if<host::HelpRequest>(&parsed);
        ASSERT_NE(help, nullptr) << "row " << i;
        EXPECT_NE(help->text.find(rows[i].mentions), std::string::npos) << "row " << i << ":\n" << help->text;
    }
}

TEST(CommandLineTest, HelpFitsEightyColumns) {
    for (const char* command : {"plan", "generate", "groups", "about"}) {
        std::istringstream help(std::get<host::HelpRequest>(ParseCommandLine({command, "--help"})).text);
        for (std::string line; std::getline(help, line);) {
            EXPECT_LE(line.size(), 80u) << command << ": " << line;
        }
    }
}

TEST(CommandLineTest, VersionIsTheProjectsOnAnyCommand) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--version"}, {"plan", "--version"}, {"--json", "--version"}}) {
        EXPECT_TRUE(std::holds_alternative<host::VersionRequest>(ParseCommandLine(arguments)));
    }
    EXPECT_EQ(host::VersionText(), "tarvenix-host " TARVENIX_PROJECT_VERSION);
}

/// Every usage error says what to do next; a slip of the keyboard is named with what was meant.
TEST(CommandLineTest, UsageErrorsSuggestWhatWasMeant) {
    struct Row {
        std::vector<std::string> arguments;
        std::string hint;
    };
    const std::vector<Row> rows = {
        {{"pln"}, "did you mean 'plan'? the commands are plan, campaign, generate, groups and about; 'tarvenix-host --help' explains them"},
        {{"genrate"}, "did you mean 'generate'?"},
        {{"frobnicate"}, "the commands are plan, campaign, generate, groups and about; 'tarvenix-host --help' explains them"},
        {{"--jsn"}, "did you mean '--json'? 'tarvenix-host plan --help' explains every option of 'plan'"},
        {{"-json"}, "did you mean '--json'?"},
        {{"--galxay=g.json"}, "did you mean '--galaxy'?"},
        {{"--cancel", "3"}, "did you mean '--cancel-after-steps'?"},
        {{"generate", "--plantes", "3"}, "did you mean '--planets'? 'tarvenix-host generate --help'"},
        {{"about", "--lnag", "ru"}, "did you mean '--lang'? 'tarvenix-host about --help'"},
        {{"--colour", "red"}, "'tarvenix-host plan --help' explains every option of 'plan'"},
        {{"--select", "seven"}, "'tarvenix-host plan --help' explains every option of 'plan'"},
        {{"generate", "--seed", "x"}, "'tarvenix-host generate --help' explains every option of 'generate'"},
        {{"plan", "stray"}, "options begin with '--'; 'tarvenix-host plan --help'"},
        {{"generate"}, "e.g. 'tarvenix-host generate --planets 500 --out galaxy.json'"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string hint = ErrorOf(rows[i].arguments).Hint();
        EXPECT_EQ(hint.rfind(rows[i].hint, 0), 0u) << "row " << i << ": " << hint;
    }
}

TEST(CommandLineTest, SuggestNameTakesSlipsAndPrefixesButNotStrangers) {
    const std::vector<std::string> known = {"--galaxy", "--select", "--json", "--svg", "--cancel-after-steps"};
    struct Row {
        const char* typed;
        std::optional<std::string> meant;
    };
    const std::vector<Row> rows = {
        {"--jsno", "--json"},          // two letters swapped
        {"--sgv", "--svg"},            // swapped in a short word
        {"--selct", "--select"},       // one left out
        {"--gallaxy", "--galaxy"},     // one added
        {"--cancel-after", "--cancel-after-steps"}, // a unique start
        {"--s", std::nullopt},         // too short to say
        {"--weather", std::nullopt},   // nothing like it
        {"--", std::nullopt},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(host::SuggestName(rows[i].typed, known), rows[i].meant) << "row " << i;
    }
}

TEST(CommandLineTest, UsageErrorsNameTheProblem) {
    struct Row {
        std::vector<std::string> arguments;
        std::string message;
    };
    const std::vector<Row> rows = {
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--galaxy"}, "option '--galaxy' needs a value"},
        {{"--colour", "red"}, "unknown option '--colour' for 'plan'"},
        {{"about", "--galaxy", "g.json"}, "unknown option '--galaxy' for 'about'"},
        {{"generate", "--json"}, "unknown option '--json' for 'generate'"},
        {{"--select", "seven"}, "option '--select' needs a whole number, got 'seven'"},
        {{"--select", "7x"}, "option '--select' needs a whole number, got '7x'"},
        {{"--select", "99999999999"}, "option '--select' is out of range: at most 2147483647, got '99999999999'"},
        {{"groups", "--limit", "2147483648"}, "option '--limit' is out of range: at most 2147483647, got '2147483648'"},
        {{"help", "frobnicate"}, "no help on 'frobnicate'"},
        {{"--select", "1", "--select", "-3"}, "option '--select' is given twice; give it once"},
        {{"--json", "--trace", "t.jsonl", "--json"}, "option '--json' is given twice; give it once"},
        {{"--galaxy=a.json", "--galaxy", "b.json"}, "option '--galaxy' is given twice; give it once"},
        {{"plan", "--out", "--json"}, "option '--out' needs a file name, got the option '--json'; a file whose name begins with '-' is given as ./--json"},
        {{"--galaxy", "-h"}, "option '--galaxy' needs a file name, got the option '-h'; a file whose name begins with '-' is given as ./-h"},
        {{"--cancel-after-steps", "-1"}, "option '--cancel-after-steps' must be at least 0, got '-1'"},
        {{"--answer-delay-ms", ""}, "option '--answer-delay-ms' needs a whole number, got ''"},
        {{"--lang", "de"}, "option '--lang' takes en or ru, got 'de'"},
        {{"--json=yes"}, "option '--json' takes no value"},
        {{"plan", "stray"}, "unexpected argument 'stray'"},
        {{"generate"}, "'generate' needs --planets N"},
        {{"generate", "--planets", "0"}, "option '--planets' must be at least 1, got '0'"},
        {{"generate", "--planets", "10", "--seed", "-3"}, "option '--seed' needs a whole number, got '-3'"},
        {{"groups", "--limit", "-1"}, "option '--limit' must be at least 0, got '-1'"},
        {{"groups", "--select", "7"}, "unknown option '--select' for 'groups'"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(ErrorOf(rows[i].arguments).what(), rows[i].message) << "row " << i;
    }
}

TEST(CommandRunsTest, BadInputOfEveryKindExitsWithTwoAndAnythingElseWithOne) {
    EXPECT_EQ(host::kExitBadInput, host::ExitStatusOf(host::UsageError("unknown option")));
    EXPECT_EQ(host::kExitBadInput, host::ExitStatusOf(host::BadInput("unknown group 99")));
    EXPECT_EQ(host::kExitBadInput, host::ExitStatusOf(host::GalaxyError("groups[3]: unknown planet 99")));
    EXPECT_EQ(host::kExitBadInput, host::ExitStatusOf(host::OutputError("cannot write picture file 'plan.svg'")));
    EXPECT_EQ(host::kExitPluginFailed, host::ExitStatusOf(std::runtime_error("the plug-in did not load")));
    EXPECT_EQ(host::kExitPluginFailed, host::ExitStatusOf(std::bad_alloc()));
}

} // namespace
