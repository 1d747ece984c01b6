// ShellText.cpp - shell words, and the host's own name as the player typed it.
#include "text/ShellText.h"

#include "text/SafeText.h"

#include <algorithm>
#include <cctype>

namespace host {
namespace {

std::string& RememberedHostAsRun() {
    static std::string command = "tarvenix-host";
    return command;
}

#if !defined(_WIN32)
/// A character that messages escape (EscapeControls): a C0 or C1 control, DEL, or a byte that is
/// not UTF-8. `length` is what Utf8SequenceLength gave for it, 0 for a stray byte.
bool ShownAsEscape(std::string_view character, std::size_t length) {
    const auto lead = static_cast<unsigned char>(character[0]);
    if (length == 0) {
        return true;
    }
    if (length == 1) {
        return lead < 0x20 || lead == 0x7f;
    }
    return length == 2 && lead == 0xc2 && static_cast<unsigned char>(character[1]) <= 0x9f;
}

bool HoldsEscapedCharacters(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text.substr(at));
        if (ShownAsEscape(text.substr(at), length)) {
            return true;
        }
        at += length;
    }
    return false;
}

void AppendByteEscape(std::string& word, unsigned char byte) {
    constexpr char kHex[] = "0123456789abcdef";
    switch (byte) {
    case '\t': word += "\\t"; break;
    case '\n': word += "\\n"; break;
    case '\r': word += "\\r"; break;
    default:
        word += "\\x";
        word += kHex[byte >> 4];
        word += kHex[byte & 0x0f];
        break;
    }
}

/// `text` in the shell's ANSI-C quotes ($'...'), every character a message would escape written
/// as the shell's own escape of its bytes: the word reads the same in a message and in the shell.
std::string AnsiCQuoted(std::string_view text) {
    std::string word = "$'";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = Utf8SequenceLength(text.substr(at));
        const std::string_view character = text.substr(at, std::max<std::size_t>(length, 1));
        if (ShownAsEscape(character, length)) {
            for (const char byte : character) {
                AppendByteEscape(word, static_cast<unsigned char>(byte));
            }
        } else if (character == "'" || character == "\\") {
            word.append(1, '\\').append(character);
        } else {
            word.append(character);
        }
        at += character.size();
    }
    return word + "'";
}
#endif

} // namespace

std::string ShellWord(std::string_view text) {
    const bool plain = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || std::string_view("_./-+,:@=").find(c) != std::string_view::npos;
    });
    if (plain) {
        return std::string(text);
    }
#if defined(_WIN32)
    std::string quoted = "\"";
    return quoted.append(text).append("\"");
#else
    // A message shows a tab, a line break or a stray byte as an escape (\t, \x..), which inside
    // plain quotes would name another file: such a word takes the quotes that read those escapes.
    if (HoldsEscapedCharacters(text)) {
        return AnsiCQuoted(text);
    }
    std::string word = "'";
    for (const char c : text) {
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return word + "'";
#endif
}

void RememberHostAsRun(std::string_view invokedAs) {
    if (!invokedAs.empty()) {
        RememberedHostAsRun() = ShellWord(invokedAs);
    }
}

const std::string& HostAsRun() {
    return RememberedHostAsRun();
}

} // namespace host
