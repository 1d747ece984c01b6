// CallTrace.cpp - writing the trace lines and working out what an answer changed.
#include "host/CallTrace.h"

#include "platform/CMapStringToString.h"

#include <ostream>

namespace host {

std::string_view CallerThreadName(CallerThread thread) {
    return thread == CallerThread::Ui ? "ui" : "worker";
}

OrderedJson ChangedEntries(const OrderedJson& before, const CMapStringToString& after) {
    OrderedJson changed = OrderedJson::object();
    const OrderedJson answered = MapToJson(after); // items() must not outlive what it walks
    for (const auto& [key, value] : answered.items()) {
        const auto earlier = before.find(key);
        if (earlier == before.end() || *earlier != value) {
            changed[key] = value;
        }
    }
    return changed;
}

void CallTrace::Record(CallerThread thread, const OrderedJson& request,
                       const CMapStringToString& answered) {
    OrderedJson line = OrderedJson::object();
    line["thread"] = CallerThreadName(thread);
    line["request"] = request;
    line["reply"] = ChangedEntries(request, answered);
    out_ << ToJsonLine(line) << '\n' << std::flush;
}

} // namespace host
