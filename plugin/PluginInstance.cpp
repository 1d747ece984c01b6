// PluginInstance.cpp - the static application object and the module state that names it.
#include "plugin/PluginInstance.h"

#include "plugin/PluginApp.h"
#include "plugin/PluginResources.h"

namespace {

// Constructed at load, before the module state that points at it; destroyed after it.
PluginApp thePluginApp;
AFX_MODULE_STATE theModuleState(&kPluginResources, &thePluginApp);

} // namespace

PluginApp& ThePluginApp() { return thePluginApp; }

AFX_MODULE_STATE* AfxGetStaticModuleState() { return &theModuleState; }
