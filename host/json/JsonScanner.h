// JsonScanner.h - a fast pass over strict JSON that sends a SAX handler the events nlohmann's parser would send.
//
// The scanner knows only the plain, common shape of a document: the usual
// whitespace, strings with their escapes and well-formed UTF-8, numbers that
// convert without overflow or underflow, and the three literals. Whatever it
// accepts, nlohmann's parser accepts too, with the same events and the same
// values bit for bit (whole numbers as signed or unsigned 64-bit integers
// exactly as it picks them, others correctly rounded). A UTF-8 byte-order mark
// at the start is passed over, as nlohmann's parser passes it over. On anything
// else -- a syntax error, a number out of a double's range -- it stops and says so, and the caller reads the document again with nlohmann's parser,
// whose word on a bad document is final. Strings reach the handler as views
// into the text when they hold no escape, so good documents cost no copies.
//
// The text arrives in windows that may end anywhere, inside a token too, so
// that what a source holds does not depend on where (or whether) the text
// breaks its lines. A token that reaches the end of its window is read again
// from its first byte with the next window behind it; a token that fails more
// than a few bytes before the end has failed for good, so a text that is wrong
// at its start is refused after one window. Nesting depth costs one byte of
// heap per level.
#pragma once

#include "json/PlainAscii.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

/// Where the scanner's text comes from, window by window.
class JsonWindows {
public:
    virtual ~JsonWindows() = default;
    /// The next window of text: the last `keep` bytes of the window before (a token not yet
    /// complete; 0 for the first), then the text that follows them. At the end of the text
    /// it holds only the kept bytes. The window before is no longer valid.
    virtual std::string_view Next(std::size_t keep) = 0;
};

/// A text held whole in memory: one window.
class JsonTextWindows final : public JsonWindows {
public:
    explicit JsonTextWindows(std::string_view text) : text_(text) {}
    std::string_view Next(std::size_t keep) override {
        const std::string_view window = text_.substr(given_ - keep);
        given_ = text_.size();
        return window;
    }

private:
    std::string_view text_;
    std::size_t given_ = 0; // bytes of text_ handed out
};

/// One number token, converted as nlohmann's lexer converts it.
struct JsonNumber {
    enum class Kind : std::uint8_t { Integer, Unsigned, Float };
    Kind kind = Kind::Unsigned;
    std::int64_t integer = 0;
    std::uint64_t unsignedValue = 0;
    double number = 0.0;
};

/// The token-level work of the scanner, kept out of the handler template but for the
/// common case of a string that is plain ASCII.
class JsonLexer {
public:
    /// The first byte from `p` on that is not printable ASCII other than the quote and the
    /// backslash, found sixteen or eight bytes at a time; near the end it may stop short of it.
    static const char* PlainAsciiEnd(const char* p, const char* end) {
#if defined(__SSE2__)
        while (end - p >= 16) {
            const unsigned marks = NonPlainAsciiMarks16(p);
            if (marks != 0) {
                return p + std::countr_zero(marks);
            }
            p += 16;
        }
#endif
        if constexpr (std::endian::native != std::endian::little) {
            return p; // callers go on byte by byte
        }
        while (end - p >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, p, sizeof word);
            const std::uint64_t marks = NonPlainAsciiMarks(word);
            if (marks != 0) {
                return p + std::countr_zero(marks) / 8;
            }
            p += 8;
        }
        return p;
    }

    /// Reads a string whose opening quote is just before `p` and moves `p` past its closing
    /// quote; false when it is not one the scanner takes. The result is a view into the text,
    /// or into `scratch` when escapes had to be decoded.
    static bool String(const char*& p, const char* end, std::string& scratch, std::string_view& value);
    /// Reads a number starting at `p` and moves `p` past it; false when the scanner leaves it to nlohmann.
    static bool Number(const char*& p, const char* end, JsonNumber& value, std::string_view& text);
    /// Moves `p` past `word` when the text holds it there.
    static bool Literal(const char*& p, const char* end, std::string_view word);
};

/// Sends `handler` the events of the document in `windows`. True when the whole document
/// was read; false when the scanner stopped on something it leaves to nlohmann's parser,
/// and then the handler has seen only a beginning of the events and must be discarded.
template <typename Handler>
bool ScanJson(JsonWindows& windows, Handler& handler);

namespace json_scanner_detail {

template <typename Handler>
class Scanner {
public:
    Scanner(JsonWindows& windows, Handler& handler) : windows_(windows), handler_(handler) {}

    bool Run() {
        if (!NextWindow() || !SkipByteOrderMark()) {
            return false; // an empty document, or a first window too short to judge its mark
        }
        for (;;) {
            const Step step = Value();
            if (step == Step::Failed) {
                return false;
            }
            if (step == Step::Opened) {
                continue; // the container's first value comes next
            }
            // After a value: close what it ends, until a comma asks for the next value.
            for (;;) {
                if (open_.empty()) {
                    return !SkipSpace(); // nothing may follow the document but whitespace
                }
                if (!SkipSpace()) {
                    return false;
                }
                const bool inObject = open_.back() == '{';
                if (*p_ == (inObject ? '}' : ']')) {
                    ++p_;
                    open_.pop_back();
                    if (!Close(inObject)) {
                        return false;
                    }
                    continue;
                }
                if (*p_ != ',') {
                    return false;
                }
                ++p_;
                if (inObject && !Key()) {
                    return false;
                }
                break;
            }
        }
    }

private:
    enum class Step : std::uint8_t { Failed, Complete, Opened };

    // nlohmann's parser does not count a container's elements before it starts.
    static constexpr auto kUnknownSize = static_cast<std::size_t>(-1);

    static Step Done(bool ok) { return ok ? Step::Complete : Step::Failed; }

    /// One value; an object or array that is not empty is only opened, with its first key read.
    Step Value() {
        if (!SkipSpace()) {
            return Step::Failed;
        }
        switch (*p_) {
        case '{':
        case '[':
            return Open(*p_);
        case '"': {
            std::string_view text;
            return Done(Token([&] { return String(text); }) && handler_.string(text));
        }
        case 't':
            return Done(Literal("true") && handler_.boolean(true));
        case 'f':
            return Done(Literal("false") && handler_.boolean(false));
        case 'n':
            return Done(Literal("null") && handler_.null());
        default:
            return Done(Number());
        }
    }

    /// An object or array starts at `opening`: when empty it is complete at once; otherwise
    /// it stays open for its first value (an object's after its first key).
    Step Open(char opening) {
        const bool isObject = opening == '{';
        ++p_;
        const bool started = isObject ? handler_.start_object(kUnknownSize) : handler_.start_array(kUnknownSize);
        if (!started || !SkipSpace()) {
            return Step::Failed;
        }
        if (*p_ == (isObject ? '}' : ']')) {
            ++p_;
            return Done(Close(isObject));
        }
        open_.push_back(opening);
        return isObject && !Key() ? Step::Failed : Step::Opened;
    }

    bool Close(bool isObject) { return isObject ? handler_.end_object() : handler_.end_array(); }

    /// The key of an object's member and its colon; the value follows.
    bool Key() {
        std::string_view name;
        if (!SkipSpace() || *p_ != '"' || !Token([&] { return String(name); }) || !handler_.key(name)) {
            return false;
        }
        if (!SkipSpace() || *p_ != ':') {
            return false;
        }
        ++p_;
        return true;
    }

    /// The string whose opening quote is at p_; plain ASCII is taken here, anything else by the lexer.
    bool String(std::string_view& text) {
        const char* start = ++p_;
        const char* stop = JsonLexer::PlainAsciiEnd(start, end_);
        if (stop != end_ && *stop == '"') {
            text = std::string_view(start, static_cast<std::size_t>(stop - start));
            p_ = stop + 1;
            return true;
        }
        return JsonLexer::String(p_, end_, scratch_, text);
    }

    bool Literal(std::string_view word) {
        return Token([&] { return JsonLexer::Literal(p_, end_, word); });
    }

    bool Number() {
        JsonNumber number;
        std::string_view text;
        if (!Token([&] { return JsonLexer::Number(p_, end_, number, text); })) {
            return false;
        }
        switch (number.kind) {
        case JsonNumber::Kind::Integer:
            return handler_.number_integer(number.integer);
        case JsonNumber::Kind::Unsigned:
            return handler_.number_unsigned(number.unsignedValue);
        case JsonNumber::Kind::Float:
            break;
        }
        return handler_.number_float(number.number, text);
    }

    /// Moves past whitespace, into the next window where needed; false at the end of the text.
    bool SkipSpace() {
        if (p_ != end_ && static_cast<unsigned char>(*p_) > ' ') {
            return true; // the usual case: the next token follows at once
        }
        for (;;) {
            while (p_ != end_) {
                const char c = *p_;
                if (c != ' ' && c != '\n' && c != '\r' && c != '\t') {
                    return true;
                }
                ++p_;
            }
            if (!NextWindow()) {
                return false;
            }
        }
    }

    /// Reads one token with `read`, which moves p_ past it and says whether it is one the scanner
    /// takes. A token that reached the window's end (or failed within a cut token's reach of it)
    /// may go on in the next window: it is read again from its first byte with more text behind it.
    template <typename Read>
    bool Token(Read read) {
        for (;;) {
            const char* start = p_;
            const bool taken = read();
            const bool nearEnd = taken ? p_ == end_ : end_ - p_ <= kLongestCut;
            if (!nearEnd || textEnded_) {
                return taken;
            }
            ExtendWindow(static_cast<std::size_t>(end_ - start));
        }
    }

    /// The next window, beginning with the last `keep` bytes of this one.
    void ExtendWindow(std::size_t keep) {
        const std::string_view window = windows_.Next(keep);
        p_ = window.data();
        end_ = p_ + window.size();
        textEnded_ = window.size() == keep;
    }

    bool NextWindow() {
        ExtendWindow(0);
        return p_ != end_;
    }

    /// Passes over a UTF-8 byte-order mark at the start; false for a text that is a cut mark alone.
    bool SkipByteOrderMark() {
        static constexpr std::string_view kMark = "\xEF\xBB\xBF";
        for (;;) {
            const auto size = static_cast<std::size_t>(end_ - p_);
            const std::string_view start(p_, std::min(size, kMark.size()));
            if (start != kMark.substr(0, start.size())) {
                return true;
            }
            if (start.size() == kMark.size()) {
                p_ += kMark.size();
                return true;
            }
            if (textEnded_) {
                return false;
            }
            ExtendWindow(size);
        }
    }

    // The most bytes before a window's end at which a token can fail only for being cut: an
    // escaped surrogate pair's twelve.
    static constexpr std::ptrdiff_t kLongestCut = 12;

    JsonWindows& windows_;
    Handler& handler_;
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    bool textEnded_ = false; // the window holds the text's last byte
    std::vector<char> open_; // '{' or '[' for each container still open
    std::string scratch_;    // a string's decoded text when it held escapes
};

} // namespace json_scanner_detail

template <typename Handler>
bool ScanJson(JsonWindows& windows, Handler& handler) {
    return json_scanner_detail::Scanner<Handler>(windows, handler).Run();
}

} // namespace host
