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

/// A map's entries copied as they stand into one text: what the trace keeps of a request
/// while the host answers it, and of the answer once the plug-in goes on with the map.
class MapCopy {
public:
    explicit MapCopy(const CMapStringToString& map);
    /// The copied entries, in the map's own order, seen in the copy.
    std::vector<MapEntry> Entries() const;
    std::size_t Size() const { return ends_.size() / 2; }

private:
    std::string text_;
    std::vector<std::size_t> ends_; // where each key and then its value ends in text_
};

/// Which thread of the plug-in called: the host's user-interface thread or any other.
enum class CallerThread { Ui, Worker };

std::string_view CallerThreadName(CallerThread thread);

class CallTrace {
public:
    explicit CallTrace(std::ostream& out);
    ~CallTrace(); // finishes, dropping any error: call Finish to hear of it
    CallTrace(const CallTrace&) = delete;
    CallTrace& operator=(const CallTrace&) = delete;

    /// `request` is the map as it came in; `answered` is the same map after the host's answer.
    void Record(CallerThread thread, MapCopy request, const CMapStringToString& answered);

    /// Returns once every recorded line is written; rethrows what stopped the writing.
    void Finish();

private:
    struct Call {
        CallerThread thread;
        MapCopy request;
        MapCopy answered;
    };

    /// Beyond this many entries waiting, Record waits for the writer: a plan that answers
    /// faster than its trace is written must not pile up the whole trace in memory.
    static constexpr std::size_t kMostWaitingEntries = std::size_t{1} << 20;

    void WriteCalls();
    void WriteLine(const Call& call);

    std::ostream& out_;
    std::string line_; // reused for every line, so a long trace allocates only for its longest line

    // Guarded by mutex_. Each side wakes the other only when it waits, so a trace that
    // keeps up costs the plan a lock per call and the writer one wake per batch.
    std::mutex mutex_;
    std::condition_variable callsWaiting_; // the writer waits on it
    std::condition_variable roomMade_;     // Record waits on it when the backlog is full
    std::deque<Call> waiting_;             // recorded, not yet taken by the writer
    std::size_t waitingEntries_ = 0;       // answered entries in waiting_ and in the writer's batch
    bool writerIdle_ = false;
    bool recorderBlocked_ = false;
    bool finishing_ = false;
    std::exception_ptr failure_;           // what stopped the writer
    std::thread writer_;             // last: started once everything above exists
};

} // namespace host
