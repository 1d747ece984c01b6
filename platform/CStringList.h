// CStringList.h - the framework's ordered list of texts, appended at the tail and walked head to tail.
//
// Positions handed out by GetHeadPosition/GetNext stay valid until the entry
// is removed (RemoveAll). The list is not copyable, like the framework's.
#pragma once

#include "platform/CString.h"
#include "platform/FrameworkApi.h"

class TARVENIX_FRAMEWORK_API CStringList {
public:
    /// `blockSize` is the framework's allocation granularity; entries here are
    /// allocated one by one, so it is accepted and has no further effect.
    explicit CStringList(int blockSize = 10);
    ~CStringList();
    CStringList(const CStringList&) = delete;
    CStringList& operator=(const CStringList&) = delete;

    POSITION AddTail(const char* text);
    void RemoveAll();

    int GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    POSITION GetHeadPosition() const;
    /// The entry at `pos`; moves `pos` to the following entry, or null after the tail.
    const CString& GetNext(POSITION& pos) const;
    /// The head entry; the list must not be empty.
    const CString& GetHead() const;

private:
    struct Node;
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int count_ = 0;
};
