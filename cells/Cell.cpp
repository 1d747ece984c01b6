// Cell.cpp - CCell, CCellLong and CCellString: comparisons by double dispatch, dump lines.
#include "cells/Cell.h"

#include "platform/Conversions.h"

#include <cstring>
#include <iostream>

namespace {

// A long's decimal form lives in a fixed buffer on the stack: comparing a long
// with a text must not allocate.
class DecimalForm {
public:
    explicit DecimalForm(std::int32_t v) { platform::_ltoa(v, digits, 10); }
    const char* c_str() const { return digits; }

private:
    char digits[12]; // "-2147483648" and its terminator
};

// Text order: strcmp's, bytes as unsigned. A null text reads as the empty text,
// as it does everywhere in the framework's text type.
int CompareText(const char* a, const char* b) {
    return std::strcmp(a == nullptr ? "" : a, b == nullptr ? "" : b);
}

BOOL AsBool(bool b) {
    return b ? TRUE : FALSE;
}

constexpr const char kInvalidOperationLine[] = "Class \"CCell\" isn't valid operation\n";

} // namespace

// --- CCell: the base answers TRUE to every comparison and cannot write itself.

std::int32_t CCell::GetLong() const {
    return 0;
}
const char* CCell::GetString() const {
    return nullptr;
}
BOOL CCell::CanReplace(const CCell* /*existing*/) const {
    return TRUE;
}
const char* CCell::GetStringEx(void* /*buffer*/) const {
    return nullptr;
}
std::int32_t CCell::AsLong() const {
    return 0;
}
BOOL CCell::IsLess(const char* /*s*/) const {
    return TRUE;
}
BOOL CCell::IsLess(const CCell* /*other*/) const {
    return TRUE;
}
BOOL CCell::IsLess(std::int32_t /*v*/) const {
    return TRUE;
}
BOOL CCell::IsGreater(const char* /*s*/) const {
    return TRUE;
}
BOOL CCell::IsGreater(const CCell* /*other*/) const {
    return TRUE;
}
BOOL CCell::IsGreater(std::int32_t /*v*/) const {
    return TRUE;
}
BOOL CCell::IsEqual(const char* /*s*/) const {
    return TRUE;
}
BOOL CCell::IsEqual(const CCell* /*other*/) const {
    return TRUE;
}
BOOL CCell::IsEqual(std::int32_t /*v*/) const {
    return TRUE;
}

std::ostream& CCell::Write(std::ostream& s) const {
    return s << *this;
}

// Through the virtual table, so a long or text cell writes its own line to cerr
// while a plain cell writes the invalid-operation line.
void CCell::Write() const {
    Write(std::cerr);
}

std::ostream& CCell::Dump(std::ostream& s) const {
    return s;
}

CCell::~CCell() = default;

// --- CCellLong: numeric against longs, decimal form against texts. Against another
// cell the other cell decides, given this cell's long.

std::int32_t CCellLong::GetLong() const {
    return value;
}
std::int32_t CCellLong::AsLong() const {
    return value;
}

BOOL CCellLong::IsLess(const char* s) const {
    return AsBool(CompareText(DecimalForm(value).c_str(), s) < 0);
}
BOOL CCellLong::IsLess(const CCell* other) const {
    return other == nullptr ? FALSE : other->IsGreater(value);
}
BOOL CCellLong::IsLess(std::int32_t v) const {
    return AsBool(value < v);
}

BOOL CCellLong::IsGreater(const char* s) const {
    return AsBool(CompareText(DecimalForm(value).c_str(), s) > 0);
}
BOOL CCellLong::IsGreater(const CCell* other) const {
    return other == nullptr ? FALSE : other->IsLess(value);
}
BOOL CCellLong::IsGreater(std::int32_t v) const {
    return AsBool(value > v);
}

BOOL CCellLong::IsEqual(const char* s) const {
    return AsBool(CompareText(DecimalForm(value).c_str(), s) == 0);
}
BOOL CCellLong::IsEqual(const CCell* other) const {
    return other == nullptr ? FALSE : other->IsEqual(value);
}
BOOL CCellLong::IsEqual(std::int32_t v) const {
    return AsBool(value == v);
}

std::ostream& CCellLong::Write(std::ostream& s) const {
    return s << *this;
}
std::ostream& CCellLong::Dump(std::ostream& s) const {
    return s << *this;
}

CCellLong::~CCellLong() = default;

// --- CCellString: text order against texts and against a long's decimal form.

const char* CCellString::GetString() const {
    return text;
}
const char* CCellString::GetStringEx(void* /*buffer*/) const {
    return text;
}
std::int32_t CCellString::AsLong() const {
    return platform::atol(text);
}

BOOL CCellString::IsLess(const char* s) const {
    return AsBool(CompareText(text, s) < 0);
}
BOOL CCellString::IsLess(const CCell* other) const {
    return other == nullptr ? FALSE : other->IsGreater(text.c_str());
}
BOOL CCellString::IsLess(std::int32_t v) const {
    return AsBool(CompareText(text, DecimalForm(v).c_str()) < 0);
}

BOOL CCellString::IsGreater(const char* s) const {
    return AsBool(CompareText(text, s) > 0);
}
BOOL CCellString::IsGreater(const CCell* other) const {
    return other == nullptr ? FALSE : other->IsLess(text.c_str());
}
BOOL CCellString::IsGreater(std::int32_t v) const {
    return AsBool(CompareText(text, DecimalForm(v).c_str()) > 0);
}

BOOL CCellString::IsEqual(const char* s) const {
    return AsBool(CompareText(text, s) == 0);
}
BOOL CCellString::IsEqual(const CCell* other) const {
    return other == nullptr ? FALSE : other->IsEqual(text.c_str());
}
BOOL CCellString::IsEqual(std::int32_t v) const {
    return AsBool(CompareText(text, DecimalForm(v).c_str()) == 0);
}

std::ostream& CCellString::Write(std::ostream& s) const {
    return s << *this;
}
std::ostream& CCellString::Dump(std::ostream& s) const {
    return s << *this;
}

CCellString::~CCellString() = default;

CCellString* CCellString::Self() {
    return this;
}

// --- Dump lines

std::ostream& operator<<(std::ostream& s, const CCellLong& cell) {
    return s << "CCellLong=\"" << cell.value << "\"\n";
}

std::ostream& operator<<(std::ostream& s, const CCellString& cell) {
    return s << "CCellString=\"" << cell.text.c_str() << "\"\n";
}

std::ostream& operator<<(std::ostream& s, const CCell& /*cell*/) {
    return s << kInvalidOperationLine;
}
