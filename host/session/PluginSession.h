// PluginSession.h - one run of the plug-in's command against a galaxy, in the host's order of calls.
//
// A session drives a loaded module: OnLoad, OnInitialize with the host's
// settings, the registered menu item, OnUserCommand, the message loop until
// the plug-in's window is gone, OnClose. It is the host callback's other half:
// while RunCommand runs, the plain-function callback and the message-box
// presenter reach this session through one process-wide pointer, so only one
// session may run at a time. Calls of the callback are serialised and may
// come from any thread; each is labelled "ui" (the thread that runs the
// session) or "worker". The session borrows the exports, the galaxy (which
// "Add" changes) and the trace; all must outlive it.
#pragma once

#include "session/CallTrace.h"
#include "galaxy/Galaxy.h"
#include "json/JsonText.h"
#include "session/PluginModule.h"
#include "answer/RunOutcome.h"
#include "answer/QueryAnswerer.h"
#include "session/WorkerGate.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

class CMapStringToString;

namespace host {

#if defined(_WIN32)
class DesktopObserver;
#endif

/// The plug-in broke the host's contract (no menu item, an exception out of an export); exit 1.
class PluginMisbehaved : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct RunSettings {
    std::int32_t answerDelayMs = 0;                // every answer takes at least this long
    std::optional<std::int32_t> cancelAfterSteps;  // press Cancel after this many step messages
    bool waitForClick = false;                     // leave a message box for a person to close
    CallTrace* trace = nullptr;                    // not owned; null for no trace
};

class PluginSession {
public:
    PluginSession(const PluginExports& exports, Galaxy& galaxy, RunSettings settings);
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    /// The whole run; throws PluginMisbehaved. OnClose is called on every path after OnLoad.
    RunOutcome RunCommand();

    /// [any thread] Answers one request of the plug-in in place.
    void Answer(CMapStringToString& request);
    /// [ui thread] Records the plug-in's message box; elsewhere than on Windows also dismisses
    /// it with OK (on Windows the desktop observer presses OK, unless a person is to click it).
    int PresentMessageBox(const char* text);

private:
    void InitializePlugin();
    void RunMessageLoop();
    /// Handles one message the loop took; true when it pressed Cancel.
    bool TakeMessage(HWND window, const MSG& msg);
    void PressCancel(HWND window);
    bool CancelDue() const;
    /// Cancel is due and not yet pressed.
    bool PressDue() const;

    const PluginExports& exports_;
    Galaxy& galaxy_;
    RunSettings settings_;
    QueryAnswerer answerer_;
    std::thread::id uiThread_;
    std::mutex answerMutex_;  // a misbehaving plug-in could call from two threads at once
    RunOutcome outcome_;
    std::int32_t stepsDispatched_ = 0;
    std::atomic<std::int64_t> queriesAnswered_{0}; // outcome_.queries, for the terminal view to read while workers ask
    std::optional<WorkerGate> gate_; // while RunCommand runs
#if defined(_WIN32)
    DesktopObserver* observer_ = nullptr; // while RunCommand runs
#endif
};

/// Calls OnLoad and OnAbout with an empty map, then OnClose; the about answer as a
/// JSON object of texts, in the map's key order.
OrderedJson AskAbout(const PluginExports& exports);

} // namespace host
