// RelayMessages.h - the private window messages by which the planner drives the progress window.
//
// Plain message numbers, not offsets from WM_USER, named once here for the plug-in that posts
// and handles them, the host that counts the steps, and the tests. The worker posts them and
// never sends them: it must not wait for the window's thread, which may be waiting for the worker.
#pragma once

#include "platform/WinTypes.h"

/// wParam 0: one first leg processed in a relaxation pass; the bar steps by one.
inline constexpr UINT WM_RELAY_STEP = 8000;
/// wParam: the number of first legs, the steps of the coming pass; the bar's new range.
inline constexpr UINT WM_RELAY_RANGE = 8001;
/// Posted by the worker's own routine once the planner has returned without being
/// stopped, after the planner's completion command; wParam and lParam 0.
inline constexpr UINT WM_RELAY_WORKER_ENDED = 8002;
