// QueryAnswerer.h - answers the plug-in's requests from a galaxy, in place, the way the host callback must.
//
// Answer() reads the request keys of a map and writes the reply keys into the
// same map; request keys are left as they are and no key is read with the
// inserting operator, so the map gains only reply keys. Anything that is not
// a known query, or that names an unknown thing, gets an empty reply (no key
// added). Answer never throws and never hangs, whatever the map holds.
// The answerer keeps a reference to the galaxy, which "Add" changes; the
// galaxy must outlive it. Not thread-safe: the plug-in never calls twice at once.
#pragma once

#include "galaxy/Galaxy.h"
#include "answer/OrderChecker.h"
#include "answer/ShipTypeNames.h"
#include "platform/CMapStringToString.h"

#include <cstdint>
#include <vector>

namespace host {

class QueryAnswerer {
public:
    explicit QueryAnswerer(Galaxy& galaxy) : galaxy_(galaxy), typeNames_(galaxy.ShipTypes()), orders_(galaxy) {}

    /// The "SID" the host put in the command map; "Selection <id>" accepts it as `%d`.
    void SetSelectionId(std::int32_t sid) { selectionId_ = sid; }
    /// The id of the menu item being run; "Selection <id>" accepts it as `%d` too.
    void SetMenuItemId(std::int32_t menuItemId) { menuItemId_ = menuItemId; }

    /// Answers one request in place. True when the request was understood (a reply was
    /// written, or an "Add" was judged); false for an empty reply.
    bool Answer(CMapStringToString& request);

    /// Requests whose answering failed on the host's side (out of memory, ...), each left with
    /// an empty or part-written reply: counted, so that they do not pass for unknown requests.
    std::int64_t Faults() const { return faults_; }

    /// Every order judged so far, over all "Add" requests, in order.
    const std::vector<OrderResult>& OrderResults() const { return orderResults_; }

private:
    bool AnswerRequest(CMapStringToString& request);

    Galaxy& galaxy_;
    ShipTypeNames typeNames_; // the ship types are fixed at load: no order adds one
    OrderChecker orders_;
    std::vector<OrderResult> orderResults_;
    std::int32_t selectionId_ = 0;
    std::int32_t menuItemId_ = 51507;
    std::int64_t faults_ = 0;
};

} // namespace host
