// Thread.cpp - Win32 thread calls over std::thread, for targets other than Windows.
#include "platform/Thread.h"

#if !defined(_WIN32)
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <functional>
#include <new>
#include <system_error>
#include <thread>

namespace {

// Shared by the handle and the running thread: whichever lets go last frees it.
struct ThreadState {
    std::mutex mutex;
    std::condition_variable ended;
    bool running = true;
    DWORD exitCode = STILL_ACTIVE;
    int priority = THREAD_PRIORITY_NORMAL;
};

struct ThreadHandle {
    std::shared_ptr<ThreadState> state;
    std::thread thread;
};

ThreadHandle* FromHandle(HANDLE handle) { return static_cast<ThreadHandle*>(handle); }

} // namespace

HANDLE CreateThread(void* /*security*/, std::size_t /*stackSize*/, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD /*flags*/, DWORD* threadId) {
    if (start == nullptr) {
        return nullptr;
    }
    auto* handle = new (std::nothrow) ThreadHandle;
    if (handle == nullptr) {
        return nullptr;
    }
    try {
        handle->state = std::make_shared<ThreadState>();
        handle->thread = std::thread([state = handle->state, start, parameter] {
            const DWORD result = start(parameter);
            const std::lock_guard lock(state->mutex);
            state->exitCode = result;
            state->running = false;
            state->ended.notify_all();
        });
    } catch (const std::exception&) { // no memory, or the system refused a thread
        delete handle;
        return nullptr;
    }
    if (threadId != nullptr) {
        *threadId = static_cast<DWORD>(std::hash<std::thread::id>{}(handle->thread.get_id()));
    }
    return handle;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
    if (thread == nullptr) {
        return FALSE;
    }
    ThreadState& state = *FromHandle(thread)->state;
    const std::lock_guard lock(state.mutex);
    state.priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE thread) {
    if (thread == nullptr) {
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    ThreadState& state = *FromHandle(thread)->state;
    const std::lock_guard lock(state.mutex);
    return state.priority;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    if (thread == nullptr || exitCode == nullptr) {
        return FALSE;
    }
    ThreadState& state = *FromHandle(thread)->state;
    const std::lock_guard lock(state.mutex);
    *exitCode = state.exitCode;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds) {
    if (thread == nullptr) {
        return WAIT_FAILED;
    }
    ThreadState& state = *FromHandle(thread)->state;
    std::unique_lock lock(state.mutex);
    const auto hasEnded = [&state] { return !state.running; };
    if (milliseconds == INFINITE) {
        state.ended.wait(lock, hasEnded);
        return WAIT_OBJECT_0;
    }
    return state.ended.wait_for(lock, std::chrono::milliseconds(milliseconds), hasEnded)
               ? WAIT_OBJECT_0
               : WAIT_TIMEOUT;
}

BOOL CloseHandle(HANDLE thread) {
    ThreadHandle* handle = FromHandle(thread);
    if (handle == nullptr) {
        return FALSE;
    }
    // A thread that has ended is joined; one that still runs goes on alone and
    // frees the shared state when it returns, as a Win32 thread outlives its handle.
    bool running = false;
    {
        const std::lock_guard lock(handle->state->mutex);
        running = handle->state->running;
    }
    if (running) {
        handle->thread.detach();
    } else {
        handle->thread.join();
    }
    delete handle;
    return TRUE;
}
#endif
