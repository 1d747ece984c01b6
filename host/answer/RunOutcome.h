// RunOutcome.h - what one run of the plug-in's command came to: the orders as judged, the
// message box, Cancel and the counts of the summary.
//
// The session fills it as the run goes; the views and the command line only read it. It lives
// beside the orders it holds, below the session, so that the views need no session to show it.
#pragma once

#include "answer/OrderChecker.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host {

struct RunOutcome {
    std::string menuText;
    std::int32_t menuItemId = 0;
    std::vector<OrderResult> orders;        // every order of every "Add", as judged
    std::optional<std::string> messageBox;  // the text of the plug-in's message box, if it showed one
    bool cancelPressed = false;             // the host pressed the window's Cancel button
    std::int32_t addRequests = 0;
    std::int64_t queries = 0;               // callback calls other than "Add"
    std::int64_t answerFaults = 0;          // calls whose answering failed in the host (out of memory,
                                            // a trace line not written), each reply left as it was
    double planMs = 0.0;                    // from OnUserCommand until the window was gone

    /// Cancel was pressed and nothing was submitted.
    bool Cancelled() const { return cancelPressed && addRequests == 0; }
    /// The plan completed, was cancelled, or the plug-in told the user why not.
    bool EndedAsMeant() const { return addRequests > 0 || Cancelled() || messageBox.has_value(); }
};

} // namespace host
