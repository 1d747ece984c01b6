// CMapStringToString.cpp - the text map as a chained hash table with reused entries.
#include "platform/CMapStringToString.h"

#include <cassert>

namespace {

std::string_view KeyView(const char* key) { return key == nullptr ? std::string_view{} : key; }

// FNV-1a: keys are short texts ("Planet.17", "Parameters.Count") told apart by their
// last characters, which this hash mixes into every bit.
std::uint32_t HashOf(std::string_view key) {
    std::uint32_t hash = 2166136261u;
    for (const char ch : key) {
        hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    }
    return hash;
}

// Room for a typical answer from the start: a list answer of a few dozen entries
// under "Planet.%d" and "Angle.%d" never has to grow the table.
constexpr std::size_t kFirstBuckets = 64;

} // namespace

CMapStringToString::CMapStringToString(int /*blockSize*/) {}

CMapStringToString::~CMapStringToString() {
    RemoveAll();
    while (spare_ != nullptr) {
        delete TakeSpare();
    }
}

CMapStringToString::Assoc* CMapStringToString::Find(std::string_view key, std::uint32_t hash) const {
    if (buckets_.empty()) {
        return nullptr;
    }
    for (Assoc* at = buckets_[hash & (buckets_.size() - 1)]; at != nullptr; at = at->next) {
        if (at->hash == hash && at->key == key) {
            return at;
        }
    }
    return nullptr;
}

CMapStringToString::Assoc* CMapStringToString::TakeSpare() {
    Assoc* spare = spare_;
    spare_ = spare->next;
    spare->next = nullptr;
    return spare;
}

// Doubles the table once there are more entries than chains, so chains stay a
// step or two long; each entry moves by the hash it keeps.
void CMapStringToString::Grow() {
    std::vector<Assoc*> larger(buckets_.empty() ? kFirstBuckets : buckets_.size() * 2, nullptr);
    for (Assoc* chain : buckets_) {
        while (chain != nullptr) {
            Assoc* moved = chain;
            chain = chain->next;
            Assoc*& head = larger[moved->hash & (larger.size() - 1)];
            moved->next = head;
            head = moved;
        }
    }
    buckets_.swap(larger);
}

CString& CMapStringToString::operator[](const char* key) {
    const std::string_view k = KeyView(key);
    const std::uint32_t hash = HashOf(k);
    if (Assoc* found = Find(k, hash)) {
        return found->value;
    }
    if (static_cast<std::size_t>(count_) >= buckets_.size()) {
        Grow();
    }
    Assoc* entry = spare_ != nullptr ? TakeSpare() : new Assoc;
    entry->hash = hash;
    entry->key.assign(k);
    entry->value.Empty();
    Assoc*& head = buckets_[hash & (buckets_.size() - 1)];
    entry->next = head;
    head = entry;
    ++count_;
    return entry->value;
}

BOOL CMapStringToString::Lookup(const char* key, CString& value) const {
    const std::string_view k = KeyView(key);
    const Assoc* found = Find(k, HashOf(k));
    if (found == nullptr) {
        return FALSE;
    }
    value = found->value;
    return TRUE;
}

void CMapStringToString::SetAt(const char* key, const char* value) { (*this)[key] = value; }

BOOL CMapStringToString::RemoveKey(const char* key) {
    if (buckets_.empty()) {
        return FALSE;
    }
    const std::string_view k = KeyView(key);
    const std::uint32_t hash = HashOf(k);
    for (Assoc** link = &buckets_[hash & (buckets_.size() - 1)]; *link != nullptr;
         link = &(*link)->next) {
        Assoc* entry = *link;
        if (entry->hash == hash && entry->key == k) {
            *link = entry->next; // the chain skips the entry, which joins the spares
            entry->next = spare_;
            spare_ = entry;
            --count_;
            return TRUE;
        }
    }
    return FALSE;
}

void CMapStringToString::RemoveAll() {
    for (Assoc*& chain : buckets_) {
        while (chain != nullptr) {
            Assoc* entry = chain;
            chain = chain->next;
            entry->next = spare_;
            spare_ = entry;
        }
    }
    count_ = 0;
}

CMapStringToString::Assoc* CMapStringToString::FirstFrom(std::size_t bucket) const {
    for (; bucket < buckets_.size(); ++bucket) {
        if (buckets_[bucket] != nullptr) {
            return buckets_[bucket];
        }
    }
    return nullptr;
}

// A position is the address of an entry; the next one follows it in its chain or
// starts a later chain, so a position needs nothing but the entry it names.
POSITION CMapStringToString::GetStartPosition() const {
    return reinterpret_cast<POSITION>(FirstFrom(0));
}

void CMapStringToString::GetNextAssoc(POSITION& pos, CString& key, CString& value) const {
    assert(pos != nullptr && "GetNextAssoc needs a position");
    const auto* entry = reinterpret_cast<const Assoc*>(pos);
    key = CString(std::string_view(entry->key));
    value = entry->value;
    Assoc* next = entry->next != nullptr ? entry->next
                                         : FirstFrom((entry->hash & (buckets_.size() - 1)) + 1);
    pos = reinterpret_cast<POSITION>(next);
}
