// RecordingWindow.h - a test window that records every message its procedure sees, and bounded pumps.
//
// Shared by the window tests and the planner tests: both check what reached a
// window by comparing whole message sequences, and both pump the calling
// thread's queue with a bounded wait instead of sleeping.
#pragma once

#include "platform/Window.h"

#include <ostream>
#include <vector>

struct ReceivedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

    friend bool operator==(const ReceivedMessage&, const ReceivedMessage&) = default;
    friend std::ostream& operator<<(std::ostream& out, const ReceivedMessage& m) {
        return out << "{" << m.message << ", " << m.wParam << ", " << m.lParam << "}";
    }
};

class RecordingWindow : public WindowModel {
public:
    ~RecordingWindow() override { DestroyWindow(GetHandle()); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back({message, wParam, lParam});
        return static_cast<LRESULT>(message) + 1;
    }

    std::vector<ReceivedMessage> received;
    int destroyedCalls = 0;

protected:
    void OnHandleDestroyed() override { ++destroyedCalls; }
};

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
template <typename Predicate>
bool PumpUntil(Predicate done) {
    for (int rounds = 0; rounds < 200 && !done(); ++rounds) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0) {
            PumpPending(10000);
        }
    }
    return done();
}
