// MessagePump.h - bounded pumps of the calling thread's message queue, for tests on windows.
//
// Tests pump with a bounded wait instead of sleeping, so a message that never
// comes fails the test in seconds rather than hanging it.
#pragma once

#include "platform/Window.h"

/// Dispatches what this thread's queue holds, at most `limit` messages; never waits.
inline int PumpPending(int limit = 1000000) {
    int dispatched = 0;
    MSG msg;
    while (dispatched < limit && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        DispatchMessageA(&msg);
        ++dispatched;
    }
    return dispatched;
}

/// Dispatches until `done()` holds, waiting at most about ten seconds in all; returns done().
template <typename Predicate> bool PumpUntil(Predicate done) {
    for (int rounds = 0; rounds < 200 && !done(); ++rounds) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
            PumpPending(10000);
        }
    }
    return done();
}
