// WorkerGate.h - keeps the plug-in's worker in step with the host's message loop, so that a
// Cancel the host presses lands after an exact number of progress steps.
//
// The worker posts its progress and its completion and never waits for the
// window, so on its own it can run any distance ahead of the loop that counts
// its steps. The host's callback is the one place where the host runs on the
// worker's thread. While the gate holds workers, every answer first posts a
// catch-up message to the loop's thread and waits until the loop has taken
// it: by then the loop has dispatched everything the worker posted before
// this call. When the loop presses Cancel instead of letting the worker go,
// the worker stays in the callback until the window has raised its priority:
// the progress window raises it only after it has set its stop flag, so the
// worker leaves the callback seeing the stop, and does the same work whatever
// the threads' timing. A worker whose priority was never lowered gives no such
// sign and goes on at once; one that is never raised goes on after a bound.
#pragma once

#include "platform/Window.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace host {

class WorkerGate {
public:
    /// [ui thread] A gate for the calling thread's message loop; `holdWorkers` false lets every
    /// call through.
    explicit WorkerGate(bool holdWorkers);
    WorkerGate(const WorkerGate&) = delete;
    WorkerGate& operator=(const WorkerGate&) = delete;

    /// The host's own message that tells the loop a worker waits for it; never the plug-in's.
    static bool IsCatchUp(const MSG& msg);

    bool HoldsWorkers() const;

    /// [worker] Start of an answer: waits until the loop has taken this call's catch-up message.
    void Enter();
    /// [worker] End of an answer: once a press has begun, waits until the worker's priority rose.
    void Leave();

    /// [ui thread] The loop took a catch-up message and lets its worker go on.
    void Release(const MSG& catchUp);
    /// [ui thread] Cancel is about to be pressed: workers in or entering the callback wait for
    /// its effect.
    void BeginPress();
    /// [ui thread] As BeginPress, but only when no worker is inside the callback; false otherwise.
    bool BeginPressWhileNoneInside();
    /// [ui thread] The loop is over: nothing is held any more, whatever comes.
    void Open();

private:
    const DWORD loopThread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool holding_;
    bool pressing_ = false;
    std::uint32_t posted_ = 0;   // catch-up messages sent, each numbered
    std::uint32_t released_ = 0; // the highest number the loop has taken
    std::int32_t inside_ = 0;    // workers between Enter and Leave
};

/// Holds a worker's answer in the gate for its lifetime; does nothing on the loop's own thread.
class GatePassage {
public:
    GatePassage(WorkerGate& gate, bool onWorker);
    ~GatePassage();
    GatePassage(const GatePassage&) = delete;
    GatePassage& operator=(const GatePassage&) = delete;

private:
    WorkerGate* gate_; // null on the loop's own thread
};

} // namespace host
