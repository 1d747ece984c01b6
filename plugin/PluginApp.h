// PluginApp.h - the plug-in's application object: the host's settings, the menu item, the about answer.
//
// There is one PluginApp, a static object of the module (PluginInstance.h),
// constructed when the host loads the library and destroyed when it unloads
// it. It owns the progress window object `dialog`, which owns the run's
// DispatchContext; all three live as long as the library.
//
// [ui thread] Every member, inside an export that has made the plug-in's module
// current, so strings and the dialog template come from the plug-in.
#pragma once

#include "platform/CMapStringToString.h"
#include "platform/CWinApp.h"
#include "ui/SendProgressDialog.h"

#include <cstdint>

class PluginApp : public CWinApp {
public:
    PluginApp() : CWinApp(nullptr) {}

    /// Nothing: everything starts with OnInitialize.
    void OnLoad() {}
    /// Keeps the settings present in `settings` (MainFramePtr becomes 0 when absent) and
    /// registers the menu item "MenuItem:51507" with string 1. Nothing else in the map changes.
    void OnInitialize(CMapStringToString& settings);
    /// The Distribute Group command: checks, binds the context, reads the selection, opens the window.
    void OnUserCommand(CMapStringToString& command);
    /// Nothing; the map is not touched.
    void OnPlanetChanged(CMapStringToString& /*map*/) {}
    /// Writes Name, Author, Version, Date and Description, replacing earlier values.
    void OnAbout(CMapStringToString& about);
    /// The host is about to let the library go: a window still open is closed as Cancel
    /// closes it, so no worker outlives the context it uses.
    void OnClose();

    // The host's numbers from OnInitialize. They carry addresses, so they are as wide as one.
    std::intptr_t eventMask = 0;
    std::intptr_t mainFrame = 0;
    std::intptr_t dataManager = 0;  // the HostCallback's address; 0: none bound
    std::intptr_t mainFramePtr = 0;
    SendProgressDialog dialog;      // the progress window object; owns the run's context
};
