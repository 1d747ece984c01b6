// SharedText.h - an immutable text held once however many records name it.
//
// A galaxy names the same few races, ship types and fleets in millions of
// groups and planets. A SharedText is the four-byte number of the single copy
// of its text in a process-wide pool, so each record pays four bytes for such
// a field instead of a whole string. Equal texts share one copy, so two
// SharedTexts are equal exactly when they hold the same number. A copy is
// counted, and the pool frees a text when its last holder goes: a process
// that reads many galaxies, one after the other, keeps only the texts in use.
//
// Making a SharedText from a text, and dropping the last holder of a text,
// take the pool's lock; copying, comparing and reading one never do, so
// threads may read SharedTexts that another thread made, and copy or drop
// their own, at any time.
#pragma once

#include <atomic>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace host {

class SharedText {
public:
    /// The empty text; it needs no place in the pool.
    SharedText() noexcept = default;
    SharedText(std::string_view text);
    SharedText(const std::string& text) : SharedText(std::string_view(text)) {}
    SharedText(const char* text) : SharedText(std::string_view(text)) {}

    SharedText(const SharedText& other) noexcept;
    SharedText(SharedText&& other) noexcept : id_(other.id_) { other.id_ = 0; }
    SharedText& operator=(SharedText other) noexcept;
    ~SharedText();

    const std::string& Text() const;
    operator const std::string&() const { return Text(); }
    std::string_view View() const { return Text(); }
    operator std::string_view() const { return Text(); }

    bool empty() const { return id_ == 0; }
    std::size_t size() const { return Text().size(); }
    const char* data() const { return Text().data(); }
    const char* c_str() const { return Text().c_str(); }

    // One number comparison between SharedTexts; byte by byte against other kinds of text,
    // each named so that a literal or a std::string needs no conversion that could go either way.
    friend bool operator==(const SharedText& a, const SharedText& b) { return a.id_ == b.id_; }
    friend bool operator==(const SharedText& a, std::string_view b) { return a.View() == b; }
    friend bool operator==(const SharedText& a, const std::string& b) { return a.Text() == b; }
    friend bool operator==(const SharedText& a, const char* b) { return a.View() == b; }
    friend std::strong_ordering operator<=>(const SharedText& a, const SharedText& b) {
        return a.View() <=> b.View();
    }
    friend std::strong_ordering operator<=>(const SharedText& a, std::string_view b) {
        return a.View() <=> b;
    }
    friend std::strong_ordering operator<=>(const SharedText& a, const std::string& b) {
        return a.View() <=> b;
    }
    friend std::strong_ordering operator<=>(const SharedText& a, const char* b) {
        return a.View() <=> b;
    }

    /// How many distinct texts the pool holds now.
    static std::size_t PooledCount();

private:
    std::uint32_t id_ = 0; // the pooled text's number; 0 for the empty text
};

std::ostream& operator<<(std::ostream& out, const SharedText& text);

} // namespace host
