// JsonText.h - one-line JSON text in the host's documented spacing.
//
// The host's JSON outputs (the --json report and each --trace line) are single
// lines with a blank after every ':' and ',' as the host's documentation shows
// them. Texts that are not valid UTF-8 (a plug-in may send any bytes) are
// written with the replacement character instead of failing.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace host {

using OrderedJson = nlohmann::ordered_json;

/// `value` as one line: `{"a": 1, "b": [1, 2]}`.
std::string ToJsonLine(const OrderedJson& value);
/// `text` as a JSON string, quoted and escaped as ToJsonLine writes it, appended to `out`.
void AppendJsonString(std::string_view text, std::string& out);

} // namespace host
