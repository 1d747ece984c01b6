// CommandLineTest.cpp - parsing the host's commands: defaults, every option, and each kind of usage error.
#include "host/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::AboutOptions;
using host::GenerateOptions;
using host::HostCommand;
using host::Language;
using host::ParseCommandLine;
using host::PlanOptions;
using host::UsageError;

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

    const HostCommand about = ParseCommandLine({"about", "--lang", "en", "--plugin", "x.so"});
    const auto* aboutOptions = std::get_if<AboutOptions>(&about);
    ASSERT_NE(aboutOptions, nullptr);
    EXPECT_EQ(aboutOptions->language, Language::English);
    EXPECT_EQ(aboutOptions->plugin, "x.so");
}

TEST(CommandLineTest, HelpWherever) {
    EXPECT_TRUE(std::holds_alternative<host::HelpRequest>(ParseCommandLine({"--help"})));
    EXPECT_TRUE(std::holds_alternative<host::HelpRequest>(ParseCommandLine({"generate", "--help"})));
    EXPECT_TRUE(std::holds_alternative<host::HelpRequest>(ParseCommandLine({"help"})));
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
        {{"--select", "99999999999"}, "option '--select' needs a whole number, got '99999999999'"},
        {{"--cancel-after-steps", "-1"}, "option '--cancel-after-steps' must be at least 0, got '-1'"},
        {{"--answer-delay-ms", ""}, "option '--answer-delay-ms' needs a whole number, got ''"},
        {{"--lang", "de"}, "option '--lang' takes en or ru, got 'de'"},
        {{"--json=yes"}, "option '--json' takes no value"},
        {{"plan", "stray"}, "unexpected argument 'stray'"},
        {{"generate"}, "'generate' needs --planets N"},
        {{"generate", "--planets", "0"}, "option '--planets' must be at least 1, got '0'"},
        {{"generate", "--planets", "10", "--seed", "-3"}, "option '--seed' needs a whole number, got '-3'"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        try {
            ParseCommandLine(rows[i].arguments);
            ADD_FAILURE() << "row " << i << ": no error";
        } catch (const UsageError& error) {
            EXPECT_EQ(error.what(), rows[i].message) << "row " << i;
        }
    }
}

} // namespace
