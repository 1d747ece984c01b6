// TerminalView.h - the plug-in's progress window drawn on a terminal, as the player would see it.
//
// Linux has no desktop here, so the host draws the window itself from the
// window layer's model: its title, a bar that follows the progress control's
// range and position, and its Cancel button (Ctrl-C presses it). It draws on
// the error stream, and only when that stream is a terminal: the report on
// standard output and any redirected output stay clean. Used on the host's
// thread, which owns the window, while the message loop runs.
#pragma once

#include "platform/Window.h"

#include <chrono>
#include <string>

namespace host {

class TerminalView {
public:
    /// Draws on file descriptor `fd` when it is a terminal; otherwise never writes a byte.
    explicit TerminalView(int fd);
    ~TerminalView();
    TerminalView(const TerminalView&) = delete;
    TerminalView& operator=(const TerminalView&) = delete;

    /// Redraws `window` (a dialog of the plug-in) when what it shows has changed.
    void Show(HWND window);
    /// Clears the drawn line, so that what follows starts on a clean one.
    void Close();

    /// The window as one line of text: title, bar of `barWidth` cells, position, button.
    static std::string Render(HWND window, int barWidth);

private:
    void Write(const std::string& text) const;

    int fd_;
    bool enabled_;
    std::string shown_; // the line on screen now; empty when none
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace host
