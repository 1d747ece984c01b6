// Conversions.h - the runtime's text-to-number conversions, with 32-bit results everywhere.
//
// The plug-in reads every host answer with these. A Windows "long" is 32 bits,
// so on every target the whole-number results are std::int32_t and saturate
// at its limits instead of wrapping. Like the C runtime's, they never fail:
// leading white space is skipped, an optional sign is taken, digits are read
// up to the first other character, and text without a number reads as 0.
#pragma once

#include "platform/FrameworkApi.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace platform {

/// Whole number at the start of `text`, saturated to 32 bits; null, empty or non-numeric reads 0.
TARVENIX_FRAMEWORK_API std::int32_t atol(const char* text);

/// Same as atol: an int is 32 bits on every target.
TARVENIX_FRAMEWORK_API std::int32_t atoi(const char* text);

/// Decimal fraction at the start of `text` (C locale); null, empty or non-numeric reads 0.0.
TARVENIX_FRAMEWORK_API double atof(const char* text);

/// Writes `value` in `radix` (2..36) into `buffer`, which must hold 33 characters
/// (12 in base 10); a minus sign only in base 10, as the runtime does. Returns `buffer`.
TARVENIX_FRAMEWORK_API char* _ltoa(std::int32_t value, char* buffer, int radix);

/// `prefix` followed by `number` in decimal, as printf's "%s%lld" writes them, kept in
/// the object itself. Keys such as "Parameter.3" and "Planet.17" are built for every
/// query and every list entry, so they are built without printf and without the heap.
/// A prefix longer than kMaxPrefix characters is cut there.
class NumberedText {
public:
    static constexpr std::size_t kMaxPrefix = 40;

    NumberedText(std::string_view prefix, std::int64_t number) {
        const std::size_t kept = std::min(prefix.size(), kMaxPrefix);
        std::copy_n(prefix.begin(), kept, text_); // an empty view may hold a null pointer, which memcpy may not take
        char* const end = std::to_chars(text_ + kept, text_ + sizeof text_ - 1, number).ptr;
        *end = '\0';
        length_ = static_cast<std::size_t>(end - text_);
    }

    operator const char*() const { return text_; } // NOLINT: used where a key text is taken
    std::string_view view() const { return {text_, length_}; }

private:
    char text_[kMaxPrefix + 21]; // the prefix, at most 20 characters of number, and the NUL
    std::size_t length_ = 0;
};

} // namespace platform
