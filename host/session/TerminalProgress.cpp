// TerminalProgress.cpp - the progress line: drawn over itself with a carriage return, erased at the end.
#include "session/TerminalProgress.h"

#include <cstdio>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace host {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(100);
constexpr std::size_t kWidth = 60;

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
    return ::_isatty(2) != 0;
#else
    return ::isatty(2) != 0;
#endif
}

} // namespace

TerminalProgress::TerminalProgress(std::string what) : what_(std::move(what)), terminal_(StandardErrorIsTerminal()) {
    if (what_.size() > kWidth - 8) {
        what_.resize(kWidth - 11);
        what_ += "...";
    }
}

TerminalProgress::~TerminalProgress() {
    if (drawn_) {
        // Blanks over the line, then back to its start: the next text starts on a clean line.
        std::fprintf(stderr, "\r%*s\r", static_cast<int>(kWidth), "");
        std::fflush(stderr);
    }
}

void TerminalProgress::Show(std::uint64_t done, std::uint64_t total) {
    const auto now = std::chrono::steady_clock::now();
    if (!terminal_ || total == 0 || (drawn_ && now - lastDrawn_ < kRedrawEvery)) {
        return;
    }
    lastDrawn_ = now;
    drawn_ = true;
    const auto percent = static_cast<unsigned>(done >= total ? 100 : done * 100 / total);
    std::fprintf(stderr, "\r%s: %3u%%", what_.c_str(), percent);
    std::fflush(stderr);
}

} // namespace host
