// PlainAscii.h - finding, many bytes at a time, the bytes a JSON string cannot hold as they stand.
//
// Plain ASCII here is printable ASCII other than the quote and the backslash, the
// bytes that both the galaxy reader and the JSON writers pass through untouched.
// Every other byte, a control character, '"', '\\' or anything from 0x80 (which
// must first be checked as UTF-8), sends the caller on its slower way.
#pragma once

#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace host {

constexpr bool IsPlainAscii(unsigned char byte) {
    return byte >= 0x20 && byte < 0x80 && byte != '"' && byte != '\\';
}

/// Whether every byte of `text` is plain ASCII, byte by byte.
constexpr bool IsPlainAscii(std::string_view text) {
    for (const char byte : text) {
        if (!IsPlainAscii(static_cast<unsigned char>(byte))) {
            return false;
        }
    }
    return true;
}

/// Marks each byte of `word` that is not plain ASCII with its high bit. A borrow may mark
/// bytes after a true mark (towards the word's high end), never before it, so the lowest
/// mark is exact and a word with no true mark has none at all.
constexpr std::uint64_t NonPlainAsciiMarks(std::uint64_t word) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighBits = 0x8080808080808080;
    // The bytes of `bytes` below `limit` (at most 0x80).
    const auto below = [](std::uint64_t bytes, std::uint64_t limit) {
        return (bytes - kOnes * limit) & ~bytes & kHighBits;
    };
    return below(word, 0x20) | below(word ^ (kOnes * '"'), 1) | below(word ^ (kOnes * '\\'), 1) |
           (word & kHighBits);
}

#if defined(__SSE2__)
/// One bit for each of the sixteen bytes at `p` that is not plain ASCII, the first byte lowest.
inline unsigned NonPlainAsciiMarks16(const char* p) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Signed bytes: below 0x20 takes the control characters and everything from 0x80.
    const __m128i marks = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\\'))));
    return static_cast<unsigned>(_mm_movemask_epi8(marks));
}
#endif

} // namespace host
