// Window.h - window handles, per-thread message queues and the Win32 message calls over them.
//
// On Windows this is the real Win32 and the file only brings it in. On Linux
// it declares a small in-process stand-in with the same names and meanings:
//
// - A window is a WindowModel object that a thread creates a handle for; that
//   thread owns the window, and every message posted to the window is queued
//   on that thread's queue and dispatched by that thread's message loop.
// - An HWND is an opaque number validated through one registry. A handle is
//   never reused within a process, so a post to a window that is gone finds
//   nothing and is dropped: PostMessageA returns FALSE, never crashes.
// - PostMessageA never waits for the owning thread; GetMessageA blocks until
//   a message for the calling thread arrives; MsgWaitForMultipleObjects gives
//   loops and tests a bounded wait instead of a sleep.
// - The registry and the queues live in the shared framework library, so the
//   host's message loop delivers the windows that the plug-in creates.
//
// The model object is owned by whoever created it (a dialog object, a test);
// the registry only points at it. Destroying the model destroys its window.
// A window is destroyed on its owning thread only, which is what keeps a
// model alive while its own thread dispatches to it.
#pragma once

#include "platform/WinTypes.h"

#if !defined(_WIN32)
#include "platform/FrameworkApi.h"

#include <cstdint>

struct HWND__; // never defined: a handle is a number, not an address
using HWND = HWND__*;

struct POINT {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct MSG {
    HWND hwnd = nullptr; // null for a message posted to the thread itself
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0; // milliseconds of a monotonic clock when posted
    POINT pt;       // no pointer on this stand-in: always 0,0
};

inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_USER = 0x0400;

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

inline constexpr UINT PM_NOREMOVE = 0x0000;
inline constexpr UINT PM_REMOVE = 0x0001;

inline constexpr DWORD INFINITE = 0xFFFFFFFF;
inline constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
inline constexpr DWORD WAIT_TIMEOUT = 0x00000102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr DWORD QS_POSTMESSAGE = 0x0008;
inline constexpr DWORD QS_ALLINPUT = 0x04FF;

using WNDENUMPROC = BOOL (*)(HWND, LPARAM);

/// The state of one window on this stand-in. Derive from it and override
/// WindowProc; the model is what tests read to see what a window shows.
class TARVENIX_FRAMEWORK_API WindowModel {
public:
    WindowModel() = default;
    WindowModel(const WindowModel&) = delete;
    WindowModel& operator=(const WindowModel&) = delete;
    /// Destroys the window if it still exists; must then run on the owning thread.
    virtual ~WindowModel();

    /// Registers a window for this model, owned by the calling thread, as a child
    /// of `parent` (null for a top-level window). Null when the model already has
    /// a window or `parent` is not a live window.
    HWND CreateHandle(HWND parent = nullptr);
    /// The model's window, or null before CreateHandle and after destruction.
    HWND GetHandle() const { return handle_; }

    /// Called on the owning thread for every message sent or dispatched to the window.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

protected:
    /// Last call for a window, after it has left the registry (WM_NCDESTROY's place).
    virtual void OnHandleDestroyed() {}

private:
    friend class WindowRegistry;
    HWND handle_ = nullptr; // written on the owning thread only
};

/// The model behind a live window, or null. Use it on the owning thread only.
TARVENIX_FRAMEWORK_API WindowModel* WindowModelFromHandle(HWND hwnd);

/// A small positive number per thread, never 0, never reused within the process.
TARVENIX_FRAMEWORK_API DWORD GetCurrentThreadId();

/// Queues the message on the window's owning thread and returns at once. FALSE,
/// with nothing queued, for a window that does not exist (any more). A null
/// `hwnd` queues a thread message on the calling thread.
TARVENIX_FRAMEWORK_API BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
/// Queues a message with no window on the given thread's queue; FALSE when that thread has none.
TARVENIX_FRAMEWORK_API BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam,
                                               LPARAM lParam);
/// Posts WM_QUIT to the calling thread; GetMessageA returns 0 when it takes it.
TARVENIX_FRAMEWORK_API void PostQuitMessage(int exitCode);

/// Calls the window procedure directly when called on the owning thread and
/// returns its result. A window of another thread, or none, gets nothing: 0.
TARVENIX_FRAMEWORK_API LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

/// Blocks until the calling thread has a message that matches the filter (`hwnd`
/// null for any; `minFilter` = `maxFilter` = 0 for every number) and takes it.
/// Returns 0 for WM_QUIT, -1 for a null `msg` or a dead `hwnd`, else 1.
TARVENIX_FRAMEWORK_API BOOL GetMessageA(MSG* msg, HWND hwnd, UINT minFilter, UINT maxFilter);
/// As GetMessageA without waiting; PM_REMOVE takes the message, PM_NOREMOVE leaves it
/// queued. FALSE when no message matches.
TARVENIX_FRAMEWORK_API BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT minFilter, UINT maxFilter,
                                         UINT removeMsg);
/// Hands a taken message to its window's procedure; 0 for a message whose window is gone.
TARVENIX_FRAMEWORK_API LRESULT DispatchMessageA(const MSG* msg);

/// Waits at most `milliseconds` (INFINITE: no limit) until the calling thread's queue
/// holds a message. Only `count` 0 is supported here: handles come with the thread layer.
/// WAIT_OBJECT_0 + count when a message is there, WAIT_TIMEOUT, or WAIT_FAILED.
TARVENIX_FRAMEWORK_API DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles,
                                                       BOOL waitAll, DWORD milliseconds,
                                                       DWORD wakeMask);

TARVENIX_FRAMEWORK_API BOOL IsWindow(HWND hwnd);
/// Destroys the window and its children (children first), after WM_DESTROY has
/// reached its procedure; drops its queued messages. FALSE for a window that does
/// not exist or belongs to another thread.
TARVENIX_FRAMEWORK_API BOOL DestroyWindow(HWND hwnd);
/// The owning thread's id, or 0 for a window that does not exist.
TARVENIX_FRAMEWORK_API DWORD GetWindowThreadProcessId(HWND hwnd, DWORD* processId);
/// Calls `callback` for each top-level window of the thread, oldest first, until it
/// returns FALSE. FALSE when the callback stopped the walk or the thread has no window.
TARVENIX_FRAMEWORK_API BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam);
#endif
