// PluginDllTest.cpp - the real Tarvenix2.dll in process: its texts in the UI language, by either
// name.
//
// The plug-in reads its texts with the ANSI LoadString, so they reach the host in
// the system's ANSI code page; the test turns them back into UTF-8 to compare.
// TARVENIX_EXPECT_UI_LANGUAGE (hex) pins the UI language a run is meant to have.
#include "PeImage.h"

#include "platform/CMapStringToString.h"
#include "platform/CString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using VoidEntry = void (*)();
using MapEntry = void (*)(CMapStringToString&);

bool UiIsRussian() {
    const LANGID uiLanguage = GetUserDefaultUILanguage();
    char expected[16] = {};
    if (GetEnvironmentVariableA("TARVENIX_EXPECT_UI_LANGUAGE", expected, sizeof expected) > 0) {
        EXPECT_EQ(std::stoul(expected, nullptr, 16), uiLanguage);
    }
    return PRIMARYLANGID(uiLanguage) == LANG_RUSSIAN;
}

std::string FromAnsi(const CString& text) {
    const std::string bytes = text.str();
    if (bytes.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(),
                        length);
    return peimage::ToUtf8(wide);
}

class PluginDllTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, plugin.get()) << "cannot load Tarvenix2.dll beside the test";
        onLoad = Entry<VoidEntry>("OnLoad");
        onClose = Entry<VoidEntry>("OnClose");
        ASSERT_NE(nullptr, onLoad);
        ASSERT_NE(nullptr, onClose);
        onLoad();
    }
    void TearDown() override {
        if (onClose != nullptr)
            onClose();
    }

    template <typename T> T Entry(const char* name) const {
        return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(plugin.get(), name)));
    }

    peimage::LoadedModule plugin{peimage::ProgramFolder() + L"Tarvenix2.dll"};
    VoidEntry onLoad = nullptr;
    VoidEntry onClose = nullptr;
};

// The host finds the command by the text it registered: it must be the UI language's.
TEST_F(PluginDllTest, MenuItemIsRegisteredInTheUiLanguageByEitherName) {
    const bool russian = UiIsRussian();
    const char* names[] = {"OnInitialize", "?OnInitialize@@YAXAAVCMapStringToString@@@Z"};
    for (std::size_t i = 0; i < std::size(names); ++i) {
        const auto onInitialize = Entry<MapEntry>(names[i]);
        ASSERT_NE(nullptr, onInitialize) << "row " << i;
        CMapStringToString settings;
        settings["DataManager"] = "0";
        onInitialize(settings);
        CString menu;
        ASSERT_TRUE(settings.Lookup("MenuItem:51507", menu)) << "row " << i;
        EXPECT_EQ(russian ? "Разослать группу" : "Distribute Group", FromAnsi(menu)) << "row " << i;
    }
}

TEST_F(PluginDllTest, AboutTextsComeFromTheStringTableInTheUiLanguage) {
    const bool russian = UiIsRussian();
    const auto onAbout = Entry<MapEntry>("OnAbout");
    ASSERT_NE(nullptr, onAbout);
    CMapStringToString about;
    onAbout(about);
    CString text;
    ASSERT_TRUE(about.Lookup("Name", text));
    EXPECT_EQ(russian ? "====== Tarvenix =====" : "====== Rozi zevo =====", FromAnsi(text));
    ASSERT_TRUE(about.Lookup("Description", text));
    EXPECT_EQ(russian ? "     Эстафетная рассылка кораблей" : "     The ship dispatching procedure",
              FromAnsi(text));
    ASSERT_TRUE(about.Lookup("Version", text));
    EXPECT_FALSE(text.IsEmpty());
}

// A command text that is not the registered one is ignored: no query reaches the host.
TEST_F(PluginDllTest, ForeignCommandTextSendsNothing) {
    const auto onInitialize = Entry<MapEntry>("OnInitialize");
    const auto onUserCommand = Entry<MapEntry>("OnUserCommand");
    ASSERT_NE(nullptr, onUserCommand);
    static int calls = 0;
    calls = 0;
    void (*callback)(CMapStringToString&) = [](CMapStringToString&) { ++calls; };
    CMapStringToString settings;
    settings["DataManager"] = std::to_string(reinterpret_cast<std::intptr_t>(callback)).c_str();
    onInitialize(settings);
    CMapStringToString command;
    command["Command"] = UiIsRussian() ? "Distribute Group" : "Something Else";
    command["GameName"] = "Demo";
    command["Turn"] = "1";
    command["SID"] = "7";
    onUserCommand(command);
    EXPECT_EQ(0, calls);
}

} // namespace
