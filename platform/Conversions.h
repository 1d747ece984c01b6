// Conversions.h - the runtime's text-to-number conversions, with 32-bit results everywhere.
//
// The plug-in reads every host answer with these. A Windows "long" is 32 bits,
// so on every target the whole-number results are std::int32_t and saturate
// at its limits instead of wrapping. Like the C runtime's, they never fail:
// leading white space is skipped, an optional sign is taken, digits are read
// up to the first other character, and text without a number reads as 0.
#pragma once

#include "platform/FrameworkApi.h"

#include <cstdint>

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

} // namespace platform
