// HostNumbers.h - how the relay code reads numbers out of host answers and writes them into
// queries.
//
// Every host answer is text and every host answer is taken as it comes, so
// these readers never fail and never overflow: a conversion saturates at the
// 32-bit limits, a non-number reads as 0, and a list is never walked past the
// entries its answer actually holds. For well-formed answers they give exactly
// the numbers the plain runtime arithmetic gives.
#pragma once

#include "platform/CMapStringToString.h"
#include "platform/CString.h"
#include "platform/Conversions.h"

#include <cstdint>
#include <string_view>

namespace relay {

/// Truncates toward zero, saturating at the 32-bit limits; NaN reads as 0.
std::int32_t TruncateToLong(double value);

/// A host decimal in hundredths: times 100.0 in double precision, truncated (2.3 -> 229).
std::int32_t Hundredths(const char* decimalText);

/// The decimal a query carries for hundredths: the integer times the single-precision
/// 0.01, multiplied in double precision (2237 -> 22.369999 under "%f").
double HundredthsAsDecimal(std::int32_t hundredths);

/// A double narrowed to single precision; beyond the float range it becomes an infinity
/// of the same sign rather than an undefined conversion.
float NarrowToFloat(double value);

/// Radians as whole milliradians, truncated toward zero: a hop's key.
std::int32_t TruncatedMilliradians(double radians);

/// Radians as an angle key: milliradians truncated, plus 6282, remainder by 6282 with
/// the sign of the dividend. 0.5 -> 500, -0.5 -> 5782, +-3.1415 -> 3141; below -6.282
/// the key is negative.
std::int32_t NormalisedAngleKey(double radians);

/// A planet entry of a list answer ("#17"): the first character dropped, whatever it is,
/// white space skipped and the integer read; empty or absent reads as planet 0.
std::int32_t ReadPlanetEntry(const CString& entry);

/// How many entries 1..count of a list answer may be walked: `count`, but never below 0
/// and never above the number of keys the answer holds, so a garbage count cannot send
/// a walk through billions of absent keys.
std::int32_t WalkableEntries(std::int32_t count, const CMapStringToString& reply);

/// "List PlanetsAndRange #%d #%d %f": the planets within `range` of `planet`, with
/// their angles seen from `planet` against the ray to `source`.
CString RangeQuery(std::int32_t planet, std::int32_t source, double range);

/// The reply key `prefix` followed by `index` in decimal, such as "Planet.3". Inline:
/// a list walk builds one per entry, and the prefix's length is then known as it compiles.
inline platform::NumberedText IndexedKey(std::string_view prefix, std::int32_t index) {
    return {prefix, index};
}

/// A list entry's key: `index` in decimal, written with the runtime's _ltoa.
inline platform::NumberedText EntryKey(std::int32_t index) {
    return {std::string_view{}, index};
}

} // namespace relay
