// PluginSession.h - one command of a load against a galaxy: OnUserCommand, the message loop, the outcome.
//
// A session runs one command on a PluginLoad (which called OnLoad and
// OnInitialize and calls OnClose when it goes): OnUserCommand with its own
// command map, then the message loop until the plug-in's window is gone. A
// load runs any number of sessions, one after the other. It is the host callback's other half:
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
#include "session/ExportCall.h"
#include "session/PluginLoad.h"
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

struct RunSettings {
    std::int32_t answerDelayMs = 0;                // every answer takes at least this long
    std::optional<std::int32_t> cancelAfterSteps;  // press Cancel after this many step messages
    bool waitForClick = false;                     // leave a message box for a person to close
    CallTrace* trace = nullptr;                    // not owned; null for no trace
};

class PluginSession {
public:
    PluginSession(const PluginLoad& load, Galaxy& galaxy, RunSettings settings);
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    /// One command, from OnUserCommand until the window is gone; throws PluginMisbehaved.
    /// Runs once per session; the load's OnClose comes after it, whatever happens.
    RunOutcome RunCommand();

    /// [any thread] Answers one request of the plug-in in place.
    void Answer(CMapStringToString& request);
    /// [ui thread] Records the plug-in's message box; elsewhere than on Windows also dismisses
    /// it with OK (on Windows the desktop observer presses OK, unless a person is to click it).
    int PresentMessageBox(const char* text);

private:
    void RunMessageLoop();
    /// Handles one message the loop took; true when it pressed Cancel.
    bool TakeMessage(HWND window, const MSG& msg);
    void PressCancel(HWND window);
    bool CancelDue() const;
    /// Cancel is due and not yet pressed.
    bool PressDue() const;

    const PluginLoad& load_;
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

/// Ctrl-C presses the Cancel of the command under way while a guard lives; guards nest, and
/// only the outermost installs the handler and forgets an earlier press. A caller that runs
/// several commands holds one across them, so that a press between two commands is kept.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    /// Ctrl-C was pressed since the outermost guard was made.
    static bool Pressed();
};

/// The address the host gives as "DataManager": the plain function that answers the plug-in.
std::intptr_t HostCallbackAddress();

/// Calls OnLoad and OnAbout with an empty map, then OnClose; the about answer as a
/// JSON object of texts, in the map's key order.
OrderedJson AskAbout(const PluginExports& exports);

} // namespace host
