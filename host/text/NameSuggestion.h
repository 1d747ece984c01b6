// NameSuggestion.h - the known name a mistyped one was most likely meant to be.
//
// Used for "did you mean" hints on the command line and for keys of a galaxy
// file. Leading dashes are not part of the comparison, so "-json" and "--jsn"
// both find "--json".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace host {

/// The one name of `known` that `typed` is a unique prefix of, else the closest within a
/// couple of typing slips (letters left out, added, changed or swapped); nothing when no
/// name is close enough to be a useful guess.
std::optional<std::string> SuggestName(std::string_view typed, const std::vector<std::string>& known);

} // namespace host
