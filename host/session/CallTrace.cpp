// CallTrace.cpp - writing the trace lines: the request as handed over, then what the answer
// changed.
#include "session/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <algorithm>
#include <ostream>
#include <string>

namespace host {
namespace {

// Walks the request beside the answered map's entries, both in key order: `next` is the
// first request entry not yet passed.
bool HoldsSameText(std::span<const KeyOrderedEntry> request,
                   std::span<const KeyOrderedEntry>::iterator& next,
                   const KeyOrderedEntry& answered) {
    while (next != request.end() && *next < answered) {
        ++next;
    }
    return next != request.end() && !(answered < *next) &&
           next->entry.value == answered.entry.value;
}

} // namespace

std::string_view CallerThreadName(CallerThread thread) {
    return thread == CallerThread::Ui ? "ui" : "worker";
}

void CallTrace::KeepRequest(const CMapStringToString& request) {
    // The sorter's copy of the request is kept: the answer has a sorter of its own.
    request_ = requestSorter_.Sort(request);
}

void CallTrace::Record(CallerThread thread, const CMapStringToString& answered) {
    // Written straight into one reused line: an answer may hold thousands of entries,
    // and a JSON object built for them would cost far more than the answer did.
    line_.Clear();
    if (turn_) {
        line_.Append("{\"turn\": ");
        line_.Append(std::to_string(*turn_));
        line_.AppendMember(", ", "thread", CallerThreadName(thread));
    } else {
        line_.AppendMember("{", "thread", CallerThreadName(thread));
    }
    line_.Append(", \"request\": {");
    std::string_view separator;
    for (const KeyOrderedEntry& item : request_) {
        line_.AppendMember(separator, item.entry.key, item.entry.value);
        separator = ", ";
    }
    line_.Append("}, \"reply\": {");
    separator = {};
    auto nextOfRequest = request_.begin();
    for (const KeyOrderedEntry& item : answerSorter_.Sort(answered)) {
        if (!HoldsSameText(request_, nextOfRequest, item)) {
            line_.AppendMember(separator, item.entry.key, item.entry.value);
            separator = ", ";
        }
    }
    line_.Append("}}\n");
    const std::string_view text = line_.Text();
    out_.write(text.data(), static_cast<std::streamsize>(text.size()));
}

} // namespace host
