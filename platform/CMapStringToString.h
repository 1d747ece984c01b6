// CMapStringToString.h - the framework's map from text keys to text values.
//
// The one surprising rule, which the whole host protocol leans on: operator[]
// inserts an empty value when the key is absent, so reading a key the host
// did not fill yields "" and leaves an empty entry behind. Lookup copies the
// value out and never inserts. References returned by operator[] stay valid
// until that key is removed.
//
// A walk visits every entry once, in an order of the map's own (today the order
// the keys were added in), not in their byte order: whoever shows or compares a
// map's entries in order sorts them. Entries added during a walk may or may not
// be visited by it.
//
// The map is a hash table built for the plug-in's traffic, where one map is
// emptied and refilled with a fresh answer for every query: RemoveAll keeps the
// emptied entries, with the room their texts had, and the table's size for
// the next answer, so that a map refilled with answers of a similar size
// allocates nothing. Besides its chain, each entry is on a list of all the
// entries, so that stepping a walk costs nothing but the step. Emptying costs
// nothing per entry: the whole list joins the spares at once, in the order the
// entries were added, so the next answer's keys, which are mostly the same keys
// in the same order, find their texts already in place; and each bucket carries
// the number of the filling that set its chain, so a chain of an earlier filling
// reads as empty without anything being cleared.
//
// The map is polymorphic, as the framework's own is (its object base has virtual
// members), so its first pointer-sized word is its virtual table: that word tells
// this framework's maps from another's without anything being called through the
// object (AfxIsFrameworkMap).
#pragma once

#include "platform/CString.h"
#include "platform/Conversions.h"
#include "platform/FrameworkApi.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TARVENIX_FRAMEWORK_API CMapStringToString {
public:
    /// `blockSize` is the framework's allocation granularity; accepted, with no further effect.
    explicit CMapStringToString(int blockSize = 10);
    CMapStringToString(const CMapStringToString&) = delete;
    CMapStringToString& operator=(const CMapStringToString&) = delete;
    virtual ~CMapStringToString();

    /// The value under `key`, inserted empty first when the key is absent. Inline, so that
    /// a literal key's length is known as it compiles.
    CString& operator[](const char* key) {
        return (*this)[key == nullptr ? std::string_view{} : std::string_view(key)];
    }
    /// The same for a key whose length is known: a built key such as "Planet.17", read for
    /// every entry of every list answer, is never searched for its end.
    CString& operator[](std::string_view key);
    CString& operator[](const platform::NumberedText& key) { return (*this)[key.view()]; }
    /// Copies the value under `key` into `value`; FALSE, with `value` untouched, when absent.
    BOOL Lookup(const char* key, CString& value) const;
    void SetAt(const char* key, const char* value);
    /// FALSE when the key was absent.
    BOOL RemoveKey(const char* key);
    /// Empties the map, keeping its entries' memory for the entries added next.
    void RemoveAll();

    int GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    /// Walks the entries: GetStartPosition, then GetNextAssoc until null.
    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& pos, CString& key, CString& value) const;

private:
    struct Assoc {
        Assoc* next = nullptr;    // the next entry of the same bucket
        Assoc* later = nullptr;   // the entry added after this one, or null; a spare's next spare
        Assoc* earlier = nullptr; // the entry added before this one, or null for the first
        std::uint32_t hash = 0;  // of key, kept so that growing never hashes again
        std::string key;
        CString value;
    };

    struct Bucket {
        Assoc* head = nullptr;
        std::uint32_t filling = 0; // the filling `head` belongs to; of another, the chain is empty
    };

    Assoc* Head(std::uint32_t hash) const;
    Assoc*& HeadToChange(std::uint32_t hash);
    Assoc* Find(std::string_view key, std::uint32_t hash) const;
    /// Adds an empty value under a key that is absent.
    CString& Insert(std::string_view key, std::uint32_t hash);
    Assoc* TakeSpare();
    void Grow();
    void Enlist(Assoc* entry);
    void Unlist(Assoc* entry);

    std::vector<Bucket> buckets_; // a power of two of chains; empty until the first entry
    std::uint32_t filling_ = 1;   // counts the map's emptyings; a fresh bucket's 0 is never current
    Assoc* first_ = nullptr;      // the list of every entry, in the order they were added
    Assoc* last_ = nullptr;
    Assoc* spare_ = nullptr;      // emptied entries, reused before any is allocated
    int count_ = 0;
};

/// Whether `object` is one of this framework's maps, judged by its first pointer-sized word
/// alone, the virtual table's address: nothing else of it is read and nothing is called
/// through it, so an object of any other kind, a map of another framework among them, is
/// left exactly as it was. Null is no map.
TARVENIX_FRAMEWORK_API bool AfxIsFrameworkMap(const void* object) noexcept;
