// Conversions.cpp - atol, atoi, atof and _ltoa with the framework's 32-bit results.
#include "platform/Conversions.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>

namespace platform {
namespace {

// isdigit's own test in every locale, without a call per character.
bool IsDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Moves `text` past leading white space and one sign; answers whether the sign was a minus.
// A digit is never white space, so a number that starts at once asks no locale.
bool SkipToDigits(const char*& text) {
    if (IsDigit(*text)) {
        return false;
    }
    while (std::isspace(static_cast<unsigned char>(*text)) != 0) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    return negative;
}

} // namespace

std::int32_t atol(const char* text) {
    if (text == nullptr) {
        return 0;
    }
    const bool negative = SkipToDigits(text);
    // Accumulate the magnitude in 64 bits and stop growing it once it is past
    // any 32-bit value, so that a thousand digits cost nothing and never wrap.
    constexpr std::int64_t kBeyondRange = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 2;
    std::int64_t magnitude = 0;
    for (; IsDigit(*text); ++text) {
        if (magnitude < kBeyondRange) {
            magnitude = magnitude * 10 + (*text - '0');
        }
    }
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (signedValue < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(signedValue);
}

std::int32_t atoi(const char* text) { return atol(text); }

double atof(const char* text) {
    if (text == nullptr) {
        return 0.0;
    }
    const bool negative = SkipToDigits(text);
    if (*text == '-' || *text == '+') {
        return 0.0; // "--5" is not a number
    }
    // from_chars, unlike strtod, ignores the process locale: a host that
    // switched to a locale with a decimal comma must not change what we read.
    double value = 0.0;
    const std::errc error = std::from_chars(text, text + std::strlen(text), value).ec;
    if (error != std::errc{} && error != std::errc::result_out_of_range) {
        return 0.0;
    }
    return negative ? -value : value;
}

char* _ltoa(std::int32_t value, char* buffer, int radix) {
    if (buffer == nullptr) {
        return buffer;
    }
    if (radix < 2 || radix > 36) {
        buffer[0] = '\0';
        return buffer;
    }
    char* out = buffer;
    // Only base 10 has a sign; other bases show the 32-bit pattern, as the runtime does.
    std::uint32_t magnitude = static_cast<std::uint32_t>(value);
    if (radix == 10 && value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    const auto [end, error] = std::to_chars(out, out + 32, magnitude, radix);
    (void)error; // 32 characters hold any 32-bit value in any base
    *end = '\0';
    return buffer;
}

} // namespace platform
