// PluginInstance.h - the module's one application object and its module state.
//
// Both are static objects of the Tarvenix2 module: constructed when the host
// loads it, destroyed when the host unloads it, the application object last
// of the two. The module state names the plug-in's resources (on Windows the
// ones compiled into the DLL, elsewhere the records of PluginResources.h) and that object,
// so that while an export holds it, LoadString, CDialog::Create, AfxGetApp and
// AfxGetThread answer for the plug-in rather than for the host.
#pragma once

#include "platform/ModuleState.h"

class PluginApp;

/// The plug-in's application object.
PluginApp& ThePluginApp();

/// The plug-in's module state, which every export holds current (AFX_MANAGE_STATE) for its call.
AFX_MODULE_STATE* AfxGetStaticModuleState();
