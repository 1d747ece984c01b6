// Thread.cpp - Win32 thread calls over std::thread, for targets other than Windows.
#include "platform/Thread.h"

#if !defined(_WIN32)
#include <chrono>
#include <cstdint>
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

// What GetCurrentThread hands out: no object lives at this address, as on Windows.
HANDLE const kCurrentThread = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));

// The state of the calling thread: the one CreateThread made for it, or one of its own.
thread_local std::shared_ptr<ThreadState> t_ownState;

ThreadState& CurrentThreadState() {
    if (!t_ownState) {
        t_ownState = std::make_shared<ThreadState>();
    }
    return *t_ownState;
}

/// The state a handle names, the pseudo handle included; null for no thread.
ThreadState* StateOf(HANDLE handle) {
    if (handle == kCurrentThread) {
        return &CurrentThreadState();
    }
    return handle != nullptr ? FromHandle(handle)->state.get() : nullptr;
}

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
            t_ownState = state;
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

HANDLE GetCurrentThread() { return kCurrentThread; }

BOOL SetThreadPriority(HANDLE thread, int priority) {
    ThreadState* state = StateOf(thread);
    if (state == nullptr) {
        return FALSE;
    }
    const std::lock_guard lock(state->mutex);
    state->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE thread) {
    ThreadState* state = StateOf(thread);
    if (state == nullptr) {
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    const std::lock_guard lock(state->mutex);
    return state->priority;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
    ThreadState* state = StateOf(thread);
    if (state == nullptr || exitCode == nullptr) {
        return FALSE;
    }
    const std::lock_guard lock(state->mutex);
    *exitCode = state->exitCode;
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds) {
    if (thread == nullptr) {
        return WAIT_FAILED;
    }
    // Only the thread's end would end the wait: with INFINITE, a hang, as on Windows.
    ThreadState& state = *StateOf(thread);
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
    if (thread == kCurrentThread) {
        return TRUE; // a pseudo handle is never opened, so closing it does nothing
    }
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
