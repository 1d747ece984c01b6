// RelayMessages.h - the private window messages by which the planner drives the progress window.
//
// Plain message numbers, not offsets from WM_USER. The worker posts them and
// never sends them: it must not wait for the window's thread, which may be
// waiting for the worker.
#pragma once

#include "platform/Window.h"

/// wParam 0: one first leg processed in a relaxation pass; the bar steps by one.
constexpr UINT WM_RELAY_STEP = 8000;
/// wParam: the number of first legs, the steps of the coming pass; the bar's new range.
constexpr UINT WM_RELAY_RANGE = 8001;
