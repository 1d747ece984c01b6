// NumberText.h - fixed-point text of the host's decimals, the same on every machine and in every locale.
//
// Answers, refusal reasons and the plan picture all print decimals with a set
// number of places. One writer serves them all, so they cannot drift apart:
// printf's exact digits (std::to_chars gives them) without printf's cost or
// its dependence on the C locale, which a plug-in in the same process could change.
#pragma once

#include <string>

namespace host {

/// The most places FixedText writes after the point.
inline constexpr int kMaxFixedPlaces = 16;

/// `value` as printf's "%.<places>f" writes it in the C locale ("inf" and "nan" included),
/// for every double, however large; `places` is 0..kMaxFixedPlaces.
std::string FixedText(double value, int places);

} // namespace host
