// main.cpp - tarvenix-host: parse the command line, run the command, turn errors into exit statuses.
#include "cli/CommandLine.h"
#include "cli/CommandRuns.h"
#include "files/OutputFile.h"
#include "session/PluginModule.h"
#include "session/PluginSession.h"
#include "text/SafeText.h"

#include <exception>
#include <iostream>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace {

template <typename... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <typename... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

int Run(const std::vector<std::string>& arguments, std::ostream& out) {
    const host::HostCommand command = host::ParseCommandLine(arguments);
    return std::visit(Overloaded{
                          [&](const host::PlanOptions& options) { return host::RunPlan(options, out); },
                          [&](const host::GenerateOptions& options) { return host::RunGenerate(options, out); },
                          [&](const host::GroupsOptions& options) { return host::RunGroups(options, out); },
                          [&](const host::AboutOptions& options) { return host::RunAbout(options, out); },
                          [&](const host::HelpRequest& help) {
                              out << help.text;
                              return host::kExitOk;
                          },
                          [&](const host::VersionRequest&) {
                              out << host::VersionText() << '\n';
                              return host::kExitOk;
                          },
                      },
                      command);
}

/// What the player can do about an error that ended the run; empty when its message says already.
std::string NextStep(const std::exception& error) {
    const std::string_view message = error.what();
    if (dynamic_cast<const host::PluginLoadError*>(&error) != nullptr) {
        return message.find("--plugin") != std::string_view::npos
                   ? std::string()
                   : "check that --plugin names a Tarvenix2 module built for this system";
    }
    if (dynamic_cast<const host::PluginMisbehaved*>(&error) != nullptr) {
        return "the plug-in broke the host's contract; --trace FILE records every call it made";
    }
    if (host::ExitStatusOf(error) == host::kExitBadInput) {
        return "correct what is named above and run again; 'tarvenix-host --help' explains the options";
    }
    return {};
}

/// Runs the command; its errors become their exit statuses, a one-line message and the next step.
int RunReportingErrors(const std::vector<std::string>& arguments, std::ostream& out) {
    // Messages may quote names and paths from the user's files: escaped, each stays one line.
    try {
        return Run(arguments, out);
    } catch (const host::UsageError& error) {
        std::cerr << "tarvenix-host: " << host::EscapeControls(error.what()) << '\n' << error.Hint() << '\n';
        return host::kExitBadInput;
    } catch (const std::exception& error) {
        std::cerr << "tarvenix-host: " << host::EscapeControls(error.what()) << '\n';
        if (const std::string next = NextStep(error); !next.empty()) {
            std::cerr << next << '\n';
        }
        return host::ExitStatusOf(error);
    }
}

} // namespace

int main(int argc, char** argv) {
    // A closed standard descriptor would be the next file opened, and the report would then be
    // written into an output's temporary: each is kept busy with the null device instead.
    if (!host::OpenClosedStandardDescriptors()) {
        std::cerr << "tarvenix-host: a standard stream is closed and the null device cannot take its place\n";
        return host::kExitBadInput;
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Whatever the command printed is written out even after an error, and a failed write
    // of it is an error of its own.
    host::OutputFile standardOutput(1, "standard output");
    const int status = RunReportingErrors(arguments, standardOutput.Stream());
    try {
        standardOutput.Finish();
    } catch (const host::OutputError& error) {
        std::cerr << "tarvenix-host: " << host::EscapeControls(error.what()) << '\n';
        return host::kExitBadInput;
    }
    return status;
}
