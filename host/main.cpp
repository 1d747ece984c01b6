// main.cpp - tarvenix-host: the standard streams made safe to use, the command line run, its output written out.
#include "cli/CommandRuns.h"
#include "cli/ProgramRun.h"
#include "files/HiddenFiles.h"
#include "files/OutputFile.h"
#include "text/SafeText.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // A closed standard descriptor would be the next file opened, and the report would then be
    // written into an output's temporary: each is kept busy with the null device instead.
    if (!host::OpenClosedStandardDescriptors()) {
        std::cerr << "tarvenix-host: a standard stream is closed and the null device cannot take its place\n";
        return host::kExitBadInput;
    }
    // An output's hidden files go with the process when a signal ends it, as they do on every other path.
    host::RemoveHiddenFilesOnEndingSignals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
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
