// GroupLookups.cpp - DispatchContext's two searches for a group of an equivalent type on one
// planet.
#include "context/DispatchContext.h"

#include "cells/CellTree.h"
#include "platform/Conversions.h"
#include "relay/HostNumbers.h"

namespace {

// A group free to carry a dispatch on: no "Source", no "Feet", exactly one ship.
// A field the answer lacks reads as empty, so only a missing "Count" disqualifies.
bool IsIdleSingleShip(CMapStringToString& details) {
    return details["Source"].IsEmpty() && details["Feet"].IsEmpty() &&
           platform::atol(details["Count"]) == 1;
}

} // namespace

std::int32_t DispatchContext::FindGroupOfType(std::int32_t planet, const CellTree& typeNames) {
    return FindGroup(planet, typeNames, false);
}

std::int32_t DispatchContext::FindIdleRelayGroup(std::int32_t planet, const CellTree& typeNames) {
    return FindGroup(planet, typeNames, true);
}

// Walks the race's groups on `planet` from the last listed to the first, so the
// last-listed match wins; one details query per group examined.
std::int32_t DispatchContext::FindGroup(std::int32_t planet, const CellTree& typeNames,
                                        bool idleOnly) {
    CMapStringToString list(10); // keeps the group list while each group is asked about
    CMapStringToString details(10);
    CString query;
    query.Format("List Groups #%d %s", planet, raceName.c_str());
    Query(query, list);
    const std::int32_t count = relay::WalkableEntries(platform::atol(list["Count"]), list);
    for (std::int32_t i = count; i >= 1; --i) {
        const CString entry = list[relay::EntryKey(i)];
        // The entry goes into the details query as it stands; only the result is its number.
        query.Format("Get Group %s", entry.c_str());
        Query(query, details);
        if (typeNames.LookupString(details["Name"]) == nullptr) {
            continue;
        }
        if (!idleOnly || IsIdleSingleShip(details)) {
            return platform::atol(entry);
        }
    }
    return 0;
}
