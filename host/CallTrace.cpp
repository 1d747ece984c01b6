// CallTrace.cpp - the trace's writer thread and its lines: the request as handed over, then what the
// answer changed.
#include "host/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <ostream>

namespace host {
namespace {

// Walks the request beside the answered entries, both in key order: `next` is the
// first request entry not yet passed.
bool HoldsSameText(const std::vector<MapEntryCopy>& request,
                   std::vector<MapEntryCopy>::const_iterator& next, const MapEntry& entry) {
    while (next != request.end() && next->key < entry.key) {
        ++next;
    }
    return next != request.end() && next->key == entry.key && next->value == entry.value;
}

std::vector<MapEntryCopy> EntriesOf(const CMapStringToString& map) {
    std::vector<MapEntryCopy> entries(static_cast<std::size_t>(map.GetCount()));
    POSITION position = map.GetStartPosition();
    for (MapEntryCopy& entry : entries) {
        std::string_view key;
        std::string_view value;
        map.GetNextEntry(position, key, value);
        entry.key = key;
        entry.value = value;
    }
    return entries;
}

std::vector<MapEntry> ViewsOf(const std::vector<MapEntryCopy>& entries) {
    std::vector<MapEntry> views;
    views.reserve(entries.size());
    for (const MapEntryCopy& entry : entries) {
        views.push_back({entry.key, entry.value});
    }
    return views;
}

} // namespace

std::string_view CallerThreadName(CallerThread thread) {
    return thread == CallerThread::Ui ? "ui" : "worker";
}

CallTrace::CallTrace(std::ostream& out) : out_(out), writer_([this] { WriteCalls(); }) {}

CallTrace::~CallTrace() {
    try {
        Finish();
    } catch (...) {
        // Finish has already told whoever asked; a destructor may not throw.
    }
}

void CallTrace::Record(CallerThread thread, std::vector<MapEntryCopy> request,
                       const CMapStringToString& answered) {
    Call call{thread, std::move(request), EntriesOf(answered)};
    const std::size_t entries = call.answered.size();
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] {
        return waitingEntries_ < kMostWaitingEntries || failure_ != nullptr || finishing_;
    });
    if (failure_ != nullptr || finishing_) {
        return; // the trace is already incomplete, and Finish says so
    }
    waiting_.push_back(std::move(call));
    waitingEntries_ += entries;
    changed_.notify_all();
}

void CallTrace::Finish() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable()) {
        writer_.join();
    }
    std::lock_guard lock(mutex_);
    if (failure_ != nullptr) {
        std::rethrow_exception(failure_);
    }
}

// Takes the calls in order and writes each outside the lock, so that Record only
// waits while a call is handed over.
void CallTrace::WriteCalls() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !waiting_.empty() || finishing_; });
        if (waiting_.empty()) {
            return; // finishing, and nothing is left
        }
        Call call = std::move(waiting_.front());
        waiting_.pop_front();
        lock.unlock();
        try {
            WriteLine(call);
        } catch (...) {
            lock.lock();
            failure_ = std::current_exception();
            waiting_.clear();
            changed_.notify_all();
            return;
        }
        lock.lock();
        waitingEntries_ -= call.answered.size();
        changed_.notify_all();
    }
}

// Written straight into one reused line: an answer may hold thousands of entries, and
// a JSON object built for them would cost far more than the answer did.
void CallTrace::WriteLine(const Call& call) {
    line_.clear();
    line_ += "{\"thread\": ";
    AppendJsonString(CallerThreadName(call.thread), line_);
    line_ += ", \"request\": {";
    std::string_view separator;
    for (const MapEntryCopy& entry : call.request) {
        AppendJsonMember(separator, entry.key, entry.value, line_);
        separator = ", ";
    }
    line_ += "}, \"reply\": {";
    separator = {};
    auto nextOfRequest = call.request.begin();
    for (const MapEntry& entry : SortedEntries(ViewsOf(call.answered))) {
        if (!HoldsSameText(call.request, nextOfRequest, entry)) {
            AppendJsonMember(separator, entry.key, entry.value, line_);
            separator = ", ";
        }
    }
    line_ += "}}\n";
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}

} // namespace host
