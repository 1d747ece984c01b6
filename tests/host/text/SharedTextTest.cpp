// SharedTextTest.cpp - one copy per distinct text, compared with every kind of text, freed with its
// last holder.
#include "text/SharedText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

using host::SharedText;

TEST(SharedTextTest, EqualsEveryKindOfTextByItsBytes) {
    struct Row {
        std::string held;
        std::string other;
        bool equal;
    };
    const Row rows[] = {
        {"Vexari", "Vexari", true},
        {"Vexari", "vexari", false},
        {"Vexari", "Vexar", false},
        {"", "", true},
        {"", "x", false},
        {std::string("a\0b", 3), std::string("a\0c", 3), false}, // bytes after a NUL still count
        {std::string("a\0b", 3), std::string("a\0b", 3), true},
        {"Рассылка", "Рассылка", true},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        const SharedText held(row.held);
        EXPECT_EQ(held == SharedText(row.other), row.equal) << "row " << i;
        EXPECT_EQ(held == row.other, row.equal) << "row " << i;
        EXPECT_EQ(held == std::string_view(row.other), row.equal) << "row " << i;
        EXPECT_EQ(row.other == held, row.equal) << "row " << i;
        EXPECT_EQ(held.Text(), row.held) << "row " << i;
        EXPECT_EQ(held.empty(), row.held.empty()) << "row " << i;
        EXPECT_EQ((held <=> row.other) == 0, row.equal) << "row " << i;
    }
    EXPECT_TRUE(SharedText("Drone") == "Drone"); // a literal stops at its NUL
    EXPECT_TRUE(SharedText("Courier") < SharedText("Drone"));
    EXPECT_TRUE(SharedText("Drone") > "Courier");
}

TEST(SharedTextTest, EqualTextsShareOneCopyUntilTheLastHolderGoes) {
    const std::size_t before = SharedText::PooledCount();
    {
        const SharedText first(std::string("Zopean Wing"));
        const SharedText second(std::string_view("Zopean Wing"));
        SharedText third = first;
        EXPECT_EQ(&first.Text(), &second.Text());
        EXPECT_EQ(&first.Text(), &third.Text());
        EXPECT_EQ(SharedText::PooledCount(), before + 1);

        SharedText moved = std::move(third);
        EXPECT_TRUE(third.empty()); // NOLINT(bugprone-use-after-move): a moved-from text is empty
        third = SharedText("Darian Wing");
        EXPECT_EQ(SharedText::PooledCount(), before + 2);
        third = moved;
        EXPECT_EQ(SharedText::PooledCount(), before + 1) << "the last holder of a text frees it";
    }
    EXPECT_EQ(SharedText::PooledCount(), before);
    EXPECT_EQ(SharedText().Text(), "");
    EXPECT_EQ(SharedText(""), SharedText());
}

TEST(SharedTextTest, ShowsAsItsText) {
    std::ostringstream out;
    out << SharedText("Peloan") << '|' << SharedText();
    EXPECT_EQ(out.str(), "Peloan|");
    const SharedText held("Courier");
    const std::string& text = held;
    const std::string_view view = held;
    EXPECT_EQ(text, "Courier");
    EXPECT_EQ(view, "Courier");
}

TEST(SharedTextTest, ThreadsMakeCopyAndDropTheSameTextsAtOnce) {
    const std::size_t before = SharedText::PooledCount();
    const std::vector<std::string> names = {"Zopean", "Peloan", "Darian", "Courier"};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&names] {
            std::vector<SharedText> held;
            for (int round = 0; round < 2000; ++round) {
                held.emplace_back(names[static_cast<std::size_t>(round) % names.size()]);
                held.push_back(held.front());
                if (held.size() > 16) {
                    held.clear(); // the last holders go while other threads make the same texts
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(SharedText::PooledCount(), before);
}

} // namespace
