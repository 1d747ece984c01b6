// HostCommands.cpp - plan, generate and about: inputs checked first, then the plug-in, then the outputs.
#include "host/HostCommands.h"

#include "host/CallTrace.h"
#include "host/DemoGalaxy.h"
#include "host/Galaxy.h"
#include "host/GalaxyFile.h"
#include "host/GalaxyGenerator.h"
#include "host/JsonText.h"
#include "host/PlanPage.h"
#include "host/PlanPicture.h"
#include "host/PluginModule.h"
#include "host/PluginSession.h"
#include "host/RunReport.h"

#if defined(_WIN32)
#include "host/DesktopObserver.h"
#include "platform/WinTypes.h"
#endif

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

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

/// The plug-in's language follows the environment on Linux and the thread's UI language on Windows.
void ApplyLanguage(const std::optional<Language>& language) {
    if (!language) {
        return;
    }
    const bool russian = *language == Language::Russian;
#if defined(_WIN32)
    ::SetThreadUILanguage(russian ? MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT)
                                  : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
#else
    ::setenv("LC_ALL", russian ? "ru_RU.UTF-8" : "en_US.UTF-8", 1);
#endif
}

Galaxy LoadPlanGalaxy(const PlanOptions& options) {
    Galaxy galaxy = options.galaxy ? LoadGalaxyFile(*options.galaxy)
                                   : ParseGalaxyJson(DemoGalaxyJson(), kDemoGalaxyName);
    if (options.select && !galaxy.SelectGroup(*options.select)) {
        const std::string source = options.galaxy ? options.galaxy->string() : std::string(kDemoGalaxyName);
        throw BadInput("--select " + std::to_string(*options.select) + ": no group " +
                       std::to_string(*options.select) + " in '" + source + "'");
    }
    return galaxy;
}

/// Opens an output file now, so that a path that cannot be written is bad input, found before the run.
std::ofstream OpenOutput(const std::filesystem::path& path, const char* what) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw BadInput(std::string("cannot write ") + what + " '" + path.string() + "'");
    }
    return file;
}

/// Output files named on the command line, all opened before the plug-in is loaded.
struct PlanOutputs {
    std::ofstream trace;
    std::ofstream svg;
    std::ofstream html;
    std::optional<std::filesystem::path> save;
};

/// Refuses an output that would overwrite the galaxy being planned: the input is never changed.
void RefuseOverwritingGalaxy(const PlanOptions& options, const std::filesystem::path& output,
                             const char* option) {
    std::error_code error;
    if (options.galaxy && std::filesystem::equivalent(*options.galaxy, output, error)) {
        throw BadInput(std::string(option) + " '" + output.string() + "' would overwrite the galaxy file");
    }
}

PlanOutputs OpenPlanOutputs(const PlanOptions& options) {
    PlanOutputs outputs;
    for (const auto& [output, option] : {std::pair{&options.trace, "--trace"}, std::pair{&options.svg, "--svg"},
                                         std::pair{&options.html, "--html"},
                                         std::pair{&options.save, "--save"}}) {
        if (*output) {
            RefuseOverwritingGalaxy(options, **output, option);
        }
    }
    if (options.trace) {
        outputs.trace = OpenOutput(*options.trace, "trace file");
    }
    if (options.svg) {
        outputs.svg = OpenOutput(*options.svg, "picture file");
    }
    if (options.html) {
        outputs.html = OpenOutput(*options.html, "plan page");
    }
    if (options.save) {
        // Checked now for writability, without emptying what is there; written after the run.
        if (!std::ofstream(*options.save, std::ios::binary | std::ios::app)) {
            throw BadInput("cannot write galaxy file '" + options.save->string() + "'");
        }
        outputs.save = options.save;
    }
    return outputs;
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

void WriteRunHeader(std::ostream& out, const Galaxy& galaxy, const std::string& pluginFile) {
    const Group& group = galaxy.SelectedGroup();
    const std::int32_t at = group.InOrbit() ? group.planet : group.from;
    out << pluginFile << " on '" << galaxy.Game() << "', turn " << galaxy.Turn() << ": group "
        << group.number << " (" << group.count << " x " << group.type << ", " << group.race << ") "
        << (group.InOrbit() ? "in orbit of #" : "in flight from #") << at << ' '
        << (galaxy.HasPlanet(at) ? galaxy.PlanetAt(at).name : std::string()) << '\n';
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

int ExitStatusOf(const std::exception& error) {
    if (dynamic_cast<const UsageError*>(&error) != nullptr || dynamic_cast<const BadInput*>(&error) != nullptr ||
        dynamic_cast<const GalaxyError*>(&error) != nullptr) {
        return kExitBadInput;
    }
    return kExitPluginFailed;
}

std::filesystem::path DefaultPluginPath() {
    const std::filesystem::path folder = ExecutableFolder();
    const std::filesystem::path besideInBuild = folder.parent_path() / "plugin" / kPluginFileName;
    const std::filesystem::path besideHost = folder / kPluginFileName;
    std::error_code error;
    return std::filesystem::exists(besideHost, error) ? besideHost : besideInBuild;
}

int RunPlan(const PlanOptions& options, std::ostream& out) {
    Galaxy galaxy = LoadPlanGalaxy(options);
    PlanOutputs outputs = OpenPlanOutputs(options);
    std::unique_ptr<CallTrace> trace =
        options.trace ? std::make_unique<CallTrace>(outputs.trace) : nullptr;
    const std::int32_t selectedGroup = galaxy.SelectedGroup().number;

    ApplyLanguage(options.language);
    const PluginModule module = LoadPlugin(options.plugin);
    if (!options.json) {
        WriteRunHeader(out, galaxy, module.FileName());
    }
    RunSettings settings;
    settings.answerDelayMs = options.answerDelayMs;
    settings.cancelAfterSteps = options.cancelAfterSteps;
    settings.trace = trace.get();
    PluginSession session(module.Exports(), galaxy, settings);
    const RunOutcome outcome = session.RunCommand();

    if (options.json) {
        out << ToJsonLine(ReportJson(outcome, selectedGroup)) << '\n';
    } else {
        WriteReportText(out, outcome, galaxy, selectedGroup);
    }
    if (outputs.save) {
        SaveGalaxyFile(galaxy, *outputs.save);
    }
    if (options.svg) {
        outputs.svg << DrawPlanSvg(galaxy, selectedGroup, outcome);
    }
    if (options.html) {
        outputs.html << WritePlanPage(galaxy, selectedGroup, outcome);
    }
    if (!outcome.EndedAsMeant()) {
        std::cerr << "tarvenix-host: the plug-in ended the command without a plan, a cancel or a message\n";
        return kExitPluginFailed;
    }
    return kExitOk;
}

int RunGenerate(const GenerateOptions& options, std::ostream& out) {
    GeneratorOptions generator;
    generator.planets = options.planets;
    generator.races = options.races.value_or(generator.races);
    generator.groups = options.groups.value_or(generator.groups);
    generator.seed = options.seed.value_or(generator.seed);
    std::string text;
    try {
        text = GenerateGalaxyJson(generator);
    } catch (const std::invalid_argument& error) {
        throw BadInput(error.what());
    }
    if (options.out) {
        OpenOutput(*options.out, "galaxy file") << text;
        out << "Wrote '" << options.out->string() << "': " << CountedText(generator.planets, "planet", "planets")
            << ", " << CountedText(generator.races, "race", "races") << ", "
            << CountedText(generator.groups, "group", "groups") << ", seed " << generator.seed << '\n';
    } else {
        out << text;
    }
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
