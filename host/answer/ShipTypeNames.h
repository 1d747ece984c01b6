// ShipTypeNames.h - the galaxy's ship type names, each once, for the queries that list or split them.
//
// Built once from the ship types, which no order changes: "List ShipTypes" gives the
// distinct names, and "Get ShipType" finds where the type's words end and the race's
// begin by asking whether a prefix is a name at all, which the longest name bounds.
#pragma once

#include "galaxy/Galaxy.h"

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace host {

class ShipTypeNames {
public:
    explicit ShipTypeNames(const std::vector<ShipType>& types);

    /// Every distinct ship type name, in order of first appearance among the ship types.
    const std::vector<std::string>& Distinct() const { return distinct_; }
    /// True when some race has a ship type of this name.
    bool Contains(const std::string& name) const { return names_.contains(name); }
    /// Length in bytes of the longest ship type name: longer texts cannot be one.
    std::size_t Longest() const { return longest_; }

private:
    std::vector<std::string> distinct_;
    std::unordered_set<std::string> names_; // distinct_ again, for lookup by name
    std::size_t longest_ = 0;
};

} // namespace host
