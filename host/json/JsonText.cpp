// JsonText.cpp - the one-line JSON writer.
#include "json/JsonText.h"

#include "json/PlainAscii.h"


namespace host {
namespace {

std::string ScalarText(const OrderedJson& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

/// Plain ASCII is written as it stands; only other texts need the library's escaping,
/// which builds a JSON value for each.
bool NeedsEscaping(std::string_view text) {
    return !IsPlainAscii(text);
}

void AppendJson(const OrderedJson& value, std::string& out) {
    if (value.is_object()) {
        out += '{';
        const char* separator = "";
        for (const auto& [key, member] : value.items()) {
            out += separator;
            AppendJsonString(key, out);
            out += ": ";
            AppendJson(member, out);
            separator = ", ";
        }
        out += '}';
    } else if (value.is_array()) {
        out += '[';
        const char* separator = "";
        for (const auto& element : value) {
            out += separator;
            AppendJson(element, out);
            separator = ", ";
        }
        out += ']';
    } else if (value.is_string()) {
        AppendJsonString(value.get_ref<const std::string&>(), out);
    } else {
        out += ScalarText(value);
    }
}

} // namespace

void AppendJsonString(std::string_view text, std::string& out) {
    if (NeedsEscaping(text)) {
        out += ScalarText(OrderedJson(std::string(text)));
        return;
    }
    out += '"';
    out += text;
    out += '"';
}

std::string ToJsonLine(const OrderedJson& value) {
    std::string out;
    AppendJson(value, out);
    return out;
}

} // namespace host
