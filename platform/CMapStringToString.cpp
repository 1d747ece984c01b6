// CMapStringToString.cpp - the text map as a chained hash table with reused entries.
#include "platform/CMapStringToString.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

namespace {

// Keys are short texts ("Planet.17", "Parameters.Count") told apart by their last
// characters. The hash reads them a word at a time: a key of more than eight bytes
// in eights, the last eight overlapping the ones before; four to eight bytes as two
// fours that may overlap; shorter ones by their first, middle and last bytes. Each
// word is multiplied into the whole, and each fold brings the well-mixed high half
// down to the low bits, which pick the bucket.
template <class Word> std::uint64_t Load(const char* bytes) {
    Word word = 0;
    std::memcpy(&word, bytes, sizeof word);
    return word;
}

std::uint64_t Mix(std::uint64_t hash, std::uint64_t word) {
    hash = (hash ^ word) * 0x9E3779B97F4A7C15u;
    return hash ^ (hash >> 32);
}

std::uint32_t HashOf(std::string_view key) {
    const char* bytes = key.data();
    const std::size_t size = key.size();
    std::uint64_t hash = size;
    if (size > 8) {
        for (std::size_t at = 0; at + 8 < size; at += 8) {
            hash = Mix(hash, Load<std::uint64_t>(bytes + at));
        }
        hash = Mix(hash, Load<std::uint64_t>(bytes + size - 8));
    } else if (size >= 4) {
        hash = Mix(hash, Load<std::uint32_t>(bytes) << 32 | Load<std::uint32_t>(bytes + size - 4));
    } else if (size > 0) {
        const auto byte = [bytes](std::size_t at) { return std::uint64_t{static_cast<unsigned char>(bytes[at])}; };
        hash = Mix(hash, byte(0) << 16 | byte(size / 2) << 8 | byte(size - 1));
    }
    return static_cast<std::uint32_t>(Mix(hash, 0));
}

// Whether two texts of `size` bytes are equal. Keys of up to sixteen bytes, nearly all
// of them, are compared without a call: from four bytes on as two words each that may
// overlap, below that by their first, middle and last bytes, which are all they have.
bool SameBytes(const char* a, const char* b, std::size_t size) {
    if (size >= 8 && size <= 16) {
        return Load<std::uint64_t>(a) == Load<std::uint64_t>(b) &&
               Load<std::uint64_t>(a + size - 8) == Load<std::uint64_t>(b + size - 8);
    }
    if (size >= 4 && size < 8) {
        return Load<std::uint32_t>(a) == Load<std::uint32_t>(b) &&
               Load<std::uint32_t>(a + size - 4) == Load<std::uint32_t>(b + size - 4);
    }
    if (size > 0 && size < 4) {
        return a[0] == b[0] && a[size / 2] == b[size / 2] && a[size - 1] == b[size - 1];
    }
    return std::memcmp(a, b, size) == 0;
}

struct HashedKey {
    std::string_view text;
    std::uint32_t hash = 0;
};

HashedKey Hashed(const char* key) {
    const std::string_view text = key == nullptr ? std::string_view{} : std::string_view(key);
    return {text, HashOf(text)};
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

inline CMapStringToString::Assoc* CMapStringToString::Head(std::uint32_t hash) const {
    const Bucket& bucket = buckets_[hash & (buckets_.size() - 1)];
    return bucket.filling == filling_ ? bucket.head : nullptr;
}

inline CMapStringToString::Assoc*& CMapStringToString::HeadToChange(std::uint32_t hash) {
    Bucket& bucket = buckets_[hash & (buckets_.size() - 1)];
    if (bucket.filling != filling_) {
        bucket = {nullptr, filling_};
    }
    return bucket.head;
}

CMapStringToString::Assoc* CMapStringToString::Find(std::string_view key, std::uint32_t hash) const {
    if (buckets_.empty()) {
        return nullptr;
    }
    for (Assoc* at = Head(hash); at != nullptr; at = at->next) {
        if (at->hash == hash && at->key.size() == key.size() &&
            SameBytes(at->key.data(), key.data(), key.size())) {
            return at;
        }
    }
    return nullptr;
}

CMapStringToString::Assoc* CMapStringToString::TakeSpare() {
    Assoc* spare = spare_;
    spare_ = spare->later;
    return spare;
}

// Doubles the table once there are more entries than chains, so chains stay a
// step or two long; each entry moves by the hash it keeps.
void CMapStringToString::Grow() {
    std::vector<Bucket> larger(buckets_.empty() ? kFirstBuckets : buckets_.size() * 2,
                               Bucket{nullptr, filling_});
    buckets_.swap(larger);
    for (Assoc* entry = first_; entry != nullptr; entry = entry->later) {
        Assoc*& head = HeadToChange(entry->hash);
        entry->next = head;
        head = entry;
    }
}

CString& CMapStringToString::operator[](std::string_view key) {
    const std::uint32_t hash = HashOf(key);
    if (Assoc* found = Find(key, hash)) {
        return found->value;
    }
    return Insert(key, hash);
}

CString& CMapStringToString::Insert(std::string_view k, std::uint32_t hash) {
    if (static_cast<std::size_t>(count_) >= buckets_.size()) {
        Grow();
    }
    Assoc* entry = spare_ != nullptr ? TakeSpare() : new Assoc;
    entry->hash = hash;
    if (entry->key.size() != k.size() || !SameBytes(entry->key.data(), k.data(), k.size())) {
        entry->key.assign(k);
    }
    entry->value.Empty();
    Assoc*& head = HeadToChange(hash);
    entry->next = head;
    head = entry;
    Enlist(entry);
    ++count_;
    return entry->value;
}

void CMapStringToString::Enlist(Assoc* entry) {
    entry->earlier = last_;
    entry->later = nullptr;
    (last_ != nullptr ? last_->later : first_) = entry;
    last_ = entry;
}

void CMapStringToString::Unlist(Assoc* entry) {
    (entry->earlier != nullptr ? entry->earlier->later : first_) = entry->later;
    (entry->later != nullptr ? entry->later->earlier : last_) = entry->earlier;
}

BOOL CMapStringToString::Lookup(const char* key, CString& value) const {
    const auto [k, hash] = Hashed(key);
    const Assoc* found = Find(k, hash);
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
    const auto [k, hash] = Hashed(key);
    for (Assoc** link = &HeadToChange(hash); *link != nullptr; link = &(*link)->next) {
        Assoc* entry = *link;
        if (entry->hash == hash && entry->key == k) {
            *link = entry->next; // the chain skips the entry, which joins the spares
            Unlist(entry);
            entry->later = spare_;
            spare_ = entry;
            --count_;
            return TRUE;
        }
    }
    return FALSE;
}

// The entries join the spares as one list, ahead of those already there, and a new
// filling number leaves every chain of the table behind; only when that number comes
// round again, after four billion emptyings, is the table cleared bucket by bucket.
void CMapStringToString::RemoveAll() {
    if (first_ == nullptr) {
        return;
    }
    last_->later = spare_;
    spare_ = first_;
    first_ = nullptr;
    last_ = nullptr;
    count_ = 0;
    if (++filling_ == 0) {
        std::fill(buckets_.begin(), buckets_.end(), Bucket{});
        filling_ = 1;
    }
}

// A position is the address of an entry, and the list of all entries says which
// comes next, so a position needs nothing but the entry it names.
POSITION CMapStringToString::GetStartPosition() const {
    return reinterpret_cast<POSITION>(first_);
}

void CMapStringToString::GetNextAssoc(POSITION& pos, CString& key, CString& value) const {
    assert(pos != nullptr && "GetNextAssoc needs a position");
    const auto* entry = reinterpret_cast<const Assoc*>(pos);
    key.text_.assign(entry->key);
    value = entry->value;
    pos = reinterpret_cast<POSITION>(entry->later);
}

namespace {

// The first pointer-sized word of an object, copied as bytes: no type is assumed of it.
std::uintptr_t FirstWord(const void* object) {
    std::uintptr_t word = 0;
    std::memcpy(&word, object, sizeof word);
    return word;
}

} // namespace

bool AfxIsFrameworkMap(const void* object) noexcept {
    if (object == nullptr) {
        return false;
    }
    // Taken from a map of our own, made here: the virtual table it points at is this
    // library's, the one every map built by this framework points at.
    static const std::uintptr_t frameworkTable = [] {
        const CMapStringToString reference;
        return FirstWord(&reference);
    }();
    return FirstWord(object) == frameworkTable;
}
