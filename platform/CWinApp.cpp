// CWinApp.cpp - the current application and thread objects, read from the module state.
#include "platform/CWinApp.h"

#include "platform/ModuleState.h"

CWinApp* AfxGetApp() { return AfxGetModuleState()->currentWinApp; }

// Every export runs on the thread that the application object serves, so the
// module's application object is the thread object there.
CWinThread* AfxGetThread() { return AfxGetApp(); }
