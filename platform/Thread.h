// Thread.h - Win32 threads: CreateThread, priorities, exit codes, waits and handles.
//
// On Windows these are the real calls. Elsewhere a handle names a thread
// object shared by the handle and the running thread, so that closing the
// handle of a thread that still runs lets the thread finish on its own, as
// Win32 does, and a wait on a thread that already ended returns at once.
// Priorities are recorded and reported back, not applied: an unprivileged
// Linux thread may lower its priority but never raise it again, and the
// worker must be raised back to normal when the user cancels.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/Window.h" // INFINITE and the WAIT_ results, shared with message waits
#include "platform/WinTypes.h"

#if !defined(_WIN32)
#include <cstddef>

using LPTHREAD_START_ROUTINE = DWORD(WINAPI*)(LPVOID parameter);

inline constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
inline constexpr int THREAD_PRIORITY_NORMAL = 0;
inline constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;
inline constexpr DWORD STILL_ACTIVE = 259;

/// Starts `start(parameter)` on a new thread; null when no thread could be made.
/// `security` and `flags` are accepted for the Win32 signature and must be null and 0.
TARVENIX_FRAMEWORK_API HANDLE CreateThread(void* security, std::size_t stackSize,
                                           LPTHREAD_START_ROUTINE start, LPVOID parameter,
                                           DWORD flags, DWORD* threadId);
/// A pseudo handle that names the calling thread wherever it is used; it needs no closing.
/// A thread that CreateThread did not start has a priority of its own all the same.
TARVENIX_FRAMEWORK_API HANDLE GetCurrentThread();
TARVENIX_FRAMEWORK_API BOOL SetThreadPriority(HANDLE thread, int priority);
/// THREAD_PRIORITY_ERROR_RETURN for a handle that names no thread.
TARVENIX_FRAMEWORK_API int GetThreadPriority(HANDLE thread);
/// STILL_ACTIVE while the thread runs, then the value its routine returned.
TARVENIX_FRAMEWORK_API BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
/// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT after `milliseconds` (INFINITE: never).
TARVENIX_FRAMEWORK_API DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds);
TARVENIX_FRAMEWORK_API BOOL CloseHandle(HANDLE thread);
#endif
