// CWnd.h - the framework's window object: a C++ object that holds a window handle.
//
// The object and its window live apart: the object comes first and stays after
// its window is destroyed, and `m_hWnd` is null whenever no window is attached.
// Only what the relay planner needs is here yet (the handle, read from another
// thread between the window's creation and destruction); the dialog layer
// grows it into the full window object.
#pragma once

#include "platform/Window.h"

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    /// The attached window, or null; never a dangling object read.
    HWND GetSafeHwnd() const { return m_hWnd; }

    HWND m_hWnd = nullptr; // public, as the framework has it
};
