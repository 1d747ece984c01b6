// HiddenFiles.h - the hidden files an output leaves beside its target while it is made, and their removal however a run ends.
//
// An output is written to a hidden temporary and, while the outputs of a run
// are replaced together, the target's previous file is kept under a hidden
// name. Both are named ".TARGET.tarvenix-PID-N-A.tmp" or ".old" (PID the
// process, N a count of the process, A an attempt), shortened where the file
// system's name limit asks for it. Their removal on every path:
//
// - a run that returns or throws: the output's own destructor;
// - SIGINT, SIGTERM and SIGHUP (on Windows: Ctrl-C, Ctrl-Break and the
//   console being closed): the handler EndOnSignal installs removes every
//   registered hidden file, puts a previous file that was moved aside and not
//   yet replaced back in its place, and then ends the process as the signal
//   would have ended it. The named targets are each wholly old or wholly new;
// - SIGKILL or a power cut: the next run that writes into the same folder
//   removes what a process that no longer runs left there
//   (RemoveLeftoversOfEndedRuns).
//
// The registry is a fixed table that the signal handler reads without taking
// a lock or allocating; a path too long for a slot is not registered (only
// the next run's sweep removes it then).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace host {

/// The hidden name beside `target` for one of this process's files: ".tmp" for a temporary,
/// ".old" for a kept previous file. `attempt` makes it new when the name is taken. A name
/// that would pass `nameLimit` bytes keeps less of the target's name and marks the cut with '~'.
std::filesystem::path HiddenName(const std::filesystem::path& target, int attempt, const char* suffix,
                                 std::size_t nameLimit);

/// The longest file name, in bytes, that the folder of `target` takes.
std::size_t FileNameLimit(const std::filesystem::path& target);

/// One hidden file of this process, listed for the signal handler while the object lives.
/// Register it before the file is made, so that no moment exists when it is there unlisted.
class HiddenFile {
public:
    HiddenFile() = default;
    ~HiddenFile() { Unlist(); }
    HiddenFile(const HiddenFile&) = delete;
    HiddenFile& operator=(const HiddenFile&) = delete;

    /// Lists `hidden`; for a previous file, `target` is where it goes back should the run end
    /// while the target is missing. False when the table is full or a path too long for it.
    bool List(const std::filesystem::path& hidden, const std::filesystem::path& target = {});
    /// The previous file was moved aside (no hard link): the target is missing until replaced.
    void MarkMovedAside();
    /// The target holds its new file: a previous file is no longer needed to fill its place.
    void MarkReplaced();
    /// Takes it off the list (the file is gone or has become the target).
    void Unlist();

private:
    int slot_ = -1;
};

/// Installs the handlers that remove this process's hidden files when a signal ends it
/// (SIGTERM, SIGHUP; on Windows also the console's Ctrl-C, Ctrl-Break and close). On POSIX
/// SIGINT gets its handler once the first hidden file is listed, and only while its disposition
/// is the default: the session's Cancel keeps it while the plug-in plans, and a process started
/// with Ctrl-C ignored keeps ignoring it.
void RemoveHiddenFilesOnEndingSignals();

/// The handler for a signal that ends the process: removes the hidden files, then ends the
/// process as the signal's default action would. A later handler can pass a signal on to it.
extern "C" void EndOnSignal(int signal);

/// Removes, in the folder of `target`, the hidden files that earlier processes of this program
/// left and that no running process owns (by the PID in their name): temporaries go, a kept
/// previous file goes back to its target's name when that is missing, and goes otherwise.
/// Once a folder a process; returns the number of files it removed or put back.
std::size_t RemoveLeftoversOfEndedRuns(const std::filesystem::path& target);

} // namespace host
