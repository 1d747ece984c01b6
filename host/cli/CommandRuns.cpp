// CommandRuns.cpp - plan, generate, groups and about: inputs checked first, then the plug-in, then the outputs.
#include "cli/CommandRuns.h"

#include "campaign/Campaign.h"
#include "session/CallTrace.h"
#include "views/CampaignReport.h"
#include "galaxy/DemoGalaxy.h"
#include "files/FileIdentity.h"
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "galaxy/GalaxyGenerator.h"
#include "galaxy/GroupSurvey.h"
#include "views/GroupTable.h"
#include "json/JsonText.h"
#include "files/OutputFile.h"
#include "session/TerminalProgress.h"
#include "views/PlanPage.h"
#include "views/PlanPicture.h"
#include "session/PluginLoad.h"
#include "session/PluginModule.h"
#include "session/PluginSession.h"
#include "session/ProcessObjects.h"
#include "views/RunReport.h"
#include "review/ReviewReport.h"
#include "text/SafeText.h"
#include "text/ShellText.h"

#if defined(_WIN32)
#include "session/DesktopObserver.h"
#include "platform/WinTypes.h"
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace host {
namespace {

#if defined(_WIN32)
constexpr const char* kPluginFileName = "Tarvenix2.dll";
#else
constexpr const char* kPluginFileName = "Tarvenix2.so";
#endif

std::filesystem::path ExecutableFolder() {
#if defined(_WIN32)
    std::array<wchar_t, 4096> buffer{};
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::filesystem::path(std::wstring(buffer.data(), length)).parent_path();
#else
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path() : self.parent_path();
#endif
}

/// The plug-in's language follows the environment on Linux and the thread's languages on Windows.
/// The system finds a module's resources in the thread's UI language (Windows Vista and later)
/// or in the thread's locale (earlier Windows, and Wine): the host sets both on the thread that
/// calls the plug-in, before it loads it, as the system sets them for a user of that language.
void ApplyLanguage(const std::optional<Language>& language) {
    if (!language) {
        return;
    }
    const bool russian = *language == Language::Russian;
#if defined(_WIN32)
    const LANGID chosen = russian ? MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)
                                  : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    ::SetThreadUILanguage(chosen);
    ::SetThreadLocale(MAKELCID(chosen, SORT_DEFAULT));
#else
    ::setenv("LC_ALL", russian ? "ru_RU.UTF-8" : "en_US.UTF-8", 1);
#endif
}

/// The galaxy file the command line names, else the built-in demo galaxy.
Galaxy LoadNamedGalaxy(const std::optional<std::filesystem::path>& file) {
    if (!file) {
        return ParseGalaxyJson(DemoGalaxyJson(), kDemoGalaxyName);
    }
    // Only a large file takes long enough to be worth a progress line.
    constexpr std::uint64_t kShownFrom = 8 * 1024 * 1024;
    TerminalProgress progress("loading " + EscapeControls(file->filename().string()));
    return LoadGalaxyFile(*file, [&progress](std::uint64_t read, std::uint64_t size) {
        if (size >= kShownFrom) {
            progress.Show(read, size);
        }
    });
}

Galaxy LoadPlanGalaxy(const PlanOptions& options) {
    Galaxy galaxy = LoadNamedGalaxy(options.galaxy);
    if (options.select && !galaxy.SelectGroup(*options.select)) {
        const std::string source = options.galaxy ? options.galaxy->string() : std::string(kDemoGalaxyName);
        throw BadInput("--select " + std::to_string(*options.select) + ": no group " +
                           std::to_string(*options.select) + " in '" + source + "'",
                       GroupsNextStep(options.galaxy));
    }
    return galaxy;
}

/// What a finished plan hands to the outputs that are written after it.
struct FinishedPlan {
    const Galaxy& galaxy;
    std::int32_t selectedGroup;
    const RunOutcome& outcome;
    const std::optional<PlanReview>& review;

    const PlanReview* Review() const { return review ? &*review : nullptr; }
};

/// One output file of the plan command. An output without `content` is written during the run.
struct PlanOutput {
    const char* option;
    const char* what;  // as messages name it
    std::optional<std::filesystem::path> PlanOptions::*path;
    std::string (*content)(const FinishedPlan&);
};

constexpr const char* kTraceOption = "--trace";

// Every output file of a plan; an output added here is checked, written and replaced like the others.
constexpr std::array kPlanOutputs = {
    PlanOutput{kTraceOption, "trace file", &PlanOptions::trace, nullptr},
    PlanOutput{"--svg", "picture file", &PlanOptions::svg,
               [](const FinishedPlan& plan) {
                   return DrawPlanSvg(plan.galaxy, plan.selectedGroup, plan.outcome, plan.Review());
               }},
    PlanOutput{"--html", "plan page", &PlanOptions::html,
               [](const FinishedPlan& plan) {
                   return WritePlanPage(plan.galaxy, plan.selectedGroup, plan.outcome, plan.Review());
               }},
    PlanOutput{"--out", "galaxy file", &PlanOptions::save,
               [](const FinishedPlan& plan) { return GalaxyToJson(plan.galaxy); }},
};

/// A file the command line names, as messages quote it.
struct NamedFile {
    std::string name;
    std::filesystem::path path;
};

/// The host's own streams. Redirected to a file, each is an output of the run like the others:
/// an output renamed over that file would take it away from under the text written to it.
constexpr std::array<std::pair<int, const char*>, 2> kStandardStreams = {{{1, "standard output"},
                                                                           {2, "standard error"}}};

/// Refuses, before anything is read or written, an output that names an input, another output
/// or the file standard output or error goes to: it would destroy the input, or two outputs
/// would overwrite each other.
void RefuseClashingFiles(const std::vector<NamedFile>& outputs, const std::vector<NamedFile>& inputs) {
    for (auto output = outputs.begin(); output != outputs.end(); ++output) {
        const std::string quoted = output->name + " '" + output->path.string() + "'";
        for (const NamedFile& input : inputs) {
            if (SameFile(output->path, input.path)) {
                throw BadInput(quoted + " would overwrite " + input.name);
            }
        }
        for (const auto& [descriptor, stream] : kStandardStreams) {
            if (DescriptorWritesFile(descriptor, output->path)) {
                throw BadInput(std::string(stream) + " and " + quoted + " name the same file");
            }
        }
        for (auto earlier = outputs.begin(); earlier != output; ++earlier) {
            if (SameFile(output->path, earlier->path)) {
                throw BadInput(earlier->name + " '" + earlier->path.string() + "' and " + quoted +
                               " name the same file");
            }
        }
    }
}

void RefuseClashingPlanFiles(const PlanOptions& options) {
    std::vector<NamedFile> outputs;
    for (const PlanOutput& output : kPlanOutputs) {
        if (const auto& path = options.*output.path) {
            outputs.push_back({output.option, *path});
        }
    }
    std::vector<NamedFile> inputs = {{"the plug-in", options.plugin.value_or(DefaultPluginPath())}};
    if (options.galaxy) {
        inputs.push_back({"the galaxy file", *options.galaxy});
    }
    RefuseClashingFiles(outputs, inputs);
}

/// The module that --plugin names, else the one built with the host. A module that is not
/// there is named with the way to give another: a host moved out of its build has none beside it.
PluginModule LoadPlugin(const std::optional<std::filesystem::path>& chosen) {
    const std::filesystem::path path = chosen.value_or(DefaultPluginPath());
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw PluginLoadError("cannot load '" + path.string() + "': no such file; " +
                              (chosen ? "check the path given to --plugin"
                                      : "name the Tarvenix2 module with --plugin PATH"));
    }
    return PluginModule::Load(path);
}

/// The plan's output files: each prepared before the plug-in is loaded, so that a target that
/// cannot be written is bad input, and each replacing its target only once the run is done.
class PlanOutputFiles {
public:
    explicit PlanOutputFiles(const PlanOptions& options) {
        for (const PlanOutput& output : kPlanOutputs) {
            if (const auto& path = options.*output.path) {
                files_.push_back({&output, std::make_unique<OutputFile>(*path, output.what)});
            }
        }
    }

    /// The file of `option`, or null when the command line did not ask for it.
    OutputFile* Find(const char* option) const {
        for (const auto& [output, file] : files_) {
            if (std::string_view(output->option) == option) {
                return file.get();
            }
        }
        return nullptr;
    }

    /// Writes what the plan produced, then replaces the targets together: all are finished
    /// first, so that a write error leaves every target as it was, and a target that cannot be
    /// replaced gets the others put back.
    void Complete(const FinishedPlan& plan) {
        Complete([&plan](const PlanOutput& output) { return output.content(plan); });
    }

    /// The same for a command whose outputs hold other content: `content` gives the text of
    /// each output that has content after the run.
    void Complete(const std::function<std::string(const PlanOutput&)>& content) {
        std::vector<OutputFile*> finished;
        for (const auto& [output, file] : files_) {
            if (output->content != nullptr) {
                file->Write(content(*output));
            }
            file->Finish();
            finished.push_back(file.get());
        }
        OutputFile::ReplaceTogether(finished);
    }

    /// "Wrote the picture file 'plan.svg' and the plan page 'plan.html'": the files Complete wrote.
    std::string WrittenText(const PlanOptions& options) const {
        std::vector<std::string> named;
        for (const auto& [output, file] : files_) {
            named.push_back(std::string("the ") + output->what + " '" + EscapeControls((options.*output->path)->string()) + "'");
        }
        std::string text = "Wrote ";
        for (std::size_t i = 0; i < named.size(); ++i) {
            text += (i == 0 ? "" : i + 1 == named.size() ? " and " : ", ") + named[i];
        }
        return named.empty() ? std::string() : text;
    }

private:
    std::vector<std::pair<const PlanOutput*, std::unique_ptr<OutputFile>>> files_;
};

void WriteRunHeader(std::ostream& out, const Galaxy& galaxy, const std::string& pluginFile) {
    const Group& group = galaxy.SelectedGroup();
    const std::int32_t at = group.InOrbit() ? group.planet : group.from;
    std::ostringstream line;
    line << pluginFile << " on '" << galaxy.Game() << "', turn " << galaxy.Turn() << ": group "
         << group.number << " (" << group.count << " x " << group.type << ", " << group.race << ") "
         << (group.InOrbit() ? "in orbit of #" : "in flight from #") << at << ' '
         << (galaxy.HasPlanet(at) ? galaxy.PlanetAt(at).name : std::string());
    // Names come from the galaxy file: shown escaped, the header stays one harmless line.
    // Flushed: the progress window is drawn on the terminal below it, not above.
    out << EscapeControls(line.str()) << '\n' << std::flush;
}

/// The plug-in loaded in the language asked for, OnLoad and OnInitialize called; the report's
/// header written unless the report is JSON.
std::unique_ptr<PluginLoad> OpenPlugin(const PlanOptions& options, const Galaxy& galaxy, std::ostream& out) {
    ApplyLanguage(options.language);
    auto load = std::make_unique<PluginLoad>(LoadPlugin(options.plugin));
    if (!options.json) {
        WriteRunHeader(out, galaxy, load->FileName());
    }
    return load;
}

/// After a run that sent nothing because the selected group cannot be planned (in flight, no ship,
/// a race without planets), the way to a group that can.
void WriteAnotherGroupHint(std::ostream& out, const RunOutcome& outcome, const Galaxy& galaxy,
                           const std::optional<std::filesystem::path>& file) {
    if (!outcome.orders.empty() || outcome.Cancelled() || GroupSurvey(galaxy).IsSelectable(galaxy.SelectedGroup())) {
        return;
    }
    out << "To plan another group, " << GroupsNextStep(file) << '\n';
}

/// How many of the largest groups `generate` surveys for one worth planning: enough to find
/// a relay plan in the galaxies it writes, few enough to keep a 100 000-planet galaxy quick.
constexpr std::size_t kGroupsSurveyedForASuggestion = 200;

/// "Plan it: tarvenix-host plan --galaxy g.json --select 7", naming a group worth planning.
void WritePlanSuggestion(std::ostream& out, const Galaxy& galaxy, const std::optional<std::filesystem::path>& file) {
    GroupSurvey survey(galaxy);
    const std::optional<GroupProspect> best = survey.GroupWorthPlanning(kGroupsSurveyedForASuggestion);
    if (!best) {
        return;
    }
    const Group& group = *best->group;
    out << "Worth planning: group " << group.number << ", " << group.count << " x " << EscapeControls(group.type)
        << " at #" << group.planet << ' ' << EscapeControls(galaxy.PlanetAt(group.planet).name) << ", "
        << CountedText(best->uncoveredInReach, "uncovered planet", "uncovered planets") << " in reach"
        << (best->likelyRelays ? ", relay groups to pass ships on" : "") << '\n'
        << "Plan it: " << EscapeControls(PlanCommandFor(file, group.number)) << '\n';
}

/// The about answer's text as the host prints it: UTF-8, whatever the plug-in's code page.
std::string AboutText(const OrderedJson& value) {
#if defined(_WIN32)
    return Utf8FromAnsi(value.get<std::string>());
#else
    return value.get<std::string>();
#endif
}

} // namespace

std::string GroupsNextStep(const std::optional<std::filesystem::path>& galaxy) {
    std::string command = HostAsRun() + " groups";
    if (galaxy) {
        command.append(" --galaxy ").append(ShellWord(galaxy->string()));
    }
    return "list the groups with: " + EscapeControls(command);
}

int ExitStatusOf(const std::exception& error) {
    if (dynamic_cast<const UsageError*>(&error) != nullptr || dynamic_cast<const BadInput*>(&error) != nullptr ||
        dynamic_cast<const GalaxyError*>(&error) != nullptr || dynamic_cast<const OutputError*>(&error) != nullptr) {
        return kExitBadInput;
    }
    return kExitPluginFailed;
}

std::filesystem::path DefaultPluginPath() {
    const std::filesystem::path folder = ExecutableFolder();
    const std::filesystem::path besideInBuild = folder.parent_path() / "plugin" / kPluginFileName;
    const std::array<std::filesystem::path, 2> installed = {
        folder / kPluginFileName,
        (folder / TARVENIX_PLUGINDIR_FROM_HOST / kPluginFileName).lexically_normal(),
    };
    for (const std::filesystem::path& candidate : installed) {
        std::error_code error;
        if (std::filesystem::exists(candidate, error)) {
            return candidate;
        }
    }
    return besideInBuild;
}

int RunPlan(const PlanOptions& options, std::ostream& out) {
    RefuseClashingPlanFiles(options);
    Galaxy galaxy = LoadPlanGalaxy(options);
    PlanOutputFiles outputs(options);
    OutputFile* traceFile = outputs.Find(kTraceOption);
    std::unique_ptr<CallTrace> trace = traceFile != nullptr ? std::make_unique<CallTrace>(traceFile->Stream()) : nullptr;
    const std::int32_t selectedGroup = galaxy.SelectedGroup().number;
    const std::int32_t highestGroupBefore = galaxy.HighestGroupNumber();

    const std::unique_ptr<PluginLoad> loaded = OpenPlugin(options, galaxy, out);
    PluginLoad& load = *loaded;
    RunSettings settings;
    settings.answerDelayMs = options.answerDelayMs;
    settings.cancelAfterSteps = options.cancelAfterSteps;
    settings.waitForClick = options.waitForClick;
    settings.trace = trace.get();
    PluginSession session(load, galaxy, settings);
    const RunOutcome outcome = session.RunCommand();
    load.Close();
    const std::optional<PlanReview> review = ReviewPlan(galaxy, selectedGroup, highestGroupBefore, outcome);

    if (options.json) {
        OrderedJson report = ReportJson(outcome, selectedGroup);
        report["quality"] = ReviewJson(review, galaxy);
        out << ToJsonLine(report) << '\n';
    } else {
        WriteReportText(out, outcome, galaxy, selectedGroup);
        WriteReviewText(out, review, galaxy);
        WriteAnotherGroupHint(out, outcome, galaxy, options.galaxy);
    }
    // The report goes out before any file is replaced: when standard output does not take it,
    // the run fails with every file as it was (main names the write error as it closes the stream).
    if (!out.flush()) {
        return kExitBadInput;
    }
    outputs.Complete({galaxy, selectedGroup, outcome, review});
    // Last, so that the files a run wrote are the last thing the player reads.
    if (const std::string written = outputs.WrittenText(options); !options.json && !written.empty()) {
        out << written << '\n';
    }
    if (!outcome.EndedAsMeant()) {
        std::cerr << "tarvenix-host: the plug-in ended the command without a plan, a cancel or a message\n";
        return kExitPluginFailed;
    }
    return kExitOk;
}

namespace {

/// The soak's figures on Windows: what a command that left objects behind would raise.
void PrintProcessObjects(std::int64_t commandsRun) {
    if (const std::optional<ProcessObjects> objects = CountProcessObjects()) {
        std::cerr << "process objects after " << commandsRun << " commands: " << ProcessObjectsText(*objects) << '\n';
    }
}

} // namespace

int RunCampaignCommand(const CampaignOptions& options, std::ostream& out) {
    const PlanOptions& plan = options.plan;
    RefuseClashingPlanFiles(plan);
    Galaxy galaxy = LoadPlanGalaxy(plan);
    PlanOutputFiles outputs(plan);
    OutputFile* traceFile = outputs.Find(kTraceOption);
    std::unique_ptr<CallTrace> trace = traceFile != nullptr ? std::make_unique<CallTrace>(traceFile->Stream()) : nullptr;

    const std::unique_ptr<PluginLoad> load = OpenPlugin(plan, galaxy, out);
    const CampaignSettings settings{.turns = options.turns,
                                    .all = options.all,
                                    .cancelAfterSteps = plan.cancelAfterSteps,
                                    .cancelOneIn = options.cancelOneIn,
                                    .cancelSeed = options.cancelSeed,
                                    .minimumCommands = options.minimumCommands,
                                    .answerDelayMs = plan.answerDelayMs,
                                    .trace = trace.get()};
    CampaignHooks hooks;
    bool allEndedAsMeant = true;
    hooks.afterCommand = [&allEndedAsMeant, &options](const CampaignCommand& command, std::int64_t commandsRun) {
        allEndedAsMeant = allEndedAsMeant && command.outcome.EndedAsMeant();
        if (commandsRun == options.countObjectsAfter) {
            PrintProcessObjects(commandsRun);
        }
    };
    if (!plan.json) {
        // A line as each turn ends: a long campaign shows how far it has come.
        hooks.afterTurn = [&out](const CampaignTurn& turn) { out << CampaignTurnLine(turn) << '\n' << std::flush; };
    }
    const CampaignResult result = RunCampaign(*load, galaxy, settings, hooks);
    if (options.countObjectsAfter > 0) {
        PrintProcessObjects(result.commandsRun);
    }
    load->Close();

    if (plan.json) {
        out << ToJsonLine(CampaignJson(result)) << '\n';
    } else {
        WriteCampaignTable(out, result);
    }
    if (!out.flush()) {
        return kExitBadInput;
    }
    outputs.Complete([&](const PlanOutput& output) {
        return std::string_view(output.option) == "--html" ? WriteCampaignPage(result, galaxy.Game())
                                                           : GalaxyToJson(galaxy);
    });
    if (const std::string written = outputs.WrittenText(plan); !plan.json && !written.empty()) {
        out << written << '\n';
    }
    if (!allEndedAsMeant) {
        std::cerr << "tarvenix-host: the plug-in ended a command without a plan, a cancel or a message\n";
        return kExitPluginFailed;
    }
    return kExitOk;
}

int RunGenerate(const GenerateOptions& options, std::ostream& out) {
    GeneratorOptions generator;
    generator.planets = options.planets;
    generator.races = options.races.value_or(generator.races);
    generator.seed = options.seed.value_or(generator.seed);
    // Prepared first: a target that cannot be written is found before the galaxy is made.
    std::optional<OutputFile> file;
    if (options.out) {
        RefuseClashingFiles({{"--out", *options.out}}, {});
        file.emplace(*options.out, "galaxy file");
    }
    GalaxyContent content;
    std::string text;
    try {
        generator.groups = options.groups.value_or(DefaultGroupCount(generator.planets));
        content = GenerateGalaxy(generator);
        text = GalaxyContentToJson(content);
    } catch (const std::invalid_argument& error) {
        throw BadInput(error.what());
    } catch (const std::bad_alloc&) {
        throw BadInput("not enough memory for " + CountedText(generator.planets, "planet", "planets") + " and " +
                       CountedText(generator.groups, "group", "groups") + "; ask for fewer groups");
    }
    if (!file) {
        out << text;
        return kExitOk;
    }
    file->Write(text);
    file->Finish();
    file->Replace();
    out << "Wrote '" << EscapeControls(options.out->string())
        << "': " << CountedText(generator.planets, "planet", "planets") << ", "
        << CountedText(generator.races, "race", "races") << ", "
        << CountedText(generator.groups, "group", "groups") << ", seed " << generator.seed << '\n';
    text = std::string(); // the galaxy, not its text, is surveyed: at 10^6 planets both are large
    WritePlanSuggestion(out, Galaxy(std::move(content)), options.out);
    return kExitOk;
}

int RunGroups(const GroupsOptions& options, std::ostream& out) {
    const Galaxy galaxy = LoadNamedGalaxy(options.galaxy);
    GroupSurvey survey(galaxy);
    const std::vector<const Group*> selectable = survey.SelectableGroups();
    const std::size_t count = options.limit == 0 ? selectable.size()
                                                 : std::min(selectable.size(), static_cast<std::size_t>(options.limit));
    std::vector<GroupProspect> shown;
    shown.reserve(count);
    {
        TerminalProgress progress("surveying " + std::to_string(count) + " groups");
        for (std::size_t i = 0; i < count; ++i) {
            progress.Show(i, count);
            shown.push_back(survey.Survey(*selectable[i]));
        }
    }
    if (options.json) {
        out << ToJsonLine(GroupsJson(galaxy, shown, selectable.size())) << '\n';
        return kExitOk;
    }
    WriteGroupTable(out, galaxy, shown, selectable.size());
    return kExitOk;
}

int RunAbout(const AboutOptions& options, std::ostream& out) {
    ApplyLanguage(options.language);
    const PluginModule module = LoadPlugin(options.plugin);
    const OrderedJson about = AskAbout(module.Exports());
    // The five keys of the about answer first, in their order; anything else after them.
    const std::array<std::string, 5> known = {"Name", "Author", "Version", "Date", "Description"};
    for (const std::string& key : known) {
        if (about.contains(key)) {
            out << key << ": " << AboutText(about[key]) << '\n';
        }
    }
    for (const auto& [key, value] : about.items()) {
        if (std::find(known.begin(), known.end(), key) == known.end()) {
            out << key << ": " << AboutText(value) << '\n';
        }
    }
    return kExitOk;
}

} // namespace host
