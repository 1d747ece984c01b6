// PluginInstance.cpp - the static application object and the module state that names it.
#include "plugin/PluginInstance.h"

#include "plugin/PluginApp.h"
#if !defined(_WIN32)
#include "plugin/PluginResources.h"
#endif

namespace {

// Constructed at load, before the module state that points at it; destroyed after it.
PluginApp thePluginApp;
#if defined(_WIN32)
// The resources compiled into this DLL, which finds itself from its own application object.
AFX_MODULE_STATE theModuleState(AfxModuleInstanceOf(&thePluginApp), &thePluginApp);
#else
AFX_MODULE_STATE theModuleState(&kPluginResources, &thePluginApp);
#endif

} // namespace

PluginApp& ThePluginApp() { return thePluginApp; }

AFX_MODULE_STATE* AfxGetStaticModuleState() { return &theModuleState; }
