// ProgramRun.cpp - the command line run: the command it names, and its errors worded with what
// to do next.
#include "cli/ProgramRun.h"

#include "cli/CommandLine.h"
#include "cli/CommandRuns.h"
#include "galaxy/GalaxyFile.h"
#include "session/PluginModule.h"
#include "session/PluginSession.h"
#include "text/SafeText.h"
#include "text/ShellText.h"

#include <exception>
#include <iostream>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace host {
namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

int Run(const std::vector<std::string>& arguments, std::ostream& out) {
    const HostCommand command = ParseCommandLine(arguments);
    return std::visit(Overloaded{
                          [&](const PlanOptions& options) { return RunPlan(options, out); },
                          [&](const CampaignOptions& options) { return RunCampaignCommand(options, out); },
                          [&](const GenerateOptions& options) { return RunGenerate(options, out); },
                          [&](const GroupsOptions& options) { return RunGroups(options, out); },
                          [&](const AboutOptions& options) { return RunAbout(options, out); },
                          [&](const HelpRequest& help) {
                              out << help.text;
                              return kExitOk;
                          },
                          [&](const VersionRequest&) {
                              out << VersionText() << '\n';
                              return kExitOk;
                          },
                      },
                      command);
}

/// What the player can do about an error that ended the run; empty when its message says already.
std::string NextStep(const std::exception& error) {
    const std::string_view message = error.what();
    if (dynamic_cast<const PluginLoadError*>(&error) != nullptr) {
        return message.find("--plugin") != std::string_view::npos
                   ? std::string()
                   : "check that --plugin names a Tarvenix2 module built for this system";
    }
    if (dynamic_cast<const PluginMisbehaved*>(&error) != nullptr) {
        return "the plug-in broke the host's contract; --trace FILE records every call it made";
    }
    if (dynamic_cast<const GalaxyFileError*>(&error) != nullptr) {
        return std::string("correct the galaxy file and run again; ") + kGalaxyFormatPointer;
    }
    if (const auto* refused = dynamic_cast<const BadInput*>(&error); refused != nullptr && !refused->NextStep().empty()) {
        return refused->NextStep();
    }
    if (ExitStatusOf(error) == kExitBadInput) {
        return "correct what is named above and run again; '" + HostAsRun() + " --help' explains the options";
    }
    return {};
}

} // namespace

int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out) {
    // Messages may quote names and paths from the user's files: escaped, each stays one line.
    try {
        return Run(arguments, out);
    } catch (const UsageError& error) {
        std::cerr << "tarvenix-host: " << EscapeControls(error.what()) << '\n' << error.Hint() << '\n';
        return kExitBadInput;
    } catch (const std::exception& error) {
        std::cerr << "tarvenix-host: " << EscapeControls(error.what()) << '\n';
        if (const std::string next = NextStep(error); !next.empty()) {
            std::cerr << next << '\n';
        }
        return ExitStatusOf(error);
    }
}

} // namespace host
