// OrderChecker.h - checks the orders of an "Add" request and applies the accepted ones to the galaxy.
//
// Each order is checked against the galaxy as the earlier orders of the same
// request left it, so a group emptied by one order refuses the next. A refused
// order changes nothing and the rest go on. The checker holds a reference to
// the galaxy it changes; the galaxy must outlive it.
#pragma once

#include "galaxy/Galaxy.h"
#include "platform/CMapStringToString.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace host {

/// The head parameter of every "Add" request.
inline constexpr std::string_view kSendGroupHead = "SendGroup";

/// One order as the host judged it.
struct OrderResult {
    std::string order;            // the parameter's text, as it came
    bool accepted = false;
    std::string reason;           // empty when accepted; lower-case, no final period
    std::int32_t group = 0;       // the group that sends (0 when the text did not parse)
    std::int32_t destination = 0; // the planet sent to (0 when the text did not parse)
    std::int32_t origin = 0;      // accepted: the planet the ship left
    std::int32_t newGroup = 0;    // accepted: the one-ship group now in flight
};

class OrderChecker {
public:
    explicit OrderChecker(Galaxy& galaxy) : galaxy_(galaxy) {}

    /// Checks and applies one order text "G #P 1" for `race` (the selection's race).
    OrderResult CheckAndApply(std::string_view orderText, std::string_view race);

    /// Handles a whole "Add" request: parameter 1 must be "SendGroup", every further
    /// parameter is one order, judged in turn for the selected group's race.
    std::vector<OrderResult> ApplyAddRequest(const CMapStringToString& request);

private:
    Galaxy& galaxy_;
};

} // namespace host
