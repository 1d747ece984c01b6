// JsonEventLog.h - a SAX handler that writes down every event of a parse, so that two parsers' passes compare as text.
//
// Used where the scanner is checked against nlohmann's parser: both are given
// the same bytes and their logs must match line for line, doubles compared by
// their bits, texts by their bytes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace host {

class JsonEventLog {
public:
    bool null() { return Add("null"); }
    bool boolean(bool value) { return Add(value ? "true" : "false"); }
    bool number_integer(std::int64_t value) { return Add("integer ", std::to_string(value)); }
    bool number_unsigned(std::uint64_t value) { return Add("unsigned ", std::to_string(value)); }
    bool number_float(double value, std::string_view text) {
        return Add("float ", std::to_string(std::bit_cast<std::uint64_t>(value)), " ", text);
    }
    bool string(std::string_view value) { return Add("string ", std::to_string(value.size()), " ", value); }
    template <typename Binary>
    bool binary(Binary&) {
        return Add("binary");
    }
    bool start_object(std::size_t) { return Add("{"); }
    bool key(std::string_view name) { return Add("key ", std::to_string(name.size()), " ", name); }
    bool end_object() { return Add("}"); }
    bool start_array(std::size_t) { return Add("["); }
    bool end_array() { return Add("]"); }
    template <typename Exception>
    bool parse_error(std::size_t, const std::string&, const Exception&) {
        Add("error");
        return false;
    }

    const std::string& Text() const { return text_; }

private:
    template <typename... Parts>
    bool Add(const Parts&... parts) {
        ((text_ += parts), ...);
        text_ += '\n';
        return true;
    }

    std::string text_;
};

} // namespace host
