// TarvenixModuleTest.cpp - the built Tarvenix2 module through its exports: names, maps, language, runs and close.
//
// The module is loaded as the host loads it and driven on this thread as the
// host's user-interface thread; the host's side is the real answerer over the
// demo galaxy (GalaxyHost), reached through the address given as "DataManager".
#include "plugin/GalaxyHost.h"

#include "session/TerminalView.h"
#include "platform/CMapStringToString.h"
#include "platform/DialogModel.h"
#include "platform/MapEntries.h"
#include "platform/ScopedEnvironment.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform_test::Entries;
using plugin_test::GalaxyHost;
using plugin_test::Gate;
using plugin_test::PumpUntilGone;
using plugin_test::ThreadCount;

using VoidEntry = void (*)();
using MapEntry = void (*)(CMapStringToString&);

constexpr const char* kEnglishMenu = "Distribute Group";
constexpr const char* kRussianMenu = "Разослать группу";
constexpr int kStopButton = 1002;

BOOL TakeFirst(HWND window, LPARAM found) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

/// The plug-in's window: the first top-level window of this thread, or null.
HWND PluginWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeFirst, reinterpret_cast<LPARAM>(&found));
    return found;
}

/// Opens the gate from another thread after a pause, while this thread waits for the worker:
/// the worker then finds the stop already requested when its held query returns.
std::jthread OpenLater(Gate& gate) {
    return std::jthread([&gate] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        gate.Open();
    });
}

class TarvenixModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        library_ = dlopen(TARVENIX_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(nullptr, library_) << dlerror();
    }
    static void TearDownTestSuite() {
        if (library_ != nullptr) {
            dlclose(library_);
            library_ = nullptr;
        }
    }

    template <typename Entry>
    static Entry Find(const char* name) {
        return reinterpret_cast<Entry>(dlsym(library_, name));
    }

    void SetUp() override {
        ASSERT_NE(nullptr, library_);
        Find<VoidEntry>("OnLoad")();
        CMapStringToString settings;
        settings["DataManager"] = GalaxyHost::CallbackAddress().c_str();
        Find<MapEntry>("OnInitialize")(settings);
    }
    void TearDown() override { Find<VoidEntry>("OnClose")(); }

    void RunCommand(const char* commandText) {
        CMapStringToString command;
        host.FillCommand(command, commandText);
        Find<MapEntry>("OnUserCommand")(command);
    }

    /// Runs the command with the worker held at `requestText`; the open window, once it is held.
    HWND StartHeldRun(const std::string& requestText) {
        HoldWorkerAt(requestText);
        RunCommand(kEnglishMenu);
        const HWND window = PluginWindow();
        EXPECT_NE(nullptr, window);
        EXPECT_TRUE(gate.WaitArrived());
        return window;
    }

    void HoldWorkerAt(const std::string& requestText) {
        host.beforeAnswer = [this, requestText](const std::string& text) {
            if (text == requestText) {
                gate.Arrive(nullptr); // released by Open, or by the 10 s limit
            }
        };
    }

    static inline void* library_ = nullptr;
    GalaxyHost host;
    Gate gate;
};

TEST_F(TarvenixModuleTest, BothNamesOfEveryExportReachTheSameCode) {
    const char* const names[][2] = {
        {"OnAbout", "_Z7OnAboutR18CMapStringToString"},
        {"OnClose", "_Z7OnClosev"},
        {"OnInitialize", "_Z12OnInitializeR18CMapStringToString"},
        {"OnLoad", "_Z6OnLoadv"},
        {"OnPlanetChanged", "_Z15OnPlanetChangedR18CMapStringToString"},
        {"OnUserCommand", "_Z13OnUserCommandR18CMapStringToString"},
    };
    for (std::size_t i = 0; i < std::size(names); ++i) {
        void* plain = dlsym(library_, names[i][0]);
        void* decorated = dlsym(library_, names[i][1]);
        ASSERT_NE(nullptr, plain) << "row " << i;
        EXPECT_EQ(plain, decorated) << "row " << i;
    }
    CMapStringToString about;
    Find<MapEntry>("_Z7OnAboutR18CMapStringToString")(about);
    EXPECT_EQ("The Tarvenix team", Entries(about)["Author"]);
    EXPECT_EQ(nullptr, dlsym(library_, "AfxGetStaticModuleState")) << "nothing else is exported";
}

TEST_F(TarvenixModuleTest, OnInitializeAddsOnlyTheMenuItem) {
    CMapStringToString settings;
    settings["DataManager"] = GalaxyHost::CallbackAddress().c_str();
    settings["MainFrame"] = "12";
    settings["Other"] = "kept";
    settings["MenuItem:51507"] = "an earlier text";
    auto expected = Entries(settings);
    expected["MenuItem:51507"] = kEnglishMenu;
    Find<MapEntry>("OnInitialize")(settings);
    EXPECT_EQ(expected, Entries(settings));

    CMapStringToString empty;
    Find<MapEntry>("OnInitialize")(empty);
    EXPECT_EQ((std::map<std::string, std::string>{{"MenuItem:51507", kEnglishMenu}}), Entries(empty));
    // Without "DataManager" the callback of the first call stays: a command still reaches the host.
    RunCommand(kEnglishMenu);
    ASSERT_TRUE(PumpUntilGone(PluginWindow()));
    EXPECT_EQ(1, host.CountOf("Add"));
}

TEST_F(TarvenixModuleTest, OnAboutWritesExactlyTheFiveKeys) {
    CMapStringToString about;
    about["Name"] = "old";
    about["Host"] = "kept";
    Find<MapEntry>("OnAbout")(about);
    EXPECT_EQ((std::map<std::string, std::string>{
                  {"Author", "The Tarvenix team"},
                  {"Date", "06/04/99"},
                  {"Description", "     The ship dispatching procedure"},
                  {"Host", "kept"},
                  {"Name", "====== Rozi zevo ====="},
                  {"Version", "v1.01 beta"},
              }),
              Entries(about));
}

TEST_F(TarvenixModuleTest, OnPlanetChangedAndOnLoadTouchNothing) {
    CMapStringToString map;
    map["Planet"] = "#3";
    map["Empty"] = "";
    const auto before = Entries(map);
    Find<MapEntry>("OnPlanetChanged")(map);
    Find<VoidEntry>("OnLoad")();
    Find<VoidEntry>("OnClose")(); // no window open: nothing to do
    EXPECT_EQ(before, Entries(map));
    EXPECT_TRUE(host.Requests().empty());
    EXPECT_EQ(nullptr, PluginWindow());
}

TEST_F(TarvenixModuleTest, RussianLocaleGivesRussianTextsAndOnlyTheRussianCommand) {
    // The plug-in reads LC_ALL afresh on every lookup.
    const platform_test::ScopedEnvironment russian("LC_ALL", "ru_RU.UTF-8");
    CMapStringToString settings;
    Find<MapEntry>("OnInitialize")(settings);
    EXPECT_EQ(kRussianMenu, Entries(settings)["MenuItem:51507"]);
    CMapStringToString about;
    Find<MapEntry>("OnAbout")(about);
    EXPECT_EQ("====== Tarvenix =====", Entries(about)["Name"]);
    EXPECT_EQ("Команда Tarvenix", Entries(about)["Author"]);
    EXPECT_EQ("     Эстафетная рассылка кораблей", Entries(about)["Description"]);

    RunCommand(kEnglishMenu);
    EXPECT_TRUE(host.Requests().empty()) << "the English text is not this language's command";
    EXPECT_EQ(nullptr, PluginWindow());

    HoldWorkerAt("List PlanetsNum");
    RunCommand(kRussianMenu);
    const HWND window = PluginWindow();
    ASSERT_NE(nullptr, window);
    char title[64] = {};
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ("Рассылка кораблей", title);
    GetWindowTextA(GetDlgItem(window, kStopButton), title, sizeof title);
    EXPECT_STREQ("Cancel", title);
    const std::optional<host::ProgressLine> shown = host::TerminalView::Read(window);
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ("Рассылка кораблей  [" + std::string(30, '.') + "] 0/100    [ Cancel ]  (Ctrl-C: Cancel)",
              host::TerminalView::Fit(*shown, 120))
        << "the host's terminal view: the control's initial state before the first range";
    gate.Open();
    ASSERT_TRUE(PumpUntilGone(window));
    EXPECT_EQ(1, host.CountOf("Add"));
}

TEST_F(TarvenixModuleTest, SecondCommandWhileTheWindowIsOpenIsIgnored) {
    const HWND window = StartHeldRun("List PlanetsNum");
    ASSERT_NE(nullptr, window);
    const std::size_t asked = host.Requests().size();

    RunCommand(kEnglishMenu);
    EXPECT_EQ(asked, host.Requests().size()) << "no query for the second command";
    EXPECT_EQ(window, PluginWindow());

    gate.Open();
    ASSERT_TRUE(PumpUntilGone(window));
    EXPECT_EQ(1, host.CountOf("Add"));
    EXPECT_EQ(10u, host.Orders().size());
}

TEST_F(TarvenixModuleTest, CancelSubmitsNothingAndTheNextCommandRunsNormally) {
    const HWND window = StartHeldRun("List ShipTypes");
    ASSERT_NE(nullptr, window);
    {
        const std::jthread opener = OpenLater(gate);
        SendMessageA(GetDlgItem(window, kStopButton), BM_CLICK, 0, 0);
    }
    EXPECT_FALSE(IsWindow(window));
    PumpPending();
    EXPECT_EQ(0, host.CountOf("Add"));
    EXPECT_EQ("List ShipTypes", host.Requests().back()) << "stopped in mid-run";
    host.beforeAnswer = nullptr;

    RunCommand(kEnglishMenu);
    ASSERT_TRUE(PumpUntilGone(PluginWindow()));
    EXPECT_EQ(1, host.CountOf("Add"));
    for (const auto& order : host.Orders()) {
        EXPECT_TRUE(order.accepted) << order.order << ": " << order.reason;
    }
}

TEST_F(TarvenixModuleTest, OnCloseDuringARunStopsTheWorkerAndClosesTheWindow) {
    const std::size_t threadsBefore = ThreadCount();
    const HWND window = StartHeldRun("List PlanetsNum");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(threadsBefore + 1, ThreadCount());

    {
        const std::jthread opener = OpenLater(gate); // the host answers in its own time
        Find<VoidEntry>("OnClose")();
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(threadsBefore, ThreadCount()) << "no worker outlives OnClose";
    PumpPending();
    EXPECT_EQ(0, host.CountOf("Add"));
    EXPECT_EQ("List PlanetsNum", host.Requests().back()) << "the worker stopped at its next check";
}

} // namespace
