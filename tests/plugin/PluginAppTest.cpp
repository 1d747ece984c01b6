// PluginAppTest.cpp - the application object in process: settings, and the Distribute Group command step by step.
//
// A scripted host (FakeHost) answers by request text, so each test states the
// exact answers the command sees. A command that gets as far as the window
// starts the worker; the worker is held at its first query and the run is
// closed with OnClose, so the command's own effects are read undisturbed.
#include "plugin/PluginApp.h"

#include "plugin/GalaxyHost.h"
#include "plugin/PluginResources.h"
#include "platform/MessageBox.h"
#include "platform/ModuleState.h"
#include "relay/FakeHost.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using plugin_test::Gate;

std::optional<std::string> g_messageBox; // what the last message box showed

int RecordMessageBox(const char* text, UINT /*type*/) {
    g_messageBox = text;
    return IDOK;
}

class PluginAppTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousPresenter_ = AfxSetMessageBoxPresenter(&RecordMessageBox);
        g_messageBox.reset();
        app.dataManager = reinterpret_cast<std::intptr_t>(&FakeHost::Callback);
        host.Answer("Selection 7 Owner", {{"1", "Vexari"}});
        host.Answer("Selection 51507 Status", {{"1", "In orbit"}});
        host.Answer("Selection 51507 Name", {{"1", "Long Courier"}});
        host.Answer("Selection 51507 Num", {{"1", "7"}});
        host.Answer("Selection 51507 Source", {{"1", "#4"}});
        host.Answer("Get Planet #4", {{"Num", "4"}, {"Name", "Tallow"}});
        host.Answer("Selection 51507 MinSpeed", {{"1", "22.36"}});
        host.Answer("Selection 51507 Count", {{"1", "3"}});
        // The worker is held at its first query until the test closes the run.
        host.beforeAnswer = [this](const std::string& text) {
            if (text == "List PlanetsNum") {
                gate.Arrive(&app.dialog.context.stopRequested);
            }
        };
    }
    void TearDown() override {
        app.OnClose();
        AfxSetMessageBoxPresenter(previousPresenter_);
    }

    void Command(const char* text) {
        CMapStringToString command;
        if (text != nullptr) {
            command["Command"] = text;
        }
        command["GameName"] = "Lantern Reach";
        command["Turn"] = "42";
        command["SID"] = "7";
        app.OnUserCommand(command);
    }

    /// Runs the command until its worker is held, then closes the run.
    void CommandUpToTheWorker() {
        Command("Distribute Group");
        ASSERT_NE(nullptr, app.dialog.m_hWnd);
        ASSERT_TRUE(gate.WaitArrived());
    }

    /// The requests the command itself sent: everything before the worker's first.
    std::vector<std::string> CommandRequests() const {
        std::vector<std::string> texts = host.Texts();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (texts[i] == "List PlanetsNum") {
                texts.resize(i);
                break;
            }
        }
        return texts;
    }

    FakeHost host; // outlives the app, whose worker calls it
    Gate gate;
    PluginApp app;
    AFX_MODULE_STATE module{&kPluginResources, &app};
    AFX_MAINTAIN_STATE inModule{&module};

private:
    MessageBoxPresenter previousPresenter_ = nullptr;
};

TEST_F(PluginAppTest, CommandAsksInOrderFillsTheContextAndOpensTheWindow) {
    CommandUpToTheWorker();
    EXPECT_EQ((std::vector<std::string>{
                  "Selection 7 Owner",
                  "Selection 51507 Status",
                  "Selection 51507 Name",
                  "Selection 51507 Num",
                  "Selection 51507 Source",
                  "Get Planet #4",
                  "Selection 51507 MinSpeed",
                  "Selection 51507 Count",
              }),
              CommandRequests());
    const DispatchContext& context = app.dialog.context;
    EXPECT_EQ("Vexari", context.raceName);
    EXPECT_EQ("Long Courier", context.shipTypeName);
    EXPECT_EQ(7, context.groupNumber);
    EXPECT_EQ(4, context.sourcePlanet);
    EXPECT_EQ(2236, context.minSpeed);
    EXPECT_EQ(3, context.shipCount);
    EXPECT_FALSE(g_messageBox);
}

TEST_F(PluginAppTest, MinSpeedIsReadInTruncatedHundredths) {
    struct Row {
        const char* answer;
        std::int32_t hundredths;
    };
    const Row rows[] = {{"2.3", 229}, {"2.57", 257}, {"-1.5", -150}, {"", 0}, {"fast", 0}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        host.Answer("Selection 51507 MinSpeed", {{"1", rows[i].answer}});
        Gate rowGate;
        host.beforeAnswer = [this, &rowGate](const std::string& text) {
            if (text == "List PlanetsNum") {
                rowGate.Arrive(&app.dialog.context.stopRequested);
            }
        };
        Command("Distribute Group");
        ASSERT_TRUE(rowGate.WaitArrived()) << "row " << i;
        EXPECT_EQ(rows[i].hundredths, app.dialog.context.minSpeed) << "row " << i;
        app.OnClose();
    }
}

TEST_F(PluginAppTest, OtherCommandTextsAreIgnoredWithoutAWord) {
    const char* const texts[] = {nullptr, "distribute group", "Distribute Group ", " Distribute Group",
                                 "Разослать группу", ""};
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        Command(texts[i]);
        EXPECT_TRUE(host.requests.empty()) << "row " << i;
        EXPECT_EQ(nullptr, app.dialog.m_hWnd) << "row " << i;
    }
    EXPECT_FALSE(g_messageBox);
}

TEST_F(PluginAppTest, StatusOtherThanInOrbitShowsStringFiveAndAsksNothingMore) {
    const char* const answers[] = {"In space", "in orbit", "In orbit ", ""};
    for (std::size_t i = 0; i < std::size(answers); ++i) {
        host.requests.clear();
        g_messageBox.reset();
        host.Answer("Selection 51507 Status", {{"1", answers[i]}});
        Command("Distribute Group");
        EXPECT_EQ("Group is not on planet!!!", g_messageBox.value_or("(none)")) << "row " << i;
        EXPECT_EQ((std::vector<std::string>{"Selection 7 Owner", "Selection 51507 Status"}), host.Texts())
            << "row " << i;
        EXPECT_EQ(nullptr, app.dialog.m_hWnd) << "row " << i;
    }
}

TEST_F(PluginAppTest, RefusedBindingEndsTheCommandSilently) {
    CMapStringToString command;
    command["Command"] = "Distribute Group";
    command["Turn"] = "42";
    app.OnUserCommand(command);
    EXPECT_TRUE(host.requests.empty()) << "no game name: not even the owner is asked";

    host.Answer("Selection 7 Owner", {});
    Command("Distribute Group");
    EXPECT_EQ((std::vector<std::string>{"Selection 7 Owner"}), host.Texts()) << "no race: nothing more";
    EXPECT_EQ(nullptr, app.dialog.m_hWnd);
    EXPECT_FALSE(g_messageBox);
}

TEST_F(PluginAppTest, SourceDesignationIsPassedOnAsItCame) {
    host.Answer("Selection 51507 Source", {{"1", "Far Meadow"}});
    host.Answer("Get Planet Far Meadow", {{"Num", "19"}});
    CommandUpToTheWorker();
    EXPECT_EQ("3", host.requests.at(5).at("Parameters.Count")) << "the blank splits it, as any text";
    EXPECT_EQ(19, app.dialog.context.sourcePlanet);
}

TEST_F(PluginAppTest, NoShipsStillOpensTheWindowAndStartsTheWorker) {
    host.Answer("Selection 51507 Count", {});
    CommandUpToTheWorker();
    EXPECT_EQ(0, app.dialog.context.shipCount);
    EXPECT_FALSE(app.dialog.IsIdle());
}

TEST_F(PluginAppTest, CommandWhileARunIsOpenTouchesNothing) {
    CommandUpToTheWorker();
    const std::size_t asked = host.requests.size();
    const HWND window = app.dialog.m_hWnd;
    Command("Distribute Group");
    EXPECT_EQ(asked, host.requests.size());
    EXPECT_EQ(window, app.dialog.m_hWnd);
    EXPECT_EQ(3, app.dialog.context.shipCount) << "the running dispatch's context is unchanged";
}

TEST_F(PluginAppTest, OnInitializeKeepsWhatIsGivenAndOnlyThat) {
    app.eventMask = 5;
    app.mainFrame = 6;
    app.mainFramePtr = 7;
    CMapStringToString empty;
    app.OnInitialize(empty);
    EXPECT_EQ(5, app.eventMask);
    EXPECT_EQ(6, app.mainFrame);
    EXPECT_EQ(0, app.mainFramePtr) << "the one setting that an absent key clears";
    EXPECT_EQ(reinterpret_cast<std::intptr_t>(&FakeHost::Callback), app.dataManager);

    struct Row {
        const char* text;
        std::intptr_t value;
    };
    const Row rows[] = {{"123", 123}, {"  -42x", -42}, {"abc", 0}, {"", 0},
                        {"140737488355328", std::intptr_t{140737488355328}}}; // an address past 32 bits
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        CMapStringToString settings;
        settings["DataManager"] = rows[i].text;
        settings["EventMask"] = rows[i].text;
        settings["MainFrame"] = rows[i].text;
        settings["MainFramePtr"] = rows[i].text;
        app.OnInitialize(settings);
        EXPECT_EQ(rows[i].value, app.dataManager) << "row " << i;
        EXPECT_EQ(rows[i].value, app.eventMask) << "row " << i;
        EXPECT_EQ(rows[i].value, app.mainFrame) << "row " << i;
        EXPECT_EQ(rows[i].value, app.mainFramePtr) << "row " << i;
    }
    app.dataManager = 0;
}

} // namespace
