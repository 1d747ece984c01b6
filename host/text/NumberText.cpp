// NumberText.cpp - the fixed-point writer behind every decimal the host prints.
#include "text/NumberText.h"

#include <cassert>
#include <charconv>
#include <system_error>

namespace host {

std::string FixedText(double value, int places) {
    assert(places >= 0 && places <= kMaxFixedPlaces && "a handful of places");
    // Wide enough for any double: 309 integer digits, sign, point and the places.
    char text[309 + 2 + kMaxFixedPlaces];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, places);
    return std::string(text, error == std::errc{} ? end : text);
}

} // namespace host
