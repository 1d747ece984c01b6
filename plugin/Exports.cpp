// Exports.cpp - the six entry points the host calls: thin trampolines into the application object.
//
// Each export makes the plug-in's module current for the length of the call
// and restores the host's on the way out, and lets no exception out: the host
// is not ours, and an exception unwinding into it would end it. Each is
// defined once under its plain (C) name; on Linux the C++ name of the same
// free function is an alias of it, so both names reach the same code. On
// Windows the .def file gives the decorated names.
//
// [ui thread] Every export: the host calls them all on its user-interface thread.
#include "plugin/PluginApp.h"
#include "plugin/PluginInstance.h"
#include "platform/CMapStringToString.h"
#include "platform/ModuleState.h"

#if defined(_WIN32)
#define TARVENIX_EXPORT
#else
#define TARVENIX_EXPORT __attribute__((visibility("default")))
#endif

namespace {

/// Runs one call into the application object with the plug-in's module current for
/// its length; whatever it throws stops here.
template <typename Call>
void Guarded(Call&& call) noexcept {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        call(ThePluginApp());
    } catch (...) {
        // The host has no channel for a failure; the call simply had no effect beyond this point.
    }
}

} // namespace

namespace plain_exports {
extern "C" {

TARVENIX_EXPORT void OnLoad() {
    Guarded([](PluginApp& app) { app.OnLoad(); });
}

// Called before the first OnUserCommand: the host's callback arrives here.
TARVENIX_EXPORT void OnInitialize(CMapStringToString& settings) {
    Guarded([&settings](PluginApp& app) { app.OnInitialize(settings); });
}

// Returns once the progress window is open, or at once when the command ends early.
TARVENIX_EXPORT void OnUserCommand(CMapStringToString& command) {
    Guarded([&command](PluginApp& app) { app.OnUserCommand(command); });
}

TARVENIX_EXPORT void OnPlanetChanged(CMapStringToString& map) {
    Guarded([&map](PluginApp& app) { app.OnPlanetChanged(map); });
}

TARVENIX_EXPORT void OnAbout(CMapStringToString& about) {
    Guarded([&about](PluginApp& app) { app.OnAbout(about); });
}

// The host's last call before it lets the library go: no worker may run past it.
TARVENIX_EXPORT void OnClose() {
    Guarded([](PluginApp& app) { app.OnClose(); });
}

} // extern "C"
} // namespace plain_exports

#if !defined(_WIN32)
// The same six functions under their C++ names (_Z6OnLoadv, ...): aliases, not copies.
TARVENIX_EXPORT void OnLoad() __attribute__((alias("OnLoad")));
TARVENIX_EXPORT void OnInitialize(CMapStringToString& settings) __attribute__((alias("OnInitialize")));
TARVENIX_EXPORT void OnUserCommand(CMapStringToString& command) __attribute__((alias("OnUserCommand")));
TARVENIX_EXPORT void OnPlanetChanged(CMapStringToString& map) __attribute__((alias("OnPlanetChanged")));
TARVENIX_EXPORT void OnAbout(CMapStringToString& about) __attribute__((alias("OnAbout")));
TARVENIX_EXPORT void OnClose() __attribute__((alias("OnClose")));
#endif
