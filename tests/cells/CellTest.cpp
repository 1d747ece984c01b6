// CellTest.cpp - the cell family: comparisons by double dispatch, conversions and dump lines.
#include "cells/Cell.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iostream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>

namespace {

// A cell that overrides nothing: the base class's own answers.
class PlainCell : public CCell {};

// Like the relay leg: a long cell that only adds a destructor of its own.
class LegLikeCell : public CCellLong {
public:
    using CCellLong::CCellLong;
    ~LegLikeCell() override = default;
};

std::string DumpOf(const CCell& cell) {
    std::ostringstream out;
    cell.Dump(out);
    return out.str();
}

// --- One behaviour list over the family: ranks 0..4 of each kind compare as their ranks.

struct LongKind {
    using Cell = CCellLong;
    static std::int32_t Value(int rank) {
        const std::int32_t values[] = {std::numeric_limits<std::int32_t>::min(), -3, 0, 7, 42};
        return values[rank];
    }
};

struct TextKind {
    using Cell = CCellString;
    static const char* Value(int rank) {
        // empty first, a proper prefix before its extension, a high byte last
        const char* values[] = {"", "A", "Ab", "b", "\xE0"};
        return values[rank];
    }
};

struct LegKind {
    using Cell = LegLikeCell;
    static std::int32_t Value(int rank) { return LongKind::Value(rank); }
};

template <class Kind> class CellFamilyTest : public ::testing::Test {};

using CellKinds = ::testing::Types<LongKind, TextKind, LegKind>;
TYPED_TEST_SUITE(CellFamilyTest, CellKinds);

constexpr int kRanks = 5;

TYPED_TEST(CellFamilyTest, ComparesWithBareValuesAsRanksDo) {
    for (int i = 0; i < kRanks; ++i) {
        const typename TypeParam::Cell cell(TypeParam::Value(i));
        for (int j = 0; j < kRanks; ++j) {
            const auto v = TypeParam::Value(j);
            EXPECT_EQ(i < j ? TRUE : FALSE, cell.IsLess(v)) << "row " << i << "," << j;
            EXPECT_EQ(i > j ? TRUE : FALSE, cell.IsGreater(v)) << "row " << i << "," << j;
            EXPECT_EQ(i == j ? TRUE : FALSE, cell.IsEqual(v)) << "row " << i << "," << j;
        }
    }
}

TYPED_TEST(CellFamilyTest, ComparesWithCellsOfItsKindThroughTheOtherCell) {
    for (int i = 0; i < kRanks; ++i) {
        const typename TypeParam::Cell cell(TypeParam::Value(i));
        for (int j = 0; j < kRanks; ++j) {
            const typename TypeParam::Cell other(TypeParam::Value(j));
            const CCell* asBase = &other;
            EXPECT_EQ(i < j ? TRUE : FALSE, cell.IsLess(asBase)) << "row " << i << "," << j;
            EXPECT_EQ(i > j ? TRUE : FALSE, cell.IsGreater(asBase)) << "row " << i << "," << j;
            EXPECT_EQ(i == j ? TRUE : FALSE, cell.IsEqual(asBase)) << "row " << i << "," << j;
        }
    }
}

TYPED_TEST(CellFamilyTest, AllowsReplacementAndWritesItsDumpLineEverywhere) {
    const std::unique_ptr<CCell> cell =
        std::make_unique<typename TypeParam::Cell>(TypeParam::Value(3));
    const typename TypeParam::Cell existing(TypeParam::Value(3));
    EXPECT_EQ(TRUE, cell->CanReplace(&existing));

    const std::string line = DumpOf(*cell);
    ASSERT_FALSE(line.empty());
    EXPECT_EQ('\n', line.back());
    std::ostringstream written;
    cell->Write(written);
    EXPECT_EQ(line, written.str());

    // Write() without a stream goes to the error stream.
    std::ostringstream captured;
    std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
    cell->Write();
    std::cerr.rdbuf(saved);
    EXPECT_EQ(line, captured.str());
}

// --- Long against text compares decimal forms in text order.

TEST(CellTest, MixedComparisonsUseDecimalFormInTextOrder) {
    const CCellLong twelve(12);
    const CCellLong five(5);
    const CCellLong nine(9);
    const CCellLong minimum(std::numeric_limits<std::int32_t>::min());
    const CCellString ten("10");
    const CCellString textFive("5");
    const CCellString textZeroFive("05");
    struct Row {
        BOOL actual;
        BOOL expected;
    };
    const Row rows[] = {
        {twelve.IsLess("9"), TRUE},      // "12" before "9"
        {twelve.IsLess(9), FALSE},       // but 12 is not below 9
        {ten.IsLess(9), TRUE},           // "10" before "9"
        {ten.IsGreater("1"), TRUE},      // a proper prefix sorts first
        {five.IsEqual(&textFive), TRUE}, // through textFive.IsEqual(5)
        {five.IsEqual(&textZeroFive), FALSE},
        {textFive.IsEqual(&five), TRUE}, // through five.IsEqual("5")
        {nine.IsLess(&ten), FALSE},      // "9" after "10" as texts
        {nine.IsGreater(&ten), TRUE},
        {ten.IsLess(&nine), TRUE},
        {minimum.IsEqual("-2147483648"), TRUE},
        {textZeroFive.IsEqual(5), FALSE},
        {CCellLong(-1).IsLess("-"), FALSE}, // "-1" after its prefix "-"
        {CCellLong(-5).IsLess(3), TRUE},    // signed
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].expected, rows[i].actual) << "row " << i;
    }
}

TEST(CellTest, TextOrderTakesBytesAsUnsigned) {
    const CCellString cyrillic("\xC0\xE1");
    const CCellString latin("Zz");
    EXPECT_EQ(TRUE, cyrillic.IsGreater("Zz"));
    EXPECT_EQ(TRUE, latin.IsLess(&cyrillic));
    EXPECT_EQ(TRUE, CCellString("a\x80").IsGreater("a\x7F"));
}

TEST(CellTest, ConversionsAnswerPerKind) {
    const CCellLong longCell(42);
    const CCellString letters("abc");
    const CCellString ships("42 ships");
    EXPECT_EQ(42, longCell.GetLong());
    EXPECT_EQ(42, longCell.AsLong());
    EXPECT_EQ(nullptr, longCell.GetString());
    EXPECT_EQ(nullptr, longCell.GetStringEx(nullptr));
    EXPECT_EQ(0, letters.AsLong());
    EXPECT_EQ(42, ships.AsLong());
    EXPECT_EQ(0, ships.GetLong());
    EXPECT_STREQ("42 ships", ships.GetString());
    EXPECT_STREQ("42 ships", ships.GetStringEx(nullptr));
}

TEST(CellTest, TextCellCopiesItsTextAndKnowsItself) {
    char buffer[] = "Cruiser";
    CCellString cell(buffer);
    buffer[0] = 'X';
    EXPECT_STREQ("Cruiser", cell.GetString());
    EXPECT_EQ(&cell, cell.Self());
}

TEST(CellTest, DumpLinesAreExact) {
    struct Row {
        std::string actual;
        const char* expected;
    };
    const Row rows[] = {
        {DumpOf(CCellLong(42)), "CCellLong=\"42\"\n"},
        {DumpOf(CCellLong(-7)), "CCellLong=\"-7\"\n"},
        {DumpOf(CCellLong(std::numeric_limits<std::int32_t>::min())),
         "CCellLong=\"-2147483648\"\n"},
        {DumpOf(CCellString("")), "CCellString=\"\"\n"},
        {DumpOf(CCellString("Drone \"7\"")), "CCellString=\"Drone \"7\"\"\n"},
        {DumpOf(LegLikeCell(300)), "CCellLong=\"300\"\n"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].expected, rows[i].actual) << "row " << i;
    }
}

TEST(CellTest, BaseOperatorWritesTheInvalidOperationLineWhateverTheCell) {
    const CCellLong longCell(42);
    std::ostringstream out;
    out << static_cast<const CCell&>(longCell);
    EXPECT_EQ("Class \"CCell\" isn't valid operation\n", out.str());
}

TEST(CellTest, PlainCellAnswersTrueToEveryComparisonAndCannotBeWritten) {
    const PlainCell plain;
    const CCellLong other(1);
    EXPECT_EQ(TRUE, plain.IsLess("x"));
    EXPECT_EQ(TRUE, plain.IsLess(&other));
    EXPECT_EQ(TRUE, plain.IsLess(1));
    EXPECT_EQ(TRUE, plain.IsGreater("x"));
    EXPECT_EQ(TRUE, plain.IsGreater(&other));
    EXPECT_EQ(TRUE, plain.IsGreater(1));
    EXPECT_EQ(TRUE, plain.IsEqual("x"));
    EXPECT_EQ(TRUE, plain.IsEqual(&other));
    EXPECT_EQ(TRUE, plain.IsEqual(1));
    EXPECT_EQ(0, plain.GetLong());
    EXPECT_EQ(0, plain.AsLong());
    EXPECT_EQ(nullptr, plain.GetString());
    EXPECT_EQ("", DumpOf(plain));

    std::ostringstream written;
    plain.Write(written);
    EXPECT_EQ("Class \"CCell\" isn't valid operation\n", written.str());
    std::ostringstream captured;
    std::streambuf* saved = std::cerr.rdbuf(captured.rdbuf());
    plain.Write();
    std::cerr.rdbuf(saved);
    EXPECT_EQ("Class \"CCell\" isn't valid operation\n", captured.str());
}

TEST(CellTest, NullCellOrTextIsHandledWithoutCrashing) {
    const CCellLong longCell(0);
    const CCellString empty("");
    EXPECT_EQ(FALSE, longCell.IsLess(static_cast<const CCell*>(nullptr)));
    EXPECT_EQ(FALSE, empty.IsEqual(static_cast<const CCell*>(nullptr)));
    EXPECT_EQ(TRUE, empty.IsEqual(static_cast<const char*>(nullptr))); // null reads as ""
    EXPECT_STREQ("", CCellString(nullptr).GetString());
}

} // namespace
