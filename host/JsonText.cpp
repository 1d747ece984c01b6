// JsonText.cpp - the one-line JSON writer and the text-map conversion.
#include "host/JsonText.h"

#include "platform/CMapStringToString.h"

namespace host {
namespace {

std::string ScalarText(const OrderedJson& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void AppendJson(const OrderedJson& value, std::string& out) {
    if (value.is_object()) {
        out += '{';
        const char* separator = "";
        for (const auto& [key, member] : value.items()) {
            out += separator;
            out += ScalarText(OrderedJson(key));
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
    } else {
        out += ScalarText(value);
    }
}

} // namespace

std::string ToJsonLine(const OrderedJson& value) {
    std::string out;
    AppendJson(value, out);
    return out;
}

OrderedJson MapToJson(const CMapStringToString& map) {
    OrderedJson object = OrderedJson::object();
    POSITION position = map.GetStartPosition();
    while (position != nullptr) {
        CString key;
        CString value;
        map.GetNextAssoc(position, key, value);
        object[key.str()] = value.str();
    }
    return object;
}

} // namespace host
