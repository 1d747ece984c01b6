// TerminalProgress.h - one line of progress for long work of the host's own, drawn on standard error when it is a terminal.
//
// Loading a large galaxy and surveying every group take seconds; a player at a
// terminal sees a line such as "loading big.json: 42%" that changes at most ten
// times a second and is erased when the work ends (or the object goes). On a
// pipe or a file nothing is written, so the output of a script stays the same.
// The line keeps to 60 columns, leaving room for an echoed ^C.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace host {

class TerminalProgress {
public:
    /// `what` names the work: "loading big.json".
    explicit TerminalProgress(std::string what);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    /// `done` of `total` (bytes, groups) are done; redrawn when a tenth of a second has passed.
    void Show(std::uint64_t done, std::uint64_t total);

    /// Whether standard error is a terminal, so that anything is drawn at all.
    bool Drawing() const { return terminal_; }

private:
    std::string what_;
    bool terminal_ = false;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

} // namespace host
