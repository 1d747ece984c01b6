// ShipTypeNames.cpp - the distinct ship type names, their set and the longest one's length.
#include "answer/ShipTypeNames.h"

#include <algorithm>

namespace host {

ShipTypeNames::ShipTypeNames(const std::vector<ShipType>& types) {
    for (const ShipType& type : types) {
        if (names_.insert(type.name).second) {
            distinct_.push_back(type.name);
            longest_ = std::max(longest_, type.name.size());
        }
    }
}

} // namespace host
