// IgnoredJsonEvents.h - a parser's event handler that takes every event and keeps nothing, for a
// pass that wants one kind of event (override it) or none at all.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <string>

namespace host {

class IgnoredJsonEvents : public nlohmann::json_sax<nlohmann::json> {
public:
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    // A fault ends the pass: whoever reads the text for its values reports it.
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }
};

} // namespace host
