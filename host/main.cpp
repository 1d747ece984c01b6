// main.cpp - tarvenix-host: parse the command line, run the command, turn errors into exit statuses.
#include "host/CommandLine.h"
#include "host/HostCommands.h"

#include <exception>
#include <iostream>
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

int Run(const std::vector<std::string>& arguments) {
    const host::HostCommand command = host::ParseCommandLine(arguments);
    return std::visit(Overloaded{
                          [](const host::PlanOptions& options) { return host::RunPlan(options, std::cout); },
                          [](const host::GenerateOptions& options) { return host::RunGenerate(options, std::cout); },
                          [](const host::AboutOptions& options) { return host::RunAbout(options, std::cout); },
                          [](const host::HelpRequest& help) {
                              std::cout << help.text;
                              return host::kExitOk;
                          },
                          [](const host::VersionRequest&) {
                              std::cout << host::VersionText() << '\n';
                              return host::kExitOk;
                          },
                      },
                      command);
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    try {
        return Run(arguments);
    } catch (const host::UsageError& error) {
        std::cerr << "tarvenix-host: " << error.what() << '\n' << error.Hint() << '\n';
        return host::kExitBadInput;
    } catch (const std::exception& error) {
        std::cerr << "tarvenix-host: " << error.what() << '\n';
        return host::ExitStatusOf(error);
    }
}
