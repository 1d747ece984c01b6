// TerminalView.cpp - one redrawn line: the window's title, its progress bar and its Cancel button.
#include "host/TerminalView.h"

#include "platform/DialogModel.h"

#if defined(_WIN32)
#include <io.h>
#define TARVENIX_ISATTY _isatty
#define TARVENIX_WRITE _write
#else
#include <unistd.h>
#define TARVENIX_ISATTY ::isatty
#define TARVENIX_WRITE ::write
#endif

#include <algorithm>
#include <cstdint>
#include <vector>

namespace host {
namespace {

constexpr int kBarWidth = 30;
// A bar that moves on every step would write thousands of lines a second.
constexpr auto kRedrawInterval = std::chrono::milliseconds(40);
constexpr const char* kClearLine = "\r\033[K";

#if !defined(_WIN32)
std::string Bar(const ProgressBarModel& bar, int width) {
    const std::int64_t span = std::int64_t{bar.Maximum()} - bar.Minimum();
    const std::int64_t done = std::int64_t{bar.Position()} - bar.Minimum();
    const int filled = span <= 0 ? 0 : static_cast<int>(std::clamp<std::int64_t>(done * width / span, 0, width));
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(width - filled), '.') + "] " +
           std::to_string(bar.Position()) + "/" + std::to_string(bar.Maximum());
}
#endif

} // namespace

TerminalView::TerminalView(int fd) : fd_(fd), enabled_(TARVENIX_ISATTY(fd) != 0) {}

TerminalView::~TerminalView() { Close(); }

std::string TerminalView::Render(HWND window, [[maybe_unused]] int barWidth) {
#if defined(_WIN32)
    // On Windows the window is a real one, on the desktop; nothing to draw.
    (void)window;
    return {};
#else
    const auto* dialog = dynamic_cast<const DialogModel*>(WindowModelFromHandle(window));
    if (dialog == nullptr) {
        return {};
    }
    // Left to right, as the controls stand in the window.
    std::vector<const ControlModel*> controls;
    for (const auto& control : dialog->Controls()) {
        controls.push_back(control.get());
    }
    std::stable_sort(controls.begin(), controls.end(), [](const ControlModel* a, const ControlModel* b) {
        return a->Resource().x < b->Resource().x;
    });
    std::string line = dialog->Title();
    for (const ControlModel* control : controls) {
        if (const auto* bar = dynamic_cast<const ProgressBarModel*>(control)) {
            line += "  " + Bar(*bar, barWidth);
        } else if (dynamic_cast<const ButtonModel*>(control) != nullptr) {
            line += "  [ " + control->Text() + " ]";
        }
    }
    return line;
#endif
}

void TerminalView::Show(HWND window) {
    if (!enabled_) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!shown_.empty() && now - lastDraw_ < kRedrawInterval) {
        return;
    }
    const std::string line = Render(window, kBarWidth);
    if (line.empty() || line == shown_) {
        return;
    }
    Write(kClearLine + line + "  (Ctrl-C: Cancel)");
    shown_ = line;
    lastDraw_ = now;
}

void TerminalView::Close() {
    if (enabled_ && !shown_.empty()) {
        Write(kClearLine);
        shown_.clear();
    }
}

void TerminalView::Write(const std::string& text) const {
    // Straight to the descriptor: the line must not wait in a stream's buffer.
    std::size_t written = 0;
    while (written < text.size()) {
        const auto result = TARVENIX_WRITE(fd_, text.data() + written, static_cast<unsigned>(text.size() - written));
        if (result <= 0) {
            return;
        }
        written += static_cast<std::size_t>(result);
    }
}

} // namespace host
