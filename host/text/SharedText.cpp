// SharedText.cpp - the pool of shared texts and the counting of their holders.
#include "text/SharedText.h"

#include <functional>
#include <mutex>
#include <ostream>
#include <unordered_set>

namespace host {

struct SharedText::Entry {
    explicit Entry(std::string_view from) : text(from) {}

    mutable std::atomic<std::size_t> holders{1};
    const std::string text;
};

namespace {

/// Every SharedText's text, found by its text. Entries never move, so a SharedText keeps
/// pointing at its own until it lets go.
class TextPool {
public:
    using Entry = SharedText::Entry;

    const Entry* Hold(std::string_view text) {
        const std::lock_guard lock(mutex_);
        const auto found = entries_.find(text);
        if (found != entries_.end()) {
            // A holder exists (an entry without one is gone from the set), so the count is
            // above zero and only grows while the lock is held.
            (*found)->holders.fetch_add(1, std::memory_order_relaxed);
            return *found;
        }
        return *entries_.insert(new Entry(text)).first;
    }

    /// The last holder lets go only under the lock, so no other thread can find the entry
    /// and hold it again between the count reaching zero and the entry being freed.
    void Release(const Entry* entry) {
        std::size_t holders = entry->holders.load(std::memory_order_relaxed);
        while (holders > 1) {
            if (entry->holders.compare_exchange_weak(holders, holders - 1, std::memory_order_release,
                                                     std::memory_order_relaxed)) {
                return;
            }
        }
        const std::lock_guard lock(mutex_);
        if (entry->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            entries_.erase(entry);
            delete entry;
        }
    }

    std::size_t Count() {
        const std::lock_guard lock(mutex_);
        return entries_.size();
    }

private:
    struct ByText {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
        std::size_t operator()(const Entry* entry) const { return (*this)(entry->text); }
    };
    struct SameText {
        using is_transparent = void;
        static std::string_view TextOf(std::string_view text) { return text; }
        static std::string_view TextOf(const Entry* entry) { return entry->text; }
        template <typename A, typename B>
        bool operator()(const A& a, const B& b) const { return TextOf(a) == TextOf(b); }
    };

    std::mutex mutex_;
    std::unordered_set<const Entry*, ByText, SameText> entries_;
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

SharedText::SharedText(std::string_view text) : entry_(text.empty() ? nullptr : Pool().Hold(text)) {}

SharedText::SharedText(const SharedText& other) noexcept : entry_(other.entry_) {
    if (entry_ != nullptr) {
        entry_->holders.fetch_add(1, std::memory_order_relaxed);
    }
}

SharedText& SharedText::operator=(SharedText other) noexcept {
    std::swap(entry_, other.entry_);
    return *this;
}

SharedText::~SharedText() {
    if (entry_ != nullptr) {
        Pool().Release(entry_);
    }
}

const std::string& SharedText::Text() const {
    return entry_ == nullptr ? EmptyText() : entry_->text;
}

std::size_t SharedText::PooledCount() {
    return Pool().Count();
}

std::ostream& operator<<(std::ostream& out, const SharedText& text) {
    return out << text.Text();
}

} // namespace host
