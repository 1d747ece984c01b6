// CMapStringToString.cpp - the text map over an ordered std::map.
#include "platform/CMapStringToString.h"

#include <cassert>
#include <string_view>

namespace {

std::string_view KeyView(const char* key) { return key == nullptr ? std::string_view{} : key; }

} // namespace

CMapStringToString::CMapStringToString(int /*blockSize*/) {}

CString& CMapStringToString::operator[](const char* key) {
    const std::string_view k = KeyView(key);
    // One descent serves both the lookup and, for an absent key, the insertion.
    auto place = entries_.lower_bound(k);
    if (place == entries_.end() || place->first != k) {
        place = entries_.emplace_hint(place, std::string(k), CString());
    }
    return place->second;
}

BOOL CMapStringToString::Lookup(const char* key, CString& value) const {
    const auto found = entries_.find(KeyView(key));
    if (found == entries_.end()) {
        return FALSE;
    }
    value = found->second;
    return TRUE;
}

void CMapStringToString::SetAt(const char* key, const char* value) { (*this)[key] = value; }

BOOL CMapStringToString::RemoveKey(const char* key) {
    const auto found = entries_.find(KeyView(key));
    if (found == entries_.end()) {
        return FALSE;
    }
    entries_.erase(found);
    return TRUE;
}

void CMapStringToString::RemoveAll() { entries_.clear(); }

// A position is the address of an entry; the next one is found by key, so a
// position needs nothing but the entry it names to stay valid.
POSITION CMapStringToString::GetStartPosition() const {
    if (entries_.empty()) {
        return nullptr;
    }
    return reinterpret_cast<POSITION>(const_cast<Entries::value_type*>(&*entries_.begin()));
}

void CMapStringToString::GetNextAssoc(POSITION& pos, CString& key, CString& value) const {
    assert(pos != nullptr && "GetNextAssoc needs a position");
    const auto* entry = reinterpret_cast<const Entries::value_type*>(pos);
    key = CString(std::string_view(entry->first));
    value = entry->second;
    const auto next = entries_.upper_bound(entry->first);
    pos = next == entries_.end()
              ? nullptr
              : reinterpret_cast<POSITION>(const_cast<Entries::value_type*>(&*next));
}
