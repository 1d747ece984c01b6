// main.cpp - tarvenix-host: parse the command line, run the command, turn errors into exit statuses.
#include "host/CommandLine.h"
#include "host/HostCommands.h"
#include "host/OutputFile.h"
#include "host/SafeText.h"

#include <exception>
#include <iostream>
#include <ostream>
#include <string>
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

/// Runs the command; its errors become their exit statuses and one-line messages.
int RunReportingErrors(const std::vector<std::string>& arguments, std::ostream& out) {
    // Messages may quote names and paths from the user's files: escaped, each stays one line.
    try {
        return Run(arguments, out);
    } catch (const host::UsageError& error) {
        std::cerr << "tarvenix-host: " << host::EscapeControls(error.what()) << '\n' << error.Hint() << '\n';
        return host::kExitBadInput;
    } catch (const std::exception& error) {
        std::cerr << "tarvenix-host: " << host::EscapeControls(error.what()) << '\n';
        return host::ExitStatusOf(error);
    }
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Whatever the command printed is written out even after an error, and a failed write
    // of it is an error of its own.
    host::OutputFile standardOutput(1, "standard output");
    const int status = RunReportingErrors(arguments, standardOutput.Stream());
    try {
        standardOutput.Finish();
    } catch (const host::OutputError& error) {
        std::cerr << "tarvenix-host: " << error.what() << '\n';
        return host::kExitBadInput;
    }
    return status;
}
