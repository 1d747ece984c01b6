// JsonLineBuffer.cpp - the line buffer's growth and its way for texts that need escaping.
#include "session/JsonLineBuffer.h"

#include "json/JsonText.h"

#include <algorithm>
#include <string>

namespace host {

void JsonLineBuffer::Append(std::string_view text) {
    size_ = static_cast<std::size_t>(CopyText(Room(text.size()), text) - bytes_.data());
}

void JsonLineBuffer::Grow(std::size_t size) {
    bytes_.resize(std::max(size_ + size + kReadPast, 2 * bytes_.size()));
}

void JsonLineBuffer::AppendEscapedMember(std::string_view separator, std::string_view key,
                                         std::string_view value) {
    std::string member(separator);
    AppendJsonString(key, member);
    member += ": ";
    AppendJsonString(value, member);
    Append(member);
}

} // namespace host
