// SharedText.cpp - the pool of shared texts, their numbers and the counting of their holders.
#include "text/SharedText.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <ostream>
#include <unordered_set>
#include <vector>

namespace host {

namespace {

struct Entry {
    Entry(std::string_view from, std::uint32_t number) : text(from), id(number) {}

    std::atomic<std::size_t> holders{1};
    const std::string text;
    const std::uint32_t id;
};

/// Every SharedText's text, found by its text and by its number. The numbers index pages of
/// entry pointers that never move once made, so a number is read without the lock: a
/// SharedText reaches another thread only through something that orders the two, and its
/// page and slot are written before it exists and not again until its text is freed.
class TextPool {
public:
    std::uint32_t Hold(std::string_view text) {
        const std::lock_guard lock(mutex_);
        const auto found = entries_.find(text);
        if (found != entries_.end()) {
            // A holder exists (an entry without one is gone from the set), so the count is
            // above zero and only grows while the lock is held.
            (*found)->holders.fetch_add(1, std::memory_order_relaxed);
            return (*found)->id;
        }
        const std::uint32_t id = FreeId();
        try {
            auto entry = std::make_unique<Entry>(text, id);
            entries_.insert(entry.get());
            Slot(id) = entry.release();
        } catch (...) {
            freeIds_.push_back(id); // out of memory: the number was never handed out
            throw;
        }
        return id;
    }

    void HoldAgain(std::uint32_t id) const {
        At(id)->holders.fetch_add(1, std::memory_order_relaxed);
    }

    /// The last holder lets go only under the lock, so no other thread can find the entry
    /// and hold it again between the count reaching zero and the entry being freed.
    void Release(std::uint32_t id) {
        Entry* entry = At(id);
        std::size_t holders = entry->holders.load(std::memory_order_relaxed);
        while (holders > 1) {
            if (entry->holders.compare_exchange_weak(
                    holders, holders - 1, std::memory_order_release, std::memory_order_relaxed)) {
                return;
            }
        }
        const std::lock_guard lock(mutex_);
        if (entry->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            entries_.erase(entry);
            Slot(id) = nullptr;
            freeIds_.push_back(id);
            delete entry;
        }
    }

    Entry* At(std::uint32_t id) const { return pages_[id >> kPageBits][id & kPageMask]; }

    std::size_t Count() {
        const std::lock_guard lock(mutex_);
        return entries_.size();
    }

private:
    // 65 536 pages of 65 536 numbers; memory the OS hands out zeroed and untouched, so only
    // the slots and page pointers in use take room.
    static constexpr unsigned kPageBits = 16;
    static constexpr std::uint32_t kPageMask = (1U << kPageBits) - 1;
    static constexpr std::size_t kPages = std::size_t{1} << (32 - kPageBits);

    struct ByText {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const {
            return std::hash<std::string_view>()(text);
        }
        std::size_t operator()(const Entry* entry) const { return (*this)(entry->text); }
    };
    struct SameText {
        using is_transparent = void;
        static std::string_view TextOf(std::string_view text) { return text; }
        static std::string_view TextOf(const Entry* entry) { return entry->text; }
        template <typename A, typename B> bool operator()(const A& a, const B& b) const {
            return TextOf(a) == TextOf(b);
        }
    };

    /// A number no text holds now, its page made; 0 stays the empty text's. Under the lock.
    std::uint32_t FreeId() {
        if (pages_ == nullptr) {
            throw std::bad_alloc();
        }
        if (!freeIds_.empty()) {
            const std::uint32_t id = freeIds_.back();
            freeIds_.pop_back();
            return id;
        }
        if (nextId_ == 0) {
            throw std::bad_alloc(); // every number is taken: four thousand million texts held
        }
        const std::uint32_t id = nextId_++;
        Entry**& page = pages_[id >> kPageBits];
        if (page == nullptr) {
            page = new Entry*[std::size_t{kPageMask} + 1]; // each slot is written before it is read
        }
        return id;
    }

    Entry*& Slot(std::uint32_t id) { return pages_[id >> kPageBits][id & kPageMask]; }

    std::mutex mutex_;
    std::unordered_set<Entry*, ByText, SameText> entries_;
    // Like the pool itself, never freed.
    Entry*** const pages_ = static_cast<Entry***>(std::calloc(kPages, sizeof(Entry**)));
    std::vector<std::uint32_t> freeIds_;
    std::uint32_t nextId_ = 1;
};

/// Never destroyed: texts held by objects with static storage may outlive any other ending.
TextPool& Pool() {
    static TextPool* const pool = new TextPool();
    return *pool;
}

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

} // namespace

SharedText::SharedText(std::string_view text) : id_(text.empty() ? 0 : Pool().Hold(text)) {
}

SharedText::SharedText(const SharedText& other) noexcept : id_(other.id_) {
    if (id_ != 0) {
        Pool().HoldAgain(id_);
    }
}

SharedText& SharedText::operator=(SharedText other) noexcept {
    std::swap(id_, other.id_);
    return *this;
}

SharedText::~SharedText() {
    if (id_ != 0) {
        Pool().Release(id_);
    }
}

const std::string& SharedText::Text() const {
    return id_ == 0 ? EmptyText() : Pool().At(id_)->text;
}

std::size_t SharedText::PooledCount() {
    return Pool().Count();
}

std::ostream& operator<<(std::ostream& out, const SharedText& text) {
    return out << text.Text();
}

} // namespace host
