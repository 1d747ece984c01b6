// ProcessObjectsTest.cpp - the counts the Windows soak relies on see what a command could leave
// behind: a window and a kernel handle each raise them, and closing brings them back.
#include "session/ProcessObjects.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

host::ProcessObjects Now() {
    const std::optional<host::ProcessObjects> objects = host::CountProcessObjects();
    EXPECT_TRUE(objects.has_value());
    return objects.value_or(host::ProcessObjects{});
}

TEST(ProcessObjectsTest, AWindowLeftOpenIsCountedTillItIsDestroyed) {
    const host::ProcessObjects before = Now();
    // Hidden, as a progress window the plug-in forgot to destroy would be after its command.
    HWND window = CreateWindowExA(0, "STATIC", "left behind", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    // The system may add its own hidden window for the thread's input (Wine does); it goes too.
    EXPECT_GT(Now().windows, before.windows);
    DestroyWindow(window);
    EXPECT_EQ(Now().windows, before.windows);
}

TEST(ProcessObjectsTest, AnOpenHandleIsCountedTillItIsClosed) {
    // The first call into the window system opens the process's handles to it: counted once
    // they are there, as the soak counts only after its first commands.
    Now();
    const host::ProcessObjects before = Now();
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(Now().handlesInUse, before.handlesInUse + 1);
    CloseHandle(event);
    EXPECT_EQ(Now().handlesInUse, before.handlesInUse);
}

TEST(ProcessObjectsTest, TheLineNamesEveryCount) {
    const host::ProcessObjects objects{
        .userObjects = 1, .gdiObjects = 2, .handles = 3, .handlesInUse = 4, .windows = 5};
    EXPECT_EQ(host::ProcessObjectsText(objects), "user 1, gdi 2, handles 3 (in use 4), windows 5");
}

} // namespace
