// CString.h - the framework's text value: a byte string with copy semantics.
//
// Texts are bytes; comparisons are exact, byte by byte, with case kept and
// nothing trimmed. A null `const char*` given to any operation reads as the
// empty text, so a text read from a host answer can never be a null pointer.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/WinTypes.h"

#include <string>
#include <string_view>

class TARVENIX_FRAMEWORK_API CString {
public:
    CString() = default;
    CString(const char* text); // NOLINT(google-explicit-constructor): framework texts convert freely
    explicit CString(std::string_view text) : text_(text) {}

    CString& operator=(const char* text);
    CString& operator+=(char ch);
    CString& operator+=(const char* text);
    CString& operator+=(const CString& text);

    /// Replaces the content with printf-style formatting of the arguments.
    void Format(const char* format, ...) TARVENIX_PRINTF_FORMAT(2, 3);

    /// Replaces the content with entry `id` of the current module's string table
    /// (ModuleState.h), in the language in force; FALSE and an empty text when the
    /// table has no such entry.
    BOOL LoadString(UINT id);

    /// Replaces the character at `index`; an index outside the text changes nothing.
    void SetAt(int index, char ch);
    /// Removes leading white space (blank, tab, line breaks, vertical tab, form feed).
    void TrimLeft();
    void Empty() { text_.clear(); }

    int GetLength() const { return static_cast<int>(text_.size()); }
    bool IsEmpty() const { return text_.empty(); }
    /// The character at `index`, or '\0' outside the text.
    char GetAt(int index) const;
    char operator[](int index) const { return GetAt(index); }

    operator const char*() const { return text_.c_str(); } // NOLINT: the framework's LPCTSTR
    const char* c_str() const { return text_.c_str(); }
    std::string_view view() const { return text_; }
    const std::string& str() const { return text_; }

    friend bool operator==(const CString& a, const CString& b) { return a.text_ == b.text_; }
    friend bool operator==(const CString& a, const char* b) {
        return a.text_ == (b == nullptr ? "" : b);
    }

private:
    friend class CMapStringToString; // a walk copies its texts into the caller's in place

    std::string text_;
};
