// HostRequest.cpp - reading request keys without inserting, and the strict number forms of requests.
#include "answer/HostRequest.h"

#include <charconv>
#include <limits>

namespace host {

std::string HostRequest::Value(const char* key) const {
    CString value;
    if (!map_.Lookup(key, value)) {
        return {};
    }
    return value.str();
}

std::optional<std::int32_t> HostRequest::ParameterCount() const {
    const std::optional<std::int32_t> count = ParseWholeNumber(Value("Parameters.Count"));
    // A split text leaves at most its last parameter absent; a count beyond the map's
    // entries plus one cannot come from one, and walking it could take forever.
    if (!count || *count > map_.GetCount() + 1) {
        return std::nullopt;
    }
    return count;
}

std::string HostRequest::Parameter(std::int32_t index) const {
    const std::string key = "Parameter." + std::to_string(index);
    return Value(key.c_str());
}

std::string HostRequest::JoinParameters(std::int32_t first, std::int32_t last) const {
    std::string joined;
    for (std::int32_t index = first; index <= last; ++index) {
        if (index > first) {
            joined += ' ';
        }
        joined += Parameter(index);
    }
    return joined;
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int32_t> ParsePlanetDesignation(std::string_view text) {
    if (text.empty() || text.front() != '#') {
        return std::nullopt;
    }
    return ParseWholeNumber(text.substr(1));
}

} // namespace host
