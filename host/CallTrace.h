// CallTrace.h - the --trace record: one JSON line per call of the host callback, in call order.
//
// Each line reads {"thread": "ui"|"worker", "request": {...}, "reply": {...}}:
// the request as the plug-in handed it over, and the keys that answering added
// or changed, with their new values, in byte order of the keys. The trace
// writes to a stream it does not own and leaves flushing to it: the host's
// trace file buffers, and only a complete run's trace replaces an earlier one.
//
// Sorting and writing an answer of a few hundred entries costs more than
// answering it, so Record only copies the call out and the trace's own thread
// writes the lines, in the order of the calls, while the plan goes on. Finish
// waits for the last line. Callers serialise Record; the trace takes no lock
// of the caller's.
#pragma once

#include "host/JsonText.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class CMapStringToString;

namespace host {

/// Which thread of the plug-in called: the host's user-interface thread or any other.
enum class CallerThread { Ui, Worker };

std::string_view CallerThreadName(CallerThread thread);

class CallTrace {
public:
    explicit CallTrace(std::ostream& out);
    ~CallTrace(); // finishes, dropping any error: call Finish to hear of it
    CallTrace(const CallTrace&) = delete;
    CallTrace& operator=(const CallTrace&) = delete;

    /// `request` is the map as it came in (SortedMapCopy); `answered` is the same map after
    /// the host's answer.
    void Record(CallerThread thread, std::vector<MapEntryCopy> request, const CMapStringToString& answered);

    /// Returns once every recorded line is written; rethrows what stopped the writing.
    void Finish();

private:
    struct Call {
        CallerThread thread = CallerThread::Ui;
        std::vector<MapEntryCopy> request; // sorted
        std::vector<MapEntryCopy> answered; // in the map's own order
    };

    /// Beyond this many entries waiting, Record waits for the writer: a plan that answers
    /// faster than its trace is written must not pile up the whole trace in memory.
    static constexpr std::size_t kMostWaitingEntries = std::size_t{1} << 20;

    void WriteCalls();
    void WriteLine(const Call& call);

    std::ostream& out_;
    std::string line_; // reused for every line, so a long trace allocates only for its longest line

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Call> waiting_;       // recorded, not yet written; guarded by mutex_
    std::size_t waitingEntries_ = 0; // guarded by mutex_
    bool finishing_ = false;         // guarded by mutex_
    std::exception_ptr failure_;     // what stopped the writer; guarded by mutex_
    std::thread writer_;             // last: started once everything above exists
};

} // namespace host
