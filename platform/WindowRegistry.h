// WindowRegistry.h - the process-wide table of live windows and per-thread message queues (Linux).
//
// Private to the framework library: Window.cpp builds the Win32 calls on it.
// One mutex guards the whole table; window procedures are always called with
// it released, so a procedure may post, send or destroy freely. The registry
// points at window models but owns none of them. It is created on first use
// and never destroyed, so windows that static objects own can still be
// destroyed while the process exits.
#pragma once

#if !defined(_WIN32)
#include "platform/Window.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

/// What a taker of messages asks for: GetMessageA's and PeekMessageA's filter.
struct MessageFilter {
    HWND hwnd = nullptr; // null: every window of the thread, and thread messages
    UINT minMessage = 0; // with maxMessage 0 too: every message number
    UINT maxMessage = 0;

    bool Matches(const MSG& msg) const;
};

class WindowRegistry {
public:
    using Clock = std::chrono::steady_clock;

    static WindowRegistry& Instance();

    /// The calling thread's id, assigned on first use.
    static DWORD CurrentThreadId();

    /// Links `model` to a new handle owned by the calling thread; null when the
    /// model already has one or `parent` is given and not a live window.
    HWND Register(WindowModel& model, HWND parent);
    /// Removes a window (not its children) from the table and drops its queued messages.
    void Unregister(HWND hwnd);
    /// Marks a live window as being destroyed; false when it is not live, not the
    /// caller's, or already being destroyed (a nested DestroyWindow).
    bool BeginDestroy(HWND hwnd);

    /// The model, for a live window owned by the calling thread; else null.
    WindowModel* OwnModel(HWND hwnd) const;
    /// The model of a live window, whichever thread owns it.
    WindowModel* AnyModel(HWND hwnd) const;
    /// The owner of a live window, or 0.
    DWORD OwnerOf(HWND hwnd) const;
    std::vector<HWND> ChildrenOf(HWND hwnd) const;
    std::vector<HWND> TopLevelWindowsOf(DWORD threadId) const;

    /// Queues on the owner's queue (null `hwnd`: the caller's). False when nothing was queued.
    bool Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    bool PostToThread(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);

    /// Copies out the first matching message of the caller's queue, removing it when
    /// `remove`; waits for one until `deadline` (none: return at once; max: forever).
    bool Take(MSG& out, const MessageFilter& filter, bool remove,
              std::optional<Clock::time_point> deadline);
    /// Waits until the caller's queue holds any message; false on reaching the deadline.
    bool WaitForAny(std::optional<Clock::time_point> deadline);

    /// Gives the model its last call once its window has left the table.
    static void FinishDestroy(WindowModel& model) { model.OnHandleDestroyed(); }

    /// Forgets a thread that ends: its queue goes, its windows die without messages.
    void ThreadEnded(DWORD threadId);

private:
    struct WindowRecord {
        WindowModel* model = nullptr;
        DWORD owner = 0;
        std::uintptr_t parent = 0; // 0 for a top-level window
        bool destroying = false;   // WM_DESTROY is being handled
    };
    struct ThreadQueue {
        std::deque<MSG> messages;
        std::condition_variable arrived;
    };

    WindowRegistry() = default;

    const WindowRecord* FindLocked(HWND hwnd) const;
    ThreadQueue& OwnQueueLocked();
    bool EnqueueLocked(DWORD threadId, const MSG& msg);
    /// Waits once for an arrival; false, without waiting, once the deadline has passed.
    bool WaitLocked(std::unique_lock<std::mutex>& lock, ThreadQueue& queue,
                    std::optional<Clock::time_point> deadline);

    mutable std::mutex mutex_;
    std::map<std::uintptr_t, WindowRecord> windows_; // by handle value: creation order
    std::map<DWORD, std::unique_ptr<ThreadQueue>> queues_;
    std::uintptr_t nextHandle_ = 0x10000; // grows by 2 per window; never reused
};
#endif
