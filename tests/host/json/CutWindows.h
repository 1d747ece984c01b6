// CutWindows.h - a text handed to the scanner in windows of a few bytes, cut wherever the count falls.
//
// Used where the scanner is checked: every token of a document then lies across some
// window's end, and its reading must give what the whole text gives.
#pragma once

#include "json/JsonScanner.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace host {

/// Windows of `step` new bytes behind what the scanner keeps, copied so that a scanner that
/// reads past a window's end or keeps a view into an old window is caught by a sanitizer.
class CutWindows final : public JsonWindows {
public:
    CutWindows(std::string_view text, std::size_t step) : text_(text), step_(std::max<std::size_t>(step, 1)) {}
    std::string_view Next(std::size_t keep) override {
        const std::size_t from = given_ - keep;
        given_ = std::min(text_.size(), given_ + step_);
        window_.assign(text_.substr(from, given_ - from));
        return window_;
    }

private:
    std::string_view text_;
    std::size_t step_;
    std::size_t given_ = 0;
    std::string window_;
};

} // namespace host
