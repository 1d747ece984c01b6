// CallTrace.cpp - the trace's writer thread and its lines: the request as handed over, then what the
// answer changed.
#include "host/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <cstring>
#include <ostream>

namespace host {
namespace {

// Walks the request beside the answered entries, both in key order: `next` is the
// first request entry not yet passed.
bool HoldsSameText(const std::vector<MapEntry>& request, std::vector<MapEntry>::const_iterator& next,
                   const MapEntry& entry) {
    while (next != request.end() && next->key < entry.key) {
        ++next;
    }
    return next != request.end() && next->key == entry.key && next->value == entry.value;
}

} // namespace

// Two passes: the lengths first, so that the text is sized once and each piece is
// one plain copy; this runs on the plan's own time for every answer.
MapCopy::MapCopy(const CMapStringToString& map) {
    std::size_t length = 0;
    std::string_view key;
    std::string_view value;
    for (POSITION position = map.GetStartPosition(); position != nullptr;) {
        map.GetNextEntry(position, key, value);
        length += key.size() + value.size();
    }
    text_.resize(length);
    ends_.resize(2 * static_cast<std::size_t>(map.GetCount()));
    std::size_t at = 0;
    std::size_t* end = ends_.data();
    for (POSITION position = map.GetStartPosition(); position != nullptr;) {
        map.GetNextEntry(position, key, value);
        for (const std::string_view piece : {key, value}) {
            std::memcpy(text_.data() + at, piece.data(), piece.size());
            at += piece.size();
            *end++ = at;
        }
    }
}

std::vector<MapEntry> MapCopy::Entries() const {
    std::vector<MapEntry> entries;
    entries.reserve(Size());
    const std::string_view text = text_;
    std::size_t start = 0;
    for (std::size_t i = 0; i < ends_.size(); i += 2) {
        const std::size_t keyEnd = ends_[i];
        entries.push_back({text.substr(start, keyEnd - start), text.substr(keyEnd, ends_[i + 1] - keyEnd)});
        start = ends_[i + 1];
    }
    return entries;
}

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

void CallTrace::Record(CallerThread thread, MapCopy request, const CMapStringToString& answered) {
    Call call{thread, std::move(request), MapCopy(answered)};
    const std::size_t entries = call.answered.Size();
    std::unique_lock lock(mutex_);
    if (waitingEntries_ >= kMostWaitingEntries && failure_ == nullptr && !finishing_) {
        recorderBlocked_ = true;
        roomMade_.wait(lock, [this] {
            return waitingEntries_ < kMostWaitingEntries || failure_ != nullptr || finishing_;
        });
        recorderBlocked_ = false;
    }
    if (failure_ != nullptr || finishing_) {
        return; // the trace is already incomplete, and Finish says so
    }
    waiting_.push_back(std::move(call));
    waitingEntries_ += entries;
    if (writerIdle_) {
        callsWaiting_.notify_one();
    }
}

void CallTrace::Finish() {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
    }
    callsWaiting_.notify_one();
    if (writer_.joinable()) {
        writer_.join();
    }
    std::lock_guard lock(mutex_);
    if (failure_ != nullptr) {
        std::rethrow_exception(failure_);
    }
}

// Takes every call waiting at once and writes them outside the lock, in order, so
// that Record only waits while a call is handed over.
void CallTrace::WriteCalls() {
    std::unique_lock lock(mutex_);
    for (;;) {
        writerIdle_ = true;
        callsWaiting_.wait(lock, [this] { return !waiting_.empty() || finishing_; });
        writerIdle_ = false;
        if (waiting_.empty()) {
            return; // finishing, and nothing is left
        }
        std::deque<Call> batch;
        batch.swap(waiting_);
        lock.unlock();
        std::size_t written = 0;
        try {
            for (const Call& call : batch) {
                WriteLine(call);
                written += call.answered.Size();
            }
        } catch (...) {
            lock.lock();
            failure_ = std::current_exception();
            waiting_.clear();
            roomMade_.notify_all();
            return;
        }
        lock.lock();
        waitingEntries_ -= written;
        if (recorderBlocked_) {
            roomMade_.notify_all();
        }
    }
}

// Written straight into one reused line: an answer may hold thousands of entries, and
// a JSON object built for them would cost far more than the answer did.
void CallTrace::WriteLine(const Call& call) {
    line_.clear();
    line_ += "{\"thread\": ";
    AppendJsonString(CallerThreadName(call.thread), line_);
    line_ += ", \"request\": {";
    const std::vector<MapEntry> request = SortedEntries(call.request.Entries());
    std::string_view separator;
    for (const MapEntry& entry : request) {
        AppendJsonMember(separator, entry.key, entry.value, line_);
        separator = ", ";
    }
    line_ += "}, \"reply\": {";
    separator = {};
    auto nextOfRequest = request.begin();
    for (const MapEntry& entry : SortedEntries(call.answered.Entries())) {
        if (!HoldsSameText(request, nextOfRequest, entry)) {
            AppendJsonMember(separator, entry.key, entry.value, line_);
            separator = ", ";
        }
    }
    line_ += "}}\n";
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}

} // namespace host
