// HiddenFiles.cpp - hidden names, the table the signal handler reads, and the sweep of what ended runs left.
#include "files/HiddenFiles.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>

#if defined(_WIN32)
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace host {
namespace {

using PathChar = std::filesystem::path::value_type;

// A run has a handful of outputs, each with at most a temporary and a previous file.
constexpr std::size_t kSlots = 32;
// Longer paths are not listed: the handler has no heap to reach for.
constexpr std::size_t kPathChars = 4096;

enum SlotState : int { kFree, kFilling, kListed };

/// One listed hidden file. The handler reads only slots in the kListed state.
struct Slot {
    std::atomic<int> state{kFree};
    std::atomic<bool> movedAside{false}; // the target is missing while not replaced
    std::atomic<bool> replaced{false};
    PathChar hidden[kPathChars]{};
    PathChar target[kPathChars]{}; // empty for a temporary
};

Slot g_slots[kSlots];

constexpr std::string_view kMark = ".tarvenix-";

int ProcessId() {
#if defined(_WIN32)
    return ::_getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

bool CopyPath(const std::filesystem::path& path, PathChar (&into)[kPathChars]) {
    const auto& text = path.native();
    if (text.size() >= kPathChars) {
        return false;
    }
    std::copy(text.begin(), text.end(), into);
    into[text.size()] = PathChar();
    return true;
}

// Async-signal-safe file operations on the listed paths.
void RemoveListed(const PathChar* path) {
#if defined(_WIN32)
    ::_wunlink(path);
#else
    ::unlink(path);
#endif
}

void MoveBack(const PathChar* from, const PathChar* to) {
#if defined(_WIN32)
    ::_wrename(from, to);
#else
    ::rename(from, to);
#endif
}

/// Removes every listed file; a previous file moved aside whose target has no new file goes back.
void RemoveListedFiles() {
    for (Slot& slot : g_slots) {
        if (slot.state.load() != kListed) {
            continue;
        }
        if (slot.movedAside.load() && !slot.replaced.load()) {
            MoveBack(slot.hidden, slot.target);
        } else {
            RemoveListed(slot.hidden);
        }
    }
}

#if defined(_WIN32)
BOOL WINAPI OnConsoleClosing(DWORD event) {
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        RemoveListedFiles();
    }
    return FALSE; // the next handler, in the end the system's, ends the process
}
#endif

bool ProcessRuns(int process) {
#if defined(_WIN32)
    HANDLE handle = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
    if (handle == nullptr) {
        return ::GetLastError() != ERROR_INVALID_PARAMETER; // denied: it runs, as another user's
    }
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(handle, &code) == 0 || code == STILL_ACTIVE;
    ::CloseHandle(handle);
    return running;
#else
    return ::kill(static_cast<pid_t>(process), 0) == 0 || errno == EPERM;
#endif
}

/// A name of this program's pattern, ".TARGET.tarvenix-PID-N-A.tmp" or ".old", taken apart.
struct LeftoverName {
    std::string target; // ends in '~' when the name was shortened
    int process = 0;
    bool previous = false; // ".old"
};

bool AllDigits(std::string_view text) {
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

bool ParseLeftoverName(std::string_view name, LeftoverName& parsed) {
    const bool temporary = name.ends_with(".tmp");
    if (!name.starts_with('.') || !(temporary || name.ends_with(".old"))) {
        return false;
    }
    name.remove_suffix(4);
    const std::size_t mark = name.rfind(kMark);
    if (mark == std::string_view::npos || mark < 2) {
        return false;
    }
    std::string_view numbers = name.substr(mark + kMark.size());
    const std::size_t first = numbers.find('-');
    const std::size_t second = first == std::string_view::npos ? first : numbers.find('-', first + 1);
    if (second == std::string_view::npos || !AllDigits(numbers.substr(0, first)) ||
        !AllDigits(numbers.substr(first + 1, second - first - 1)) || !AllDigits(numbers.substr(second + 1))) {
        return false;
    }
    parsed.target = std::string(name.substr(1, mark - 1));
    parsed.process = std::stoi(std::string(numbers.substr(0, first)));
    parsed.previous = !temporary;
    return true;
}

std::string NameBytes(const std::filesystem::path& name) {
    const std::u8string text = name.u8string();
    return {text.begin(), text.end()};
}

/// Removes or puts back one leftover; true when it did.
bool ClearLeftover(const std::filesystem::path& path, const LeftoverName& name) {
    std::error_code error;
    if (name.previous) {
        // A shortened name does not tell its target: kept, since it may be a target's only copy.
        if (name.target.ends_with('~')) {
            return false;
        }
        const std::filesystem::path target =
            path.parent_path() / std::filesystem::path(std::u8string(name.target.begin(), name.target.end()));
        if (!std::filesystem::exists(std::filesystem::symlink_status(target, error))) {
            std::filesystem::rename(path, target, error); // the run was killed while its target was moved aside
            return !error;
        }
    }
    return std::filesystem::remove(path, error) && !error;
}

std::atomic<bool> g_endingHandlersWanted{false};

/// SIGINT ends the process through EndOnSignal from the first listed file on, unless something
/// else has it: the session's Cancel while it runs, or an ignoring parent (a background job).
/// Taken this late so that until then Ctrl-C keeps its default, as a caller watching it expects.
void EndOnInterruptUnlessHandled() {
#if !defined(_WIN32)
    if (!g_endingHandlersWanted.load()) {
        return;
    }
    struct sigaction current {};
    if (::sigaction(SIGINT, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
        (current.sa_flags & SA_SIGINFO) == 0) {
        std::signal(SIGINT, &EndOnSignal);
    }
#endif
}

std::mutex g_sweptMutex;
std::set<std::filesystem::path> g_sweptFolders;

} // namespace

std::size_t FileNameLimit(const std::filesystem::path& target) {
    constexpr std::size_t kUsual = 255;
#if defined(_WIN32)
    (void)target;
    return kUsual;
#else
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<std::size_t>(limit) : kUsual;
#endif
}

std::filesystem::path HiddenName(const std::filesystem::path& target, int attempt, const char* suffix,
                                 std::size_t nameLimit) {
    static std::atomic<int> made{0};
    std::string tail(kMark);
    tail.append(std::to_string(ProcessId()))
        .append("-").append(std::to_string(++made))
        .append("-").append(std::to_string(attempt))
        .append(suffix);
    std::string stem = NameBytes(target.filename());
    if (1 + stem.size() + tail.size() > nameLimit) {
        std::size_t keep = nameLimit > tail.size() + 2 ? nameLimit - tail.size() - 2 : 0;
        while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0U) == 0x80U) {
            --keep; // a UTF-8 continuation byte: its character starts earlier
        }
        stem.resize(keep);
        stem += '~';
    }
    const std::string name = "." + stem + tail;
    return target.parent_path() / std::filesystem::path(std::u8string(name.begin(), name.end()));
}

bool HiddenFile::List(const std::filesystem::path& hidden, const std::filesystem::path& target) {
    Unlist();
    for (std::size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (!g_slots[i].state.compare_exchange_strong(expected, kFilling)) {
            continue;
        }
        Slot& slot = g_slots[i];
        slot.movedAside.store(false);
        slot.replaced.store(false);
        slot.target[0] = PathChar();
        if (!CopyPath(hidden, slot.hidden) || (!target.empty() && !CopyPath(target, slot.target))) {
            slot.state.store(kFree);
            return false;
        }
        slot.state.store(kListed);
        slot_ = static_cast<int>(i);
        EndOnInterruptUnlessHandled();
        return true;
    }
    return false;
}

void HiddenFile::MarkMovedAside() {
    if (slot_ >= 0) {
        g_slots[slot_].movedAside.store(true);
    }
}

void HiddenFile::MarkReplaced() {
    if (slot_ >= 0) {
        g_slots[slot_].replaced.store(true);
    }
}

void HiddenFile::Unlist() {
    if (slot_ >= 0) {
        g_slots[slot_].state.store(kFree);
        slot_ = -1;
    }
}

extern "C" void EndOnSignal(int signal) {
    RemoveListedFiles();
    std::signal(signal, SIG_DFL);
    std::raise(signal); // delivered once the handler returns: the process ends as the signal ends it
}

void RemoveHiddenFilesOnEndingSignals() {
    g_endingHandlersWanted.store(true);
    std::signal(SIGTERM, &EndOnSignal);
#if defined(_WIN32)
    // The console's Ctrl-C and Ctrl-Break arrive as SIGINT and SIGBREAK on a thread of their own;
    // closing the console window, logging off and shutting down reach only a control handler.
    std::signal(SIGINT, &EndOnSignal);
    std::signal(SIGBREAK, &EndOnSignal);
    ::SetConsoleCtrlHandler(&OnConsoleClosing, TRUE);
#else
    std::signal(SIGHUP, &EndOnSignal);
#endif
}

std::size_t RemoveLeftoversOfEndedRuns(const std::filesystem::path& target) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(target, error).parent_path();
    {
        const std::lock_guard lock(g_sweptMutex);
        if (error || !g_sweptFolders.insert(folder).second) {
            return 0;
        }
    }
    std::size_t cleared = 0;
    const int self = ProcessId();
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        LeftoverName name;
        if (!ParseLeftoverName(NameBytes(it->path().filename()), name) || name.process == self ||
            ProcessRuns(name.process) || !it->is_regular_file(error)) {
            continue;
        }
        cleared += ClearLeftover(it->path(), name) ? 1 : 0;
    }
    return cleared;
}

} // namespace host
