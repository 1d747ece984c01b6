// ModuleState.h - which module's resources the framework uses on this thread, and the guard that switches it.
//
// Every export of a plug-in switches the framework to the plug-in's own module
// for the length of the call (AFX_MANAGE_STATE), so that string table lookups
// and dialog templates come from the plug-in, not the host, and restores the
// caller's module on the way out, also when an exception passes. The current
// module is kept per thread; a thread that never switched uses the process's
// default module state, which holds no resources unless the host gave some.
//
// On Windows a module's resources are compiled into it: its state names the
// module's instance handle, and the string table and dialog templates are read
// from there by the system, in the thread's UI language. A state made from
// resource records (no instance) is read as it is elsewhere.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/Resources.h"

class CWinApp;

class TARVENIX_FRAMEWORK_API AFX_MODULE_STATE {
public:
    explicit AFX_MODULE_STATE(const ModuleResources* moduleResources, CWinApp* app = nullptr)
        : resources(moduleResources), currentWinApp(app) {}
#if defined(_WIN32)
    AFX_MODULE_STATE(HINSTANCE moduleInstance, CWinApp* app)
        : resources(nullptr), currentWinApp(app), m_hCurrentInstanceHandle(moduleInstance) {}
#endif

    const ModuleResources* resources; // null: the module has no resources as records
    CWinApp* currentWinApp;           // the module's application object, or null
#if defined(_WIN32)
    HINSTANCE m_hCurrentInstanceHandle = nullptr; // the module whose compiled resources are read, or null
#endif
};

#if defined(_WIN32)
/// The instance handle of the module (EXE or DLL) whose image holds `address`, or null.
/// A DLL finds its own this way from one of its own objects, also while it is being loaded.
TARVENIX_FRAMEWORK_API HINSTANCE AfxModuleInstanceOf(const void* address);
#endif

/// The module state in force on the calling thread.
TARVENIX_FRAMEWORK_API AFX_MODULE_STATE* AfxGetModuleState();
/// Makes `state` current on the calling thread (null: the process default); returns the previous one.
TARVENIX_FRAMEWORK_API AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state);

/// Holds a module state current for one scope.
class AFX_MAINTAIN_STATE {
public:
    explicit AFX_MAINTAIN_STATE(AFX_MODULE_STATE* state) : previous_(AfxSetModuleState(state)) {}
    ~AFX_MAINTAIN_STATE() { AfxSetModuleState(previous_); }
    AFX_MAINTAIN_STATE(const AFX_MAINTAIN_STATE&) = delete;
    AFX_MAINTAIN_STATE& operator=(const AFX_MAINTAIN_STATE&) = delete;

private:
    AFX_MODULE_STATE* previous_;
};

#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE tarvenixModuleStateGuard(state)
