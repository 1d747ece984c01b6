// Cell.h - CCell, CCellLong and CCellString: small polymorphic values that a CellTree orders.
//
// A cell compares itself with a text, a long, or another cell. Cell-to-cell
// comparison is double dispatch: the receiver hands its own value to the
// other cell's operation of the opposite sense (IsLess asks IsGreater), so
// the other cell decides. Long cells compare numerically; text cells, and a
// long cell against a text cell, compare in text order (strcmp, unsigned
// bytes), the long in its decimal form. No comparison allocates.
//
// Cells are heap objects; one handed to a CellTree belongs to the tree, which
// deletes it through the virtual destructor. The virtual operations are kept
// in the order below: it is the cells' interface, and RelayLeg relies on
// overriding only the destructor.
#pragma once

#include "platform/CString.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <iosfwd>

class CCell {
public:
    CCell(const CCell&) = delete;
    CCell& operator=(const CCell&) = delete;

    virtual std::int32_t GetLong() const;                // 0
    virtual const char* GetString() const;               // 1
    virtual BOOL CanReplace(const CCell* existing) const; // 2
    virtual const char* GetStringEx(void* buffer) const; // 3: `buffer` is never read
    virtual std::int32_t AsLong() const;                 // 4
    virtual BOOL IsLess(const char* s) const;            // 5
    virtual BOOL IsLess(const CCell* other) const;       // 6
    virtual BOOL IsLess(std::int32_t v) const;           // 7
    virtual BOOL IsGreater(const char* s) const;         // 8
    virtual BOOL IsGreater(const CCell* other) const;    // 9
    virtual BOOL IsGreater(std::int32_t v) const;        // 10
    virtual BOOL IsEqual(const char* s) const;           // 11
    virtual BOOL IsEqual(const CCell* other) const;      // 12
    virtual BOOL IsEqual(std::int32_t v) const;          // 13
    virtual std::ostream& Write(std::ostream& s) const;  // 14
    virtual void Write() const;                          // 15: writes to std::cerr
    virtual std::ostream& Dump(std::ostream& s) const;   // 16
    virtual ~CCell();                                    // 17

protected:
    CCell() = default; // only ever the base of a derived cell
};

class CCellLong : public CCell {
public:
    explicit CCellLong(std::int32_t v) : value(v) {}

    std::int32_t GetLong() const override;
    std::int32_t AsLong() const override;
    BOOL IsLess(const char* s) const override;
    BOOL IsLess(const CCell* other) const override;
    BOOL IsLess(std::int32_t v) const override;
    BOOL IsGreater(const char* s) const override;
    BOOL IsGreater(const CCell* other) const override;
    BOOL IsGreater(std::int32_t v) const override;
    BOOL IsEqual(const char* s) const override;
    BOOL IsEqual(const CCell* other) const override;
    BOOL IsEqual(std::int32_t v) const override;
    std::ostream& Write(std::ostream& s) const override;
    using CCell::Write;
    std::ostream& Dump(std::ostream& s) const override;
    ~CCellLong() override;

    const std::int32_t value; // set once; a stored cell must never change its order
};

class CCellString : public CCell {
public:
    explicit CCellString(const char* t) : text(t) {}

    const char* GetString() const override;
    const char* GetStringEx(void* buffer) const override;
    std::int32_t AsLong() const override;
    BOOL IsLess(const char* s) const override;
    BOOL IsLess(const CCell* other) const override;
    BOOL IsLess(std::int32_t v) const override;
    BOOL IsGreater(const char* s) const override;
    BOOL IsGreater(const CCell* other) const override;
    BOOL IsGreater(std::int32_t v) const override;
    BOOL IsEqual(const char* s) const override;
    BOOL IsEqual(const CCell* other) const override;
    BOOL IsEqual(std::int32_t v) const override;
    std::ostream& Write(std::ostream& s) const override;
    using CCell::Write;
    std::ostream& Dump(std::ostream& s) const override;
    ~CCellString() override;
    virtual CCellString* Self(); // 18: follows the destructor; only text cells have it

    const CString text;
};

/// One dump line each: CCellLong="42", CCellString="abc", or the invalid-operation line for a plain CCell.
std::ostream& operator<<(std::ostream& s, const CCellLong& cell);
std::ostream& operator<<(std::ostream& s, const CCellString& cell);
std::ostream& operator<<(std::ostream& s, const CCell& cell);
