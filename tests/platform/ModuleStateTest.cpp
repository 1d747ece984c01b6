// ModuleStateTest.cpp - string tables by module and language, the module guard, and message boxes.
#include "platform/CString.h"
#include "platform/MessageBox.h"
#include "platform/ModuleState.h"
#include "platform/Resources.h"
#include "platform/ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

namespace {

using platform_test::ScopedEnvironment;

constexpr StringResource kStrings[] = {
    {1, "Distribute Group", "Разослать группу"},
    {5, "Group is not on planet!!!", "Указанная группа не на орбите!!!"},
};
constexpr ModuleResources kResources{"TestModule", kStrings, {}};

// Sets the three locale variables for one test and puts back what was there;
// a null value removes the variable.
struct ScopedLocale {
    ScopedLocale(const char* lcAll, const char* lcMessages, const char* lang)
        : all("LC_ALL", lcAll), messages("LC_MESSAGES", lcMessages), language("LANG", lang) {}

    ScopedEnvironment all;
    ScopedEnvironment messages;
    ScopedEnvironment language;
};

TEST(ResourcesTest, LanguageComesFromTheFirstSetLocaleVariable) {
    struct Row {
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        UiLanguage expected;
    };
    const Row rows[] = {
        {nullptr, nullptr, nullptr, UiLanguage::English},
        {nullptr, nullptr, "ru_RU.UTF-8", UiLanguage::Russian},
        {nullptr, "en_US.UTF-8", "ru_RU.UTF-8", UiLanguage::English},
        {"ru_RU.KOI8-R", "en_US.UTF-8", "en_US.UTF-8", UiLanguage::Russian},
        {"", "ru_RU", "en_US", UiLanguage::Russian}, // an empty value does not decide
        {nullptr, nullptr, "RU", UiLanguage::English},
        {nullptr, nullptr, "C", UiLanguage::English},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const ScopedLocale locale(rows[i].lcAll, rows[i].lcMessages, rows[i].lang);
        EXPECT_EQ(rows[i].expected, SelectUiLanguage()) << "row " << i;
    }
}

TEST(ModuleStateTest, LoadStringReadsTheCurrentModuleInTheLanguageInForce) {
    AFX_MODULE_STATE module(&kResources);
    AFX_MANAGE_STATE(&module);
    CString text;
    {
        const ScopedLocale locale(nullptr, nullptr, "en_US.UTF-8");
        EXPECT_TRUE(text.LoadString(1));
        EXPECT_EQ("Distribute Group", text.str());
    }
    {
        const ScopedLocale locale(nullptr, nullptr, "ru_RU.UTF-8");
        EXPECT_TRUE(text.LoadString(5));
        EXPECT_EQ("Указанная группа не на орбите!!!", text.str());
    }
}

TEST(ModuleStateTest, LoadStringOfAnUnknownIdOrOutsideTheModuleGivesEmptyText) {
    CString text("stale");
    EXPECT_FALSE(text.LoadString(1)) << "the process's default module has no strings";
    EXPECT_TRUE(text.IsEmpty());

    AFX_MODULE_STATE module(&kResources);
    AFX_MANAGE_STATE(&module);
    text = "stale";
    EXPECT_FALSE(text.LoadString(3));
    EXPECT_TRUE(text.IsEmpty());
}

TEST(ModuleStateTest, GuardRestoresThePreviousModuleOnEveryExit) {
    AFX_MODULE_STATE* const outside = AfxGetModuleState();
    AFX_MODULE_STATE module(&kResources);
    try {
        AFX_MANAGE_STATE(&module);
        EXPECT_EQ(&module, AfxGetModuleState());
        throw 1;
    } catch (int) {
    }
    EXPECT_EQ(outside, AfxGetModuleState());
}

TEST(MessageBoxTest, ABoxWithoutAnIconGetsTheUsualOneForItsButtons) {
    struct Row {
        UINT type;
        UINT shown;
    };
    const std::vector<Row> rows = {
        {MB_OK, MB_OK | MB_ICONEXCLAMATION},
        {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
        {MB_YESNO, MB_YESNO | MB_ICONQUESTION},
        {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONQUESTION},
        {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
        {MB_RETRYCANCEL, MB_RETRYCANCEL},
        {MB_OK | MB_ICONHAND, MB_OK | MB_ICONHAND},             // the caller's icon stays
        {MB_YESNO | MB_ICONASTERISK, MB_YESNO | MB_ICONASTERISK},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].shown, AfxMessageBoxStyle(rows[i].type)) << "row " << i;
    }
}

TEST(MessageBoxTest, TheApplicationIsNamedAfterItsModuleFile) {
    struct Row {
        const char* path;
        const char* name;
    };
    const std::vector<Row> rows = {
        {"C:\\Games\\Plugins\\Tarvenix2.dll", "Tarvenix2"},
        {"Z:\\work/build/bin/Tarvenix2.DLL", "Tarvenix2"},
        {"/work/build/plugin/Tarvenix2.so", "Tarvenix2"},
        {"tarvenix-host.exe", "tarvenix-host"},
        {"C:\\folder.d\\noext", "noext"},
        {"C:\\.hidden", ".hidden"},
        {"", ""},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].name, AfxApplicationNameFromPath(rows[i].path)) << "row " << i;
    }
}

#if !defined(_WIN32) // on Windows the box is the system's, with no presenter to install
int recordedBoxes = 0;
std::string lastBoxText;
UINT lastBoxType = 0;

int RecordBox(const char* text, UINT type) {
    ++recordedBoxes;
    lastBoxText = text;
    lastBoxType = type;
    return IDOK;
}

TEST(MessageBoxTest, TheHostsPresenterShowsTheBox) {
    const MessageBoxPresenter previous = AfxSetMessageBoxPresenter(RecordBox);
    EXPECT_EQ(IDOK, AfxMessageBox("Group is not on planet!!!", MB_OK, 0));
    AfxSetMessageBoxPresenter(previous);
    EXPECT_EQ(1, recordedBoxes);
    EXPECT_EQ("Group is not on planet!!!", lastBoxText);
    EXPECT_EQ(MB_OK | MB_ICONEXCLAMATION, lastBoxType) << "shown as the system would show it";
}
#endif

} // namespace
