// WorkerGate.cpp - the catch-up handshake between the plug-in's worker and the host's loop.
#include "session/WorkerGate.h"

#include "platform/Thread.h"

#include <chrono>
#include <thread>

namespace host {
namespace {

// In the application's private range, far from the plug-in's own message numbers.
constexpr UINT kCatchUpMessage = 0x8000 + 0x54;

// A window that does not raise its worker's priority when stopped gets its stop this late.
constexpr auto kPriorityRiseBound = std::chrono::seconds(2);
// The raise comes within microseconds of the press; the worker looks this often.
constexpr auto kPriorityPoll = std::chrono::microseconds(200);

/// Waits, bounded, until the calling thread's priority is no longer below normal.
void AwaitPriorityRise() {
    const auto deadline = std::chrono::steady_clock::now() + kPriorityRiseBound;
    while (GetThreadPriority(GetCurrentThread()) == THREAD_PRIORITY_BELOW_NORMAL &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(kPriorityPoll);
    }
}

} // namespace

WorkerGate::WorkerGate(bool holdWorkers) : loopThread_(GetCurrentThreadId()), holding_(holdWorkers) {}

bool WorkerGate::IsCatchUp(const MSG& msg) {
    return msg.hwnd == nullptr && msg.message == kCatchUpMessage;
}

bool WorkerGate::HoldsWorkers() const {
    const std::lock_guard lock(mutex_);
    return holding_;
}

void WorkerGate::Enter() {
    std::unique_lock lock(mutex_);
    ++inside_;
    if (!holding_ || pressing_) {
        return;
    }
    const std::uint32_t ticket = ++posted_;
    if (PostThreadMessageA(loopThread_, kCatchUpMessage, static_cast<WPARAM>(ticket), 0) == FALSE) {
        return; // no loop to wait for
    }
    changed_.wait(lock, [&] { return released_ >= ticket || pressing_ || !holding_; });
}

void WorkerGate::Leave() {
    bool pressing = false;
    {
        const std::lock_guard lock(mutex_);
        pressing = pressing_;
    }
    // Outside the lock: the loop's thread is inside the press and may not come back until we go.
    if (pressing) {
        AwaitPriorityRise();
    }
    const std::lock_guard lock(mutex_);
    --inside_;
}

void WorkerGate::Release(const MSG& catchUp) {
    const std::lock_guard lock(mutex_);
    const auto ticket = static_cast<std::uint32_t>(catchUp.wParam);
    if (ticket > released_) {
        released_ = ticket;
    }
    changed_.notify_all();
}

void WorkerGate::BeginPress() {
    const std::lock_guard lock(mutex_);
    pressing_ = true;
    changed_.notify_all();
}

bool WorkerGate::BeginPressWhileNoneInside() {
    const std::lock_guard lock(mutex_);
    if (inside_ > 0) {
        return false;
    }
    pressing_ = true;
    return true;
}

void WorkerGate::Open() {
    const std::lock_guard lock(mutex_);
    holding_ = false;
    changed_.notify_all();
}

GatePassage::GatePassage(WorkerGate& gate, bool onWorker) : gate_(onWorker ? &gate : nullptr) {
    if (gate_ != nullptr) {
        gate_->Enter();
    }
}

GatePassage::~GatePassage() {
    if (gate_ != nullptr) {
        gate_->Leave();
    }
}

} // namespace host
