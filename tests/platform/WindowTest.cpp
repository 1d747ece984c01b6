// WindowTest.cpp - window handles, per-thread queues, posting, dispatching and destruction.
#include "platform/Window.h"

#include "platform/RecordingWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using Received = ReceivedMessage;

TEST(WindowTest, PostedMessagesArriveInOrderOnDispatch) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(&window, WindowModelFromHandle(hwnd));

    // Post 8001/3, 8000, 8000, WM_COMMAND/IDOK, giving those four in that order.
    EXPECT_TRUE(PostMessageA(hwnd, 8001, 3, 0));
    EXPECT_TRUE(PostMessageA(hwnd, 8000, 0, 0));
    EXPECT_TRUE(PostMessageA(hwnd, 8000, 0, 0));
    EXPECT_TRUE(PostMessageA(hwnd, WM_COMMAND, IDOK, 0));
    EXPECT_TRUE(window.received.empty()) << "posting must not deliver";

    EXPECT_EQ(4, PumpPending());
    const std::vector<Received> expected{
        {8001, 3, 0}, {8000, 0, 0}, {8000, 0, 0}, {WM_COMMAND, IDOK, 0}};
    EXPECT_EQ(expected, window.received);
}

TEST(WindowTest, PostToDestroyedWindowIsDropped) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    EXPECT_TRUE(PostMessageA(hwnd, 8000, 0, 0));
    ASSERT_TRUE(DestroyWindow(hwnd));

    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(nullptr, window.GetHandle());
    EXPECT_EQ(nullptr, WindowModelFromHandle(hwnd));
    EXPECT_EQ(1, window.destroyedCalls);
    EXPECT_FALSE(PostMessageA(hwnd, 8000, 0, 0));
    EXPECT_EQ(0, PumpPending()) << "the message queued before destruction goes with the window";
    const std::vector<Received> expected{{WM_DESTROY, 0, 0}};
    EXPECT_EQ(expected, window.received);
    EXPECT_FALSE(DestroyWindow(hwnd));
}

TEST(WindowTest, HandlesAreNotReused) {
    RecordingWindow first;
    HWND old = first.CreateHandle();
    DestroyWindow(old);
    RecordingWindow second;
    HWND fresh = second.CreateHandle();
    EXPECT_NE(old, fresh);
    EXPECT_FALSE(PostMessageA(old, 8000, 0, 0));
    EXPECT_EQ(0, PumpPending());
    EXPECT_TRUE(second.received.empty());
}

TEST(WindowTest, DestroyingModelDestroysItsWindow) {
    HWND hwnd = nullptr;
    {
        RecordingWindow window;
        hwnd = window.CreateHandle();
        EXPECT_EQ(nullptr, window.CreateHandle()) << "one window per model";
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageA(hwnd, 8000, 0, 0));
}

TEST(WindowTest, DestroyWindowTakesChildrenAlong) {
    RecordingWindow parent;
    RecordingWindow child;
    HWND parentHandle = parent.CreateHandle();
    HWND childHandle = child.CreateHandle(parentHandle);
    ASSERT_NE(nullptr, childHandle);

    ASSERT_TRUE(DestroyWindow(parentHandle));
    EXPECT_FALSE(IsWindow(childHandle));
    ASSERT_EQ(1u, child.received.size());
    EXPECT_EQ(UINT{WM_DESTROY}, child.received[0].message);

    RecordingWindow orphan;
    EXPECT_EQ(nullptr, orphan.CreateHandle(parentHandle)) << "a dead parent adopts nothing";
}

TEST(WindowTest, SendMessageCallsTheProcedureAtOnce) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    EXPECT_EQ(1029 + 1, SendMessageA(hwnd, 1029, 7, 9));
    const std::vector<Received> expected{{1029, 7, 9}};
    EXPECT_EQ(expected, window.received);
    EXPECT_EQ(0, SendMessageA(nullptr, 1029, 0, 0));
}

TEST(WindowTest, PeekCanLeaveTheMessageQueuedAndFilterByNumber) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    PostMessageA(hwnd, 8000, 0, 0);
    PostMessageA(hwnd, 8001, 5, 0);

    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 8001, 8001, PM_NOREMOVE));
    EXPECT_EQ(8001u, msg.message);
    EXPECT_EQ(hwnd, msg.hwnd);
    ASSERT_TRUE(PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE));
    EXPECT_EQ(8000u, msg.message);
    ASSERT_EQ(1, PumpPending());
    EXPECT_EQ(8001u, window.received.at(0).message);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(WindowTest, GetMessageEndsOnQuitAndRefusesBadArguments) {
    PostQuitMessage(3);
    MSG msg;
    EXPECT_EQ(FALSE, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(UINT{WM_QUIT}, msg.message);
    EXPECT_EQ(3u, msg.wParam);

    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    DestroyWindow(hwnd);
    EXPECT_EQ(-1, GetMessageA(&msg, hwnd, 0, 0)) << "a dead window would wait forever";
    EXPECT_EQ(-1, GetMessageA(nullptr, nullptr, 0, 0));
}

TEST(WindowTest, BoundedWaitTimesOutOnEmptyQueue) {
    PumpPending();
    EXPECT_EQ(WAIT_TIMEOUT, MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT));
    EXPECT_EQ(WAIT_TIMEOUT, MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT));
    PostMessageA(nullptr, WM_USER, 0, 0);
    EXPECT_EQ(WAIT_OBJECT_0, MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT));
    EXPECT_EQ(1, PumpPending()) << "a thread message is taken, and dispatched to no window";
}

BOOL CollectWindow(HWND hwnd, LPARAM into) {
    reinterpret_cast<std::vector<HWND>*>(into)->push_back(hwnd);
    return TRUE;
}

BOOL StopAtFirst(HWND, LPARAM) {
    return FALSE;
}

TEST(WindowTest, EnumThreadWindowsListsLiveTopLevelWindows) {
    const DWORD self = GetCurrentThreadId();
    std::vector<HWND> seen;
    EXPECT_FALSE(EnumThreadWindows(self, CollectWindow, reinterpret_cast<LPARAM>(&seen)));
    EXPECT_TRUE(seen.empty());

    RecordingWindow top;
    RecordingWindow child;
    HWND topHandle = top.CreateHandle();
    child.CreateHandle(topHandle);
    EXPECT_TRUE(EnumThreadWindows(self, CollectWindow, reinterpret_cast<LPARAM>(&seen)));
    EXPECT_EQ(std::vector<HWND>{topHandle}, seen);
    EXPECT_FALSE(EnumThreadWindows(self, StopAtFirst, 0));
    EXPECT_EQ(self, GetWindowThreadProcessId(topHandle, nullptr));

    DestroyWindow(topHandle);
    seen.clear();
    EXPECT_FALSE(EnumThreadWindows(self, CollectWindow, reinterpret_cast<LPARAM>(&seen)));
    EXPECT_TRUE(seen.empty());
}

TEST(WindowThreadTest, PostsFromAnotherThreadQueueOnTheOwnerAndNeverBlock) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    constexpr int kPosts = 500;

    // The poster runs to its end without this thread taking a single message.
    std::atomic<DWORD> posterId{0};
    std::thread poster([hwnd, &posterId] {
        posterId = GetCurrentThreadId();
        for (int i = 0; i < kPosts; ++i) {
            PostMessageA(hwnd, 8000, static_cast<WPARAM>(i), 0);
        }
        PostMessageA(hwnd, WM_COMMAND, IDOK, 0);
    });
    poster.join();
    EXPECT_NE(GetCurrentThreadId(), posterId.load());
    EXPECT_TRUE(window.received.empty());

    ASSERT_TRUE(PumpUntil([&window] { return window.received.size() == kPosts + 1; }));
    for (int i = 0; i < kPosts; ++i) {
        EXPECT_EQ(static_cast<WPARAM>(i), window.received[i].wParam) << "row " << i;
    }
    EXPECT_EQ(UINT{WM_COMMAND}, window.received.back().message);
}

TEST(WindowThreadTest, WorkerPostsWhileOwnerPumpsAndDestroys) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    std::atomic<int> accepted{0};

    // The worker posts until the owner destroys the window under it; the first
    // refused post ends it. The cap only keeps a broken layer from running forever.
    std::thread worker([&] {
        for (int i = 0; i < 200000 && PostMessageA(hwnd, 8000, 0, 0) != FALSE; ++i) {
            ++accepted;
        }
    });
    ASSERT_TRUE(PumpUntil([&window] { return window.received.size() >= 100; }));
    DestroyWindow(hwnd);
    worker.join();
    EXPECT_EQ(0, PumpPending()) << "queued posts went with the window";
    EXPECT_LE(window.received.size(), static_cast<std::size_t>(accepted.load()) + 1);
    EXPECT_EQ(UINT{WM_DESTROY}, window.received.back().message);
}

TEST(WindowThreadTest, WindowOfAnotherThreadIsNotDestroyedOrSentToHere) {
    RecordingWindow window;
    HWND hwnd = window.CreateHandle();
    BOOL destroyed = TRUE;
    LRESULT sent = -1;
    std::thread other([&] {
        destroyed = DestroyWindow(hwnd);
        sent = SendMessageA(hwnd, 1029, 0, 0);
    });
    other.join();
    EXPECT_FALSE(destroyed);
    EXPECT_EQ(0, sent);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_TRUE(window.received.empty());
}

TEST(WindowThreadTest, PostsToAnEndedThreadsWindowAreDropped) {
    RecordingWindow* orphaned = new RecordingWindow;
    HWND hwnd = nullptr;
    std::thread owner([&] { hwnd = orphaned->CreateHandle(); });
    owner.join();
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(PostMessageA(hwnd, 8000, 0, 0));
    EXPECT_EQ(nullptr, orphaned->GetHandle());
    delete orphaned;
}

} // namespace
