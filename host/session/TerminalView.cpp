// TerminalView.cpp - one redrawn line: the window's title, its progress bar and its Cancel button, fitted to the terminal.
#include "session/TerminalView.h"

#include "text/TextColumns.h"
#include "platform/DialogModel.h"

#if defined(_WIN32)
#include <io.h>
#define TARVENIX_ISATTY _isatty
#define TARVENIX_WRITE _write
#else
#include <sys/ioctl.h>
#include <unistd.h>
#define TARVENIX_ISATTY ::isatty
#define TARVENIX_WRITE ::write
#endif

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

namespace host {
namespace {

constexpr std::size_t kWidestBar = 30;
constexpr std::size_t kNarrowestBar = 6;
constexpr std::size_t kDefaultColumns = 80;
// A bar that moves on every step would write thousands of lines a second.
constexpr auto kRedrawInterval = std::chrono::milliseconds(40);
constexpr const char* kClearLine = "\r\033[K";
constexpr const char* kGap = "  ";
constexpr const char* kEllipsis = "\xE2\x80\xA6"; // one column

// Kept free at the line's end: the last column, which would make some terminals wrap, and the
// two of the "^C" that the terminal echoes when the player presses Ctrl-C.
constexpr std::size_t kColumnsKeptFree = 3;

/// How the button, the Ctrl-C hint and the queries count are written, longest first.
struct Wording {
    bool framed;   // "[ Cancel ]" rather than "[Cancel]"
    bool longHint; // "(Ctrl-C: Cancel)" rather than "(Ctrl-C)"
    bool hint;
    bool queries;  // "412 queries" beside the bar
};
constexpr Wording kWordings[] = {{true, true, true, true},  {true, false, true, true}, {false, false, true, true},
                                 {false, false, false, true}, {false, false, false, false}};

std::string Digits(std::int32_t value) {
    return std::to_string(value);
}

/// "6/10", padded to the width the counter will reach, so the line does not shift as it counts.
std::string Counter(const ProgressLine& line) {
    const std::string counter = Digits(line.position) + "/" + Digits(line.maximum);
    const std::size_t widest = std::max(Digits(line.maximum).size(), Digits(line.minimum).size()) * 2 + 1;
    return PadToColumns(counter, widest);
}

// Appended piece by piece: "[" + temporaries trips GCC 12's false -Wrestrict report at -O2
// (GCC bug 105329), and a pragma to silence it is unknown to clang, which builds the fuzzers.
std::string Bar(const ProgressLine& line, std::size_t cells) {
    const std::int64_t span = std::int64_t{line.maximum} - line.minimum;
    const std::int64_t done = std::int64_t{line.position} - line.minimum;
    const auto width = static_cast<std::int64_t>(cells);
    const auto filled = static_cast<std::size_t>(span <= 0 ? 0 : std::clamp<std::int64_t>(done * width / span, 0, width));
    std::string bar = "[";
    bar.append(filled, '#').append(cells - filled, '.').push_back(']');
    return bar;
}

std::string Compose(std::string_view title, const ProgressLine& line, std::size_t barCells, const Wording& wording) {
    std::string text(title);
    if (line.hasBar) {
        text.append(kGap).append(Bar(line, barCells)).append(" ").append(Counter(line));
    }
    if (wording.queries && line.queries >= 0) {
        text.append(kGap).append(std::to_string(line.queries)).append(line.queries == 1 ? " query" : " queries");
    }
    const std::string button = line.button.empty() ? std::string("Cancel") : line.button;
    if (!line.button.empty()) {
        text.append(kGap).append(wording.framed ? "[ " + button + " ]" : "[" + button + "]");
    }
    if (wording.hint) {
        text.append(kGap).append(wording.longHint ? "(Ctrl-C: " + button + ")" : "(Ctrl-C)");
    }
    // A counter padded for its widest value leaves blanks at the end of a line that ends with it.
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

/// The title's first `columns` columns, an ellipsis ending it when it had to be cut.
std::string ShortenedTitle(const std::string& title, std::size_t columns) {
    if (DisplayColumns(title) <= columns) {
        return title;
    }
    return columns == 0 ? std::string() : std::string(CutToColumns(title, columns - 1)) + kEllipsis;
}

} // namespace

TerminalView::TerminalView(int fd) : fd_(fd), enabled_(TARVENIX_ISATTY(fd) != 0) {}

TerminalView::~TerminalView() { Close(); }

std::optional<ProgressLine> TerminalView::Read([[maybe_unused]] HWND window) {
#if defined(_WIN32)
    // On Windows the window is a real one, on the desktop; nothing to draw.
    return std::nullopt;
#else
    const auto* dialog = dynamic_cast<const DialogModel*>(WindowModelFromHandle(window));
    if (dialog == nullptr) {
        return std::nullopt;
    }
    ProgressLine line;
    line.title = dialog->Title();
    for (const auto& control : dialog->Controls()) {
        if (const auto* bar = dynamic_cast<const ProgressBarModel*>(control.get())) {
            line.hasBar = true;
            line.minimum = bar->Minimum();
            line.maximum = bar->Maximum();
            line.position = bar->Position();
        } else if (dynamic_cast<const ButtonModel*>(control.get()) != nullptr) {
            line.button = control->Text();
        }
    }
    return line;
#endif
}

std::string TerminalView::Fit(const ProgressLine& line, std::size_t columns) {
    const std::size_t room = columns > kColumnsKeptFree ? columns - kColumnsKeptFree : 0;
    const std::size_t barFloor = line.hasBar ? kNarrowestBar : 0;
    for (const Wording& wording : kWordings) {
        const std::size_t fixed = DisplayColumns(Compose(line.title, line, 0, wording));
        if (fixed + barFloor <= room) {
            const std::size_t bar = line.hasBar ? std::min(kWidestBar, room - fixed) : 0;
            return Compose(line.title, line, bar, wording);
        }
    }
    // Too narrow even for the shortest words: the title gives way, then whatever still does not fit.
    const Wording& shortest = kWordings[std::size(kWordings) - 1];
    const std::size_t rest = DisplayColumns(Compose("", line, barFloor, shortest));
    const std::string title = ShortenedTitle(line.title, room > rest ? room - rest : 0);
    return std::string(CutToColumns(Compose(title, line, barFloor, shortest), room));
}

std::size_t TerminalView::TerminalColumns([[maybe_unused]] int fd) {
#if !defined(_WIN32)
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
#endif
    if (const char* columns = std::getenv("COLUMNS"); columns != nullptr) {
        std::size_t value = 0;
        const std::string_view text(columns);
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc() && end == text.data() + text.size() && value > 0) {
            return value;
        }
    }
    return kDefaultColumns;
}

void TerminalView::Note(HWND window, std::int64_t queries) {
    if (!enabled_) {
        return;
    }
    // A window already gone keeps the state last read: that is the one it ended with.
    if (std::optional<ProgressLine> parts = Read(window)) {
        parts->queries = queries;
        latest_ = std::move(parts);
    } else if (latest_) {
        latest_->queries = queries;
    }
}

void TerminalView::Show(HWND window, std::int64_t queries) {
    Note(window, queries);
    if (!latest_ || (!shown_.empty() && std::chrono::steady_clock::now() - lastDraw_ < kRedrawInterval)) {
        return;
    }
    Draw(*latest_);
}

void TerminalView::Draw(const ProgressLine& parts) {
    // Asked on every redraw: the player may resize the terminal while the plug-in plans.
    const std::string line = Fit(parts, TerminalColumns(fd_));
    if (line.empty() || line == shown_) {
        return;
    }
    Write(kClearLine + line);
    shown_ = line;
    lastDraw_ = std::chrono::steady_clock::now();
}

void TerminalView::Close() {
    if (enabled_ && !shown_.empty()) {
        // The frame left on screen is the window's final state, however soon it came after the
        // last redraw; ended, so that what follows starts on a line of its own.
        if (latest_) {
            Draw(*latest_);
        }
        Write("\n");
        shown_.clear();
    }
    latest_.reset();
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
