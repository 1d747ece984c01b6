// TextColumns.cpp - UTF-8 characters counted by their lead bytes.
#include "text/TextColumns.h"

namespace host {
namespace {

bool IsContinuationByte(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

/// Where the character that starts at `at` ends; a stray continuation byte is a character of its own.
std::size_t NextCharacter(std::string_view text, std::size_t at) {
    std::size_t next = at + 1;
    if (static_cast<unsigned char>(text[at]) >= 0xC0) {
        while (next < text.size() && IsContinuationByte(text[next])) {
            ++next;
        }
    }
    return next;
}

} // namespace

std::size_t DisplayColumns(std::string_view text) {
    std::size_t columns = 0;
    for (std::size_t at = 0; at < text.size(); at = NextCharacter(text, at)) {
        ++columns;
    }
    return columns;
}

std::string PadToColumns(std::string_view text, std::size_t columns) {
    std::string padded(text);
    const std::size_t width = DisplayColumns(text);
    if (width < columns) {
        padded.append(columns - width, ' ');
    }
    return padded;
}

std::string_view CutToColumns(std::string_view text, std::size_t columns) {
    std::size_t at = 0;
    for (std::size_t taken = 0; at < text.size() && taken < columns; ++taken) {
        at = NextCharacter(text, at);
    }
    return text.substr(0, at);
}

} // namespace host
