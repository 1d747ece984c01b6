// PluginResourcesTest.cpp - the plug-in DLL's string tables, dialog template 129 and version record, read back.
#include "PeImage.h"
#include "PluginUnderTest.h"

#include "plugin/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr LANGID kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US); // 0x0409
constexpr LANGID kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);    // 0x0419

class PluginResourcesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(nullptr, plugin.get()) << "cannot load the plug-in DLL"; }

    const std::wstring path = PluginUnderTestPath();
    peimage::LoadedModule plugin{path};
};

struct StringRow {
    UINT id;
    const char* english;
    const char* russian;
};

// String 3, the author credit, is only checked to be there.
constexpr StringRow kStrings[] = {
    {IDS_COMMAND_NAME, "Distribute Group", "Разослать группу"},
    {IDS_ABOUT_NAME, "====== Rozi zevo =====", "====== Tarvenix ====="},
    {IDS_ABOUT_AUTHOR, nullptr, nullptr},
    {IDS_ABOUT_DESCRIPTION, "     The ship dispatching procedure", "     Эстафетная рассылка кораблей"},
    {IDS_NOT_IN_ORBIT, "Group is not on planet!!!", "Указанная группа не на орбите!!!"},
};

TEST_F(PluginResourcesTest, StringTableHoldsFiveEntriesInBothLanguages) {
    for (std::size_t i = 0; i < std::size(kStrings); ++i) {
        const StringRow& row = kStrings[i];
        const auto english = peimage::FindString(plugin.get(), row.id, kEnglish);
        const auto russian = peimage::FindString(plugin.get(), row.id, kRussian);
        ASSERT_TRUE(english.has_value()) << "row " << i;
        ASSERT_TRUE(russian.has_value()) << "row " << i;
        if (row.english != nullptr) {
            EXPECT_EQ(row.english, *english) << "row " << i;
            EXPECT_EQ(row.russian, *russian) << "row " << i;
        }
    }
    for (UINT absent : {0u, 6u, 15u}) {
        EXPECT_FALSE(peimage::FindString(plugin.get(), absent, kEnglish).has_value()) << "id " << absent;
        EXPECT_FALSE(peimage::FindString(plugin.get(), absent, kRussian).has_value()) << "id " << absent;
    }
}

// LoadString takes the table of the UI language that Wine derives from LANG.
// TARVENIX_EXPECT_UI_LANGUAGE (hex) pins that language for a run under a given LANG.
TEST_F(PluginResourcesTest, LoadStringFollowsTheUiLanguage) {
    const LANGID uiLanguage = GetUserDefaultUILanguage();
    char expected[16] = {};
    if (GetEnvironmentVariableA("TARVENIX_EXPECT_UI_LANGUAGE", expected, sizeof expected) > 0) {
        ASSERT_EQ(std::stoul(expected, nullptr, 16), uiLanguage);
    }
    const bool russian = PRIMARYLANGID(uiLanguage) == LANG_RUSSIAN;
    for (std::size_t i = 0; i < std::size(kStrings); ++i) {
        wchar_t buffer[256] = {};
        const int length = LoadStringW(plugin.get(), kStrings[i].id, buffer, 256);
        ASSERT_GT(length, 0) << "row " << i;
        const auto stored = peimage::FindString(plugin.get(), kStrings[i].id, russian ? kRussian : kEnglish);
        EXPECT_EQ(stored, peimage::ToUtf8(std::wstring(buffer, static_cast<std::size_t>(length)))) << "row " << i;
    }
}

TEST_F(PluginResourcesTest, DialogTemplateIsTheSameInBothLanguagesButTheTitle) {
    struct Row {
        LANGID language;
        const char* title;
    };
    const Row rows[] = {{kEnglish, "Sending Ships"}, {kRussian, "Рассылка кораблей"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto dialog = peimage::FindDialogTemplate(plugin.get(), IDD_SENDING, rows[i].language);
        ASSERT_TRUE(dialog.has_value()) << "an extended template, row " << i;
        EXPECT_EQ(rows[i].title, dialog->title) << "row " << i;
        EXPECT_EQ(0u, dialog->helpId) << "row " << i;
        EXPECT_EQ(0x90C00040u, dialog->style) << "row " << i;
        EXPECT_EQ(0x00000480u, dialog->exStyle) << "row " << i;
        EXPECT_EQ((std::vector<int>{0, 0, 127, 17}), (std::vector<int>{dialog->x, dialog->y, dialog->cx, dialog->cy}))
            << "row " << i;
        EXPECT_FALSE(dialog->hasMenu) << "row " << i;
        EXPECT_FALSE(dialog->hasClass) << "row " << i;
        EXPECT_EQ(8, dialog->pointSize) << "row " << i;
        EXPECT_EQ(0, dialog->weight) << "row " << i;
        EXPECT_EQ(0, dialog->italic) << "row " << i;
        EXPECT_EQ(1, dialog->charset) << "row " << i;
        EXPECT_EQ("MS Sans Serif", dialog->typeface) << "row " << i;
        ASSERT_EQ(2u, dialog->items.size()) << "row " << i;

        const peimage::DialogItem& stop = dialog->items[0];
        EXPECT_EQ(static_cast<DWORD>(IDC_STOP), stop.id) << "row " << i;
        EXPECT_EQ(0x0080, stop.classAtom) << "a predefined button, row " << i;
        EXPECT_EQ("Cancel", stop.text) << "row " << i;
        EXPECT_EQ(0x50010000u, stop.style) << "row " << i;
        EXPECT_EQ((std::vector<int>{93, 1, 30, 12}), (std::vector<int>{stop.x, stop.y, stop.cx, stop.cy}))
            << "row " << i;

        const peimage::DialogItem& progress = dialog->items[1];
        EXPECT_EQ(static_cast<DWORD>(IDC_PROGRESS), progress.id) << "row " << i;
        EXPECT_EQ("msctls_progress32", progress.className) << "row " << i;
        EXPECT_EQ("Progress1", progress.text) << "row " << i;
        EXPECT_EQ(0x50800000u, progress.style) << "row " << i;
        EXPECT_EQ((std::vector<int>{2, 3, 88, 10}),
                  (std::vector<int>{progress.x, progress.y, progress.cx, progress.cy}))
            << "row " << i;

        for (const peimage::DialogItem& item : dialog->items) {
            EXPECT_EQ(0u, item.helpId) << "row " << i;
            EXPECT_EQ(0u, item.exStyle) << "row " << i;
            EXPECT_EQ(0, item.extraBytes) << "row " << i;
        }
    }
}

TEST_F(PluginResourcesTest, VersionRecordMarksA32BitDll) {
    DWORD ignored = 0;
    std::vector<BYTE> whole(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(whole.empty()) << "no version record";
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(whole.size()), whole.data()));
    ASSERT_TRUE(VerQueryValueW(whole.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), size);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ(0u, fixed->dwFileFlags);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileSubtype);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(whole.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &size));
    ASSERT_EQ(4u, size) << "one language and code page pair";
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(1200, translation[1]);
}

TEST_F(PluginResourcesTest, VersionRecordHoldsOneStringBlockOfSevenValues) {
    const auto record = peimage::ReadVersionRecord(path);
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ("VS_VERSION_INFO", record->key);
    const peimage::VersionNode* strings = record->Child("StringFileInfo");
    ASSERT_NE(nullptr, strings);
    ASSERT_EQ(1u, strings->children.size()) << "one string block";
    const peimage::VersionNode& block = strings->children[0];
    EXPECT_EQ("040904B0", block.key);

    struct Row {
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"CompanyName", ""},
        {"FileDescription", "Tarvenix2 DLL"},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "Tarvenix2"},
        {"OriginalFilename", "Tarvenix2.DLL"},
        {"ProductName", "Tarvenix2 Dynamic Link Library"},
        {"ProductVersion", "1, 0, 0, 1"},
    };
    ASSERT_EQ(std::size(rows), block.children.size());
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].key, block.children[i].key) << "row " << i;
        EXPECT_EQ(rows[i].value, block.children[i].Text()) << "row " << i;
        EXPECT_EQ(1, block.children[i].valueType) << "text, row " << i;
    }
}

} // namespace
