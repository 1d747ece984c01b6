// OutputFileTest.cpp - outputs replace their target whole or not at all; which paths name one file.
#include "files/FileIdentity.h"
#include "files/HiddenFiles.h"
#include "files/OutputFile.h"

#include "host/HostProcess.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace host {
namespace {

using host_test::ReadText;

class OutputFileTest : public ::testing::Test {
protected:
    std::filesystem::path Existing(const std::string& name, const std::string& text = "previous\n") const {
        const std::filesystem::path path = folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    template <typename Action>
    static std::string MessageOf(Action&& action) {
        try {
            action();
        } catch (const OutputError& error) {
            return error.what();
        }
        return "(no error)";
    }

    host_test::TestFolder folder;
};

TEST_F(OutputFileTest, TargetChangesOnlyWhenReplacedAndKeepsItsPermissions) {
    const std::filesystem::path target = Existing("plan.svg");
    ::chmod(target.c_str(), 0640);
    OutputFile file(target, "picture file");
    file.Write("new text\n");
    file.Finish();
    EXPECT_EQ(ReadText(target), "previous\n");
    file.Replace();
    EXPECT_EQ(ReadText(target), "new text\n");
    struct stat after {};
    ASSERT_EQ(::stat(target.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(), (std::set<std::string>{"plan.svg"}));
}

TEST_F(OutputFileTest, AbandonedOutputLeavesTheFolderAsItWas) {
    const std::filesystem::path target = Existing("trace.jsonl");
    {
        OutputFile file(target, "trace file");
        file.Write(std::string(200000, 'x')); // more than the buffer holds
    }
    {
        OutputFile file(target, "trace file");
        file.Write("finished, never replaced");
        file.Finish();
    }
    {
        OutputFile fresh(folder / "new.svg", "picture file");
        fresh.Write("never finished");
    }
    EXPECT_EQ(ReadText(target), "previous\n");
    EXPECT_EQ(Names(), (std::set<std::string>{"trace.jsonl"}));
}

TEST_F(OutputFileTest, OutputsAreReplacedTogetherOrNotAtAll) {
    const std::filesystem::path names[] = {folder / "plan.svg", folder / "new.html", folder / "after.json"};
    Existing("plan.svg");
    Existing("after.json");
    for (const bool lastTargetIsAFolder : {true, false}) {
        std::vector<std::unique_ptr<OutputFile>> files;
        std::vector<OutputFile*> all;
        for (const std::filesystem::path& name : names) {
            files.push_back(std::make_unique<OutputFile>(name, "galaxy file"));
            files.back()->Write("new\n");
            files.back()->Finish();
            all.push_back(files.back().get());
        }
        if (lastTargetIsAFolder) {
            // The last rename fails: the first target gets its file back, the second none again.
            std::filesystem::remove(names[2]);
            std::filesystem::create_directory(names[2]);
            EXPECT_EQ(MessageOf([&] { OutputFile::ReplaceTogether(all); }),
                      "cannot write galaxy file '" + names[2].string() + "': Is a directory");
            EXPECT_EQ(ReadText(names[0]), "previous\n");
            EXPECT_FALSE(std::filesystem::exists(names[1]));
            files.clear(); // and with them the temporary that could not be renamed
            EXPECT_EQ(Names(), (std::set<std::string>{"plan.svg", "after.json"}));
            std::filesystem::remove(names[2]);
        } else {
            OutputFile::ReplaceTogether(all);
            for (const std::filesystem::path& name : names) {
                EXPECT_EQ(ReadText(name), "new\n") << name;
            }
            EXPECT_EQ(Names(), (std::set<std::string>{"plan.svg", "new.html", "after.json"})) << "no file kept";
        }
    }
}

TEST_F(OutputFileTest, LinkedTargetReplacesTheFileItNames) {
    const std::filesystem::path real = Existing("real.json");
    const std::filesystem::path link = folder / "link.json";
    std::filesystem::create_symlink("real.json", link);
    WriteOutputFile(link, "galaxy file", "saved\n");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(ReadText(real), "saved\n");
}

TEST_F(OutputFileTest, SpecialFilesAreWrittenInPlaceWithTheirErrors) {
    EXPECT_EQ(MessageOf([] { WriteOutputFile("/dev/null", "trace file", "anything"); }), "(no error)");
    EXPECT_EQ(MessageOf([] { WriteOutputFile("/dev/full", "trace file", "anything"); }),
              "cannot write trace file '/dev/full': No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full")) << "the device is still there";
}

TEST_F(OutputFileTest, TargetsThatCannotBeCreatedAreRefusedAtOnce) {
    Existing("file");
    std::filesystem::create_directory(folder / "sub");
    struct Row {
        std::filesystem::path target;
        std::string reason;
    };
    const Row rows[] = {
        {folder / "sub", "Is a directory"},
        {folder / "missing" / "x.svg", "No such file or directory"},
        {folder / "file" / "x.svg", "Not a directory"},
        // Found before anything runs, not at the rename after the plan.
        {folder / std::string(256, 'n'), "its name is 256 bytes long, and the file system takes names of at most 255 bytes"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MessageOf([&] { OutputFile(row.target, "picture file"); }),
                  "cannot write picture file '" + row.target.string() + "': " + row.reason)
            << row.target;
    }
}

TEST_F(OutputFileTest, AnyNameTheFolderTakesCanBeAnOutput) {
    // Names near the limit leave no room for the hidden name's tail: it keeps less of the name.
    std::string cyrillic;
    for (int i = 0; i < 127; ++i) {
        cyrillic += "\xD0\x96"; // 254 bytes of two-byte letters
    }
    for (const std::string& name : {std::string(255, 'a'), std::string(230, 'b'), cyrillic, std::string("x")}) {
        const std::filesystem::path target = Existing(name);
        OutputFile file(target, "picture file");
        file.Write("new\n");
        file.Finish();
        file.Replace();
        EXPECT_EQ(ReadText(target), "new\n") << name.size();
        EXPECT_EQ(Names(), (std::set<std::string>{name})) << name.size();
        std::filesystem::remove(target);
    }
    const std::filesystem::path shortened = HiddenName(folder / cyrillic, 0, ".tmp", 255);
    EXPECT_LE(shortened.filename().string().size(), 255u);
    EXPECT_EQ(shortened.filename().string().rfind("." + cyrillic.substr(0, 200), 0), 0u) << "cut where a letter starts";
}

TEST_F(OutputFileTest, LeftoversOfEndedRunsGoAndOthersStay) {
    // A process that has ended, for its PID: a child that is waited for.
    const pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ASSERT_EQ(host_test::WaitForHost(ended), 0);
    const std::string dead = std::to_string(ended);
    const std::string alive = std::to_string(::getppid());
    Existing("kept.svg", "new\n");
    Existing(".gone.svg.tarvenix-" + dead + "-1-0.tmp");
    Existing(".kept.svg.tarvenix-" + dead + "-2-0.old");     // its target has the new file: it goes
    Existing(".moved.svg.tarvenix-" + dead + "-3-0.old");    // its target is missing: it goes back
    Existing(".cut~.tarvenix-" + dead + "-4-0.old");         // a shortened name: its target is unknown
    Existing(".running.svg.tarvenix-" + alive + "-1-0.tmp"); // a process that still runs
    Existing(".other.svg.tarvenix-" + dead + "-x-0.tmp");    // not the program's pattern
    Existing(".plain.tmp");
    EXPECT_EQ(RemoveLeftoversOfEndedRuns(folder / "out.svg"), 3u);
    EXPECT_EQ(Names(), (std::set<std::string>{"kept.svg", "moved.svg", ".cut~.tarvenix-" + dead + "-4-0.old",
                                              ".running.svg.tarvenix-" + alive + "-1-0.tmp",
                                              ".other.svg.tarvenix-" + dead + "-x-0.tmp", ".plain.tmp"}));
    EXPECT_EQ(ReadText(folder / "kept.svg"), "new\n");
    EXPECT_EQ(RemoveLeftoversOfEndedRuns(folder / "again.svg"), 0u) << "once a folder a process";
}

TEST_F(OutputFileTest, SameFileByIdentityAndByWhereANewFileWouldGo) {
    const std::filesystem::path galaxy = Existing("g.json");
    Existing("other.json");
    std::filesystem::create_symlink("g.json", folder / "soft.json");
    std::filesystem::create_hard_link(galaxy, folder / "hard.json");
    std::filesystem::create_directory(folder / "sub");
    std::filesystem::create_directory_symlink("sub", folder / "sublink");
    struct Row {
        std::filesystem::path a;
        std::filesystem::path b;
        bool same;
    };
    const Row rows[] = {
        {galaxy, folder / "." / "g.json", true},
        {galaxy, folder / "soft.json", true},
        {galaxy, folder / "hard.json", true},
        {galaxy, folder / "other.json", false},
        {folder / "new.svg", folder / "sub" / ".." / "new.svg", true},  // neither exists yet
        {folder / "sub" / "new.svg", folder / "sublink" / "new.svg", true},
        {folder / "new.svg", folder / "sub" / "new.svg", false},
        {galaxy, folder / "new.svg", false},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(SameFile(rows[i].a, rows[i].b), rows[i].same) << "row " << i;
    }
}

} // namespace
} // namespace host
