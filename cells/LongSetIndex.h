// LongSetIndex.h - where each key of a LongSet sits, for the keys of one window of numbers.
//
// LongSet's tree is unbalanced while it grows, so a walk from the root to a key
// may pass many nodes. The index answers without walking: a table from key to
// node over a window of consecutive numbers, and a bitmap of the same keys,
// summarised level over level (a bit per non-empty word of the level below),
// which gives a missing key's nearest neighbours in a few word operations.
//
// The table is kept in pages of kPageSlots numbers, each allocated when a key
// first falls in it, so a window costs a bit and an eighth of a pointer per
// number, and a full page of pointers only where keys are. The window grows by
// doubling towards the keys that fall outside it, but never across zero: keys
// of one sign, planet numbers above all, never need a window on the other side,
// and a window grown down into negative numbers would leave no room above for a
// set's highest keys. Its width is capped at kWidestSpan numbers, enough for any
// keys among 1..kWidestSpan - 1 whatever their count, or kSpanPerKey numbers per
// key for a set larger than that. A set whose keys spread wider, or that holds
// a key twice, turns the index off (freeing it) until the set is emptied; the set
// then walks its tree as it did without one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

struct LongSetNode;

namespace cells {

class LongSetIndex {
public:
    struct Neighbours {
        LongSetNode* below = nullptr; // the node with the greatest key less than the one asked
        LongSetNode* above = nullptr; // the node with the least key greater than it
        // Their keys, from the index rather than the nodes; past the ends, beyond any key.
        std::int64_t belowKey = std::numeric_limits<std::int64_t>::min();
        std::int64_t aboveKey = std::numeric_limits<std::int64_t>::max();
    };

    /// The widest window allowed for any set (4 MiB of bitmap at most), and how much wider
    /// it may be for a very large one.
    static constexpr std::int64_t kWidestSpan = std::int64_t{1} << 25;
    static constexpr std::int64_t kSpanPerKey = 8;
    static constexpr int kWordBits = 64;
    /// Numbers per page of the table: a page of pointers is 4 KiB.
    static constexpr std::int64_t kPageSlots = 512;

    bool IsOn() const { return on_; }
    /// How many keys the index holds a node for.
    std::int64_t NodeCount() const { return nodes_; }
    /// Whether the index answers for `key`: it is on and `key` is within the window.
    bool Covers(std::int32_t key) const { return key >= base_ && key < base_ + span_; }
    /// Whether `key` is covered and present, read from the bitmap alone.
    bool Holds(std::int32_t key) const {
        if (!Covers(key)) {
            return false;
        }
        const std::size_t slot = Slot(key);
        return ((present_[slot / kWordBits] >> (slot % kWordBits)) & 1) != 0;
    }
    /// The node holding `key`, or null; `key` must be covered.
    LongSetNode* NodeOf(std::int32_t key) const { return NodeAt(Slot(key)); }
    /// The nodes of the stored keys nearest to `key` on either side; `key` must be covered.
    Neighbours NeighboursOf(std::int32_t key) const;
    /// Asks ahead for the table entries that NeighboursOf(key) will read; `key` must be
    /// covered. The bitmap that finds them is small enough to stay cached; the table, a
    /// pointer per number, is not, and a sparse set's neighbours lie far from the key.
    void PrefetchNeighbours(std::int32_t key) const;

    /// Widens the window, when it must, so that it covers `key`, for a set that holds
    /// `count` keys, and makes room in the table for `key`'s node. False, with the index
    /// turned off, when the window would grow too wide or memory runs out.
    bool Reach(std::int32_t key, std::int32_t count);

    /// Records that `node` holds its key, which must have been reached.
    void Note(LongSetNode* node);
    /// Records that no node holds `key`, which must be covered.
    void Forget(std::int32_t key);

    /// The nodes the index holds, in key order.
    class NodesInOrder {
    public:
        explicit NodesInOrder(const LongSetIndex& index) : index_(index) {}
        /// The next node, or null after the last.
        LongSetNode* Next();

    private:
        const LongSetIndex& index_;
        std::size_t slot_ = 0; // the next slot to scan
    };

    /// Starts again for an empty set: on, with an empty window.
    void Reset();
    /// Stops answering and frees the tables until the next Reset.
    void TurnOff();

private:
    using Page = std::unique_ptr<LongSetNode*[]>;

    std::size_t Slot(std::int32_t key) const { return static_cast<std::size_t>(key - base_); }
    LongSetNode* NodeAt(std::size_t slot) const {
        const Page& page = pages_[slot / kPageSlots];
        return page ? page[slot % kPageSlots] : nullptr;
    }
    bool Widen(std::int32_t key, std::int32_t count);
    void MoveWindow(std::int64_t newBase, std::int64_t newSpan);
    void SummariseLevels();
    void SetBit(std::int64_t slot);
    void ClearBit(std::int64_t slot);
    std::int64_t HighestBelow(std::int64_t slot) const;
    std::int64_t LowestAbove(std::int64_t slot) const;

    bool on_ = true;
    std::int64_t nodes_ = 0;                       // slots holding a node
    std::int64_t base_ = 0;                        // the key of slot 0; a multiple of kPageSlots
    std::int64_t span_ = 0;                        // numbers in the window; a multiple of kPageSlots
    std::vector<Page> pages_;                      // by slot / kPageSlots; null until a key falls in it
    std::vector<std::vector<std::uint64_t>> bits_; // [0]: a bit per slot; [l + 1]: a bit per word of [l]
    const std::uint64_t* present_ = nullptr;       // bits_[0], read by Holds without the indirection
};

} // namespace cells
