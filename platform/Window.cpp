// Window.cpp - the Win32 window and message calls of the Linux stand-in, over the WindowRegistry.
#include "platform/Window.h"

#if !defined(_WIN32)
#include "platform/WindowRegistry.h"

#include <optional>

namespace {

using Clock = WindowRegistry::Clock;

std::optional<Clock::time_point> DeadlineAfter(DWORD milliseconds) {
    if (milliseconds == INFINITE) {
        return Clock::time_point::max();
    }
    return Clock::now() + std::chrono::milliseconds(milliseconds);
}

WindowRegistry& Registry() {
    return WindowRegistry::Instance();
}

} // namespace

WindowModel::~WindowModel() {
    if (handle_ == nullptr) {
        return;
    }
    // Only the base part is left here, so the window sees only WindowModel's procedure;
    // a derived model that cares destroys its window in its own destructor.
    if (DestroyWindow(handle_) == FALSE) {
        // Not our thread, or already being destroyed: at least leave no pointer behind.
        Registry().Unregister(handle_);
    }
}

HWND WindowModel::CreateHandle(HWND parent) {
    return Registry().Register(*this, parent);
}

LRESULT WindowModel::WindowProc(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return 0;
}

WindowModel* WindowModelFromHandle(HWND hwnd) {
    return Registry().AnyModel(hwnd);
}

DWORD GetCurrentThreadId() {
    return WindowRegistry::CurrentThreadId();
}

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return Registry().Post(hwnd, message, wParam, lParam) ? TRUE : FALSE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    return Registry().PostToThread(threadId, message, wParam, lParam) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode) {
    Registry().Post(nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowModel* model = Registry().OwnModel(hwnd);
    return model != nullptr ? model->WindowProc(message, wParam, lParam) : 0;
}

BOOL GetMessageA(MSG* msg, HWND hwnd, UINT minFilter, UINT maxFilter) {
    if (msg == nullptr || (hwnd != nullptr && IsWindow(hwnd) == FALSE)) {
        return -1; // nothing could ever match: waiting would never end
    }
    Registry().Take(*msg, MessageFilter{hwnd, minFilter, maxFilter}, true,
                    Clock::time_point::max());
    return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT minFilter, UINT maxFilter, UINT removeMsg) {
    if (msg == nullptr) {
        return FALSE;
    }
    const bool remove = (removeMsg & PM_REMOVE) != 0;
    return Registry().Take(*msg, MessageFilter{hwnd, minFilter, maxFilter}, remove, std::nullopt)
               ? TRUE
               : FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* /*handles*/, BOOL /*waitAll*/,
                                DWORD milliseconds, DWORD /*wakeMask*/) {
    if (count != 0) {
        return WAIT_FAILED;
    }
    return Registry().WaitForAny(DeadlineAfter(milliseconds)) ? WAIT_OBJECT_0 + count
                                                              : WAIT_TIMEOUT;
}

BOOL IsWindow(HWND hwnd) {
    return Registry().OwnerOf(hwnd) != 0 ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hwnd) {
    WindowRegistry& registry = Registry();
    if (!registry.BeginDestroy(hwnd)) {
        return FALSE;
    }
    WindowModel* model = registry.OwnModel(hwnd);
    model->WindowProc(WM_DESTROY, 0, 0);
    for (HWND child : registry.ChildrenOf(hwnd)) {
        DestroyWindow(child);
    }
    registry.Unregister(hwnd);
    WindowRegistry::FinishDestroy(*model);
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId) {
    if (processId != nullptr) {
        *processId = 1; // one process: the stand-in never crosses process boundaries
    }
    return Registry().OwnerOf(hwnd);
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam) {
    if (callback == nullptr) {
        return FALSE;
    }
    // A snapshot, so the callback may create or destroy windows while we walk.
    const std::vector<HWND> windows = Registry().TopLevelWindowsOf(threadId);
    for (HWND hwnd : windows) {
        if (IsWindow(hwnd) && callback(hwnd, lParam) == FALSE) {
            return FALSE;
        }
    }
    return windows.empty() ? FALSE : TRUE;
}
#endif
