// GalaxyFault.h - the one wording of a galaxy's faults: a message made of parts, and where an entry sits.
//
// Both the file's reader and the galaxy's own checks refuse through these, so an
// entry is named the same way whichever of them finds its fault.
#pragma once

#include "galaxy/Galaxy.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

/// Throws GalaxyError with one message made of the parts in order (appended, never
/// concatenated with `+`, which GCC 12 misreads at -O2 as an overlapping copy).
template <typename... Parts>
[[noreturn]] void RefuseGalaxy(const Parts&... parts) {
    std::string message;
    (message += ... += parts);
    throw GalaxyError(message);
}

/// "planets[4] (planet #5): ", as every complaint about an entry begins: the index as the file
/// counts it, from 0, and the entry as a player counts it, from 1.
std::string EntryPlace(std::string_view array, std::size_t index);

} // namespace host
