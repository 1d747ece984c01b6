// PlannerThread.h - the relay planner: the body of the worker thread of a Distribute Group run.
//
// Runs once per dispatch on its own thread, with the dialog's DispatchContext
// as its argument. It asks the host everything through the context, writes
// "SendGroup" and the plan's orders into `orders`, and reports to the window
// of `progressDialog` only by posts: WM_RELAY_RANGE and WM_RELAY_STEP while it
// works, WM_COMMAND/IDOK as its very last act. When it sees `stopRequested`
// set it drops its working state and returns without posting anything more.
#pragma once

#include "platform/WinTypes.h"

/// [worker] `parameter` is the DispatchContext*; posts only; returns 0 on every path.
DWORD WINAPI PlannerThread(LPVOID parameter);
