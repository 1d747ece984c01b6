// HostNumbers.cpp - saturating conversions, angle keys and list bounds for host answers.
#include "relay/HostNumbers.h"

#include "platform/Conversions.h"
#include "platform/FloatingPointEnvironment.h" // refuses a 32-bit build without SSE2 arithmetic

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

namespace relay {

namespace {

// The float constant that every range in hundredths is scaled by; its inexactness
// (0.0099999998) is what makes 2237 read 22.369999.
constexpr float kHundredth = 0.01f;

// Twice the half turn of 3141 milliradians, so a full turn folds onto 0..6281.
constexpr std::int64_t kFullTurn = 6282;

} // namespace

std::int32_t TruncateToLong(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(std::trunc(value), kMin, kMax));
}

std::int32_t Hundredths(const char* decimalText) {
    return TruncateToLong(platform::atof(decimalText) * 100.0);
}

double HundredthsAsDecimal(std::int32_t hundredths) {
    return static_cast<double>(hundredths) * static_cast<double>(kHundredth);
}

float NarrowToFloat(double value) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (value > kLargest) {
        return std::numeric_limits<float>::infinity();
    }
    if (value < -kLargest) {
        return -std::numeric_limits<float>::infinity();
    }
    return static_cast<float>(value);
}

std::int32_t TruncatedMilliradians(double radians) {
    return TruncateToLong(radians * 1000.0);
}

std::int32_t NormalisedAngleKey(double radians) {
    // Widened so that a saturated reading cannot overflow when the turn is added;
    // C++ remainder keeps the dividend's sign, as the key needs.
    const std::int64_t shifted = std::int64_t{TruncatedMilliradians(radians)} + kFullTurn;
    return static_cast<std::int32_t>(shifted % kFullTurn);
}

std::int32_t ReadPlanetEntry(const CString& entry) {
    if (entry.GetLength() < 2) {
        return 0; // nothing after the sign: no planet
    }
    return platform::atol(entry.c_str() + 1);
}

std::int32_t WalkableEntries(std::int32_t count, const CMapStringToString& reply) {
    return std::clamp(count, std::int32_t{0}, static_cast<std::int32_t>(reply.GetCount()));
}

// Built by hand rather than by Format: printf's exact conversion of a double costs a
// microsecond, and a galaxy of a million planets asks one range query per own planet.
// std::to_chars in fixed notation with six decimals writes what "%f" does.
CString RangeQuery(std::int32_t planet, std::int32_t source, double range) {
    char decimals[330]; // the largest double in full, its sign, point and six decimals
    *std::to_chars(decimals, decimals + sizeof decimals - 1, range, std::chars_format::fixed, 6).ptr = '\0';
    CString query("List PlanetsAndRange #");
    query += platform::NumberedText({}, planet);
    query += " #";
    query += platform::NumberedText({}, source);
    query += ' ';
    query += decimals;
    return query;
}

} // namespace relay
