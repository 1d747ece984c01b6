// WindowRegistry.cpp - live windows by handle, and one message queue per thread that uses windows.
#include "platform/WindowRegistry.h"

#if !defined(_WIN32)
#include <algorithm>
#include <atomic>

namespace {

std::uintptr_t HandleValue(HWND hwnd) {
    return reinterpret_cast<std::uintptr_t>(hwnd);
}

HWND HandleFromValue(std::uintptr_t value) {
    return reinterpret_cast<HWND>(value);
}

DWORD MillisecondsNow() {
    const auto since = WindowRegistry::Clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// One per thread that ever touched a queue; its end tells the registry the thread is gone.
struct ThreadState {
    DWORD id = 0;
    bool hasQueue = false;

    ~ThreadState() {
        if (hasQueue) {
            WindowRegistry::Instance().ThreadEnded(id);
        }
    }
};

ThreadState& CurrentThreadState() {
    static std::atomic<DWORD> lastId{0};
    thread_local ThreadState state;
    if (state.id == 0) {
        state.id = ++lastId;
    }
    return state;
}

} // namespace

bool MessageFilter::Matches(const MSG& msg) const {
    if (hwnd != nullptr && msg.hwnd != hwnd) {
        return false;
    }
    if (minMessage == 0 && maxMessage == 0) {
        return true;
    }
    // WM_QUIT ends a filtered loop as well as an unfiltered one.
    return msg.message == WM_QUIT || (msg.message >= minMessage && msg.message <= maxMessage);
}

WindowRegistry& WindowRegistry::Instance() {
    // Never destroyed: windows that static objects own are destroyed during exit.
    static WindowRegistry* const registry = new WindowRegistry;
    return *registry;
}

DWORD WindowRegistry::CurrentThreadId() {
    return CurrentThreadState().id;
}

HWND WindowRegistry::Register(WindowModel& model, HWND parent) {
    std::lock_guard lock(mutex_);
    if (model.handle_ != nullptr) {
        return nullptr;
    }
    if (parent != nullptr && FindLocked(parent) == nullptr) {
        return nullptr;
    }
    OwnQueueLocked();
    const std::uintptr_t value = nextHandle_;
    nextHandle_ += 2;
    windows_[value] = WindowRecord{&model, CurrentThreadId(), HandleValue(parent), false};
    model.handle_ = HandleFromValue(value);
    return model.handle_;
}

void WindowRegistry::Unregister(HWND hwnd) {
    std::lock_guard lock(mutex_);
    const auto found = windows_.find(HandleValue(hwnd));
    if (found == windows_.end()) {
        return;
    }
    const DWORD owner = found->second.owner;
    found->second.model->handle_ = nullptr;
    windows_.erase(found);
    // Messages still queued for the window go with it.
    if (const auto queue = queues_.find(owner); queue != queues_.end()) {
        std::erase_if(queue->second->messages, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
    }
}

bool WindowRegistry::BeginDestroy(HWND hwnd) {
    std::lock_guard lock(mutex_);
    const auto found = windows_.find(HandleValue(hwnd));
    if (found == windows_.end() || found->second.owner != CurrentThreadId() ||
        found->second.destroying) {
        return false;
    }
    found->second.destroying = true;
    return true;
}

WindowModel* WindowRegistry::OwnModel(HWND hwnd) const {
    std::lock_guard lock(mutex_);
    const WindowRecord* record = FindLocked(hwnd);
    return record != nullptr && record->owner == CurrentThreadId() ? record->model : nullptr;
}

WindowModel* WindowRegistry::AnyModel(HWND hwnd) const {
    std::lock_guard lock(mutex_);
    const WindowRecord* record = FindLocked(hwnd);
    return record != nullptr ? record->model : nullptr;
}

DWORD WindowRegistry::OwnerOf(HWND hwnd) const {
    std::lock_guard lock(mutex_);
    const WindowRecord* record = FindLocked(hwnd);
    return record != nullptr ? record->owner : 0;
}

std::vector<HWND> WindowRegistry::ChildrenOf(HWND hwnd) const {
    std::lock_guard lock(mutex_);
    std::vector<HWND> children;
    for (const auto& [value, record] : windows_) {
        if (record.parent == HandleValue(hwnd)) {
            children.push_back(HandleFromValue(value));
        }
    }
    return children;
}

std::vector<HWND> WindowRegistry::TopLevelWindowsOf(DWORD threadId) const {
    std::lock_guard lock(mutex_);
    std::vector<HWND> windows;
    for (const auto& [value, record] : windows_) {
        if (record.owner == threadId && record.parent == 0) {
            windows.push_back(HandleFromValue(value));
        }
    }
    return windows;
}

bool WindowRegistry::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(mutex_);
    DWORD owner = CurrentThreadId();
    if (hwnd != nullptr) {
        const WindowRecord* record = FindLocked(hwnd);
        if (record == nullptr) {
            return false;
        }
        owner = record->owner;
    } else {
        OwnQueueLocked();
    }
    return EnqueueLocked(owner, MSG{hwnd, message, wParam, lParam, MillisecondsNow(), {}});
}

bool WindowRegistry::PostToThread(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    std::lock_guard lock(mutex_);
    return EnqueueLocked(threadId, MSG{nullptr, message, wParam, lParam, MillisecondsNow(), {}});
}

bool WindowRegistry::Take(MSG& out, const MessageFilter& filter, bool remove,
                          std::optional<Clock::time_point> deadline) {
    std::unique_lock lock(mutex_);
    ThreadQueue& queue = OwnQueueLocked();
    for (;;) {
        const auto found = std::find_if(queue.messages.begin(), queue.messages.end(),
                                        [&filter](const MSG& msg) { return filter.Matches(msg); });
        if (found != queue.messages.end()) {
            out = *found;
            if (remove) {
                queue.messages.erase(found);
            }
            return true;
        }
        if (!WaitLocked(lock, queue, deadline)) {
            return false;
        }
    }
}

bool WindowRegistry::WaitForAny(std::optional<Clock::time_point> deadline) {
    std::unique_lock lock(mutex_);
    ThreadQueue& queue = OwnQueueLocked();
    while (queue.messages.empty()) {
        if (!WaitLocked(lock, queue, deadline)) {
            return false;
        }
    }
    return true;
}

void WindowRegistry::ThreadEnded(DWORD threadId) {
    std::lock_guard lock(mutex_);
    queues_.erase(threadId);
    // The thread cannot dispatch any more: its windows leave the table quietly,
    // so later posts to them are dropped and their models no longer point back.
    std::erase_if(windows_, [threadId](auto& entry) {
        if (entry.second.owner != threadId) {
            return false;
        }
        entry.second.model->handle_ = nullptr;
        return true;
    });
}

const WindowRegistry::WindowRecord* WindowRegistry::FindLocked(HWND hwnd) const {
    const auto found = windows_.find(HandleValue(hwnd));
    return found != windows_.end() ? &found->second : nullptr;
}

WindowRegistry::ThreadQueue& WindowRegistry::OwnQueueLocked() {
    ThreadState& state = CurrentThreadState();
    std::unique_ptr<ThreadQueue>& queue = queues_[state.id];
    if (queue == nullptr) {
        queue = std::make_unique<ThreadQueue>();
        state.hasQueue = true;
    }
    return *queue;
}

bool WindowRegistry::EnqueueLocked(DWORD threadId, const MSG& msg) {
    const auto found = queues_.find(threadId);
    if (found == queues_.end()) {
        return false;
    }
    found->second->messages.push_back(msg);
    found->second->arrived.notify_all();
    return true;
}

bool WindowRegistry::WaitLocked(std::unique_lock<std::mutex>& lock, ThreadQueue& queue,
                                std::optional<Clock::time_point> deadline) {
    if (!deadline || Clock::now() >= *deadline) {
        return false;
    }
    if (*deadline == Clock::time_point::max()) {
        queue.arrived.wait(lock);
    } else {
        // A time-out still lets the caller look once more: a message may have come with it.
        queue.arrived.wait_until(lock, *deadline);
    }
    return true;
}
#endif
