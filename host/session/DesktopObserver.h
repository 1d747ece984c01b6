// DesktopObserver.h - what the Windows host sees of the plug-in's windows: its message box, a
// Cancel press.
//
// On Windows the plug-in's message box is the system's and its progress window
// a real dialog that a person can click; neither passes through the host's
// code. A DesktopObserver watches the calling thread's windows while it lives
// (two thread hooks, removed in the destructor) and reports the text of each
// message box that opens (as UTF-8) and each Cancel press that reaches the
// watched dialog: a click on one of its buttons or its IDCANCEL command. It
// presses a box's default button itself, as the host promises, unless told
// to leave the box for a person to close. One observer per thread; it must
// be destroyed on the thread that made it.
// Elsewhere there is nothing to watch: this type exists on Windows only.
#pragma once

#if defined(_WIN32)
#include "platform/WinTypes.h"

#include <functional>
#include <string>

namespace host {

class DesktopObserver {
public:
    using BoxShown = std::function<void(const std::string& text)>;
    using CancelPressed = std::function<void()>;
    enum class Boxes { PressDefault, LeaveOpen };

    DesktopObserver(BoxShown boxShown, CancelPressed cancelPressed, Boxes boxes);
    ~DesktopObserver();
    DesktopObserver(const DesktopObserver&) = delete;
    DesktopObserver& operator=(const DesktopObserver&) = delete;

    /// The dialog whose Cancel presses are reported; null for none.
    void Watch(HWND dialog) { watched_ = dialog; }

private:
    static LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK OnSentMessage(int code, WPARAM wParam, LPARAM lParam);

    BoxShown boxShown_;
    CancelPressed cancelPressed_;
    Boxes boxes_;
    HWND watched_ = nullptr;
    HHOOK windowEvents_ = nullptr;
    HHOOK sentMessages_ = nullptr;
};

/// The first visible dialog among the calling thread's top-level windows, or null.
HWND FindThreadDialog();

/// A text of the plug-in, which an ANSI module writes in the system's ANSI code page, as UTF-8.
std::string Utf8FromAnsi(const std::string& text);

} // namespace host
#endif
