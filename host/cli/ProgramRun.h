// ProgramRun.h - the host's command line run, from its arguments to an exit status.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace host {

/// Runs the command that `arguments` (those after the program's name) name, writing its
/// output to `out`. Its errors become their exit statuses, each worded on the error stream
/// in one line, with the next step where the message does not say it already.
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace host
