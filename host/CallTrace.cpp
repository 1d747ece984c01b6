// CallTrace.cpp - writing the trace lines: the request as handed over, then what the answer changed.
#include "host/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <ostream>

namespace host {
namespace {

// Walks the request beside the answered map's entries, both in key order: `next`
// is the first request entry not yet passed.
bool HoldsSameText(const std::vector<MapEntryCopy>& request,
                   std::vector<MapEntryCopy>::const_iterator& next, const MapEntry& entry) {
    while (next != request.end() && next->key < entry.key) {
        ++next;
    }
    return next != request.end() && next->key == entry.key && next->value == entry.value;
}

} // namespace

std::string_view CallerThreadName(CallerThread thread) {
    return thread == CallerThread::Ui ? "ui" : "worker";
}

void CallTrace::Record(CallerThread thread, const std::vector<MapEntryCopy>& request,
                       const CMapStringToString& answered) {
    // Written straight into one reused line: an answer may hold thousands of entries,
    // and a JSON object built for them would cost far more than the answer did.
    line_.clear();
    line_ += "{\"thread\": ";
    AppendJsonString(CallerThreadName(thread), line_);
    line_ += ", \"request\": {";
    std::string_view separator;
    for (const MapEntryCopy& entry : request) {
        AppendJsonMember(separator, entry.key, entry.value, line_);
        separator = ", ";
    }
    line_ += "}, \"reply\": {";
    separator = {};
    auto nextOfRequest = request.begin();
    for (const MapEntry& entry : SortedMapEntries(answered)) {
        if (!HoldsSameText(request, nextOfRequest, entry)) {
            AppendJsonMember(separator, entry.key, entry.value, line_);
            separator = ", ";
        }
    }
    line_ += "}}\n";
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}

} // namespace host
