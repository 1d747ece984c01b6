// HostRequest.h - read-only view of a request map as the plug-in encodes it.
//
// Reads with Lookup only, so answering never leaves empty entries behind in the
// caller's map. Parameters are numbered from 1; an absent one reads as empty.
// ParameterCount is present only when "Parameters.Count" is plain decimal and
// could have come from splitting a text: a count so large that two or more of
// its parameters would be missing is refused, so no request can make the host
// walk (or join) billions of absent parameters.
#pragma once

#include "platform/CMapStringToString.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace host {

class HostRequest {
public:
    explicit HostRequest(const CMapStringToString& map) : map_(map) {}

    std::string Value(const char* key) const;
    std::string Function() const { return Value("Function"); }
    std::optional<std::int32_t> ParameterCount() const;
    /// "Parameter.<index>", empty when absent.
    std::string Parameter(std::int32_t index) const;
    /// Parameters first..last joined with single blanks; empty when first > last.
    std::string JoinParameters(std::int32_t first, std::int32_t last) const;

private:
    const CMapStringToString& map_;
};

/// Plain decimal digits (no sign, no blanks) that fit in 32 bits; nothing otherwise.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);
/// "#" followed by ParseWholeNumber; nothing otherwise.
std::optional<std::int32_t> ParsePlanetDesignation(std::string_view text);

} // namespace host
