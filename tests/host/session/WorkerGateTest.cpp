// WorkerGateTest.cpp - the worker held in the callback until the loop catches up, and until a press took effect.
#include "session/WorkerGate.h"

#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using host::GatePassage;
using host::WorkerGate;

constexpr auto kBound = std::chrono::seconds(10);
// Long enough for a worker that was wrongly let go to be seen gone.
constexpr auto kStillHeld = std::chrono::milliseconds(50);

/// A worker that passes the gate once, as an answer of the callback does.
struct Passer {
    WorkerGate* gate = nullptr;
    std::atomic<bool> start{false};
    std::atomic<bool> through{false};
};

DWORD WINAPI PassOnce(LPVOID parameter) {
    auto* passer = static_cast<Passer*>(parameter);
    while (!passer->start.load()) {
        std::this_thread::yield();
    }
    {
        GatePassage passage(*passer->gate, true);
    }
    passer->through = true;
    return 0;
}

class WorkerGateTest : public ::testing::Test {
protected:
    void SetUp() override {
        MSG none;
        PeekMessageA(&none, nullptr, 0, 0, PM_NOREMOVE); // the loop's thread has a queue
    }

    /// Starts a worker at the given priority; it enters the gate at once.
    HANDLE StartWorker(WorkerGate& gate, int priority) {
        passer_.gate = &gate;
        HANDLE thread = CreateThread(nullptr, 0, PassOnce, &passer_, 0, nullptr);
        SetThreadPriority(thread, priority);
        passer_.start = true;
        return thread;
    }

    /// The next catch-up message the loop takes, waited for within the bound.
    static MSG TakeCatchUp() {
        const auto deadline = std::chrono::steady_clock::now() + kBound;
        MSG msg;
        while (std::chrono::steady_clock::now() < deadline) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) && WorkerGate::IsCatchUp(msg)) {
                return msg;
            }
        }
        ADD_FAILURE() << "no catch-up message came";
        return MSG{};
    }

    bool StillHeld() {
        std::this_thread::sleep_for(kStillHeld);
        return !passer_.through.load();
    }

    static void Finish(HANDLE thread) {
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 10'000)) << "the worker was never let go";
        CloseHandle(thread);
    }

    Passer passer_;
};

TEST_F(WorkerGateTest, WorkerWaitsUntilTheLoopTakesItsCatchUp) {
    WorkerGate gate(true);
    HANDLE thread = StartWorker(gate, THREAD_PRIORITY_NORMAL);
    const MSG catchUp = TakeCatchUp();
    EXPECT_TRUE(StillHeld());
    gate.Release(catchUp);
    Finish(thread);
}

TEST_F(WorkerGateTest, PressedWorkerWaitsUntilItsPriorityRises) {
    WorkerGate gate(true);
    HANDLE thread = StartWorker(gate, THREAD_PRIORITY_BELOW_NORMAL);
    TakeCatchUp();
    gate.BeginPress(); // instead of a release: the worker answers, then waits for the window
    EXPECT_TRUE(StillHeld());
    SetThreadPriority(thread, THREAD_PRIORITY_NORMAL); // what the window does after its stop flag
    Finish(thread);
}

TEST_F(WorkerGateTest, OpeningLetsAHeldWorkerGo) {
    WorkerGate gate(true);
    HANDLE thread = StartWorker(gate, THREAD_PRIORITY_NORMAL);
    TakeCatchUp();
    gate.Open();
    Finish(thread);
    EXPECT_FALSE(gate.HoldsWorkers());
}

TEST_F(WorkerGateTest, GateThatHoldsNothingPostsNothing) {
    WorkerGate gate(false);
    Finish(StartWorker(gate, THREAD_PRIORITY_NORMAL));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WorkerGateTest, PressWhileNoneInsideIsRefusedWhileAWorkerIsHeld) {
    WorkerGate gate(true);
    HANDLE thread = StartWorker(gate, THREAD_PRIORITY_NORMAL);
    const MSG catchUp = TakeCatchUp();
    EXPECT_FALSE(gate.BeginPressWhileNoneInside());
    gate.Release(catchUp);
    Finish(thread);
    EXPECT_TRUE(gate.BeginPressWhileNoneInside());
}

} // namespace
