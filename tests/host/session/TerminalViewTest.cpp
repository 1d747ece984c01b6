// TerminalViewTest.cpp - the progress line fitted to terminals from 40 to 120 columns, in English and Russian.
#include "session/TerminalView.h"

#include "text/TextColumns.h"
#include "platform/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using host::ProgressLine;
using host::TerminalView;

ProgressLine Window(std::string title, std::int32_t position) {
    return {std::move(title), true, 0, 100, position, "Cancel"};
}

const ProgressLine kEnglish = Window("Sending Ships", 42);
const ProgressLine kRussian = Window("Рассылка кораблей", 42);

TEST(TerminalViewTest, NarrowerTerminalsGetANarrowerBarThenShorterWords) {
    struct Row {
        const ProgressLine* window;
        std::size_t columns;
        std::string line;
    };
    const std::vector<Row> rows = {
        {&kEnglish, 120, "Sending Ships  [############..................] 42/100   [ Cancel ]  (Ctrl-C: Cancel)"},
        {&kEnglish, 80, "Sending Ships  [#########.............] 42/100   [ Cancel ]  (Ctrl-C: Cancel)"},
        {&kEnglish, 60, "Sending Ships  [####......] 42/100   [ Cancel ]  (Ctrl-C)"},
        {&kEnglish, 40, "Sending …  [##....] 42/100   [Cancel]"},
        {&kRussian, 120, "Рассылка кораблей  [############..................] 42/100   [ Cancel ]  (Ctrl-C: Cancel)"},
        {&kRussian, 80, "Рассылка кораблей  [#######...........] 42/100   [ Cancel ]  (Ctrl-C: Cancel)"},
        {&kRussian, 60, "Рассылка кораблей  [##....] 42/100   [ Cancel ]  (Ctrl-C)"},
        {&kRussian, 40, "Рассылка…  [##....] 42/100   [Cancel]"},
    };
    // Each line takes every column but the last three: the bar takes what the words leave.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(TerminalView::Fit(*rows[i].window, rows[i].columns), rows[i].line) << "row " << i;
    }
}

// The queries answered stand beside the bar, so the line moves before the plug-in gives the bar
// a range; on a narrow terminal they give way after the hint's words, before the title is cut.
TEST(TerminalViewTest, QueriesAnsweredStandBesideTheBarUntilTheLineIsTooNarrow) {
    ProgressLine waiting = Window("Sending Ships", 0);
    waiting.maximum = 0; // no range given yet
    waiting.queries = 412;
    ProgressLine one = kRussian;
    one.queries = 1;
    struct Row {
        const ProgressLine* window;
        std::size_t columns;
        std::string line;
    };
    const std::vector<Row> rows = {
        {&waiting, 120, "Sending Ships  [..............................] 0/0  412 queries  [ Cancel ]  (Ctrl-C: Cancel)"},
        {&waiting, 80, "Sending Ships  [.............] 0/0  412 queries  [ Cancel ]  (Ctrl-C: Cancel)"},
        {&waiting, 60, "Sending Ships  [.............] 0/0  412 queries  [Cancel]"},
        {&waiting, 53, "Sending Ships  [......] 0/0  412 queries  [Cancel]"},
        {&waiting, 50, "Sending Ships  [................] 0/0  [Cancel]"},
        {&one, 80, "Рассылка кораблей  [###......] 42/100   1 query  [ Cancel ]  (Ctrl-C: Cancel)"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(TerminalView::Fit(*rows[i].window, rows[i].columns), rows[i].line) << "row " << i;
    }
}

// Whatever the width and the bar's state, the line stays off the last three columns, so that no
// terminal wraps it, not even with the "^C" it echoes, and each redraw replaces the one before.
TEST(TerminalViewTest, NoLineReachesTheColumnsKeptForTheEchoedCtrlC) {
    ProgressLine counting = kRussian;
    counting.queries = 123456789;
    const std::vector<ProgressLine> windows = {
        kEnglish, kRussian, Window("Рассылка кораблей", 100), Window("Sending Ships", 0), counting,
        {"Рассылка кораблей", true, 0, 2000000000, -5, "Cancel"}, // position below the range
        {"Sending Ships", true, 10, 5, 7, ""},                        // an empty range, no button
        {"Рассылка кораблей", false, 0, 0, 0, "Cancel"},              // no bar
    };
    for (std::size_t w = 0; w < windows.size(); ++w) {
        for (std::size_t columns = 1; columns <= 130; ++columns) {
            const std::string line = TerminalView::Fit(windows[w], columns);
            EXPECT_LE(host::DisplayColumns(line), columns > 3 ? columns - 3 : 0)
                << "window " << w << " at " << columns << ": " << line;
        }
    }
}

TEST(TerminalViewTest, WidthComesFromColumnsWhenTheStreamIsNoTerminal) {
    struct Row {
        const char* columns;
        std::size_t expected;
    };
    const std::vector<Row> rows = {{"132", 132}, {"40", 40}, {"0", 80}, {"wide", 80}, {"-3", 80}, {"", 80}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        platform_test::ScopedEnvironment columns("COLUMNS", rows[i].columns);
        EXPECT_EQ(TerminalView::TerminalColumns(-1), rows[i].expected) << "row " << i;
    }
}

} // namespace
