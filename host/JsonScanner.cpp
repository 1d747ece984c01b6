// JsonScanner.cpp - the scanner's tokens: strings checked and decoded as nlohmann's lexer does, numbers converted as it converts them.
#include "host/JsonScanner.h"

#include "host/SafeText.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace host {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Moves `p` past a run of digits; false when there is none.
bool Digits(const char*& p, const char* end) {
    const char* start = p;
    while (p != end && IsDigit(*p)) {
        ++p;
    }
    return p != start;
}

/// The value of four hex digits at `p`, or -1.
int HexQuad(const char* p, const char* end) {
    if (end - p < 4) {
        return -1;
    }
    int value = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = p[i];
        int digit = 0;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

/// Decodes the escape after a backslash at `p` onto `out`; a surrogate counts only as
/// the high half of a pair written as two escapes, as nlohmann requires.
bool Escape(const char*& p, const char* end, std::string& out) {
    if (p == end) {
        return false;
    }
    const char kind = *p++;
    switch (kind) {
    case '"':
    case '\\':
    case '/':
        out += kind;
        return true;
    case 'b':
        out += '\b';
        return true;
    case 'f':
        out += '\f';
        return true;
    case 'n':
        out += '\n';
        return true;
    case 'r':
        out += '\r';
        return true;
    case 't':
        out += '\t';
        return true;
    case 'u':
        break;
    default:
        return false;
    }
    const int unit = HexQuad(p, end);
    if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) {
        return false;
    }
    p += 4;
    if (unit < 0xD800 || unit > 0xDBFF) {
        AppendUtf8(out, static_cast<char32_t>(unit));
        return true;
    }
    if (end - p < 2 || p[0] != '\\' || p[1] != 'u') {
        return false;
    }
    const int low = HexQuad(p + 2, end);
    if (low < 0xDC00 || low > 0xDFFF) {
        return false;
    }
    p += 6;
    AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (static_cast<char32_t>(low) - 0xDC00));
    return true;
}

/// Moves `p` past one character that may stand in a string as it is: printable ASCII other
/// than the quote and the backslash, or a well-formed UTF-8 sequence.
bool PlainCharacter(const char*& p, const char* end) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte < 0x80) {
        if (byte < 0x20 || byte == '"' || byte == '\\') {
            return false;
        }
        ++p;
        return true;
    }
    const std::size_t length = Utf8SequenceLength(std::string_view(p, static_cast<std::size_t>(end - p)));
    p += length;
    return length != 0;
}

} // namespace

bool JsonLexer::String(const char*& p, const char* end, std::string& scratch, std::string_view& value) {
    const char* start = p;
    while (p != end && *p != '"' && *p != '\\') {
        if (!PlainCharacter(p, end)) {
            return false;
        }
    }
    if (p != end && *p == '"') {
        value = std::string_view(start, static_cast<std::size_t>(p - start));
        ++p;
        return true;
    }
    // Escapes: the text is decoded into the scratch buffer from here on.
    scratch.assign(start, p);
    while (p != end && *p != '"') {
        if (*p == '\\') {
            if (!Escape(++p, end, scratch)) {
                return false;
            }
            continue;
        }
        const char* character = p;
        if (!PlainCharacter(p, end)) {
            return false;
        }
        scratch.append(character, p);
    }
    if (p == end) {
        return false;
    }
    ++p;
    value = scratch;
    return true;
}

bool JsonLexer::Number(const char*& p, const char* end, JsonNumber& value, std::string_view& text) {
    // The grammar first: -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    const char* start = p;
    const bool negative = p != end && *p == '-';
    if (negative) {
        ++p;
    }
    if (p == end || !IsDigit(*p)) {
        return false;
    }
    if (*p == '0') {
        ++p;
    } else {
        Digits(p, end);
    }
    bool whole = true;
    if (p != end && *p == '.') {
        ++p;
        whole = false;
        if (!Digits(p, end)) {
            return false;
        }
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        whole = false;
        if (p != end && (*p == '+' || *p == '-')) {
            ++p;
        }
        if (!Digits(p, end)) {
            return false;
        }
    }
    text = std::string_view(start, static_cast<std::size_t>(p - start));
    // Whole numbers are integers while they fit 64 bits, signed when negative; beyond, doubles.
    if (whole) {
        if (negative) {
            const auto [last, error] = std::from_chars(start, p, value.integer);
            if (error == std::errc() && last == p) {
                value.kind = JsonNumber::Kind::Integer;
                return true;
            }
        } else {
            const auto [last, error] = std::from_chars(start, p, value.unsignedValue);
            if (error == std::errc() && last == p) {
                value.kind = JsonNumber::Kind::Unsigned;
                return true;
            }
        }
    }
    // Correctly rounded like strtod. A value beyond a double's range, or one that underflows,
    // is left to nlohmann, which words the one and rounds the other its own way.
    const auto [last, error] = std::from_chars(start, p, value.number);
    if (error != std::errc() || last != p || !std::isfinite(value.number)) {
        return false;
    }
    value.kind = JsonNumber::Kind::Float;
    return true;
}

bool JsonLexer::Literal(const char*& p, const char* end, std::string_view word) {
    if (static_cast<std::size_t>(end - p) < word.size() || std::string_view(p, word.size()) != word) {
        return false;
    }
    p += word.size();
    return true;
}

} // namespace host
