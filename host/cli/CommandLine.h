// CommandLine.h - the command line read: which of the host's commands to run, with which options.
//
// Parsing checks everything it can before anything is loaded: an unknown
// option, a missing or malformed value, or an option that the command does
// not take is a UsageError, which the host reports with exit status 2: one
// line that names the problem, then one that says what to do about it. Paths
// are only recorded here; opening them is the run's affair.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace host {

/// Bad command line: what() names the problem in one line, Hint() says what to do next.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& problem, std::string hint = {})
        : std::runtime_error(problem), hint_(std::move(hint)) {}

    const std::string& Hint() const { return hint_; }

private:
    std::string hint_;
};

enum class Language { English, Russian };

struct PlanOptions {
    std::optional<std::filesystem::path> galaxy;  // the built-in demo galaxy when absent
    std::optional<std::int32_t> select;           // overrides the file's selection
    std::optional<std::filesystem::path> plugin;  // the module built beside the host when absent
    std::optional<Language> language;             // the environment decides when absent
    std::optional<std::filesystem::path> trace;
    std::optional<std::filesystem::path> svg;
    std::optional<std::filesystem::path> html;
    std::optional<std::filesystem::path> save;    // --out, or its older name --save
    bool json = false;
    std::optional<std::int32_t> cancelAfterSteps;
    std::int32_t answerDelayMs = 0;
    bool waitForClick = false;  // a person closes the plug-in's message box (Windows)
};

/// The options of `campaign`: those of `plan` it shares (not --svg), and its own.
struct CampaignOptions {
    PlanOptions plan;                      // --out writes the galaxy as the next turn begins
    std::int32_t turns = 10;
    bool all = false;                      // every group of two ships or more, each its own command
    std::int32_t cancelOneIn = 0;          // testing: every n-th command cancelled at a random step
    std::uint64_t cancelSeed = 1;
    std::int64_t minimumCommands = 0;      // testing: the campaign over again until this many commands ran
    std::int64_t countObjectsAfter = 0;    // testing, Windows: the process's objects on stderr after this
                                           // many commands and after the last
};

struct GenerateOptions {
    std::int32_t planets = 0;
    std::optional<std::int32_t> races;
    std::optional<std::int32_t> groups;
    std::optional<std::uint64_t> seed;
    std::optional<std::filesystem::path> out;  // standard output when absent
};

/// How many groups `groups` lists by default: about a screenful.
inline constexpr std::int32_t kDefaultGroupsListed = 20;

struct GroupsOptions {
    std::optional<std::filesystem::path> galaxy;  // the built-in demo galaxy when absent
    bool json = false;
    std::int32_t limit = kDefaultGroupsListed;    // 0 lists every selectable group
};

struct AboutOptions {
    std::optional<std::filesystem::path> plugin;
    std::optional<Language> language;
};

/// --help, -h or the help command: `text` is the help of the command asked about.
struct HelpRequest {
    std::string text;
};

/// --version.
struct VersionRequest {};

using HostCommand = std::variant<PlanOptions, CampaignOptions, GenerateOptions, GroupsOptions, AboutOptions, HelpRequest, VersionRequest>;

/// Parses the arguments after the program name; throws UsageError.
HostCommand ParseCommandLine(const std::vector<std::string>& arguments);

/// `tarvenix-host 1.0.0.1`: the program and the project's version.
std::string VersionText();

} // namespace host
