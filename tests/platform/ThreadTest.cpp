// ThreadTest.cpp - the Win32 thread calls: exit codes, waits, priorities, and handles closed early.
#include "platform/Thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#if !defined(_WIN32)
namespace {

// Holds the thread inside its routine until the test lets it go, without sleeping.
struct Gate {
    std::atomic<bool> entered{false};
    std::atomic<bool> open{false};
    std::atomic<bool> left{false}; // set as the routine returns
};

DWORD WINAPI WaitAtGate(LPVOID parameter) {
    auto* gate = static_cast<Gate*>(parameter);
    gate->entered = true;
    while (!gate->open.load()) {
        std::this_thread::yield();
    }
    gate->left = true;
    return 7;
}

TEST(ThreadTest, ExitCodeIsStillActiveUntilTheRoutineReturns) {
    Gate gate;
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    DWORD exitCode = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(STILL_ACTIVE, exitCode);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(thread, 1));

    gate.open = true;
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, INFINITE));
    EXPECT_TRUE(GetExitCodeThread(thread, &exitCode));
    EXPECT_EQ(7u, exitCode);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 0)) << "a second wait returns at once";
    EXPECT_TRUE(CloseHandle(thread));
}

TEST(ThreadTest, PriorityIsRecordedPerThread) {
    Gate gate;
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(thread));
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, GetThreadPriority(thread));
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(thread));
    gate.open = true;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

TEST(ThreadTest, ClosingTheHandleOfARunningThreadLetsItFinish) {
    static Gate gate; // outlives the test: the thread may still read it after the handle is gone
    HANDLE thread = CreateThread(nullptr, 0, WaitAtGate, &gate, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    while (!gate.entered.load()) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(CloseHandle(thread));
    gate.open = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!gate.left.load() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    EXPECT_TRUE(gate.left.load()) << "the routine ran on to its end without its handle";
}

// The priority a thread reads of itself, through the pseudo handle, once the gate opens.
struct OwnPriority {
    Gate gate;
    std::atomic<int> seen{THREAD_PRIORITY_ERROR_RETURN};
};

DWORD WINAPI ReadOwnPriority(LPVOID parameter) {
    auto* own = static_cast<OwnPriority*>(parameter);
    WaitAtGate(&own->gate);
    own->seen = GetThreadPriority(GetCurrentThread());
    return 0;
}

TEST(ThreadTest, CurrentThreadSeesThePriorityItsHandleWasGiven) {
    OwnPriority own;
    HANDLE thread = CreateThread(nullptr, 0, ReadOwnPriority, &own, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
    own.gate.open = true;
    WaitForSingleObject(thread, INFINITE);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, own.seen.load());
    CloseHandle(thread);
}

TEST(ThreadTest, ThreadsNotStartedByCreateThreadHaveAPriorityOfTheirOwn) {
    int seenBefore = THREAD_PRIORITY_ERROR_RETURN;
    int seenAfter = THREAD_PRIORITY_ERROR_RETURN;
    std::thread other([&] {
        seenBefore = GetThreadPriority(GetCurrentThread());
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
        seenAfter = GetThreadPriority(GetCurrentThread());
    });
    other.join();
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, seenBefore);
    EXPECT_EQ(THREAD_PRIORITY_BELOW_NORMAL, seenAfter);
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread())) << "another thread's is apart";
    EXPECT_TRUE(CloseHandle(GetCurrentThread())) << "the pseudo handle needs no closing";
    EXPECT_EQ(THREAD_PRIORITY_NORMAL, GetThreadPriority(GetCurrentThread()));
}

TEST(ThreadTest, NullHandlesAndRoutinesAreRefused) {
    EXPECT_EQ(nullptr, CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr));
    DWORD exitCode = 0;
    EXPECT_FALSE(GetExitCodeThread(nullptr, &exitCode));
    EXPECT_FALSE(SetThreadPriority(nullptr, THREAD_PRIORITY_NORMAL));
    EXPECT_EQ(WAIT_FAILED, WaitForSingleObject(nullptr, INFINITE));
    EXPECT_FALSE(CloseHandle(nullptr));
}

} // namespace
#endif
