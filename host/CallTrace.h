// CallTrace.h - the --trace record: one JSON line per call of the host callback, in call order.
//
// Each line reads {"thread": "ui"|"worker", "request": {...}, "reply": {...}}:
// the request as the plug-in handed it over, and the keys that answering added
// or changed, with their new values. The trace writes to a stream it does not
// own and flushes every line, so a run that ends badly still leaves its calls
// behind. Callers serialise Record; the trace takes no lock of its own.
#pragma once

#include "host/JsonText.h"

#include <iosfwd>
#include <string_view>

class CMapStringToString;

namespace host {

/// Which thread of the plug-in called: the host's user-interface thread or any other.
enum class CallerThread { Ui, Worker };

std::string_view CallerThreadName(CallerThread thread);

/// The entries of `after` that are absent from `before` or hold another value there.
OrderedJson ChangedEntries(const OrderedJson& before, const CMapStringToString& after);

class CallTrace {
public:
    explicit CallTrace(std::ostream& out) : out_(out) {}

    /// `request` is the map as it came in; `answered` is the same map after the host's answer.
    void Record(CallerThread thread, const OrderedJson& request, const CMapStringToString& answered);

private:
    std::ostream& out_;
};

} // namespace host
