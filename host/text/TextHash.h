// TextHash.h - one hash for texts of any kind, so that keyed containers look names up without copying them.
#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

namespace host {

/// With std::equal_to<> as the key equality, a std::string key is found from a string_view.
struct TextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

} // namespace host
