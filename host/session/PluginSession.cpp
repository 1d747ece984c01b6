// PluginSession.cpp - the host callback, the run of one command and the host's message loop.
#include "session/PluginSession.h"

#include "session/DesktopObserver.h"
#include "session/MapEntries.h"
#include "session/TerminalView.h"
#include "files/HiddenFiles.h"
#include "platform/CMapStringToString.h"
#include "platform/MessageBox.h"
#include "platform/RelayMessages.h"
#include "platform/Window.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace host {
namespace {

/// How long the loop waits for a message before it looks at Ctrl-C again.
constexpr DWORD kLoopPollMs = 50;
/// Cancel is due, but no worker has come to be held: a window without a worker is pressed this late.
constexpr auto kNoWorkerBound = std::chrono::seconds(1);

// The callback is a plain function with no user data: this is how it finds the session.
std::atomic<PluginSession*> g_activeSession{nullptr};
// Set by the Ctrl-C handler, acted on by the message loop.
std::atomic<bool> g_interruptPressed{false};

void HostCallback(CMapStringToString& request) {
    if (PluginSession* session = g_activeSession.load()) {
        session->Answer(request);
    }
}

#if !defined(_WIN32)
int PresentMessageBox(const char* text, UINT /*type*/) {
    if (PluginSession* session = g_activeSession.load()) {
        return session->PresentMessageBox(text);
    }
    return IDOK;
}
#endif

/// Makes a session the callback's target for its lifetime, and the presenter of message boxes.
class ActiveSessionGuard {
public:
    explicit ActiveSessionGuard(PluginSession& session) {
        PluginSession* expected = nullptr;
        if (!g_activeSession.compare_exchange_strong(expected, &session)) {
            throw PluginMisbehaved("a plug-in session is already running");
        }
#if !defined(_WIN32)
        previousPresenter_ = AfxSetMessageBoxPresenter(&PresentMessageBox);
#endif
    }
    ~ActiveSessionGuard() {
#if !defined(_WIN32)
        AfxSetMessageBoxPresenter(previousPresenter_);
#endif
        g_activeSession.store(nullptr);
    }
    ActiveSessionGuard(const ActiveSessionGuard&) = delete;
    ActiveSessionGuard& operator=(const ActiveSessionGuard&) = delete;

private:
#if !defined(_WIN32)
    MessageBoxPresenter previousPresenter_ = nullptr;
#endif
};

extern "C" void OnInterrupt(int) {
    g_interruptPressed.store(true);
    // A second Ctrl-C ends the host, should the plug-in not react: its outputs' hidden files go with it.
    std::signal(SIGINT, &EndOnSignal);
}

/// Lets every held worker go when the run leaves, however it leaves, before OnClose waits for it.
class OpenGateAtEnd {
public:
    explicit OpenGateAtEnd(WorkerGate& gate) : gate_(gate) {}
    ~OpenGateAtEnd() { gate_.Open(); }
    OpenGateAtEnd(const OpenGateAtEnd&) = delete;
    OpenGateAtEnd& operator=(const OpenGateAtEnd&) = delete;

private:
    WorkerGate& gate_;
};

#if defined(_WIN32)
/// The plug-in's window: on a real desktop the host's thread may own system windows of its
/// own, so it is the first visible dialog among them, or null.
HWND FindPluginWindow() { return FindThreadDialog(); }

/// Dialog keys (Esc, Tab, Space on the button) become the dialog's commands, as in any host.
void Deliver(HWND dialog, MSG& msg) {
    if (IsDialogMessageA(dialog, &msg) == FALSE) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
#else
BOOL CALLBACK CollectFirstWindow(HWND window, LPARAM found) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

/// The plug-in's window: the first top-level window of the host's thread, or null.
HWND FindPluginWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &CollectFirstWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

void Deliver(HWND /*dialog*/, MSG& msg) { DispatchMessageA(&msg); }
#endif

/// Dispatches what is queued without waiting; the plug-in may have posted on its way out.
void DispatchQueued() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

// Nesting depth of the interrupt guards; only the host's thread makes them.
int g_interruptGuards = 0;
void (*g_previousInterruptHandler)(int) = SIG_DFL;

} // namespace

InterruptGuard::InterruptGuard() {
    if (g_interruptGuards++ == 0) {
        g_interruptPressed.store(false);
        g_previousInterruptHandler = std::signal(SIGINT, &OnInterrupt);
    }
}

InterruptGuard::~InterruptGuard() {
    if (--g_interruptGuards == 0) {
        std::signal(SIGINT, g_previousInterruptHandler == SIG_ERR ? SIG_DFL : g_previousInterruptHandler);
    }
}

bool InterruptGuard::Pressed() { return g_interruptPressed.load(); }

std::intptr_t HostCallbackAddress() { return reinterpret_cast<std::intptr_t>(&HostCallback); }

PluginSession::PluginSession(const PluginLoad& load, Galaxy& galaxy, RunSettings settings)
    : load_(load), galaxy_(galaxy), settings_(settings), answerer_(galaxy) {}

RunOutcome PluginSession::RunCommand() {
    outcome_ = RunOutcome{};
    stepsDispatched_ = 0;
    uiThread_ = std::this_thread::get_id();
    outcome_.menuItemId = load_.MenuItemId();
    outcome_.menuText = load_.MenuText();
    ActiveSessionGuard active(*this);

    const Group& selected = galaxy_.SelectedGroup();
    answerer_.SetSelectionId(selected.number);
    answerer_.SetMenuItemId(outcome_.menuItemId);
    CMapStringToString command;
    command["Command"] = outcome_.menuText.c_str();
    command["GameName"] = galaxy_.Game().c_str();
    command["Turn"] = std::to_string(galaxy_.Turn()).c_str();
    command["SID"] = std::to_string(selected.number).c_str();

    // Ctrl-C from here on presses Cancel, as soon as there is a window to press it on.
    InterruptGuard interrupt;
#if defined(_WIN32)
    // The real message box and the real Cancel button do not pass through the host's code.
    DesktopObserver observer([this](const std::string& text) { PresentMessageBox(text.c_str()); },
                             [this] { outcome_.cancelPressed = true; },
                             settings_.waitForClick ? DesktopObserver::Boxes::LeaveOpen
                                                    : DesktopObserver::Boxes::PressDefault);
    observer_ = &observer;
#endif
    // Only a Cancel due after a number of steps needs the worker in step with the loop.
    gate_.emplace(settings_.cancelAfterSteps.has_value());
    OpenGateAtEnd openGate(*gate_);
    const auto started = std::chrono::steady_clock::now();
    CallExport("OnUserCommand", [&] { load_.Exports().onUserCommand(command); });
    RunMessageLoop();
    outcome_.planMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
#if defined(_WIN32)
    observer_ = nullptr;
#endif
    outcome_.orders = answerer_.OrderResults();
    outcome_.answerFaults += answerer_.Faults();
    return outcome_;
}

bool PluginSession::CancelDue() const {
    if (g_interruptPressed.load()) {
        return true;
    }
    return settings_.cancelAfterSteps && stepsDispatched_ >= *settings_.cancelAfterSteps;
}

bool PluginSession::PressDue() const { return !outcome_.cancelPressed && CancelDue(); }

void PluginSession::RunMessageLoop() {
    TerminalView view(2); // the error stream, when it is a terminal
    auto lastTaken = std::chrono::steady_clock::now();
    for (HWND window = FindPluginWindow(); window != nullptr; window = FindPluginWindow()) {
        view.Show(window, queriesAnswered_.load(std::memory_order_relaxed));
#if defined(_WIN32)
        observer_->Watch(window);
#endif
        // Without held workers there is nothing to wait for: the press goes in at once.
        if (PressDue() && !gate_->HoldsWorkers()) {
            PressCancel(window);
            continue;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kLoopPollMs, QS_ALLINPUT);
        MSG msg;
        bool pressed = false;
        while (!pressed && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            lastTaken = std::chrono::steady_clock::now();
            pressed = TakeMessage(window, msg);
            // Every state the window passes through is noted: the last is the frame left on screen.
            view.Note(window, queriesAnswered_.load(std::memory_order_relaxed));
            if (PressDue() && !gate_->HoldsWorkers()) {
                break; // press Cancel before anything else is dispatched
            }
        }
        // A window whose worker never came (it failed to start) still gets its Cancel.
        if (!pressed && PressDue() && std::chrono::steady_clock::now() - lastTaken > kNoWorkerBound &&
            gate_->BeginPressWhileNoneInside()) {
            PressCancel(window);
        }
    }
    view.Close();
    DispatchQueued();
}

bool PluginSession::TakeMessage(HWND window, const MSG& msg) {
    if (WorkerGate::IsCatchUp(msg)) {
        // Everything the waiting worker posted before its call has been dispatched by now.
        if (PressDue()) {
            PressCancel(window);
            return true;
        }
        gate_->Release(msg);
        return false;
    }
    if (PressDue() && msg.hwnd == window) {
        // Kept from the window: the press drops its queued messages all the same. Its
        // completion is the worker's last post, so the press need wait for nothing more.
        if (msg.message == WM_COMMAND && msg.wParam == static_cast<WPARAM>(IDOK)) {
            PressCancel(window);
            return true;
        }
        return false;
    }
    MSG taken = msg;
    const bool step = taken.hwnd == window && taken.message == WM_RELAY_STEP;
    Deliver(window, taken);
    if (step) {
        ++stepsDispatched_;
    }
    return false;
}

void PluginSession::PressCancel(HWND window) {
    gate_->BeginPress();
    outcome_.cancelPressed = true;
    // Sent, not posted: handled at once, before anything queued behind it, as a click is.
    SendMessageA(window, WM_COMMAND, static_cast<WPARAM>(IDCANCEL), 0);
}

void PluginSession::Answer(CMapStringToString& request) {
    const CallerThread thread =
        std::this_thread::get_id() == uiThread_ ? CallerThread::Ui : CallerThread::Worker;
    // Held before the lock: the loop's thread takes it too, for a message box.
    std::optional<GatePassage> passage;
    if (gate_) {
        passage.emplace(*gate_, thread == CallerThread::Worker);
    }
    std::lock_guard lock(answerMutex_);
    try {
        if (settings_.trace != nullptr) {
            settings_.trace->KeepRequest(request);
        }
        if (settings_.answerDelayMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(settings_.answerDelayMs));
        }
        CString function;
        request.Lookup("Function", function);
        if (function == "Add") {
            ++outcome_.addRequests;
        } else {
            ++outcome_.queries;
            queriesAnswered_.fetch_add(1, std::memory_order_relaxed);
        }
        answerer_.Answer(request);
        if (settings_.trace != nullptr) {
            settings_.trace->Record(thread, request);
        }
    } catch (...) {
        // Nothing may unwind into the plug-in; an unanswered request reads as empty there,
        // and the run's summary tells the fault from an unknown request.
        ++outcome_.answerFaults;
    }
}

int PluginSession::PresentMessageBox(const char* text) {
    std::lock_guard lock(answerMutex_);
    outcome_.messageBox = text != nullptr ? text : "";
    return IDOK;
}

OrderedJson AskAbout(const PluginExports& exports) {
    CMapStringToString about;
    CallExport("OnLoad", [&] { exports.onLoad(); });
    try {
        CallExport("OnAbout", [&] { exports.onAbout(about); });
    } catch (...) {
        try {
            exports.onClose();
        } catch (...) {
            // the first fault is the one to report
        }
        throw;
    }
    CallExport("OnClose", [&] { exports.onClose(); });
    return MapToJson(about);
}

} // namespace host
