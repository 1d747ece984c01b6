// CWnd.h - the framework's window object: a C++ object that holds a window handle and routes its messages.
//
// The object and its window live apart: the object comes first and stays after
// its window is destroyed, and `m_hWnd` is null whenever no window is attached.
// Messages reach WindowProc, which looks them up in the message map of the most
// derived class and then of its bases (MessageMap.h); what no entry handles
// gets the default answer, 0. A window object is used on the thread that owns
// its window; only `m_hWnd` may be read from another thread, and only while the
// window's owner guarantees it does not change.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/MessageMap.h"
#include "platform/Window.h"

class TARVENIX_FRAMEWORK_API CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    /// The attached window, or null; never a dangling object read.
    HWND GetSafeHwnd() const { return m_hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    /// Destroys the attached window and its children; FALSE when none is attached.
    virtual BOOL DestroyWindow();

    /// Routes one message of the attached window through the message maps.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    /// Whether some message map of this window's classes has an entry for the message; a
    /// system dialog procedure leaves the rest to the system's default handling.
    bool HasHandler(UINT message, WPARAM wParam) const { return FindHandler(message, wParam) != nullptr; }

    /// Called once the attached window is gone: `m_hWnd` is cleared before it.
    virtual void PostNcDestroy() {}

    /// Called by the window layer once the attached window is gone.
    void OnWindowDestroyed();

    HWND m_hWnd = nullptr; // public, as the framework has it

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

private:
    const AFX_MSGMAP_ENTRY* FindHandler(UINT message, WPARAM wParam) const;
};
