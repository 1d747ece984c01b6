// HostOutputTest.cpp - the host's output files end to end: refused names, write errors, a full disk, signals.
//
// Every case starts from output files that already hold "previous\n" and checks
// that a run which fails, is refused or is killed leaves each of them as it was,
// with no temporary left beside them.
#include "host/HostProcess.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

using host_test::HostRun;
using host_test::kPlugin;
using host_test::ReadText;
using host_test::RunHost;
using host_test::ScopedEnvironment;
using host_test::TestFolder;

constexpr const char* kPrevious = "previous\n";

/// A folder holding a galaxy file and earlier outputs, and the means to check that none changed.
class HostOutputTest : public ::testing::Test {
protected:
    HostOutputTest() {
        // The demo galaxy, saved by the host itself, is the galaxy of every run.
        const HostRun save = RunHost(folder, {"--plugin", kPlugin, "--save", Path("g.json")});
        EXPECT_EQ(save.status, 0) << save.err;
    }

    std::string Path(const std::string& name) const { return (Place() / name).string(); }
    virtual std::filesystem::path Place() const { return folder.Path(); }

    void WritePrevious(const std::vector<std::string>& names) const {
        for (const std::string& name : names) {
            std::ofstream(Place() / name, std::ios::binary) << kPrevious;
        }
    }

    /// Every file of the place with its content; the host's captured streams left out.
    std::map<std::string, std::string> Contents() const {
        std::map<std::string, std::string> contents;
        for (const auto& entry : std::filesystem::directory_iterator(Place())) {
            const std::string name = entry.path().filename().string();
            if (name != "stdout.txt" && name != "stderr.txt") {
                contents[name] = entry.is_regular_file() ? ReadText(entry.path()) : std::string("(not a file)");
            }
        }
        return contents;
    }

    /// The names of the files added, removed or changed since `before`.
    std::vector<std::string> ChangedSince(const std::map<std::string, std::string>& before) const {
        const auto now = Contents();
        std::vector<std::string> changed;
        for (const auto& [name, text] : now) {
            if (before.count(name) == 0 || before.at(name) != text) {
                changed.push_back(name);
            }
        }
        for (const auto& entry : before) {
            if (now.count(entry.first) == 0) {
                changed.push_back(entry.first);
            }
        }
        return changed;
    }

    TestFolder folder;
    ScopedEnvironment orders{"TARVENIX_TEST_PLUGIN_ORDERS", "7 #5 1;7 #6 1"};
};

TEST_F(HostOutputTest, BadInvocationsAreRefusedAndTouchNothing) {
    WritePrevious({"keep.svg", "keep.jsonl", "plain"});
    std::filesystem::create_symlink("g.json", Path("soft.json"));
    std::filesystem::create_hard_link(Path("g.json"), Path("hard.json"));
    std::filesystem::create_symlink(kPlugin, Path("plugin.so"));
    std::filesystem::create_directory(Path("sub"));
    const auto before = Contents();
    const std::string dotted = (folder.Path() / "." / "keep.svg").string();
    struct Row {
        std::vector<std::string> arguments;
        std::string standardOutput;  // where standard output goes; captured when empty
        int status;
        std::string message;         // how standard error starts, after "tarvenix-host: "
    };
    const std::vector<Row> rows = {
        {{"--galaxy", Path("g.json"), "--svg", Path("./g.json")}, "", 2, "--svg '" + Path("./g.json") + "' would overwrite the galaxy file"},
        {{"--galaxy", Path("g.json"), "--save", Path("soft.json")}, "", 2, "--out '" + Path("soft.json") + "' would overwrite the galaxy file"},
        {{"--galaxy", Path("g.json"), "--trace", Path("hard.json")}, "", 2, "--trace '" + Path("hard.json") + "' would overwrite the galaxy file"},
        {{"--svg", Path("plugin.so")}, "", 2, "--svg '" + Path("plugin.so") + "' would overwrite the plug-in"},
        {{"--trace", kPlugin}, "", 2, "--trace '" + kPlugin + "' would overwrite the plug-in"},
        {{"--trace", Path("keep.svg"), "--svg", dotted}, "", 2, "--trace '" + Path("keep.svg") + "' and --svg '" + dotted + "' name the same file"},
        {{"--svg", Path("new.svg"), "--save", Path("sub/../new.svg")}, "", 2, "--svg '" + Path("new.svg") + "' and --out"},
        {{"--trace", "/dev/full"}, "", 2, "cannot write trace file '/dev/full': No space left on device"},
        {{"--svg", "/dev/full"}, "", 2, "cannot write picture file '/dev/full': No space left on device"},
        {{"--save", "/dev/full"}, "", 2, "cannot write galaxy file '/dev/full': No space left on device"},
        {{"--html", "/dev/full"}, "", 2, "cannot write plan page '/dev/full': No space left on device"},
        {{"generate", "--planets", "50", "--out", "/dev/full"}, "", 2, "cannot write galaxy file '/dev/full': No space"},
        {{"--json"}, "/dev/full", 2, "cannot write standard output: No space left on device"},
        {{}, "/dev/full", 2, "cannot write standard output: No space left on device"},
        {{"generate", "--planets", "50"}, "/dev/full", 2, "cannot write standard output: No space left"},
        {{"--help"}, "/dev/full", 2, "cannot write standard output: No space left"},
        // The report is written out before any output is replaced: when it cannot be, none is.
        {{"--svg", Path("keep.svg"), "--trace", Path("keep.jsonl")}, "/dev/full", 2, "cannot write standard output: No space left"},
        {{"--svg", Path("sub")}, "", 2, "cannot write picture file '" + Path("sub") + "': Is a directory"},
        {{"generate", "--planets", "50", "--out", Path("sub")}, "", 2, "cannot write galaxy file '" + Path("sub") + "': Is a directory"},
        {{"--trace", Path("plain/t.jsonl")}, "", 2, "cannot write trace file '" + Path("plain/t.jsonl") + "': Not a directory"},
        {{"--save", Path("missing/g.json")}, "", 2, "cannot write galaxy file '" + Path("missing/g.json") + "': No such file"},
        // A run that fails after the outputs were prepared replaces none of them.
        {{"--plugin", "/missing.so", "--svg", Path("keep.svg"), "--trace", Path("keep.jsonl")}, "", 1, "cannot load '/missing.so'"},
        // Standard output or error sent to a file is an output too: another output renamed over
        // that file would take it away from under the report, or the messages.
        {{"--json", "--trace", "/dev/stdout"}, Path("keep.jsonl"), 2, "standard output and --trace '/dev/stdout' name the same file"},
        {{"--json", "--svg", Path("keep.svg")}, Path("keep.svg"), 2, "standard output and --svg '" + Path("keep.svg") + "' name the same file"},
        {{"generate", "--planets", "50", "--out", Path("plain")}, Path("plain"), 2, "standard output and --out '" + Path("plain") + "' name the same file"},
        {{"--trace", Path("stderr.txt")}, "", 2, "standard error and --trace '" + Path("stderr.txt") + "' name the same file"},
        // Devices that take any text are written in place, as asked.
        {{"--trace", "/dev/null", "--svg", "/dev/null"}, "", 0, ""},
        {{"--trace", "/dev/stdout"}, "/dev/null", 0, ""},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> arguments = rows[i].arguments;
        // A row that names its own plug-in keeps it: an option may be given once.
        const bool ownPlugin = std::find(arguments.begin(), arguments.end(), "--plugin") != arguments.end();
        if ((arguments.empty() || arguments[0] != "generate") && !ownPlugin) {
            arguments.insert(arguments.begin(), {"--plugin", kPlugin});
        }
        const HostRun run = RunHost(folder, arguments, rows[i].standardOutput);
        EXPECT_EQ(run.status, rows[i].status) << "row " << i << ": " << run.err;
        const std::string expected = rows[i].message.empty() ? "" : "tarvenix-host: " + rows[i].message;
        EXPECT_EQ(run.err.substr(0, expected.size()), expected) << "row " << i << ": " << run.err;
    }
    EXPECT_EQ(ChangedSince(before), std::vector<std::string>{});
}

/// An error is its message on one line, followed by the one line that says what to do next.
void ExpectOneLineMessage(const std::string& err) {
    EXPECT_EQ(err.rfind("tarvenix-host: ", 0), 0u) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << "one line and its hint: " << err;
}

TEST_F(HostOutputTest, NamesWithControlCharactersAreShownEscapedOnTheirLine) {
    // Planet 5 renamed with a screen-clearing escape and a line break; a copy with planet 6
    // renamed the same, a duplicate the loader refuses.
    std::string galaxy = ReadText(Path("g.json"));
    const std::string raw = "Brisk\\u001b[2J\\nX";
    galaxy.replace(galaxy.find("\"Brisk\""), 7, "\"" + raw + "\"");
    std::ofstream(Path("escaped.json"), std::ios::binary) << galaxy;
    galaxy.replace(galaxy.find("\"Lumen\""), 7, "\"" + raw + "\"");
    std::ofstream(Path("duplicate.json"), std::ios::binary) << galaxy;

    const HostRun report = RunHost(folder, {"--plugin", kPlugin, "--galaxy", Path("escaped.json")});
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_NE(report.out.find("#5 Brisk\\x1b[2J\\nX"), std::string::npos) << report.out;
    EXPECT_EQ(report.out.find('\x1b'), std::string::npos);

    const HostRun refused = RunHost(folder, {"--plugin", kPlugin, "--galaxy", Path("duplicate.json")});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err.find('\x1b'), std::string::npos) << refused.err;
    ExpectOneLineMessage(refused.err);
}

TEST_F(HostOutputTest, EveryMessageThatNamesAPathShowsItEscaped) {
    // Paths the user typed, with a line break, a screen-clearing escape and a byte that is not UTF-8.
    const std::string hostile = "a\nb\x1b[2J\xff";
    const auto raw = [&](const std::string& suffix) { return Path(hostile + suffix); };
    const auto shown = [&](const std::string& suffix) { return Path("a\\nb\\x1b[2J\\xff" + suffix); };
    std::filesystem::copy_file(Path("g.json"), raw(".json"));
    std::ofstream(raw("-bad.json")) << "{";
    std::filesystem::create_directory(raw(".dir"));
    std::filesystem::create_symlink(kPlugin, raw(".so"));
    std::filesystem::create_symlink(TARVENIX_TEST_PLUGIN_WITHOUT_CLOSE, raw("-noclose.so"));
    struct Row {
        std::vector<std::string> arguments;
        std::string standardOutput;
        int status;
        std::string shows; // on standard output or error
    };
    const std::vector<Row> rows = {
        // The galaxy file: unreadable, malformed, and quoted by --select.
        {{"--galaxy", raw("-missing.json")}, "", 2, shown("-missing.json") + ": cannot read the file"},
        {{"--galaxy", raw("-bad.json")}, "", 2, shown("-bad.json") + ": malformed JSON"},
        {{"--galaxy", raw(".json"), "--select", "999"}, "", 2, "no group 999 in '" + shown(".json") + "'"},
        // Outputs: naming an input, each other or standard output's file; not writable.
        {{"--galaxy", raw(".json"), "--svg", raw(".json")}, "", 2, "--svg '" + shown(".json") + "' would overwrite"},
        {{"--svg", raw(".so")}, "", 2, "--svg '" + shown(".so") + "' would overwrite the plug-in"},
        {{"--trace", raw(".t"), "--svg", raw(".t")}, "", 2, "--trace '" + shown(".t") + "' and --svg '" + shown(".t") + "'"},
        {{"--json", "--svg", raw(".out")}, raw(".out"), 2, "standard output and --svg '" + shown(".out") + "'"},
        {{"--svg", raw(".dir")}, "", 2, "cannot write picture file '" + shown(".dir") + "': Is a directory"},
        {{"generate", "--planets", "5", "--out", raw(".dir")}, "", 2, "cannot write galaxy file '" + shown(".dir") + "'"},
        // The plug-in: missing, not a module, without an export, and named in the run's header.
        {{"--plugin", raw("-missing.so")}, "", 1, "cannot load '" + shown("-missing.so") + "': no such file"},
        {{"--plugin", raw("-bad.json")}, "", 1, "cannot load '" + shown("-bad.json") + "': "},
        {{"--plugin", raw("-noclose.so")}, "", 1, "cannot resolve 'OnClose' in 'a\\nb\\x1b[2J\\xff-noclose.so'"},
        {{"--plugin", raw(".so")}, "", 0, "a\\nb\\x1b[2J\\xff.so on 'Lantern Reach', turn 42"},
        // What generate wrote.
        {{"generate", "--planets", "5", "--out", raw(".gen")}, "", 0, "Wrote '" + shown(".gen") + "': 5 planets"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::vector<std::string> arguments = rows[i].arguments;
        const bool ownPlugin = std::find(arguments.begin(), arguments.end(), "--plugin") != arguments.end();
        if (arguments[0] != "generate" && !ownPlugin) {
            arguments.insert(arguments.begin(), {"--plugin", kPlugin});
        }
        const HostRun run = RunHost(folder, arguments, rows[i].standardOutput);
        const std::string printed = run.out + run.err;
        EXPECT_EQ(run.status, rows[i].status) << "row " << i << ": " << printed;
        // The path is on the first line of what was printed, which its line break does not end.
        const std::string& stream = run.status == 0 ? run.out : run.err;
        EXPECT_NE(stream.substr(0, stream.find('\n')).find(rows[i].shows), std::string::npos)
            << "row " << i << ": " << printed;
        EXPECT_EQ(printed.find_first_of("\x1b\xff"), std::string::npos) << "row " << i << ": " << printed;
    }
}

/// Standard input, output or error closed when the host starts: a file it opens later would get
/// the free number, and what was meant for the stream would go into an output.
TEST_F(HostOutputTest, ClosedStandardStreamsAreNeverGivenToAnOutput) {
    const std::vector<std::string> rows = {"<&-", ">&-", "2>&-", "<&- >&- 2>&-"};
    for (const std::string& closing : rows) {
        std::filesystem::remove(Path("t.jsonl"));
        const HostRun run = RunHost(folder, {"--plugin", kPlugin, "--json", "--trace", Path("t.jsonl"), "--svg",
                                             Path("p.svg")}, "", closing);
        EXPECT_EQ(run.status, 0) << closing << ": " << run.err;
        const std::vector<nlohmann::ordered_json> lines = host_test::JsonLines(ReadText(Path("t.jsonl")));
        EXPECT_EQ(lines.size(), 7u) << closing;
        for (const nlohmann::ordered_json& line : lines) {
            EXPECT_TRUE(line.contains("thread")) << closing << ": " << line.dump();
        }
        EXPECT_EQ(ReadText(Path("p.svg")).rfind("<?xml", 0), 0u) << closing;
    }
}

TEST_F(HostOutputTest, OutputThatCannotBeReplacedPutsTheOthersBack) {
    WritePrevious({"t.jsonl", "p.svg", "p.html", "s.json"});
    const auto before = Contents();
    // Six answers of 300 ms each: the target of --out, the last to be replaced, turns into a
    // folder while the plug-in plans.
    const pid_t child = host_test::StartHost(
        folder, {"--plugin", kPlugin, "--answer-delay-ms", "300", "--trace", Path("t.jsonl"), "--svg", Path("p.svg"),
                 "--html", Path("p.html"), "--out", Path("s.json")});
    ASSERT_GT(child, 0);
    ASSERT_TRUE(host_test::WaitUntilCatching(child, SIGINT));
    std::filesystem::remove(Path("s.json"));
    std::filesystem::create_directory(Path("s.json"));
    const int raw = host_test::WaitForHost(child);
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 2) << "status " << raw;
    const std::string err = ReadText(Path("stderr.txt"));
    EXPECT_EQ(err.rfind("tarvenix-host: cannot write galaxy file '" + Path("s.json") + "': Is a directory\n", 0), 0u)
        << err;
    EXPECT_EQ(ChangedSince(before), std::vector<std::string>{"s.json"}) << "only the folder the test made";
}

/// The same folder on a small tmpfs of its own, which the test fills to the last byte.
class HostOutputFullDiskTest : public HostOutputTest {
protected:
    void SetUp() override {
        if (::geteuid() != 0) {
            GTEST_SKIP() << "mounting a small tmpfs needs root";
        }
        std::filesystem::create_directory(disk_);
        const std::string mount = "mount -t tmpfs -o size=64k tarvenix-full " + host_test::Quoted(disk_.string()) + " 2>/dev/null";
        if (std::system(mount.c_str()) != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs here (no privilege for it in this container?)";
        }
        mounted_ = true;
    }
    void TearDown() override {
        if (mounted_) {
            EXPECT_EQ(std::system(("umount " + host_test::Quoted(disk_.string())).c_str()), 0);
        }
    }
    std::filesystem::path Place() const override { return disk_; }

    /// Fills the disk: after this, no new byte fits.
    void Fill() const {
        std::ofstream filler(disk_ / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
    }

    std::filesystem::path disk_ = folder / "disk";
    bool mounted_ = false;
};

TEST_F(HostOutputFullDiskTest, EveryOutputKeepsItsPreviousFile) {
    std::filesystem::copy_file(folder / "g.json", Path("g.json"));
    WritePrevious({"t.jsonl", "p.svg", "s.json", "p.html", "gen.json"});
    Fill();
    const auto before = Contents();
    const std::vector<std::vector<std::string>> rows = {
        {"--plugin", kPlugin, "--galaxy", Path("g.json"), "--trace", Path("t.jsonl")},
        {"--plugin", kPlugin, "--galaxy", Path("g.json"), "--svg", Path("p.svg")},
        {"--plugin", kPlugin, "--galaxy", Path("g.json"), "--save", Path("s.json")},
        {"--plugin", kPlugin, "--galaxy", Path("g.json"), "--html", Path("p.html")},
        {"generate", "--planets", "50", "--out", Path("gen.json")},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HostRun run = RunHost(folder, rows[i]);
        EXPECT_EQ(run.status, 2) << "row " << i << ": " << run.err;
        EXPECT_NE(run.err.find("': No space left on device\n"), std::string::npos) << "row " << i << ": " << run.err;
    }
    EXPECT_EQ(ChangedSince(before), std::vector<std::string>{});
}

TEST_F(HostOutputTest, KilledOrTwiceInterruptedRunLeavesEveryOutputAsItWas) {
    WritePrevious({"t.jsonl", "p.svg", "s.json", "p.html"});
    const auto before = Contents();
    const std::vector<std::vector<int>> rows = {{SIGTERM}, {SIGINT, SIGINT}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        // Six answers of 300 ms each: the signals land while the command runs.
        const pid_t child = host_test::StartHost(
            folder, {"--plugin", kPlugin, "--answer-delay-ms", "300", "--trace", Path("t.jsonl"), "--svg",
                     Path("p.svg"), "--save", Path("s.json"), "--html", Path("p.html")});
        ASSERT_GT(child, 0);
        ASSERT_TRUE(host_test::WaitUntilCatching(child, SIGINT)) << "row " << i;
        // Signals of one kind do not queue: the second Ctrl-C is sent once the first was handled.
        for (const int signal : rows[i]) {
            ::kill(child, signal);
            EXPECT_TRUE(signal != SIGINT || host_test::WaitUntilDelivered(child, SIGINT)) << "row " << i;
        }
        const int raw = host_test::WaitForHost(child);
        EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == rows[i].back()) << "row " << i << ": status " << raw;
        EXPECT_EQ(ChangedSince(before), std::vector<std::string>{}) << "row " << i;
    }
}

/// The host's hidden files in `folder`: temporaries and kept previous files.
std::vector<std::string> HiddenFilesIn(const std::filesystem::path& folder) {
    std::vector<std::string> hidden;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.find(".tarvenix-") != std::string::npos) {
            hidden.push_back(name);
        }
    }
    std::sort(hidden.begin(), hidden.end());
    return hidden;
}

TEST_F(HostOutputTest, SignalWhileOutputsAreWrittenLeavesNoHiddenFile) {
    // Large enough that writing the outputs takes a while after the plan: the signal lands once the
    // first of them is finished and waits, named, for the others.
    const HostRun generate = RunHost(folder, {"generate", "--planets", "20000", "--out", Path("big.json")});
    ASSERT_EQ(generate.status, 0) << generate.err;
    WritePrevious({"t.jsonl", "p.svg", "s.json", "p.html"});
    const auto before = Contents();
    const std::vector<int> rows = {SIGINT, SIGTERM, SIGHUP, SIGKILL};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const pid_t child = host_test::StartHost(
            folder, {"--plugin", kPlugin, "--galaxy", Path("big.json"), "--trace", Path("t.jsonl"), "--svg",
                     Path("p.svg"), "--html", Path("p.html"), "--save", Path("s.json")});
        ASSERT_GT(child, 0);
        ASSERT_TRUE(host_test::WaitUntil([&] { return !HiddenFilesIn(Place()).empty(); })) << "row " << i;
        ::kill(child, rows[i]);
        const int raw = host_test::WaitForHost(child);
        EXPECT_TRUE(WIFSIGNALED(raw) && WTERMSIG(raw) == rows[i]) << "row " << i << ": status " << raw;
        EXPECT_EQ(ChangedSince(before), rows[i] == SIGKILL ? HiddenFilesIn(Place()) : std::vector<std::string>{})
            << "row " << i << ": only what a killed process cannot remove";
    }
    // The next run that writes into the folder removes what the killed one left.
    const HostRun next = RunHost(folder, {"--plugin", kPlugin, "--galaxy", Path("g.json"), "--svg", Path("q.svg")});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(HiddenFilesIn(Place()), std::vector<std::string>{});
}

} // namespace
