// HostProcess.h - runs the real tarvenix-host binary for end-to-end tests and captures what it printed.
//
// The child inherits the environment, so tests choose the test module's mode
// with ScopedEnvironment before running. Files go to a fresh folder per test.
#pragma once

#include "platform/ScopedEnvironment.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
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

private:
    std::filesystem::path path_;
};

using platform_test::ScopedEnvironment;

/// Runs the host with `arguments`; standard output and error are captured through files in `folder`.
inline HostRun RunHost(const TestFolder& folder, const std::vector<std::string>& arguments) {
    std::string command = Quoted(TARVENIX_HOST_EXE);
    for (const std::string& argument : arguments) {
        command += ' ' + Quoted(argument);
    }
    const auto outPath = folder / "stdout.txt";
    const auto errPath = folder / "stderr.txt";
    command += " >" + Quoted(outPath.string()) + " 2>" + Quoted(errPath.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    HostRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    return run;
}

} // namespace host_test
