// CallTrace.cpp - writing the trace lines: the request as handed over, then what the answer
// changed.
#include "session/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <algorithm>
#include <ostream>

namespace host {
namespace {

// Walks the request beside the answered map's entries, both in key order: `next` is the
// first request entry not yet passed.
bool HoldsSameText(const std::vector<KeyOrderedEntry>& request,
                   std::vector<KeyOrderedEntry>::const_iterator& next,
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
    const std::span<const KeyOrderedEntry> sorted = sorter_.Sort(request);
    request_.assign(sorted.begin(), sorted.end());
    std::size_t textSize = 0;
    for (const KeyOrderedEntry& item : request_) {
        textSize += item.entry.key.size() + item.entry.value.size();
    }
    // Sized once, so that the views into it stay put.
    requestText_.resize(textSize);
    char* at = requestText_.data();
    const auto keep = [&at](std::string_view& text) {
        const char* const start = at;
        at = std::copy(text.begin(), text.end(), at);
        text = {start, text.size()};
    };
    for (KeyOrderedEntry& item : request_) {
        keep(item.entry.key);
        keep(item.entry.value);
    }
}

void CallTrace::Record(CallerThread thread, const CMapStringToString& answered) {
    // Written straight into one reused line: an answer may hold thousands of entries,
    // and a JSON object built for them would cost far more than the answer did.
    line_.Clear();
    line_.AppendMember("{", "thread", CallerThreadName(thread));
    line_.Append(", \"request\": {");
    std::string_view separator;
    for (const KeyOrderedEntry& item : request_) {
        line_.AppendMember(separator, item.entry.key, item.entry.value);
        separator = ", ";
    }
    line_.Append("}, \"reply\": {");
    separator = {};
    auto nextOfRequest = request_.cbegin();
    for (const KeyOrderedEntry& item : sorter_.Sort(answered)) {
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
