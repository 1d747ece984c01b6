// PluginExportsTest.cpp - the plug-in DLL's twelve exports: names, ordinals, and the code each reaches.
#include "PeImage.h"
#include "PluginUnderTest.h"

#include "platform/CMapStringToString.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct ExportRow {
    const char* plain;
    const char* decorated;
    bool takesMap;
};

// Alphabetical, as the ordinals run: decorated names 1-6, plain names 7-12.
constexpr ExportRow kExports[] = {
    {"OnAbout", "?OnAbout@@YAXAAVCMapStringToString@@@Z", true},
    {"OnClose", "?OnClose@@YAXXZ", false},
    {"OnInitialize", "?OnInitialize@@YAXAAVCMapStringToString@@@Z", true},
    {"OnLoad", "?OnLoad@@YAXXZ", false},
    {"OnPlanetChanged", "?OnPlanetChanged@@YAXAAVCMapStringToString@@@Z", true},
    {"OnUserCommand", "?OnUserCommand@@YAXAAVCMapStringToString@@@Z", true},
};
constexpr WORD kExportCount = 6;

class PluginExportsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, plugin.get()) << "cannot load the plug-in DLL"; }

    FARPROC ByName(const char* name) const { return GetProcAddress(plugin.get(), name); }
    FARPROC ByOrdinal(WORD ordinal) const { return GetProcAddress(plugin.get(), MAKEINTRESOURCEA(ordinal)); }

    peimage::LoadedModule plugin{PluginUnderTestPath()};
};

TEST_F(PluginExportsTest, TwelveNamesHoldTheirOrdinals) {
    const peimage::ExportTable table = peimage::ReadExportTable(plugin.get());
    EXPECT_EQ(1u, table.ordinalBase);
    EXPECT_EQ(2u * kExportCount, table.functionCount);
    EXPECT_EQ(2u * kExportCount, table.ordinalOfName.size()) << "no name beyond the twelve";
    for (WORD i = 0; i < kExportCount; ++i) {
        const ExportRow& row = kExports[i];
        ASSERT_TRUE(table.ordinalOfName.contains(row.decorated)) << "row " << i;
        ASSERT_TRUE(table.ordinalOfName.contains(row.plain)) << "row " << i;
        EXPECT_EQ(i + 1, table.ordinalOfName.at(row.decorated)) << "row " << i;
        EXPECT_EQ(i + 1 + kExportCount, table.ordinalOfName.at(row.plain)) << "row " << i;
    }
}

TEST_F(PluginExportsTest, BothNamesAndBothOrdinalsReachOneAddress) {
    std::set<FARPROC> distinct;
    for (WORD i = 0; i < kExportCount; ++i) {
        const FARPROC address = ByName(kExports[i].plain);
        ASSERT_NE(nullptr, address) << "row " << i;
        EXPECT_EQ(address, ByName(kExports[i].decorated)) << "row " << i;
        EXPECT_EQ(address, ByOrdinal(i + 1)) << "row " << i;
        EXPECT_EQ(address, ByOrdinal(i + 1 + kExportCount)) << "row " << i;
        distinct.insert(address);
    }
    EXPECT_EQ(kExportCount, distinct.size()) << "six functions, not fewer";
    EXPECT_EQ(nullptr, ByOrdinal(0));
    EXPECT_EQ(nullptr, ByOrdinal(2 * kExportCount + 1));
}

// The host calls through the decorated names with the signatures they spell.
TEST_F(PluginExportsTest, EachDecoratedNameRunsItsOwnFunction) {
    if (GetEnvironmentVariableW(L"TARVENIX_PLUGIN_DLL", nullptr, 0) != 0) {
        GTEST_SKIP() << "only the stand-in records which function ran";
    }
    for (WORD i = 0; i < kExportCount; ++i) {
        SetEnvironmentVariableA("TARVENIX_STAND_IN_CALLED", "");
        // void (*)(void) is the one cast target that matches any function type.
        const auto untyped = reinterpret_cast<void (*)()>(ByName(kExports[i].decorated));
        ASSERT_NE(nullptr, untyped) << "row " << i;
        if (kExports[i].takesMap) {
            CMapStringToString map;
            reinterpret_cast<void (*)(CMapStringToString&)>(untyped)(map);
        } else {
            untyped();
        }
        char called[64] = {};
        GetEnvironmentVariableA("TARVENIX_STAND_IN_CALLED", called, sizeof called);
        EXPECT_STREQ(kExports[i].plain, called) << "row " << i;
    }
}

} // namespace
