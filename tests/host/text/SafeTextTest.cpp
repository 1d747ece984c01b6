// SafeTextTest.cpp - control characters and broken UTF-8 escaped, letters of any script kept.
#include "text/SafeText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SafeTextTest, EscapesControlsAndBrokenUtf8Only) {
    struct Row {
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"Brisk", "Brisk"},
        {"", ""},
        {"New Hope \\ #3", "New Hope \\ #3"},          // a backslash of the name stays as it is
        {"Рассылка ✓ 🚀", "Рассылка ✓ 🚀"},             // two-, three- and four-byte letters pass
        {"line\nbreak\r\ttab", "line\\nbreak\\r\\ttab"},
        {"Brisk\x1b[2J", "Brisk\\x1b[2J"},              // the terminal never sees the escape
        {std::string("a\0b", 3), "a\\x00b"},
        {"del\x7f", "del\\x7f"},
        {"csi\xc2\x9b" "2J", "csi\\u009b2J"},           // U+009B, a C1 control
        {"\xc2\xa0nbsp", "\xc2\xa0nbsp"},               // U+00A0 is a letter-like space, kept
        {"bad\xff", "bad\\xff"},
        {"cut\xd0", "cut\\xd0"},                        // a sequence cut short at the end
        {"\xc0\xaf", "\\xc0\\xaf"},                     // an overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},            // a UTF-16 surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},   // above U+10FFFF
        {"\xe2\x9c", "\\xe2\\x9c"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(host::EscapeControls(rows[i].text), rows[i].expected) << "row " << i;
    }
}

// Names in messages: quoted, controls as \u00NN, a backslash doubled, letters kept.
TEST(SafeTextTest, QuotesNamesOnOneLine) {
    struct Row {
        std::string text;
        std::string expected;
    };
    const Row rows[] = {
        {"", "\"\""},
        {"Рассылка ✓", "\"Рассылка ✓\""},
        {"pl\nets", "\"pl\\u000aets\""},
        {"\x1b[2J\x7f", "\"\\u001b[2J\\u007f\""},
        {"a\\b", "\"a\\\\b\""},
        {"csi\xc2\x9b", "\"csi\\u009b\""},         // U+009B, a C1 control
        {"\xc2\xa0", "\"\xc2\xa0\""},               // U+00A0 is no control
        {"end\xc2", "\"end\xc2\""},                  // a lead byte with nothing after it
        // A quote or a right-to-left override could make the rest of a message read as something else.
        {"ab\"; did you mean \"x", "\"ab\\\"; did you mean \\\"x\""},
        {"a\xe2\x80\xae" "b", "\"a\\u202eb\""},          // U+202E, right-to-left override
        {"\xe2\x81\xa7\xe2\x80\x8f\xd8\x9c", "\"\\u2067\\u200f\\u061c\""}, // isolate, mark, Arabic mark
        {"\xe2\x80\xa9\xe2\x81\xaa", "\"\xe2\x80\xa9\xe2\x81\xaa\""}, // U+2029, U+206A: no bidi controls
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(host::Quoted(rows[i].text), rows[i].expected) << "row " << i;
    }
}

} // namespace
