// SendProgressDialogTest.cpp - the progress window over a real planner run: bar, completion, Cancel, stray IDOK, teardown.
#include "ui/SendProgressDialog.h"

#include "plugin/GalaxyHost.h"
#include "plugin/PluginResources.h"
#include "plugin/resource.h"
#include "platform/DialogModel.h"
#include "platform/ModuleState.h"
#include "platform/Thread.h"
#include "platform/RelayMessages.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

namespace {

using plugin_test::GalaxyHost;
using plugin_test::Gate;
using plugin_test::PumpUntilGone;
using plugin_test::ThreadCount;

class SendProgressDialogTest : public ::testing::Test {
protected:
    // Binds the dialog's context to the demo galaxy's selected group, as the command does.
    void Bind(SendProgressDialog& target) {
        CMapStringToString command;
        host.FillCommand(command, "Distribute Group");
        ASSERT_EQ(DispatchContext::kBound, target.context.BindHost(&GalaxyHost::Callback, command));
        const host::Group& group = host.TheGalaxy().SelectedGroup();
        target.context.shipTypeName = group.type.c_str();
        target.context.groupNumber = group.number;
        target.context.sourcePlanet = group.planet;
        target.context.minSpeed = static_cast<std::int32_t>(group.speed * 100.0);
        target.context.shipCount = group.count;
    }

    void HoldWorkerAt(const std::string& requestText, SendProgressDialog& target) {
        host.beforeAnswer = [this, requestText, &target](const std::string& text) {
            if (text == requestText) {
                gate.Arrive(&target.context.stopRequested);
            }
        };
    }

    /// Opens the window with the worker held at `requestText`, once it is held there.
    void StartHeld(const std::string& requestText) {
        HoldWorkerAt(requestText, dialog);
        Bind(dialog);
        ASSERT_TRUE(dialog.Create(IDD_SENDING, nullptr));
        ASSERT_TRUE(gate.WaitArrived());
    }

    ProgressBarModel& Bar() {
        auto* bar = dynamic_cast<ProgressBarModel*>(WindowModelFromHandle(dialog.progressBar.m_hWnd));
        EXPECT_NE(nullptr, bar);
        return *bar;
    }

    void ClickStop() { SendMessageA(GetDlgItem(dialog.m_hWnd, IDC_STOP), BM_CLICK, 0, 0); }

    void ExpectClosedAndIdle(const SendProgressDialog& target) {
        EXPECT_EQ(nullptr, target.m_hWnd);
        EXPECT_TRUE(target.IsIdle());
        EXPECT_EQ(nullptr, target.context.progressDialog);
    }

    GalaxyHost host; // outlives the dialog, whose worker calls it
    Gate gate;
    AFX_MODULE_STATE module{&kPluginResources};
    AFX_MAINTAIN_STATE inModule{&module};
    SendProgressDialog dialog;
};

TEST_F(SendProgressDialogTest, CompletionSubmitsOnceClosesAndCanRunAgain) {
    Bind(dialog);
    ASSERT_TRUE(dialog.Create(IDD_SENDING, nullptr));
    EXPECT_FALSE(dialog.IsIdle());
    EXPECT_EQ(&dialog, dialog.context.progressDialog);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(dialog.workerThread));
    ASSERT_TRUE(PumpUntilGone(dialog.m_hWnd));
    ExpectClosedAndIdle(dialog);
    EXPECT_EQ(1, host.CountOf("Add"));
    const auto orders = host.Orders();
    ASSERT_EQ(10u, orders.size()) << "one order per ship of group 7";
    for (std::size_t i = 0; i < orders.size(); ++i) {
        EXPECT_TRUE(orders[i].accepted) << "row " << i << ": " << orders[i].order << " " << orders[i].reason;
    }

    Bind(dialog);
    ASSERT_TRUE(dialog.Create(IDD_SENDING, nullptr)) << "the dialog object opens its window anew";
    ASSERT_TRUE(PumpUntilGone(dialog.m_hWnd));
    EXPECT_EQ(2, host.CountOf("Add"));
}

TEST_F(SendProgressDialogTest, BarFollowsTheRangesAndStepsThePlannerPosts) {
    Bind(dialog);
    ASSERT_TRUE(dialog.Create(IDD_SENDING, nullptr));
    const HWND window = dialog.m_hWnd;
    int ranges = 0;
    int steps = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (IsWindow(window) && std::chrono::steady_clock::now() < deadline) {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) == FALSE) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            continue;
        }
        if (msg.hwnd != window || (msg.message != WM_RELAY_RANGE && msg.message != WM_RELAY_STEP)) {
            DispatchMessageA(&msg);
            continue;
        }
        const std::int32_t before = Bar().Position();
        DispatchMessageA(&msg);
        const ProgressBarModel& bar = Bar();
        if (msg.message == WM_RELAY_RANGE) {
            ++ranges;
            EXPECT_EQ(0, bar.Minimum()) << "range " << ranges;
            EXPECT_EQ(static_cast<std::int32_t>(msg.wParam & 0xFFFF), bar.Maximum()) << "range " << ranges;
            EXPECT_EQ(1, bar.Step()) << "range " << ranges;
            EXPECT_EQ(std::min(before, bar.Maximum()), bar.Position()) << "a range sets no position";
        } else {
            ++steps;
            if (before + 1 <= bar.Maximum()) {
                EXPECT_EQ(before + 1, bar.Position()) << "step " << steps;
            }
        }
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_GE(ranges, 2) << "after the fan-out and after every pass";
    EXPECT_GE(steps, 10) << "one per first leg and pass";
}

TEST_F(SendProgressDialogTest, RangeKeepsTheLow16BitsOfTheCount) {
    HoldWorkerAt("List PlanetsNum", dialog); // the worker posts nothing while these rows run
    Bind(dialog);
    ASSERT_TRUE(dialog.Create(IDD_SENDING, nullptr));
    struct Row {
        WPARAM count;
        std::int32_t maximum;
    };
    const Row rows[] = {{70000, 4464}, {0, 0}, {12, 12}, {65535, 65535}, {65536, 0}, {5, 5}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(0, SendMessageA(dialog.m_hWnd, WM_RELAY_RANGE, rows[i].count, 0)) << "row " << i;
        EXPECT_EQ(rows[i].maximum, Bar().Maximum()) << "row " << i;
        EXPECT_EQ(1, Bar().Step()) << "row " << i;
    }
    SendMessageA(dialog.m_hWnd, WM_RELAY_STEP, 0, 0);
    SendMessageA(dialog.m_hWnd, WM_RELAY_STEP, 0, 0);
    EXPECT_EQ(2, Bar().Position());
    ClickStop();
    ExpectClosedAndIdle(dialog);
}

TEST_F(SendProgressDialogTest, StopWhileTheWorkerIsInAQueryWaitsForItAndSubmitsNothing) {
    StartHeld("List ShipTypes");
    ClickStop();
    ExpectClosedAndIdle(dialog);
    PumpPending();
    EXPECT_EQ(0, host.CountOf("Add"));
    EXPECT_EQ("List ShipTypes", host.Requests().back()) << "the worker asked nothing after the stop";
}

TEST_F(SendProgressDialogTest, StopAfterTheCompletionWasPostedSubmitsNothing) {
    Bind(dialog);
    ASSERT_TRUE(dialog.Create(IDD_SENDING, nullptr));
    // Let the worker finish without dispatching anything: its IDOK stays queued.
    DWORD exitCode = STILL_ACTIVE;
    for (int i = 0; i < 1000 && exitCode == STILL_ACTIVE; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        GetExitCodeThread(dialog.workerThread, &exitCode);
    }
    ASSERT_NE(STILL_ACTIVE, exitCode);
    ClickStop();
    PumpPending();
    ExpectClosedAndIdle(dialog);
    EXPECT_EQ(0, host.CountOf("Add"));
}

TEST_F(SendProgressDialogTest, OkWhileTheWorkerRunsReadsNothingAndCompletesOnceItEnds) {
    StartHeld("List ShipTypes");
    PostMessageA(dialog.m_hWnd, WM_COMMAND, IDOK, 0);
    PumpPending();
    EXPECT_NE(nullptr, dialog.m_hWnd) << "the window stays while the worker plans";
    EXPECT_EQ(0, host.CountOf("Add"));

    gate.Open();
    ASSERT_TRUE(PumpUntilGone(dialog.m_hWnd));
    ExpectClosedAndIdle(dialog);
    EXPECT_EQ(1, host.CountOf("Add"));
    EXPECT_EQ(10u, host.Orders().size()) << "the complete plan, not a partial one";
}

TEST_F(SendProgressDialogTest, DestroyingTheDialogStopsItsWorkerFirst) {
    const std::size_t threadsBefore = ThreadCount();
    auto running = std::make_unique<SendProgressDialog>();
    HoldWorkerAt("List PlanetsNum", *running);
    Bind(*running);
    ASSERT_TRUE(running->Create(IDD_SENDING, nullptr));
    const HWND window = running->m_hWnd;
    ASSERT_TRUE(gate.WaitArrived());
    running.reset();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(threadsBefore, ThreadCount()) << "the worker has ended and been joined";
    PumpPending();
    EXPECT_EQ(0, host.CountOf("Add"));
}

} // namespace
