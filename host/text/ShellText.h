// ShellText.h - words a player can paste into the system's shell: quoted paths, and the host named as it was run.
//
// The host's hints ("Plan it: ...", what to run next after an error) are commands
// for the player to type again. They name the host the way the player ran it
// (build/demo/host/tarvenix-host, or tarvenix-host from the PATH), so that the
// hint runs as written from the same folder. The name is set once, from main,
// before any command runs; until then it is plain "tarvenix-host".
#pragma once

#include <string>
#include <string_view>

namespace host {

/// `text` as one word of the system's shell: as it is when it holds nothing the shell reads,
/// else quoted (in double quotes on Windows, whose paths cannot hold one; in single quotes on
/// a POSIX shell, a single quote inside closed, escaped and reopened). A word with a control
/// character or a byte that is not UTF-8 takes ANSI-C quotes ($'my\tgalaxy.json', as bash, zsh
/// and ksh read them), so that it holds nothing a message escapes: shown through EscapeControls
/// it is still the same word.
std::string ShellWord(std::string_view text);

/// Remembers how the host was run (main's argv[0]); an empty name keeps "tarvenix-host".
void RememberHostAsRun(std::string_view invokedAs);

/// The host as the player ran it, one shell word: "build/demo/host/tarvenix-host", "tarvenix-host".
const std::string& HostAsRun();

} // namespace host
