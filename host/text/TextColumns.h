// TextColumns.h - how wide UTF-8 text is on a terminal, and padding or cutting it to a width.
//
// Planet names, the plug-in's Russian texts and the report's columns are UTF-8:
// a Cyrillic letter is two bytes but one column. Every character counts as one
// column except combining marks (none); the texts here hold no wide (CJK) letters.
// Invalid UTF-8 counts one column per byte, so nothing is ever lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

/// The columns `text` takes on a terminal.
std::size_t DisplayColumns(std::string_view text);

/// `text` followed by blanks up to `columns`; unchanged when it is that wide already.
std::string PadToColumns(std::string_view text, std::size_t columns);

/// The longest start of `text` that fits in `columns`, never splitting a character.
std::string_view CutToColumns(std::string_view text, std::size_t columns);

} // namespace host
