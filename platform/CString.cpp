// CString.cpp - text value operations.
#include "platform/CString.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>

CString::CString(const char* text) : text_(text == nullptr ? "" : text) {}

CString& CString::operator=(const char* text) {
    text_.assign(text == nullptr ? "" : text);
    return *this;
}

CString& CString::operator+=(char ch) {
    text_.push_back(ch);
    return *this;
}

CString& CString::operator+=(const char* text) {
    text_.append(text == nullptr ? "" : text);
    return *this;
}

CString& CString::operator+=(const CString& text) {
    text_.append(text.text_);
    return *this;
}

void CString::Format(const char* format, ...) {
    if (format == nullptr) {
        text_.clear();
        return;
    }
    // Almost every text formatted here (queries, keys, orders) is short: one
    // pass into a stack buffer, and a second, exactly sized one only when it overflows.
    char buffer[256];
    std::va_list args;
    va_start(args, format);
    std::va_list retryArgs;
    va_copy(retryArgs, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0) {
        text_.clear();
    } else if (static_cast<std::size_t>(length) < sizeof buffer) {
        text_.assign(buffer, static_cast<std::size_t>(length));
    } else {
        // vsnprintf writes the terminating NUL into the string's own spare byte.
        text_.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text_.data(), text_.size() + 1, format, retryArgs);
    }
    va_end(retryArgs);
}

void CString::SetAt(int index, char ch) {
    if (index < 0 || index >= GetLength()) {
        return;
    }
    text_[static_cast<std::size_t>(index)] = ch;
}

void CString::TrimLeft() {
    std::size_t first = 0;
    while (first < text_.size() && std::isspace(static_cast<unsigned char>(text_[first])) != 0) {
        ++first;
    }
    text_.erase(0, first);
}

char CString::GetAt(int index) const {
    if (index < 0 || index >= GetLength()) {
        return '\0';
    }
    return text_[static_cast<std::size_t>(index)];
}
