// TerminalView.h - the plug-in's progress window drawn on a terminal, as the player would see it.
//
// Linux has no desktop here, so the host draws the window itself from the
// window layer's model: its title, a bar that follows the progress control's
// range and position, and its Cancel button (Ctrl-C presses it). It draws on
// the error stream, and only when that stream is a terminal: the report on
// standard output and any redirected output stay clean. The line is redrawn
// in place and stops short of the terminal's last columns, so the terminal
// never wraps it (not even when it echoes "^C") and no stale copy is left
// behind, in any language: widths are counted in display columns, not bytes.
// Beside the plug-in's own bar it shows the queries the host has answered,
// so the line moves while the plug-in works before it gives its bar a range.
//
// [ui thread] Used while the message loop runs, on the thread that owns the window.
#pragma once

#include "platform/Window.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace host {

/// What the terminal line shows of the progress window.
struct ProgressLine {
    std::string title;
    bool hasBar = false;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t position = 0;
    std::string button; // the Cancel button's text; empty when the window has none
    std::int64_t queries = -1; // the host's answers so far, shown beside the bar; negative: not shown
};

class TerminalView {
public:
    /// Draws on file descriptor `fd` when it is a terminal; otherwise never writes a byte.
    explicit TerminalView(int fd);
    ~TerminalView();
    TerminalView(const TerminalView&) = delete;
    TerminalView& operator=(const TerminalView&) = delete;

    /// Redraws `window` (a dialog of the plug-in) when what it shows, or the count of `queries`
    /// answered, has changed, at most every few dozen milliseconds.
    void Show(HWND window, std::int64_t queries);
    /// Takes in what `window` shows now without drawing it: the final state that Close draws.
    void Note(HWND window, std::int64_t queries);
    /// Ends the drawn line: the window's last state noted stays on screen, and what follows
    /// starts on a new line.
    void Close();

    /// What `window` shows, or nothing when it is not a dialog drawn here (always on Windows).
    static std::optional<ProgressLine> Read(HWND window);

    /// `line` in at most `columns` - 3 display columns, leaving room for the "^C" a terminal
    /// echoes when Ctrl-C is pressed: the bar narrows first (30 cells at most), then the Ctrl-C
    /// hint and the button's frame get shorter, then the queries count goes, then the title is cut.
    static std::string Fit(const ProgressLine& line, std::size_t columns);

    /// The terminal's width in columns: the terminal's own answer, else COLUMNS, else 80.
    static std::size_t TerminalColumns(int fd);

private:
    void Write(const std::string& text) const;
    /// Draws `line` fitted to the terminal, unless it is what is on screen already.
    void Draw(const ProgressLine& line);

    int fd_;
    bool enabled_;
    std::string shown_; // the line on screen now; empty when none
    std::optional<ProgressLine> latest_; // the window's state last read, drawn or not
    std::chrono::steady_clock::time_point lastDraw_{};
};

} // namespace host
