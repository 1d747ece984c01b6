// CStringList.cpp - singly linked list of texts with a tail pointer for O(1) AddTail.
#include "platform/CStringList.h"

#include <cassert>

struct CStringList::Node {
    CString text;
    Node* next = nullptr;
};

namespace {

POSITION ToPosition(const void* node) {
    return reinterpret_cast<POSITION>(const_cast<void*>(node));
}

} // namespace

CStringList::CStringList(int /*blockSize*/) {}

CStringList::~CStringList() { RemoveAll(); }

POSITION CStringList::AddTail(const char* text) {
    Node* node = new Node{CString(text), nullptr};
    if (tail_ == nullptr) {
        head_ = node;
    } else {
        tail_->next = node;
    }
    tail_ = node;
    ++count_;
    return ToPosition(node);
}

void CStringList::RemoveAll() {
    while (head_ != nullptr) {
        Node* next = head_->next;
        delete head_;
        head_ = next;
    }
    tail_ = nullptr;
    count_ = 0;
}

POSITION CStringList::GetHeadPosition() const { return ToPosition(head_); }

const CString& CStringList::GetNext(POSITION& pos) const {
    assert(pos != nullptr && "GetNext needs a position");
    const Node* node = reinterpret_cast<const Node*>(pos);
    pos = ToPosition(node->next);
    return node->text;
}

const CString& CStringList::GetHead() const {
    assert(head_ != nullptr && "GetHead needs a non-empty list");
    return head_->text;
}
