// CMapStringToString.h - the framework's map from text keys to text values.
//
// The one surprising rule, which the whole host protocol leans on: operator[]
// inserts an empty value when the key is absent, so reading a key the host
// did not fill yields "" and leaves an empty entry behind. Lookup copies the
// value out and never inserts. Entries are kept in key order (byte order), so
// a walk and a dump of a map are reproducible. References returned by
// operator[] stay valid until that key is removed.
#pragma once

#include "platform/CString.h"
#include "platform/FrameworkApi.h"
#include "platform/WinTypes.h"

#include <functional>
#include <map>
#include <string>

class TARVENIX_FRAMEWORK_API CMapStringToString {
public:
    /// `blockSize` is the framework's allocation granularity; accepted, with no further effect.
    explicit CMapStringToString(int blockSize = 10);
    CMapStringToString(const CMapStringToString&) = delete;
    CMapStringToString& operator=(const CMapStringToString&) = delete;

    /// The value under `key`, inserted empty first when the key is absent.
    CString& operator[](const char* key);
    /// Copies the value under `key` into `value`; FALSE, with `value` untouched, when absent.
    BOOL Lookup(const char* key, CString& value) const;
    void SetAt(const char* key, const char* value);
    /// FALSE when the key was absent.
    BOOL RemoveKey(const char* key);
    void RemoveAll();

    int GetCount() const { return static_cast<int>(entries_.size()); }
    bool IsEmpty() const { return entries_.empty(); }

    /// Walks the entries in key order: GetStartPosition, then GetNextAssoc until null.
    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& pos, CString& key, CString& value) const;

private:
    using Entries = std::map<std::string, CString, std::less<>>;
    Entries entries_;
};
