// JsonLineBuffer.h - a line of JSON text put together in place, for the trace, written a member at
// a time.
//
// The trace writes a member for every entry of every answer: hundreds of
// thousands of short keys and values, nearly all of them plain ASCII. A member is
// copied into the buffer and checked where it lies, sixteen bytes at a time;
// only a text that needs escaping takes the JSON library's way, and reads the
// same as AppendJsonString writes it.
#pragma once

#include "json/PlainAscii.h"

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

namespace host {

/// One line of JSON text, its buffer kept from line to line.
class JsonLineBuffer {
public:
    void Clear() { size_ = 0; }

    /// `text` as it stands: the line's own punctuation.
    void Append(std::string_view text);

    /// `"key": "value"` after `separator`, the texts written as AppendJsonString writes them.
    /// Plain bytes stand in for the quotes between key and value until both are checked, in
    /// one pass.
    [[gnu::always_inline]] void AppendMember(std::string_view separator, std::string_view key,
                                             std::string_view value) {
        char* at = Room(separator.size() + key.size() + value.size() + 6);
        at = CopyText(at, separator);
        *at++ = '"';
        char* const keyAt = at;
        at = CopyText(at, key);
        char* const between = at;
        std::memcpy(at, "_: _", 4);
        at = CopyText(at + 4, value);
        if (NeedsEscapingFollowedByRoom(keyAt, static_cast<std::size_t>(at - keyAt))) {
            AppendEscapedMember(separator, key, value);
            return;
        }
        between[0] = '"';
        between[3] = '"';
        *at++ = '"';
        size_ = static_cast<std::size_t>(at - bytes_.data());
    }

    std::string_view Text() const { return {bytes_.data(), size_}; }

private:
    static constexpr std::size_t kReadPast = 16;

    /// Where `size` more bytes go, with kReadPast more after them that may be read.
    char* Room(std::size_t size) {
        if (bytes_.size() < size_ + size + kReadPast) {
            Grow(size);
        }
        return bytes_.data() + size_;
    }
    void Grow(std::size_t size);
    void AppendEscapedMember(std::string_view separator, std::string_view key,
                             std::string_view value);

    /// Copies `total` bytes, from `size` to `2 * size`, as a move of the first `size` and one
    /// of the last, which overlap.
    template <std::size_t size>
    static void CopyOverlapping(char* to, const char* from, std::size_t total) {
        char head[size];
        char tail[size];
        std::memcpy(head, from, size);
        std::memcpy(tail, from + total - size, size);
        std::memcpy(to, head, size);
        std::memcpy(to + total - size, tail, size);
    }

    /// Nearly every key and value is short: those are copied in a few moves of known size
    /// rather than through a call that first works out how to copy.
    static char* CopyText(char* to, std::string_view text) {
        const std::size_t size = text.size();
        if (size > 16) {
            std::memcpy(to, text.data(), size);
        } else if (size >= 8) {
            CopyOverlapping<8>(to, text.data(), size);
        } else if (size >= 4) {
            CopyOverlapping<4>(to, text.data(), size);
        } else if (size >= 2) {
            CopyOverlapping<2>(to, text.data(), size);
        } else if (size == 1) {
            to[0] = text[0];
        }
        return to + size;
    }

    /// Whether the `size` bytes at `text`, which kReadPast more bytes follow, need escaping:
    /// read sixteen at a time, the marks of the bytes past the end dropped. Both targets
    /// compute in SSE2; any other reads byte by byte.
    static bool NeedsEscapingFollowedByRoom(const char* text, std::size_t size) {
#if defined(__SSE2__)
        for (;; text += 16, size -= 16) {
            const unsigned marks = NonPlainAsciiMarks16(text);
            if (size <= 16) {
                return (marks & ((1u << size) - 1)) != 0;
            }
            if (marks != 0) {
                return true;
            }
        }
#else
        return !IsPlainAscii(std::string_view(text, size));
#endif
    }

    std::vector<char> bytes_; // every byte written at least once, so any of them may be read
    std::size_t size_ = 0;
};

} // namespace host
