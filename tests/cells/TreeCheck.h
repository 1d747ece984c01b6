// TreeCheck.h - one checker for both containers' trees: links both ways, order, count, height.
//
// The checker walks with its own explicit stack over `lesser`/`greater` only,
// so it does not trust the parent links or the containers' own stepping that
// it is checking, and it is safe on a degenerate chain of any length.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace cells_test {

template <class Node> struct TreeWalk {
    std::vector<Node*> inOrder;                 // every node, in ascending order
    int height = 0;                             // nodes on the longest root-to-leaf path
    std::vector<std::pair<Node*, int>> pending; // the walk's own stack, kept for reuse
};

/// Height of a tree of minimal height with `n` nodes.
inline int MinimalHeight(std::int64_t n) {
    int height = 0;
    for (; n > 0; n /= 2) {
        ++height;
    }
    return height;
}

/// Checks the tree under `root` against `count` and fills `walk`. `keyOf(node)`
/// gives a node's key; keys must not decrease in order, and a node's greater
/// subtree must hold only keys greater than its own.
template <class Node, class KeyOf>
::testing::AssertionResult CheckTree(Node* root, std::int32_t count, KeyOf keyOf,
                                     TreeWalk<Node>& walk) {
    walk.inOrder.clear();
    walk.height = 0;
    if (root != nullptr && root->parent != nullptr) {
        return ::testing::AssertionFailure() << "the root has a parent";
    }
    auto& pending = walk.pending; // node and its depth, lesser side first
    pending.clear();
    Node* node = root;
    int depth = 1;
    while (node != nullptr || !pending.empty()) {
        while (node != nullptr) {
            if (static_cast<std::int64_t>(walk.inOrder.size() + pending.size()) >= count) {
                return ::testing::AssertionFailure() << "more nodes than count " << count;
            }
            for (Node* child : {node->lesser, node->greater}) {
                if (child != nullptr && child->parent != node) {
                    return ::testing::AssertionFailure()
                           << "child of " << keyOf(node) << " does not point back";
                }
            }
            pending.emplace_back(node, depth);
            node = node->lesser;
            ++depth;
        }
        std::tie(node, depth) = pending.back();
        pending.pop_back();
        walk.height = std::max(walk.height, depth);
        if (!walk.inOrder.empty() && keyOf(node) < keyOf(walk.inOrder.back())) {
            return ::testing::AssertionFailure()
                   << keyOf(node) << " follows " << keyOf(walk.inOrder.back());
        }
        walk.inOrder.push_back(node);
        if (node->greater != nullptr) {
            Node* least = node->greater;
            while (least->lesser != nullptr) {
                least = least->lesser;
            }
            if (!(keyOf(node) < keyOf(least))) {
                return ::testing::AssertionFailure()
                       << "greater side of " << keyOf(node) << " holds " << keyOf(least);
            }
        }
        node = node->greater;
        ++depth;
    }
    if (static_cast<std::int64_t>(walk.inOrder.size()) != count) {
        return ::testing::AssertionFailure() << walk.inOrder.size() << " nodes but count " << count;
    }
    return ::testing::AssertionSuccess();
}

/// Checks that every held position is a node of the tree that `walk` came from.
template <class Node>
::testing::AssertionResult PositionsInTree(const TreeWalk<Node>& walk,
                                           const std::vector<Node*>& held) {
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (held[i] != nullptr &&
            std::find(walk.inOrder.begin(), walk.inOrder.end(), held[i]) == walk.inOrder.end()) {
            return ::testing::AssertionFailure() << "held position " << i << " left the tree";
        }
    }
    return ::testing::AssertionSuccess();
}

/// The tree written as nested "(lesser key greater)" groups, for exact shape checks
/// of small trees: keys 1..3 rooted at 2 read "((1)2(3))".
template <class Node, class KeyOf> std::string Shape(const Node* node, KeyOf keyOf) {
    if (node == nullptr) {
        return "";
    }
    std::ostringstream out;
    out << "(" << Shape(node->lesser, keyOf) << keyOf(node) << Shape(node->greater, keyOf) << ")";
    return out.str();
}

} // namespace cells_test
