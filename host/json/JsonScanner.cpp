// JsonScanner.cpp - the scanner's tokens: strings checked and decoded as nlohmann's lexer does, numbers converted as it converts them.
#include "json/JsonScanner.h"

#include "text/SafeText.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <system_error>

namespace host {

namespace {

bool IsDigit(char c) {
    return static_cast<unsigned char>(c - '0') <= 9;
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

/// A number's digits as one whole number and a power of ten, while they fit.
struct DecimalDigits {
    std::uint64_t mantissa = 0;
    int count = 0;    // digits read into the mantissa, leading zeros of a fraction included
    int exponent = 0; // of ten
    bool exact = true; // false once a digit did not fit in the mantissa, or the exponent is huge

    /// Reads a run of digits into the mantissa; false when there is none. Digits beyond
    /// what the mantissa holds are passed over, and the value is then not exact.
    bool Read(const char*& p, const char* end) {
        const char* start = p;
        std::uint64_t value = mantissa;
        for (; p != end && IsDigit(*p); ++p) {
            value = value * 10 + static_cast<std::uint64_t>(*p - '0');
        }
        const auto read = static_cast<int>(p - start);
        if (count + read > kMaxDigits) {
            exact = false; // the mantissa wrapped; only `exact` counts from here on
        }
        mantissa = value;
        count += read;
        return read > 0;
    }

    /// Reads an exponent's sign and digits after the `e`; false when there are no digits.
    bool ReadExponent(const char*& p, const char* end) {
        const bool negative = p != end && *p == '-';
        if (p != end && (*p == '+' || *p == '-')) {
            ++p;
        }
        const char* start = p;
        int value = 0;
        for (; p != end && IsDigit(*p); ++p) {
            if (value > kLargeExponent) {
                exact = false; // the value is left to the library, which handles any exponent
            } else {
                value = value * 10 + (*p - '0');
            }
        }
        exponent += negative ? -value : value;
        return p != start;
    }

    // 19 digits always fit 64 bits; an exponent beyond this puts every mantissa out of the
    // fast conversion's reach without overflowing int.
    static constexpr int kMaxDigits = 19;
    static constexpr int kLargeExponent = 100000;
};

/// Correctly rounded, as strtod rounds. A mantissa of at most 53 bits and a power of ten up to
/// 10^22 are both exact doubles, so one multiplication or division rounds the value correctly;
/// any other number goes through std::from_chars. A value beyond a double's range, or one that
/// underflows to zero, is left to nlohmann, which words the one and rounds the other its own way.
bool FloatNumber(std::string_view text, bool negative, const DecimalDigits& digits, JsonNumber& value) {
    static constexpr std::array<double, 23> kPowersOfTen = {
        1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr std::uint64_t kExactMantissa = std::uint64_t{1} << 53;
    value.kind = JsonNumber::Kind::Float;
    // Only where doubles are computed in double precision: with x87's wider registers the
    // division would round twice.
    if (FLT_EVAL_METHOD == 0 && digits.exact && digits.mantissa <= kExactMantissa && digits.exponent >= -22 &&
        digits.exponent <= 22) {
        const auto mantissa = static_cast<double>(digits.mantissa);
        const double magnitude = digits.exponent < 0 ? mantissa / kPowersOfTen[static_cast<std::size_t>(-digits.exponent)]
                                                     : mantissa * kPowersOfTen[static_cast<std::size_t>(digits.exponent)];
        value.number = negative ? -magnitude : magnitude;
        return true;
    }
    const char* last = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), last, value.number);
    return error == std::errc() && stop == last && std::isfinite(value.number);
}

/// Whole numbers are integers while they fit 64 bits, signed when negative; beyond, doubles.
bool WholeNumber(std::string_view text, bool negative, const DecimalDigits& digits, JsonNumber& value) {
    if (digits.exact && !negative) {
        value.kind = JsonNumber::Kind::Unsigned;
        value.unsignedValue = digits.mantissa;
        return true;
    }
    if (negative) {
        const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value.integer);
        if (error == std::errc() && last == text.data() + text.size()) {
            value.kind = JsonNumber::Kind::Integer;
            return true;
        }
    } else {
        const auto [last, error] = std::from_chars(text.data(), text.data() + text.size(), value.unsignedValue);
        if (error == std::errc() && last == text.data() + text.size()) {
            value.kind = JsonNumber::Kind::Unsigned;
            return true;
        }
    }
    return FloatNumber(text, negative, DecimalDigits{0, 0, 0, false}, value);
}

} // namespace

bool JsonLexer::String(const char*& p, const char* end, std::string& scratch, std::string_view& value) {
    const char* start = p;
    for (;;) {
        p = PlainAsciiEnd(p, end);
        if (p == end || *p == '"' || *p == '\\') {
            break;
        }
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
    // The grammar, -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?, read with the digits' value.
    const char* start = p;
    const bool negative = p != end && *p == '-';
    if (negative) {
        ++p;
    }
    if (p == end || !IsDigit(*p)) {
        return false;
    }
    DecimalDigits digits;
    if (*p == '0') {
        ++p;
    } else {
        digits.Read(p, end);
    }
    bool whole = true;
    if (p != end && *p == '.') {
        ++p;
        whole = false;
        const char* fraction = p;
        if (!digits.Read(p, end)) {
            return false;
        }
        digits.exponent -= static_cast<int>(p - fraction);
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        ++p;
        whole = false;
        if (!digits.ReadExponent(p, end)) {
            return false;
        }
    }
    text = std::string_view(start, static_cast<std::size_t>(p - start));
    return whole ? WholeNumber(text, negative, digits, value) : FloatNumber(text, negative, digits, value);
}

bool JsonLexer::Literal(const char*& p, const char* end, std::string_view word) {
    if (static_cast<std::size_t>(end - p) < word.size() || std::string_view(p, word.size()) != word) {
        return false;
    }
    p += word.size();
    return true;
}

} // namespace host
