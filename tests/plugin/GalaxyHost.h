// GalaxyHost.h - an in-process host for the plug-in's tests: the host's real answerer over a galaxy, a gate, pumps.
//
// The callback is a plain function, as the plug-in expects; it reaches the one
// current GalaxyHost through a static pointer. Calls may come from the UI
// thread or the worker; each is recorded as its request text ("Function" and
// the parameters joined by blanks) under a mutex. `beforeAnswer` runs on the
// calling thread with no lock held, so it may block the worker at an exact
// point of a run (see Gate).
#pragma once

#include "galaxy/DemoGalaxy.h"
#include "galaxy/Galaxy.h"
#include "galaxy/GalaxyFile.h"
#include "answer/QueryAnswerer.h"
#include "platform/CMapStringToString.h"
#include "platform/MapEntries.h"
#include "platform/MessagePump.h"
#include "platform/Window.h"

#include <atomic>
#include <cassert>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace plugin_test {

class GalaxyHost {
public:
    explicit GalaxyHost(std::string_view json = host::DemoGalaxyJson())
        : galaxy_(host::ParseGalaxyJson(json, "test galaxy")), answerer_(galaxy_) {
        assert(current_ == nullptr && "one GalaxyHost at a time");
        current_ = this;
        answerer_.SetSelectionId(galaxy_.SelectedGroup().number);
    }
    ~GalaxyHost() { current_ = nullptr; }
    GalaxyHost(const GalaxyHost&) = delete;
    GalaxyHost& operator=(const GalaxyHost&) = delete;

    static void Callback(CMapStringToString& request) { current_->Handle(request); }
    /// "DataManager" as the host writes it: the callback's address in decimal.
    static std::string CallbackAddress() {
        return std::to_string(reinterpret_cast<std::intptr_t>(&GalaxyHost::Callback));
    }

    /// Fills a command map as the host does for the selected group: "Command", "GameName", "Turn", "SID".
    void FillCommand(CMapStringToString& command, const char* commandText) const {
        command["Command"] = commandText;
        command["GameName"] = galaxy_.Game().c_str();
        command["Turn"] = std::to_string(galaxy_.Turn()).c_str();
        command["SID"] = std::to_string(galaxy_.SelectedGroup().number).c_str();
    }

    std::vector<std::string> Requests() const {
        const std::lock_guard lock(mutex_);
        return requests_;
    }
    int CountOf(std::string_view function) const {
        int count = 0;
        for (const std::string& text : Requests()) {
            count += text.substr(0, text.find(' ')) == function ? 1 : 0;
        }
        return count;
    }
    std::vector<host::OrderResult> Orders() const {
        const std::lock_guard lock(mutex_);
        return answerer_.OrderResults();
    }
    host::Galaxy& TheGalaxy() { return galaxy_; }

    std::function<void(const std::string& text)> beforeAnswer; // optional; set before a run

private:
    void Handle(CMapStringToString& request) {
        const std::string text = platform_test::RequestText(platform_test::Entries(request));
        {
            const std::lock_guard lock(mutex_);
            requests_.push_back(text);
        }
        if (beforeAnswer) {
            beforeAnswer(text);
        }
        const std::lock_guard lock(mutex_);
        answerer_.Answer(request);
    }

    host::Galaxy galaxy_;
    host::QueryAnswerer answerer_;
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    static inline GalaxyHost* current_ = nullptr;
};

/// Holds the worker at one point of a run until the test opens the gate or a stop is requested.
class Gate {
public:
    /// [worker] Marks the arrival, then waits (at most 10 s) for Open or for `*stopFlag` to be set.
    void Arrive(const std::atomic<std::int32_t>* stopFlag) {
        std::unique_lock lock(mutex_);
        arrived_ = true;
        changed_.notify_all();
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!open_ && (stopFlag == nullptr || stopFlag->load() == 0) &&
               std::chrono::steady_clock::now() < deadline) {
            changed_.wait_for(lock, std::chrono::milliseconds(5));
        }
    }
    /// [test] True once the worker has arrived (waits at most 10 s).
    bool WaitArrived() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), [this] { return arrived_; });
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool arrived_ = false;
    bool open_ = false;
};

/// Dispatches the calling thread's messages until `window` is gone; false after 10 s.
inline bool PumpUntilGone(HWND window) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (IsWindow(window) != FALSE) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (IsWindow(window) != FALSE && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
            DispatchMessageA(&msg);
        }
    }
    return true;
}

/// The threads of this process now; a worker that has ended and been joined is gone from it.
/// The first call starts and joins a thread that does nothing, so that a helper thread a
/// runtime starts with the first new thread (the thread sanitizer's) is counted from the
/// start and never taken for a worker left behind. A thread just joined may still be
/// listed for a moment while the kernel finishes with it, so the count is the one that
/// has held still for 10 ms (waiting a second at most).
inline std::size_t ThreadCount() {
    static const bool runtimeThreadsStarted = [] {
        std::thread([] {}).join();
        return true;
    }();
    (void)runtimeThreadsStarted;
    const auto listed = [] {
        const std::filesystem::directory_iterator tasks("/proc/self/task");
        return static_cast<std::size_t>(std::distance(begin(tasks), end(tasks)));
    };
    using Clock = std::chrono::steady_clock;
    const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(1);
    std::size_t count = listed();
    Clock::time_point stillSince = Clock::now();
    while (Clock::now() - stillSince < std::chrono::milliseconds(10) && Clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (const std::size_t now = listed(); now != count) {
            count = now;
            stillSince = Clock::now();
        }
    }
    return count;
}

} // namespace plugin_test
