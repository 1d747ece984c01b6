// ConversionsTest.cpp - atol/atoi/atof/_ltoa: 32-bit results that saturate, and text that is no number.
#include "platform/Conversions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(ConversionsTest, AtolReadsTheLeadingNumber) {
    struct Row {
        const char* text;
        std::int32_t expected;
    };
    const Row rows[] = {
        {"42", 42},        {"  -17", -17},       {"+8", 8},        {"42 ships", 42},
        {"", 0},           {"abc", 0},           {"#12", 0},       {"- 5", 0},
        {"\t\n7", 7},      {"0012", 12},         {"-0", 0},        {nullptr, 0},
        {"2147483647", kMax}, {"-2147483648", kMin},
        // Ten digits and more: leading zeros count for nothing, and past the range is the range.
        {"9999999999", kMax}, {"99999999999", kMax}, {"-99999999999", kMin},
        {"000000000042", 42}, {"0000000000002147483647", kMax}, {"-00000000002147483648", kMin},
        {"00000000003000000000", kMax},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].expected, platform::atol(rows[i].text)) << "row " << i;
        EXPECT_EQ(rows[i].expected, platform::atoi(rows[i].text)) << "row " << i;
    }
}

TEST(ConversionsTest, AtolSaturatesInsteadOfWrapping) {
    EXPECT_EQ(kMax, platform::atol("2147483648"));
    EXPECT_EQ(kMin, platform::atol("-2147483649"));
    EXPECT_EQ(kMax, platform::atol(std::string(1000, '9').c_str()));
    EXPECT_EQ(kMin, platform::atol(("-" + std::string(1000, '9')).c_str()));
}

TEST(ConversionsTest, AtofReadsDecimalFractions) {
    EXPECT_DOUBLE_EQ(1.37, platform::atof("1.37"));
    EXPECT_DOUBLE_EQ(-1.5, platform::atof(" -1.5"));
    EXPECT_DOUBLE_EQ(2.3, platform::atof("+2.3 light years"));
    EXPECT_DOUBLE_EQ(0.0, platform::atof(""));
    EXPECT_DOUBLE_EQ(0.0, platform::atof("fast"));
    EXPECT_DOUBLE_EQ(0.0, platform::atof("--1"));
    EXPECT_DOUBLE_EQ(0.0, platform::atof(nullptr));
    EXPECT_DOUBLE_EQ(1000.0, platform::atof("1e3"));
}

TEST(ConversionsTest, LtoaWritesDecimalForm) {
    char buffer[33];
    EXPECT_STREQ("0", platform::_ltoa(0, buffer, 10));
    EXPECT_STREQ("51507", platform::_ltoa(51507, buffer, 10));
    EXPECT_STREQ("-7", platform::_ltoa(-7, buffer, 10));
    EXPECT_STREQ("-2147483648", platform::_ltoa(kMin, buffer, 10));
    EXPECT_STREQ("ffffffff", platform::_ltoa(-1, buffer, 16));
}

// Keys and numbers that used to be printed with printf: the same text, to the byte.
TEST(ConversionsTest, NumberedTextWritesWhatPrintfWrites) {
    const std::string longPrefix(60, 'k');
    const struct {
        const char* prefix;
        std::int64_t number;
    } rows[] = {
        {"Parameter.", 1},
        {"Planet.", 100000},
        {"", 0},
        {"", -1},
        {"Get Planet #", 2147483647},
        {"", 4294967295},
        {"x", std::numeric_limits<std::int64_t>::min()},
        {"x", std::numeric_limits<std::int64_t>::max()},
        {longPrefix.c_str(), -42},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        char expected[128];
        std::snprintf(expected, sizeof expected, "%.*s%lld",
                      static_cast<int>(platform::NumberedText::kMaxPrefix), rows[i].prefix,
                      static_cast<long long>(rows[i].number));
        const platform::NumberedText text(rows[i].prefix, rows[i].number);
        EXPECT_STREQ(expected, text) << "row " << i;
        EXPECT_EQ(std::string(expected), text.view()) << "row " << i;
    }
}

} // namespace
