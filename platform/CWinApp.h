// CWinApp.h - the framework's thread and application objects, and how code finds the current ones.
//
// A module's one CWinApp is a static object; the module names it in its module
// state, so AfxGetApp and AfxGetThread answer it while that module is in force
// (inside the module's exports). A plug-in's application object has no main
// window of its own: GetMainWnd answers null unless one was set.
#pragma once

#include "platform/CWnd.h"
#include "platform/FrameworkApi.h"

class TARVENIX_FRAMEWORK_API CWinThread {
public:
    CWinThread() = default;
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread() = default;

    virtual CWnd* GetMainWnd() { return m_pMainWnd; }
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }

    CWnd* m_pMainWnd = nullptr; // the thread's main window, or null
};

class TARVENIX_FRAMEWORK_API CWinApp : public CWinThread {
public:
    /// `appName` null: the application takes no name of its own.
    explicit CWinApp(const char* appName = nullptr) : m_pszAppName(appName) {}

    const char* m_pszAppName;
};

/// The application object of the module in force, or null.
TARVENIX_FRAMEWORK_API CWinApp* AfxGetApp();
/// The thread object of the calling thread within the module in force, or null.
TARVENIX_FRAMEWORK_API CWinThread* AfxGetThread();
