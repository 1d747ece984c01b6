// TreeLinks.h - link mechanics shared by LongSet and CellTree: stepping, unlinking, rebuilding,
// freeing.
//
// Both containers are plain binary search trees whose nodes carry `lesser`,
// `greater` and `parent` links; they differ only in what a node holds (a key
// or a cell) and in how two entries compare. These templates do the pointer
// work once, over any such node type, and leave comparing, allocating and
// disposing to the caller through small callables. None of them recurses, so
// a degenerate chain of any length is safe on a small stack, and none of
// them allocates except RebuildBalanced, which uses std::nothrow.
//
// Internal to cells/: not part of either container's interface.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <new>

namespace cells::links {

template <class Node> Node* Leftmost(Node* node) {
    while (node != nullptr && node->lesser != nullptr) {
        node = node->lesser;
    }
    return node;
}

template <class Node> Node* Rightmost(Node* node) {
    while (node != nullptr && node->greater != nullptr) {
        node = node->greater;
    }
    return node;
}

/// In-order successor: the leftmost node of the greater subtree, else the first
/// ancestor reached from its lesser side, else null.
template <class Node> Node* Successor(Node* node) {
    if (node->greater != nullptr) {
        return Leftmost(node->greater);
    }
    Node* parent = node->parent;
    while (parent != nullptr && parent->greater == node) {
        node = parent;
        parent = parent->parent;
    }
    return parent;
}

/// Mirror image of Successor.
template <class Node> Node* Predecessor(Node* node) {
    if (node->lesser != nullptr) {
        return Rightmost(node->lesser);
    }
    Node* parent = node->parent;
    while (parent != nullptr && parent->lesser == node) {
        node = parent;
        parent = parent->parent;
    }
    return parent;
}

/// Where a downward walk ended: on a node it stopped at (`hit`), or below
/// `parent` on the side where the child is missing.
template <class Node> struct WalkEnd {
    Node* hit = nullptr;
    Node* parent = nullptr;
    bool greaterSide = false;
};

enum class Turn { Lesser, Greater, Stop };

/// Walks down from `root`, asking `turn(node)` at each node which way to go,
/// until it says Stop or the chosen child is missing. `root` must not be null.
template <class Node, class TurnFn> WalkEnd<Node> WalkDown(Node* root, TurnFn turn) {
    Node* node = root;
    for (;;) {
        const Turn way = turn(node);
        if (way == Turn::Stop) {
            return {node, nullptr, false};
        }
        Node* child = way == Turn::Greater ? node->greater : node->lesser;
        if (child == nullptr) {
            return {nullptr, node, way == Turn::Greater};
        }
        node = child;
    }
}

/// Where a walk from the root ends for a new entry that falls between the linked
/// entries `below` and `above`, its nearest neighbours in order (either may be null,
/// not both in a non-empty tree). The two are adjacent, so one is the other's
/// ancestor: if `above` is, `below` is the greatest of its lesser subtree and has no
/// greater child, and the walk ends there on the greater side; otherwise `above` is
/// the least of `below`'s greater subtree and the walk ends on its lesser side.
template <class Node> WalkEnd<Node> WalkEndBetween(Node* below, Node* above) {
    WalkEnd<Node> end;
    if (below != nullptr && below->greater == nullptr) {
        end.parent = below;
        end.greaterSide = true;
    } else {
        end.parent = above;
    }
    return end;
}

/// Links `node` where a walk ended, or as the whole tree when the tree is empty,
/// with both child links cleared, and counts it.
template <class Node>
Node* LinkCounted(Node*& root, std::int32_t& count, const WalkEnd<Node>& end, Node* node) {
    node->lesser = nullptr;
    node->greater = nullptr;
    if (root == nullptr) {
        node->parent = nullptr;
        root = node;
        count = 1;
    } else {
        node->parent = end.parent;
        (end.greaterSide ? end.parent->greater : end.parent->lesser) = node;
        ++count;
    }
    return node;
}

/// Moves `pos` one step with `move` (Successor or Predecessor) and answers the
/// node it left; null, and no move, for a null position or one that `holdsEntry`
/// rejects.
template <class Node, class HoldsFn, class MoveFn>
Node* StepOver(Node*& pos, HoldsFn holdsEntry, MoveFn move) {
    if (pos == nullptr || !holdsEntry(pos)) {
        return nullptr;
    }
    Node* left = pos;
    pos = move(pos);
    return left;
}

/// The node with the smallest entry not less than the searched one; `isLess(node)`
/// says whether the node's entry is less than it. Null for an empty tree.
template <class Node, class IsLessFn> Node* LowerBound(Node* root, IsLessFn isLess) {
    if (root == nullptr) {
        return nullptr;
    }
    Node* node = root;
    for (;;) {
        if (!isLess(node)) {
            if (node->lesser == nullptr) {
                return node;
            }
            node = node->lesser;
        } else {
            if (node->greater == nullptr) {
                return Successor(node);
            }
            node = node->greater;
        }
    }
}

/// Puts `child` (possibly null) where `node` hangs; `node` has at most that one child.
template <class Node> void SpliceOut(Node*& root, Node* node, Node* child) {
    Node* parent = node->parent;
    if (child != nullptr) {
        child->parent = parent;
    }
    if (parent == nullptr) {
        root = child; // node was the root
    } else if (parent->lesser == node) {
        parent->lesser = child;
    } else {
        parent->greater = child;
    }
}

/// Unlinks the entry held by `node` and returns the node that left the tree:
/// `node` itself when it has at most one child, else its in-order predecessor,
/// whose entry `takeEntry(from, to)` moves up into `node` first.
template <class Node, class TakeEntryFn>
Node* UnlinkEntry(Node*& root, Node* node, TakeEntryFn takeEntry) {
    if (node->lesser == nullptr || node->greater == nullptr) {
        // no children, or one child that takes node's place
        SpliceOut(root, node, node->lesser != nullptr ? node->lesser : node->greater);
        return node;
    }
    // two children: the predecessor has no greater child, so its lesser child takes its place
    Node* predecessor = Rightmost(node->lesser);
    takeEntry(predecessor, node);
    SpliceOut(root, predecessor, predecessor->lesser);
    return predecessor;
}

/// Where a removal leaves the caller's position: 'n' on the entry that followed
/// the removed one, 'p' on the one before it, any other mode nowhere.
template <class Node, class LowerBoundFn, class LastFn, class StepBackFn>
void RepositionAfterRemove(char mode, Node*& pos, LowerBoundFn lowerBoundOfRemoved, LastFn last,
                           StepBackFn stepBack) {
    if (mode == 'n') {
        pos = lowerBoundOfRemoved();
    } else if (mode == 'p') {
        pos = lowerBoundOfRemoved();
        if (pos == nullptr) {
            pos = last();
        } else {
            stepBack(pos);
        }
    } else {
        pos = nullptr;
    }
}

/// The nodes of a tree in order, at indices 1..n of an array of n + 1 (index 0 unused),
/// for the rebuilds below; null when the array cannot be allocated or the walk yields
/// more than `count` nodes. The caller deletes the array.
template <class Node, class FirstFn, class StepFn>
Node** NodesByRank(std::int32_t count, FirstFn first, StepFn stepForward) {
    const std::int64_t n = count < 0 ? 0 : count;
    Node** byRank = new (std::nothrow) Node*[static_cast<std::size_t>(n) + 1]();
    if (byRank == nullptr) {
        return nullptr;
    }
    std::int64_t walked = 0;
    for (Node* pos = first(); pos != nullptr; stepForward(pos)) {
        if (++walked > n) {
            delete[] byRank; // more nodes than count: leave the tree as it was
            return nullptr;
        }
        byRank[walked] = pos;
    }
    return byRank;
}

/// Visits the ranks 1..n middle first, then the middles of each half, so that every
/// level fills before the next: for e = b/2, b/4, ..., 1 the odd multiples of e,
/// downwards, skipping those above n; `visit(rank, e)`. b is the smallest power of
/// two greater than n, and at least 2.
template <class VisitFn> void ForEachRankMiddleFirst(std::int64_t n, VisitFn visit) {
    std::int64_t b = 2;
    while (b <= n) {
        b *= 2;
    }
    for (std::int64_t e = b / 2; e >= 1; e /= 2) {
        for (std::int64_t i = b - e; i >= e; i -= 2 * e) {
            if (i <= n) {
                visit(i, e);
            }
        }
    }
}

/// Relinks every node of a tree of `count` nodes into a tree of minimal height.
/// `first()` starts the in-order walk, `stepForward(pos)` advances it, and
/// `link(node)` inserts a node into the tree that is being rebuilt from an
/// empty `root`. FALSE, with the tree unchanged, when the index array cannot be
/// allocated or the walk yields more than `count` nodes.
template <class Node, class FirstFn, class StepFn, class LinkFn>
BOOL RebuildBalanced(Node*& root, std::int32_t count, FirstFn first, StepFn stepForward,
                     LinkFn link) {
    if (root == nullptr) {
        return TRUE;
    }
    Node** byRank = NodesByRank<Node>(count, first, stepForward);
    if (byRank == nullptr) {
        return FALSE;
    }
    root = nullptr;
    ForEachRankMiddleFirst(count, [&](std::int64_t rank, std::int64_t) {
        if (byRank[rank] != nullptr) {
            link(byRank[rank]);
            byRank[rank] = nullptr;
        }
    });
    delete[] byRank;
    return TRUE;
}

/// The tree RebuildBalanced builds, for a tree whose entries are all distinct, without
/// a walk from the root per node. When the node of rank i is linked (at step e), the
/// nodes already linked nearest to it are those of ranks i - e and i + e, linked at
/// earlier steps; a walk from the root would link it below one of these two
/// neighbours (WalkEndBetween), as an index links a new key. So each node goes
/// straight to its place, and the rebuild costs one pass. `isBefore(a, b)` says
/// whether a's entry orders before b's; with entries that are not all distinct the
/// walks of RebuildBalanced are kept, through `link`.
template <class Node, class FirstFn, class StepFn, class IsBeforeFn, class LinkFn>
BOOL RebuildBalancedDistinct(Node*& root, std::int32_t& count, FirstFn first, StepFn stepForward,
                             IsBeforeFn isBefore, LinkFn link) {
    if (root == nullptr) {
        return TRUE;
    }
    Node** byRank = NodesByRank<Node>(count, first, stepForward);
    if (byRank == nullptr) {
        return FALSE;
    }
    const std::int64_t n = count;
    // A walk that found fewer nodes than `count` leaves ranks empty: those take the walks too.
    bool distinct = true;
    for (std::int64_t rank = 1; rank <= n && distinct; ++rank) {
        distinct = byRank[rank] != nullptr && (rank == 1 || isBefore(byRank[rank - 1], byRank[rank]));
    }
    root = nullptr;
    ForEachRankMiddleFirst(n, [&](std::int64_t rank, std::int64_t e) {
        Node* node = byRank[rank];
        if (!distinct) {
            if (node != nullptr) {
                link(node);
            }
            return;
        }
        Node* below = rank - e >= 1 ? byRank[rank - e] : nullptr;
        Node* above = rank + e <= n ? byRank[rank + e] : nullptr;
        LinkCounted(root, count, WalkEndBetween(below, above), node);
    });
    delete[] byRank;
    return TRUE;
}

/// Frees every node under `root` in post-order (lesser subtree, greater subtree,
/// node) without recursion: each leaf is cut from its parent before `dispose`
/// frees it, so the parent becomes a leaf in its turn.
template <class Node, class DisposeFn> void FreePostOrder(Node* root, DisposeFn dispose) {
    Node* node = root;
    while (node != nullptr) {
        if (node->lesser != nullptr) {
            node = node->lesser;
        } else if (node->greater != nullptr) {
            node = node->greater;
        } else {
            Node* parent = node == root ? nullptr : node->parent;
            if (parent != nullptr) {
                (parent->lesser == node ? parent->lesser : parent->greater) = nullptr;
            }
            dispose(node);
            node = parent;
        }
    }
}

/// Visits the subtree under `top` in pre-order (node, lesser subtree, greater
/// subtree) without recursion, climbing by parent links and never above `top`.
template <class Node, class VisitFn> void VisitPreOrder(Node* top, VisitFn visit) {
    Node* node = top;
    while (node != nullptr) {
        visit(node);
        if (node->lesser != nullptr) {
            node = node->lesser;
        } else if (node->greater != nullptr) {
            node = node->greater;
        } else {
            // climb until an ancestor below top has an unvisited greater subtree
            Node* next = nullptr;
            while (node != top) {
                Node* parent = node->parent;
                if (parent->lesser == node && parent->greater != nullptr) {
                    next = parent->greater;
                    break;
                }
                node = parent;
            }
            node = next;
        }
    }
}

} // namespace cells::links
