// CommandLine.cpp - argv to HostCommand: the commands and their help on CLI11, values checked by our own rules.
//
// CLI11 splits the words into commands, options and values and writes the help.
// Values are taken as text and converted here, so that every bad value gets the
// same one-line message whatever the option; unknown words are collected rather
// than refused by CLI11, so that the message can say which name was meant.
#include "cli/CommandLine.h"

#include "galaxy/GalaxyGenerator.h"
#include "text/NameSuggestion.h"
#include "text/ShellText.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <functional>
#include <limits>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#if !defined(TARVENIX_HOST_VERSION)
#error "TARVENIX_HOST_VERSION must name the project's version"
#endif

namespace host {
namespace {

const std::vector<std::string> kCommandNames = {"plan", "campaign", "generate", "groups", "about"};

/// "plan, campaign, ... and about": the commands, as a sentence names them.
std::string CommandsInWords() {
    std::string words;
    for (std::size_t i = 0; i < kCommandNames.size(); ++i) {
        words += (i == 0 ? "" : i + 1 == kCommandNames.size() ? " and " : ", ") + kCommandNames[i];
    }
    return words;
}
const std::vector<std::string> kHelpFlags = {"-h", "--help"};

bool IsOneOf(const std::string& word, const std::vector<std::string>& names) {
    return std::find(names.begin(), names.end(), word) != names.end();
}

template <typename Number>
Number ParseNumber(const std::string& option, const std::string& text, Number lowest) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error == std::errc::result_out_of_range && stop == end) {
        throw UsageError("option '" + option + "' is out of range: at most " +
                         std::to_string(std::numeric_limits<Number>::max()) + ", got '" + text + "'");
    }
    if (error != std::errc() || stop != end || text.empty()) {
        throw UsageError("option '" + option + "' needs a whole number, got '" + text + "'");
    }
    if (value < lowest) {
        throw UsageError("option '" + option + "' must be at least " + std::to_string(lowest) +
                         ", got '" + text + "'");
    }
    return value;
}

std::int32_t ParseCount(const std::string& option, const std::string& text, std::int32_t lowest) {
    return ParseNumber<std::int32_t>(option, text, lowest);
}

/// A file's name; an option where one was expected is refused (`--out --json` means a missing
/// value far more often than a file named "--json", which "./--json" still names).
std::filesystem::path ParseFileName(const std::string& option, const std::string& text) {
    if (text.starts_with("--") || IsOneOf(text, kHelpFlags)) {
        throw UsageError("option '" + option + "' needs a file name, got the option '" + text +
                         "'; a file whose name begins with '-' is given as ./" + text);
    }
    return text;
}

/// A repeated option is refused: which of its values was meant cannot be told.
void RefuseRepeatedOptions(const std::vector<std::string>& words) {
    std::set<std::string> seen;
    for (const std::string& word : words) {
        const bool isOption = word.size() >= 2 && word[0] == '-' && (word[1] < '0' || word[1] > '9');
        if (!isOption || word == "--") {
            continue; // a value, a negative number among them
        }
        const std::string name = word.substr(0, word.find('='));
        if (!seen.insert(name).second) {
            throw UsageError("option '" + name + "' is given twice; give it once");
        }
    }
}

Language ParseLanguage(const std::string& option, const std::string& text) {
    if (text == "en") {
        return Language::English;
    }
    if (text == "ru") {
        return Language::Russian;
    }
    throw UsageError("option '" + option + "' takes en or ru, got '" + text + "'");
}

/// A count as a player reads it in the help: 16777216 as "16 777 216".
std::string GroupedNumber(std::int32_t value) {
    std::string digits = std::to_string(value);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), 1, ' ');
    }
    return digits;
}

std::string HelpHint(const std::string& command) {
    return "'" + HostAsRun() + " " + command + " --help' explains every option of '" + command + "'";
}

/// The help's first column is kept narrow enough for the descriptions to fit 80 columns.
constexpr std::size_t kHelpNameColumn = 26;

/// The four commands on one CLI11 tree, each filling its own options.
class CommandTree {
public:
    CommandTree() : root_("Runs the Distribute Group plug-in on a galaxy, as the game client would.", HostAsRun()) {
        root_.get_formatter()->column_width(kHelpNameColumn);
        root_.get_formatter()->label("SUBCOMMAND", "COMMAND");
        // Set before the commands are added: they take the root's help flag as it is then.
        root_.set_help_flag("-h,--help", "Print this help and stop.");
        AddVersionFlag(root_);
        root_.require_subcommand(0, 1);
        root_.allow_extras();
        AddPlan();
        AddCampaign();
        AddGenerate();
        AddGroups();
        AddAbout();
        root_.footer(std::string("Without a command, 'plan' runs. Examples:\n") +
                     "  " + HostAsRun() + "                          plan the built-in demo galaxy\n" +
                     "  " + HostAsRun() + " plan --help              every option of 'plan'\n" +
                     "  " + HostAsRun() + " generate --planets 2000 --out big.json\n" +
                     "  " + HostAsRun() + " groups --galaxy big.json\n" +
                     "  " + HostAsRun() + " plan --galaxy big.json --svg plan.svg\n" +
                     "Exit status: 0 the run ended as the plug-in meant, 2 bad input, 1 plug-in failure.");
    }

    HostCommand Parse(std::vector<std::string> words) {
        std::reverse(words.begin(), words.end()); // CLI11 takes the words last first
        try {
            root_.parse(words);
        } catch (const CLI::CallForHelp&) {
            return HelpRequest{root_.help()};
        } catch (const CLI::ArgumentMismatch& error) {
            throw ValueMissingOrRefused(error);
        } catch (const CLI::ParseError& error) {
            throw UsageError(error.what(), "'" + HostAsRun() + " --help' explains the commands");
        }
        if (versionAsked_) {
            return VersionRequest{};
        }
        if (const std::vector<std::string> left = root_.remaining(); !left.empty()) {
            throw UsageError("unexpected argument '" + left.front() + "'",
                             "'" + HostAsRun() + " --help' explains the commands");
        }
        CLI::App* command = SelectedCommand();
        RefuseLeftOverWords(*command);
        if (command == generateCommand_ && generate_.planets == 0) {
            throw UsageError("'generate' needs --planets N", "e.g. '" + HostAsRun() +
                                                                 " generate --planets 500 --out galaxy.json'");
        }
        if (command == generateCommand_) {
            return generate_;
        }
        if (command == campaignCommand_) {
            return campaign_;
        }
        if (command == groupsCommand_) {
            return groups_;
        }
        if (command == aboutCommand_) {
            return about_;
        }
        return plan_;
    }

    /// The command that a usage error is about: the one parsed, else 'plan'.
    std::string CommandName() const {
        const std::vector<const CLI::App*> parsed =
            root_.get_subcommands([](const CLI::App* command) { return command->parsed(); });
        return parsed.empty() ? std::string("plan") : parsed.front()->get_name();
    }

private:
    /// An option whose value our own conversion turns into a field: CLI11 hands over its text.
    CLI::Option* AddValue(CLI::App& command, const std::string& names, const std::string& valueName,
                          const std::string& description, std::function<void(const std::string&)> apply) {
        return command.add_option_function<std::string>(names, std::move(apply), description)->type_name(valueName);
    }

    void AddVersionFlag(CLI::App& command) {
        command.add_flag("--version", versionAsked_, "Print the program's version and stop.");
    }

    CLI::App* AddCommand(const std::string& name, const std::string& description) {
        CLI::App* command = root_.add_subcommand(name, description);
        command->group("Commands");
        // Unknown words are kept, not refused: RefuseLeftOverWords names what was meant.
        command->allow_extras();
        // A repeated option is refused before CLI11 sees it (RefuseRepeatedOptions); should one
        // reach it, the last counts.
        command->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
        AddVersionFlag(*command);
        return command;
    }

    void AddPluginAndLanguage(CLI::App& command, std::optional<std::filesystem::path>& plugin,
                              std::optional<Language>& language) {
        AddValue(command, "--plugin", "PATH",
                 "The plug-in module to load.\nDefault: the Tarvenix2 module built with the host.",
                 [&plugin](const std::string& text) { plugin = ParseFileName("--plugin", text); });
        AddValue(command, "--lang", "en|ru",
                 "The plug-in's language (menu text, messages).\nDefault: the system's.",
                 [&language](const std::string& text) { language = ParseLanguage("--lang", text); });
    }

    /// The options `plan` and `campaign` share; `galaxyAfter` says what --out writes, `addViews`
    /// adds the command's own view files after --trace. Returns --select.
    CLI::Option* AddPlanningOptions(CLI::App& command, PlanOptions& o, const std::string& galaxyAfter,
                                    const std::function<void()>& addViews) {
        AddGalaxy(command, o.galaxy, "plan on");
        CLI::Option* select = AddValue(command, "--select", "GROUP",
                                       "The group to distribute.\nDefault: the galaxy file's selection.",
                 [&o](const std::string& text) {
                     o.select = ParseNumber<std::int32_t>("--select", text, std::numeric_limits<std::int32_t>::min());
                 });
        AddPluginAndLanguage(command, o.plugin, o.language);
        command.add_flag("--json", o.json, "Print one JSON object instead of the report.\nDefault: the report.")
            ->disable_flag_override();
        AddValue(command, "--out,--save", "FILE",
                 "Write the galaxy as " + galaxyAfter + ".\nDefault: not written; the input file never changes.",
                 [&o](const std::string& text) { o.save = ParseFileName("--out", text); });
        AddValue(command, "--trace", "FILE", "Write each request and its answer as a JSON line,\nas they come: up to about 1 KB a "
                 "planet, near a\ngigabyte at 1 000 000 planets.\nDefault: none.",
                 [&o](const std::string& text) { o.trace = ParseFileName("--trace", text); });
        addViews();
        AddValue(command, "--cancel-after-steps", "N", "Press Cancel after N planning steps (for tests).\nDefault: never.",
                 [&o](const std::string& text) { o.cancelAfterSteps = ParseCount("--cancel-after-steps", text, 0); });
        AddValue(command, "--answer-delay-ms", "MS", "Make each answer take MS ms, to watch the window.\nDefault: 0.",
                 [&o](const std::string& text) { o.answerDelayMs = ParseCount("--answer-delay-ms", text, 0); });
        return select;
    }

    void AddCampaign() {
        CLI::App& command = *AddCommand("campaign", "Plan turn after turn in one load, the ships landing between turns.");
        campaignCommand_ = &command;
        CampaignOptions& o = campaign_;
        CLI::Option* select = AddPlanningOptions(command, o.plan, "the next turn begins (ships landed)", [&] {
            AddValue(command, "--html", "FILE", "Write the turns and a chart of coverage as a web page.\nDefault: none.",
                     [&o](const std::string& text) { o.plan.html = ParseFileName("--html", text); });
        });
        AddValue(command, "--turns", "N",
                 "Plan at most N turns; fewer when a turn sends nothing.\nDefault: " + std::to_string(o.turns) + ".",
                 [&o](const std::string& text) { o.turns = ParseCount("--turns", text, 1); });
        command.add_flag("--all", o.all, "Each turn, plan every group of the selection's race\nin orbit with two ships or "
                                         "more, largest first.\nDefault: the selected group only.")
            ->disable_flag_override()
            ->excludes(select);
        // For tests and the soak: kept out of the help.
        AddValue(command, "--cancel-one-in", "N", "", [&o](const std::string& text) {
            o.cancelOneIn = ParseCount("--cancel-one-in", text, 1);
        })->group("");
        AddValue(command, "--cancel-seed", "S", "", [&o](const std::string& text) {
            o.cancelSeed = ParseNumber<std::uint64_t>("--cancel-seed", text, 0);
        })->group("");
        AddValue(command, "--repeat-until-commands", "N", "", [&o](const std::string& text) {
            o.minimumCommands = ParseNumber<std::int64_t>("--repeat-until-commands", text, 0);
        })->group("");
        AddValue(command, "--count-objects-after", "N", "", [&o](const std::string& text) {
            o.countObjectsAfter = ParseNumber<std::int64_t>("--count-objects-after", text, 1);
        })->group("");
        command.footer(std::string("Ctrl-C cancels the command under way and ends the campaign after it. Examples:\n") +
                       "  " + HostAsRun() + " campaign --galaxy big.json --all --turns 5\n" +
                       "  " + HostAsRun() + " campaign --json --out next.json");
    }

    void AddPlan() {
        CLI::App& command = *AddCommand("plan", "Run Distribute Group on a galaxy and report the orders.");
        PlanOptions& o = plan_;
        AddPlanningOptions(command, o, "the accepted orders left it", [&] {
            AddValue(command, "--svg", "FILE", "Draw the plan as an SVG picture.\nDefault: none.",
                     [&o](const std::string& text) { o.svg = ParseFileName("--svg", text); });
            AddValue(command, "--html", "FILE", "Write the plan as one interactive web page.\nDefault: none.",
                     [&o](const std::string& text) { o.html = ParseFileName("--html", text); });
        });
        command.add_flag("--wait-for-click", o.waitForClick,
                         "Windows: leave the message box for a person to close.\nDefault: the host presses OK.")
            ->disable_flag_override();
        command.footer(std::string("Ctrl-C while the plug-in plans presses Cancel. Examples:\n") +
                       "  " + HostAsRun() + " plan --galaxy big.json --select 7 --svg plan.svg\n" +
                       "  " + HostAsRun() + " plan --lang ru --json --out after.json");
    }

    void AddGenerate() {
        CLI::App& command = *AddCommand("generate", "Write a random galaxy, the same for the same options.");
        generateCommand_ = &command;
        GenerateOptions& o = generate_;
        const GeneratorOptions defaults;
        AddValue(command, "--planets", "N",
                 "How many planets, 1 to " + GroupedNumber(kMaxGeneratedPlanets) +
                     ": the most the\nplug-in plans on.\nRequired.",
                 [&o](const std::string& text) { o.planets = ParseCount("--planets", text, 1); });
        AddValue(command, "--races", "R", "How many races.\nDefault: " + std::to_string(defaults.races) + ".",
                 [&o](const std::string& text) { o.races = ParseCount("--races", text, 1); });
        AddValue(command, "--groups", "G",
                 "How many groups of ships, 1 to " + GroupedNumber(kMaxGeneratedGroups) +
                     ", as\nmemory allows (about 1 KB a group).\nDefault: " +
                     std::to_string(kDefaultGroupsPerPlanet) + " per planet.",
                 [&o](const std::string& text) { o.groups = ParseCount("--groups", text, 0); });
        AddValue(command, "--seed", "S", "The random seed; the same seed, the same galaxy.\nDefault: " + std::to_string(defaults.seed) + ".",
                 [&o](const std::string& text) { o.seed = ParseNumber<std::uint64_t>("--seed", text, 0); });
        AddValue(command, "--out", "FILE", "Write the galaxy to FILE and name a group to plan.\nDefault: standard output.",
                 [&o](const std::string& text) { o.out = ParseFileName("--out", text); });
        command.footer(std::string("Example:\n") + "  " + HostAsRun() + " generate --planets 2000 --seed 7 --out big.json");
    }

    void AddGalaxy(CLI::App& command, std::optional<std::filesystem::path>& galaxy, const std::string& what) {
        AddValue(command, "--galaxy", "FILE", "The galaxy file to " + what + ".\nDefault: the built-in demo galaxy.",
                 [&galaxy](const std::string& text) { galaxy = ParseFileName("--galaxy", text); });
    }

    void AddGroups() {
        CLI::App& command = *AddCommand("groups", "List the groups that can be selected, the largest first.");
        groupsCommand_ = &command;
        GroupsOptions& o = groups_;
        AddGalaxy(command, o.galaxy, "list the groups of");
        command.add_flag("--json", o.json, "Print one JSON object instead of the table.\nDefault: the table.")
            ->disable_flag_override();
        AddValue(command, "--limit", "N",
                 "List the N largest groups, 0 for all.\nDefault: " + std::to_string(kDefaultGroupsListed) + ".",
                 [&o](const std::string& text) { o.limit = ParseCount("--limit", text, 0); });
        command.footer(std::string("A group can be selected when it is in orbit, holds a ship and its race owns a\n") +
                       "planet. Uncovered: planets within its speed that hold no ship of its type or an\n" +
                       "equivalent one (same drives, weapons, ammo, cargo, shields) and lie within its\n" +
                       "race's drive range. Relays: idle one-ship groups of such a type on planets in\n" +
                       "reach. The host estimates both from the galaxy; the plug-in's plan decides.\n" +
                       "Example:\n  " + HostAsRun() + " groups --galaxy big.json --limit 5");
    }

    void AddAbout() {
        CLI::App& command = *AddCommand("about", "Print what the plug-in says about itself.");
        aboutCommand_ = &command;
        AddPluginAndLanguage(command, about_.plugin, about_.language);
        command.footer(std::string("Example:\n") + "  " + HostAsRun() + " about --lang ru");
    }

    CLI::App* SelectedCommand() {
        const std::vector<CLI::App*> parsed = root_.get_subcommands();
        return parsed.empty() ? root_.get_subcommand("plan") : parsed.front();
    }

    /// CLI11 says "--galaxy: 1 required FILE missing" or "--json was given a disallowed flag override";
    /// the option's name comes first in both.
    UsageError ValueMissingOrRefused(const CLI::ArgumentMismatch& error) const {
        const std::string text = error.what();
        std::string option = text.substr(0, text.find_first_of(": "));
        if (option.front() != '-') {
            option.insert(0, "--"); // a flag's override names it without its dashes
        }
        if (text.find("flag override") != std::string::npos) {
            return UsageError("option '" + option + "' takes no value", HelpHint(CommandName()));
        }
        return UsageError("option '" + option + "' needs a value", HelpHint(CommandName()));
    }

    void RefuseLeftOverWords(const CLI::App& command) const {
        const std::vector<std::string> left = command.remaining();
        if (left.empty()) {
            return;
        }
        const std::string& word = left.front();
        const std::string name = command.get_name();
        if (word.empty() || word.front() != '-') {
            throw UsageError("unexpected argument '" + word + "'",
                             "options begin with '--'; " + HelpHint(name));
        }
        const std::string typed = word.substr(0, word.find('='));
        std::vector<std::string> known;
        for (const CLI::Option* option : command.get_options()) {
            for (const std::string& longName : option->get_lnames()) {
                known.push_back("--" + longName);
            }
        }
        const std::optional<std::string> meant = SuggestName(typed, known);
        throw UsageError("unknown option '" + typed + "' for '" + name + "'",
                         (meant ? "did you mean '" + *meant + "'? " : std::string()) + HelpHint(name));
    }

    CLI::App root_;
    bool versionAsked_ = false;
    PlanOptions plan_;
    GenerateOptions generate_;
    GroupsOptions groups_;
    AboutOptions about_;
    CampaignOptions campaign_;
    CLI::App* campaignCommand_ = nullptr;
    CLI::App* generateCommand_ = nullptr;
    CLI::App* groupsCommand_ = nullptr;
    CLI::App* aboutCommand_ = nullptr;
};

/// The words as CLI11 gets them: 'plan' put in front when no command is named, 'help X' as 'X --help'.
std::vector<std::string> WithCommandWord(std::vector<std::string> words) {
    if (!words.empty() && words.front() == "help") {
        words.erase(words.begin());
        if (!words.empty() && !IsOneOf(words.front(), kCommandNames)) {
            const std::optional<std::string> meant = SuggestName(words.front(), kCommandNames);
            throw UsageError("no help on '" + words.front() + "'",
                             (meant ? "did you mean '" + *meant + "'? " : std::string()) +
                                 "help is there for " + CommandsInWords() + "; '" + HostAsRun() + " --help' explains them");
        }
        words.push_back("--help");
        return words;
    }
    const bool rootOnly = !words.empty() && (IsOneOf(words.front(), kHelpFlags) || words.front() == "--version");
    if (words.empty() || (words.front().front() == '-' && !rootOnly)) {
        words.insert(words.begin(), "plan");
        return words;
    }
    if (!rootOnly && !IsOneOf(words.front(), kCommandNames)) {
        const std::optional<std::string> meant = SuggestName(words.front(), kCommandNames);
        throw UsageError("unknown command '" + words.front() + "'",
                         (meant ? "did you mean '" + *meant + "'? " : std::string()) +
                             "the commands are " + CommandsInWords() + "; '" + HostAsRun() + " --help' explains them");
    }
    return words;
}

} // namespace

HostCommand ParseCommandLine(const std::vector<std::string>& arguments) {
    std::vector<std::string> words = arguments;
    if (!words.empty() && words.front().empty()) {
        throw UsageError("unknown command ''", "'" + HostAsRun() + " --help' explains the commands");
    }
    words = WithCommandWord(std::move(words));
    if (IsOneOf(words.front(), kCommandNames)) {
        try {
            RefuseRepeatedOptions(words);
        } catch (const UsageError& error) {
            throw UsageError(error.what(), HelpHint(words.front()));
        }
    }
    CommandTree tree;
    try {
        return tree.Parse(std::move(words));
    } catch (const UsageError& error) {
        if (!error.Hint().empty()) {
            throw;
        }
        // A value refused by our own conversion: the command's help says what it takes.
        throw UsageError(error.what(), HelpHint(tree.CommandName()));
    }
}

std::string VersionText() {
    return std::string("tarvenix-host ") + TARVENIX_HOST_VERSION;
}

} // namespace host
