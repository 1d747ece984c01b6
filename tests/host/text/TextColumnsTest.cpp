// TextColumnsTest.cpp - display columns of UTF-8 text: counted by character, padded and cut without splitting one.
#include "text/TextColumns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(TextColumnsTest, ColumnsPaddingAndCutsOfEnglishRussianAndBrokenText) {
    struct Row {
        std::string text;
        std::size_t columns;
        std::string cutToThree;
    };
    const std::vector<Row> rows = {
        {"", 0, ""},
        {"Cancel", 6, "Can"},
        {"Отмена", 6, "Отм"},                 // two bytes a letter, one column
        {"[ Отмена ]", 10, "[ О"},
        {"\xE2\x80\xA6x", 2, "\xE2\x80\xA6x"}, // an ellipsis: three bytes, one column
        {"\x80\x80", 2, "\x80\x80"},           // stray continuation bytes: a column each
        {"\xD0", 1, "\xD0"},                   // a lead byte cut off at the end
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(host::DisplayColumns(rows[i].text), rows[i].columns) << "row " << i;
        EXPECT_EQ(host::CutToColumns(rows[i].text, 3), rows[i].cutToThree) << "row " << i;
        const std::string padded = host::PadToColumns(rows[i].text, 8);
        EXPECT_EQ(host::DisplayColumns(padded), std::max<std::size_t>(rows[i].columns, 8)) << "row " << i;
        EXPECT_EQ(padded.rfind(rows[i].text, 0), 0u) << "row " << i;
    }
}

} // namespace
