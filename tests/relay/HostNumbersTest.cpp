// HostNumbersTest.cpp - angle keys, hundredths, single-precision ranges and planet entries.
#include "relay/HostNumbers.h"

#include "platform/Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace {

TEST(HostNumbersTest, AngleKeyTruncatesAddsAFullTurnAndKeepsTheDividendsSign) {
    struct Row {
        double radians;
        std::int32_t key;
    };
    const std::vector<Row> rows{
        {0.5, 500},     {-0.5, 5782},   {3.1415, 3141}, {-3.1415, 3141}, {6.2831, 1},
        {3.1416, 3141}, {-1.0, 5282},   {1.5708, 1570}, {0.0, 0},        {0.0009, 0},
        {-0.0009, 0},   {6.2829, 0},    {-6.2829, 0},   {-6.2835, -1},   {-7.0, -718},
        {1.5699, 1569}, {3.1419, 3141}, {3.1425, 3142}, {-4.7135, 1569}, {12.6, 36},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].key, relay::NormalisedAngleKey(rows[i].radians)) << "row " << i;
    }
}

TEST(HostNumbersTest, AngleKeyOfGarbageStaysDefined) {
    EXPECT_EQ(0, relay::NormalisedAngleKey(std::nan("")));
    // Saturated at the 32-bit limits, then folded: no overflow on adding the turn.
    EXPECT_EQ((2147483647LL + 6282) % 6282, relay::NormalisedAngleKey(1e300));
    EXPECT_EQ((-2147483648LL + 6282) % 6282, relay::NormalisedAngleKey(-1e300));
    EXPECT_EQ(2147483647, relay::TruncatedMilliradians(1e300));
    EXPECT_EQ(-1570, relay::TruncatedMilliradians(-1.5708));
}

TEST(HostNumbersTest, HundredthsTruncateTheDoubleProduct) {
    struct Row {
        const char* text;
        std::int32_t hundredths;
    };
    const std::vector<Row> rows{
        {"2.3", 229}, {"2.57", 257},   {"-1.5", -150},        {"", 0},
        {"abc", 0},   {"22.36", 2236}, {"1e300", 2147483647}, {"-1e300", -2147483647 - 1}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].hundredths, relay::Hundredths(rows[i].text)) << "row " << i;
    }
}

// Host texts whose hundredfold or thousandfold lies within an ulp of a whole number, read as
// the plug-in reads them. "edge": the exact product falls just short of the whole number (in
// magnitude) and IEEE double rounds it onto it, so only a wider intermediate (the x87 unit's
// 64 bits) truncates one short: 20.43 and the five speeds after it went wrong so. "over": the
// exact product lies just beyond it, so any precision gives the whole number. "short": the
// double product itself falls short, so double precision truncates one short too.
// The expected numbers are IEEE double's, as any SSE2 unit computes them.
TEST(HostNumbersTest, ConversionsAtAWholeNumbersEdgeGiveTheDoubleResult) {
    struct Row {
        const char* text;
        std::int32_t expected;
    };
    const std::vector<Row> hundredths{
        {"20.43", 2043},  {"23.20", 2320},   {"23.31", 2331},  {"25.24", 2524}, {"24.93", 2493},
        {"41.37", 4137},  {"0.03", 3},       {"12.34", 1234},  {"50.01", 5001}, {"99.99", 9999}, // edge
        {"-20.43", -2043}, {"-23.31", -2331}, {"-41.37", -4137},                                  // edge
        {"0.29", 28},     {"1.13", 112},     {"4.02", 401},    {"-0.57", -56},                    // short
    };
    for (const Row& row : hundredths) {
        EXPECT_EQ(row.expected, relay::Hundredths(row.text)) << row.text;
    }
    // A hop takes relays at keys 1570..3141: 1.569 and 3.142 lie just outside, each an edge.
    const std::vector<Row> milliradians{
        {"0.009000", 9},      {"0.571000", 571},    {"1.569000", 1569},   {"1.571000", 1571},
        {"3.142000", 3142},   {"6.281000", 6281},   {"0.072000", 72},                           // edge
        {"-0.009000", -9},    {"-0.571000", -571},  {"-1.569000", -1569}, {"-3.142000", -3142},
        {"-0.072000", -72},                                                                      // edge
        {"1.570000", 1570},   {"3.141000", 3141},   {"-1.570000", -1570}, {"-3.141000", -3141},
        {"-6.282000", -6282}, {"-6.283000", -6283},                                             // over
        {"1.001000", 1000},   {"2.002000", 2001},   {"-1.001000", -1000},                       // short
        {"0.570999", 570},    {"0.571001", 571},    {"-0.570999", -570},  {"3.140999", 3140},
        {"1.569999", 1569},                                                                      // a step off
    };
    for (const Row& row : milliradians) {
        const double radians = platform::atof(row.text);
        EXPECT_EQ(row.expected, relay::TruncatedMilliradians(radians)) << row.text;
        // The key folds the same truncated number: a full turn added, the dividend's sign kept.
        EXPECT_EQ((row.expected + 6282) % 6282, relay::NormalisedAngleKey(radians)) << row.text;
    }
}

TEST(HostNumbersTest, RangeQueryShowsTheSinglePrecisionHundredth) {
    struct Row {
        std::int32_t hundredths;
        const char* text;
    };
    const std::vector<Row> rows{{2236, "List PlanetsAndRange #3 #3 22.360000"},
                                {2237, "List PlanetsAndRange #3 #3 22.369999"},
                                {12345, "List PlanetsAndRange #3 #3 123.449997"},
                                {0, "List PlanetsAndRange #3 #3 0.000000"}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].text,
                  relay::RangeQuery(3, 3, relay::HundredthsAsDecimal(rows[i].hundredths)).str())
            << "row " << i;
    }
}

// The query is written without printf; it must still say what "%d" and "%f" say.
TEST(HostNumbersTest, RangeQueryWritesWhatPrintfWrites) {
    const double ranges[] = {0.0000005, 0.0000015, 0.0000025, 2.5e-7, 0.1, 1e20, 1.7976931348623157e308,
                             -0.0, -3.25, std::numeric_limits<double>::denorm_min(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN()};
    const std::int32_t planets[] = {0, -1, std::numeric_limits<std::int32_t>::min(),
                                    std::numeric_limits<std::int32_t>::max()};
    for (double range : ranges) {
        for (std::int32_t planet : planets) {
            char expected[400];
            std::snprintf(expected, sizeof expected, "List PlanetsAndRange #%d #%d %f", planet, 7, range);
            EXPECT_EQ(expected, relay::RangeQuery(planet, 7, range).str()) << range;
        }
    }
}

TEST(HostNumbersTest, DriveRangeIsNarrowedToSinglePrecision) {
    const float range = relay::NarrowToFloat(1.37 * 40.0);
    EXPECT_EQ("List PlanetsAndRange #1 #1 54.799999",
              relay::RangeQuery(1, 1, static_cast<double>(range)).str());
    EXPECT_TRUE(std::isinf(relay::NarrowToFloat(1e300)));
    EXPECT_LT(relay::NarrowToFloat(-1e300), 0.0f);
}

TEST(HostNumbersTest, PlanetEntryDropsTheFirstCharacterWhateverItIs) {
    struct Row {
        const char* entry;
        std::int32_t planet;
    };
    const std::vector<Row> rows{{"#17", 17}, {"x17", 17}, {"# 17", 17},
                                {"17", 7},   {"#", 0},    {"", 0},
                                {"#abc", 0}, {"#-3", -3}, {"#99999999999", 2147483647}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].planet, relay::ReadPlanetEntry(rows[i].entry)) << "row " << i;
    }
}

TEST(HostNumbersTest, WalkableEntriesNeverExceedWhatTheAnswerHolds) {
    CMapStringToString reply;
    reply["Count"] = "2000000000";
    reply["1"] = "a";
    reply["2"] = "b";
    EXPECT_EQ(2, relay::WalkableEntries(2, reply));
    EXPECT_EQ(3, relay::WalkableEntries(2000000000, reply));
    EXPECT_EQ(0, relay::WalkableEntries(-5, reply));
    EXPECT_EQ("7", relay::EntryKey(7).view());
    EXPECT_EQ("Angle.12", relay::IndexedKey("Angle.", 12).view());
}

} // namespace
