// main.cpp - tarvenix-host: the standard streams made safe to use, the command line run, its output written out.
#include "cli/CommandRuns.h"
#include "cli/ProgramRun.h"
#include "files/HiddenFiles.h"
#include "files/OutputFile.h"
#include "text/SafeText.h"
#include "text/ShellText.h"

#if defined(_WIN32)
#include "platform/WinTypes.h"
#endif

#include <iostream>
#include <string>
#include <vector>

namespace {

#if defined(_WIN32)
/// The host writes UTF-8 (the plug-in's texts are converted from the system's code page): the
/// console shows it as such while the host runs, and goes back to its own code page after it.
class Utf8Console {
public:
    Utf8Console() : previous_(::GetConsoleOutputCP()) {
        if (previous_ != 0) {
            ::SetConsoleOutputCP(CP_UTF8);
        }
    }
    ~Utf8Console() {
        if (previous_ != 0) {
            ::SetConsoleOutputCP(previous_);
        }
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    UINT previous_; // 0 when the host has no console
};
#else
/// Terminals on Linux take UTF-8 as they are.
struct Utf8Console {};
#endif

} // namespace

int main(int argc, char** argv) {
    // A closed standard descriptor would be the next file opened, and the report would then be
    // written into an output's temporary: each is kept busy with the null device instead.
    if (!host::OpenClosedStandardDescriptors()) {
        std::cerr << "tarvenix-host: a standard stream is closed and the null device cannot take its place\n";
        return host::kExitBadInput;
    }
    [[maybe_unused]] const Utf8Console console;
    // An output's hidden files go with the process when a signal ends it, as they do on every other path.
    host::RemoveHiddenFilesOnEndingSignals();
    // The hints name the host as the player ran it, so that they run as written.
    host::RememberHostAsRun(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    const std::vector<std::string> arguments(argc > 0 ? argv + 1 : argv, argv + argc);
    // Whatever the command printed is written out even after an error, and a failed write
    // of it is an error of its own.
    host::OutputFile standardOutput(1, "standard output");
    const int status = host::RunCommandLine(arguments, standardOutput.Stream());
    try {
        standardOutput.Finish();
    } catch (const host::OutputError& error) {
        std::cerr << "tarvenix-host: " << host::EscapeControls(error.what()) << '\n';
        return host::kExitBadInput;
    }
    return status;
}
