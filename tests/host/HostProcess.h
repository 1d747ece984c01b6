// HostProcess.h - runs the real tarvenix-host binary for end-to-end tests and captures what it printed.
//
// The child inherits the environment, so tests choose the test module's mode
// with ScopedEnvironment before running. Files go to a fresh folder per test.
// A host can also be started in the background, to be signalled in mid-run.
#pragma once

#include "platform/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace host_test {

/// The scripted test module built beside the tests.
inline const std::string kPlugin = TARVENIX_TEST_PLUGIN;

struct HostRun {
    int status = -1; // the exit status, or -1 when the host did not exit normally
    std::string out;
    std::string err;
};

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline std::string Quoted(const std::string& argument) {
    std::string quoted = "'";
    for (char ch : argument) {
        quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    }
    return quoted + "'";
}

/// One JSON value per line of `text`: a trace file, read back.
inline std::vector<nlohmann::ordered_json> JsonLines(const std::string& text) {
    std::vector<nlohmann::ordered_json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(nlohmann::ordered_json::parse(line));
    }
    return lines;
}

/// A folder of its own for the current test, removed afterwards. The process id keeps
/// the same test of two builds run at once (a debug and a sanitizer run) apart.
class TestFolder {
public:
    TestFolder() {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                (std::string("tarvenix-host-") + test->test_suite_name() + "-" + test->name() + "-" +
                 std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() { std::filesystem::remove_all(path_); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

using platform_test::ScopedEnvironment;

/// Runs the host with `arguments`; standard output and error are captured through files in `folder`.
/// `standardOutput`, when given, receives standard output instead, appended to so that a file
/// keeps what it held (a device such as /dev/full, or an output's own file). `redirections` go to
/// the shell after those (e.g. ">&-" to close standard output).
inline HostRun RunHost(const TestFolder& folder, const std::vector<std::string>& arguments,
                       const std::string& standardOutput = {}, const std::string& redirections = {}) {
    std::string command = Quoted(TARVENIX_HOST_EXE);
    for (const std::string& argument : arguments) {
        command += ' ' + Quoted(argument);
    }
    const auto outPath = standardOutput.empty() ? folder / "stdout.txt" : std::filesystem::path(standardOutput);
    const auto errPath = folder / "stderr.txt";
    command += (standardOutput.empty() ? " >" : " >>") + Quoted(outPath.string()) + " 2>" +
               Quoted(errPath.string()) + " </dev/null " + redirections;
    const int raw = std::system(command.c_str());
    HostRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = standardOutput.empty() ? ReadText(outPath) : std::string();
    run.err = ReadText(errPath);
    return run;
}

/// Starts the host in the background, standard output and error to files in `folder`; returns its pid.
inline pid_t StartHost(const TestFolder& folder, const std::vector<std::string>& arguments) {
    const std::string out = (folder / "stdout.txt").string();
    const std::string err = (folder / "stderr.txt").string();
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv{const_cast<char*>(TARVENIX_HOST_EXE)};
        for (const std::string& argument : arguments) {
            argv.push_back(const_cast<char*>(argument.c_str()));
        }
        argv.push_back(nullptr);
        if (std::freopen(out.c_str(), "w", stdout) != nullptr && std::freopen(err.c_str(), "w", stderr) != nullptr) {
            ::execv(TARVENIX_HOST_EXE, argv.data());
        }
        ::_exit(127);
    }
    return child;
}

/// The bit of `signal` in the mask a line of /proc/PID/status starting with `field` gives, or
/// nullopt when the process has no such line (it has ended).
inline std::optional<bool> StatusBit(pid_t pid, const char* field, int signal) {
    std::istringstream status(ReadText("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) {
            return (std::stoull(line.substr(std::string_view(field).size()), nullptr, 16) >> (signal - 1) & 1) != 0;
        }
    }
    return std::nullopt;
}

/// Waits, bounded, until `condition` holds; polls, as a process's state gives no event. False on time-out.
template <typename Condition>
bool WaitUntil(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

/// Waits, bounded, until process `pid` has a handler of its own for `signal` (the host's Ctrl-C
/// handler is installed just before the plug-in's command runs). False on time-out.
inline bool WaitUntilCatching(pid_t pid, int signal) {
    return WaitUntil([&] { return StatusBit(pid, "SigCgt:", signal).value_or(false); });
}

/// Waits, bounded, until a `signal` sent to `pid` is no longer pending: its handler has begun, and
/// a second one sent now is not merged into the first. False on time-out.
inline bool WaitUntilDelivered(pid_t pid, int signal) {
    return WaitUntil([&] {
        return !StatusBit(pid, "ShdPnd:", signal).value_or(false) && !StatusBit(pid, "SigPnd:", signal).value_or(false);
    });
}

/// The raw wait status of a host started with StartHost, once it has ended.
inline int WaitForHost(pid_t pid) {
    int raw = 0;
    return ::waitpid(pid, &raw, 0) == pid ? raw : -1;
}

} // namespace host_test
