// SafeText.h - text from a galaxy file made safe to show on a terminal, in a one-line message or in XML.
//
// Names in a galaxy file may hold any bytes. Shown raw, a newline splits a
// one-line error message, an escape sequence drives the user's terminal and
// a stray control character makes an SVG file invalid XML. EscapeControls
// writes each such character as a visible escape instead; everything else,
// including UTF-8 letters of any script, passes unchanged.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

/// The length of the UTF-8 character at the start of `text`: 1 for ASCII, 2 to 4 for a
/// well-formed sequence, 0 when it is not one (overlong forms, surrogates and code points
/// above U+10FFFF included) or `text` is empty.
std::size_t Utf8SequenceLength(std::string_view text);

/// `text` with control characters escaped: \n, \r and \t by name, other C0 characters and
/// DEL as \xNN, C1 characters (U+0080..U+009F) as \u00NN, and every byte that is not part
/// of valid UTF-8 as \xNN. The result holds no control character and is valid UTF-8.
std::string EscapeControls(std::string_view text);

/// `text` in double quotes for a one-line message about a galaxy file's content: control
/// characters (C0, DEL and C1) as \u00NN and a backslash doubled, so a name can neither
/// break the message's line nor reach a terminal as a command, and reads back unambiguously.
std::string Quoted(std::string_view text);

} // namespace host
