// SafeText.cpp - escaping control characters and broken UTF-8 for display and for messages.
#include "text/SafeText.h"

#include <cstddef>

namespace host {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

void AppendHex(std::string& out, const char* prefix, unsigned char value) {
    out += prefix;
    out += kHexDigits[value >> 4];
    out += kHexDigits[value & 0x0f];
}

/// `point`, at most U+FFFF, as \uNNNN.
void AppendHex4(std::string& out, char32_t point) {
    AppendHex(out, "\\u", static_cast<unsigned char>(point >> 8U));
    AppendHex(out, "", static_cast<unsigned char>(point & 0xFFU));
}

bool IsContinuation(unsigned char byte) {
    return (byte & 0xc0) == 0x80;
}

void AppendControl(std::string& out, unsigned char ch) {
    switch (ch) {
    case '\n': out += "\\n"; break;
    case '\r': out += "\\r"; break;
    case '\t': out += "\\t"; break;
    default: AppendHex(out, "\\x", ch); break;
    }
}

/// True when text[i] starts a C1 control character, U+0080..U+009F: C2 80..C2 9F in UTF-8.
bool StartsC1Control(std::string_view text, std::size_t i) {
    if (static_cast<unsigned char>(text[i]) != 0xC2 || i + 1 >= text.size()) {
        return false;
    }
    const auto next = static_cast<unsigned char>(text[i + 1]);
    return next >= 0x80 && next <= 0x9F;
}

/// The code point of the bidirectional formatting character (U+061C, U+200E, U+200F,
/// U+202A..U+202E, U+2066..U+2069) that starts at `i`, or 0: such a character reorders the
/// text shown after it, so that a crafted name could make a message read as another.
char32_t BidiControlAt(std::string_view text, std::size_t i) {
    const auto at = [&](std::size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0U; };
    if (at(0) == 0xD8 && at(1) == 0x9C) {
        return U'\u061C';
    }
    if (at(0) != 0xE2) {
        return 0;
    }
    const char32_t point = 0x2000U + ((at(1) & 0x3FU) << 6U) + (at(2) & 0x3FU);
    const bool bidi = (at(1) == 0x80 && (at(2) == 0x8E || at(2) == 0x8F || (at(2) >= 0xAA && at(2) <= 0xAE))) ||
                      (at(1) == 0x81 && at(2) >= 0xA6 && at(2) <= 0xA9);
    return bidi ? point : 0;
}

} // namespace

std::size_t Utf8SequenceLength(std::string_view text) {
    if (text.empty()) {
        return 0;
    }
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        secondLow = lead == 0xe0 ? 0xa0 : 0x80;
        secondHigh = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        secondLow = lead == 0xf0 ? 0x90 : 0x80;
        secondHigh = lead == 0xf4 ? 0x8f : 0xbf;
    }
    if (length == 0 || text.size() < length || byte(1) < secondLow || byte(1) > secondHigh) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!IsContinuation(byte(i))) {
            return 0;
        }
    }
    return length;
}

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if (ch < 0x20 || ch == 0x7f) {
            AppendControl(out, ch);
            ++i;
        } else if (ch < 0x80) {
            out += static_cast<char>(ch);
            ++i;
        } else if (const std::size_t length = Utf8SequenceLength(text.substr(i)); length == 0) {
            AppendHex(out, "\\x", ch);
            ++i;
        } else if (ch == 0xc2 && static_cast<unsigned char>(text[i + 1]) < 0xa0) {
            // U+0080..U+009F: C1 controls, which some terminals obey as escape sequences.
            AppendHex(out, "\\u00", static_cast<unsigned char>(text[i + 1]));
            i += length;
        } else {
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

std::string Quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const char32_t bidi = BidiControlAt(text, i); bidi != 0) {
            AppendHex4(quoted, bidi);
            i += bidi == U'\u061C' ? 1 : 2;
            continue;
        }
        auto byte = static_cast<unsigned char>(text[i]);
        const bool c1 = StartsC1Control(text, i);
        if (c1) {
            byte = static_cast<unsigned char>(text[++i]);
        }
        if (c1 || byte < 0x20 || byte == 0x7F) {
            AppendHex(quoted, "\\u00", byte);
        } else if (byte == '\\' || byte == '"') {
            quoted += '\\';
            quoted += static_cast<char>(byte);
        } else {
            quoted += static_cast<char>(byte);
        }
    }
    quoted += '"';
    return quoted;
}

} // namespace host
