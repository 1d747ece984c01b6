// CallTrace.cpp - writing the trace lines: the request as handed over, then what the answer changed.
#include "host/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <ostream>

namespace host {
namespace {

bool HoldsSameText(const OrderedJson& request, const MapEntry& entry) {
    const auto earlier = request.find(entry.key.str());
    return earlier != request.end() && earlier->is_string() &&
           earlier->get_ref<const std::string&>() == entry.value.str();
}

} // namespace

std::string_view CallerThreadName(CallerThread thread) {
    return thread == CallerThread::Ui ? "ui" : "worker";
}

void CallTrace::Record(CallerThread thread, const OrderedJson& request,
                       const CMapStringToString& answered) {
    // Written straight into one reused line: an answer may hold thousands of entries,
    // and a JSON object built for them would cost far more than the answer did.
    line_.clear();
    line_ += "{\"thread\": ";
    AppendJsonString(CallerThreadName(thread), line_);
    line_ += ", \"request\": ";
    AppendJsonLine(request, line_);
    line_ += ", \"reply\": {";
    const char* separator = "";
    for (const MapEntry& entry : SortedMapEntries(answered)) {
        if (HoldsSameText(request, entry)) {
            continue;
        }
        line_ += separator;
        AppendJsonString(entry.key.str(), line_);
        line_ += ": ";
        AppendJsonString(entry.value.str(), line_);
        separator = ", ";
    }
    line_ += "}}\n";
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
}

} // namespace host
