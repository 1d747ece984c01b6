// CallTrace.h - the --trace record: one JSON line per call of the host callback, in call order.
//
// Each line reads {"thread": "ui"|"worker", "request": {...}, "reply": {...}}:
// the request as the plug-in handed it over, and the keys that answering added
// or changed, with their new values, each in byte order of the keys. The trace
// writes to a stream it does not own and leaves flushing to it: the host's
// trace file buffers, and only a complete run's trace replaces an earlier one.
// Callers serialise KeepRequest and Record; the trace takes no lock of its own.
#pragma once

#include "session/JsonLineBuffer.h"
#include "session/MapEntries.h"

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CMapStringToString;

namespace host {

/// Which thread of the plug-in called: the host's user-interface thread or any other.
enum class CallerThread { Ui, Worker };

std::string_view CallerThreadName(CallerThread thread);

class CallTrace {
public:
    explicit CallTrace(std::ostream& out) : out_(out) {}

    /// From now on each line begins with {"turn": T, ...}: a campaign's trace tells its turns
    /// apart. A plan's trace never sets it, and its lines stay as they were.
    void SetTurn(std::int32_t turn) { turn_ = turn; }

    /// Keeps `request` as the plug-in handed it over, before the host answers it.
    void KeepRequest(const CMapStringToString& request);
    /// Writes the line of the request kept last; `answered` is the same map after the
    /// host's answer.
    void Record(CallerThread thread, const CMapStringToString& answered);

private:
    std::ostream& out_;
    std::optional<std::int32_t> turn_;
    // Everything below is reused from call to call, so that a long trace allocates only
    // for its largest answer.
    MapEntrySorter requestSorter_;                // holds the kept request's copy until the next
    std::span<const KeyOrderedEntry> request_;    // the kept request's entries, in requestSorter_
    MapEntrySorter answerSorter_;
    JsonLineBuffer line_;
};

} // namespace host
