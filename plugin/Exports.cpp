// Exports.cpp - the six entry points the host calls: thin trampolines into the application object.
//
// Each export makes the plug-in's module current for the length of the call
// and restores the host's on the way out, and lets no exception out: the host
// is not ours, and an exception unwinding into it would end it. Each also
// holds the floating-point settings the plug-in computes under for its length
// (FloatingPointEnvironment.h), whatever the process that loaded it set. Each
// is defined once under its plain (C) name; on Linux the C++ name of the same
// free function is an alias of it, so both names reach the same code. On
// Windows the .def file gives the decorated names.
//
// The exports carry the names and ordinals the game client calls, but this
// build's framework classes are its own, not the client's. A map handed over
// by a client of another framework is therefore recognised before anything
// touches it, by its first word alone (AfxIsFrameworkMap): the call then does
// nothing, and the player is told once, through the system's own message box.
//
// [ui thread] Every export: the host calls them all on its user-interface thread.
#include "plugin/PluginApp.h"
#include "plugin/PluginInstance.h"
#include "platform/CMapStringToString.h"
#include "platform/FloatingPointEnvironment.h"
#include "platform/ModuleState.h"

#include <atomic>

#if defined(_WIN32)
#include <string>
#include <windows.h>
#define TARVENIX_EXPORT
#else
#include "platform/MessageBox.h"
#define TARVENIX_EXPORT __attribute__((visibility("default")))
#endif

namespace {

constexpr const char* kForeignHostNotice =
    "This build of Tarvenix2.dll runs only under tarvenix-host. The program that loaded it "
    "hands it objects of another framework, so it leaves them alone and does nothing here.\n\n"
    "Эта сборка Tarvenix2.dll работает только под tarvenix-host. Программа, которая её загрузила, "
    "передаёт ей объекты другой библиотеки, поэтому она их не трогает и ничего не делает.";

#if defined(_WIN32)
// The box's caption: the framework's application name is not to be trusted in a foreign host.
constexpr const char* kForeignHostCaption = "Tarvenix2";

std::wstring FromUtf8(const char* text) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, wide.data(), length);
    return wide;
}
#endif

/// Tells the player, once per process, why the plug-in does nothing here. On Windows straight
/// through user32, in UTF-16: the framework is the very thing that does not match this host.
void TellPlayerOnce() noexcept {
    static std::atomic_flag told;
    if (told.test_and_set()) {
        return;
    }
#if defined(_WIN32)
    try {
        MessageBoxW(GetActiveWindow(), FromUtf8(kForeignHostNotice).c_str(), FromUtf8(kForeignHostCaption).c_str(),
                    MB_OK | MB_ICONSTOP);
    } catch (...) {
        // Out of memory for the text: the call still does nothing, silently.
    }
#else
    AfxMessageBox(kForeignHostNotice, MB_OK | MB_ICONHAND);
#endif
}

/// Runs one call into the application object with the plug-in's module current and its
/// floating-point settings in force for its length; whatever it throws stops here.
template <typename Call>
void Guarded(Call&& call) noexcept {
    const platform::ScopedDefaultFloatingPoint floatingPoint;
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    try {
        call(ThePluginApp());
    } catch (...) {
        // The host has no channel for a failure; the call simply had no effect beyond this point.
    }
}

/// The same for an export that is handed a map, once the map is known to be one of ours;
/// any other object is left untouched and the call does nothing.
template <typename Call>
void GuardedWithMap(CMapStringToString& map, Call&& call) noexcept {
    if (!AfxIsFrameworkMap(&map)) {
        TellPlayerOnce();
        return;
    }
    Guarded([&map, &call](PluginApp& app) { call(app, map); });
}

} // namespace

namespace plain_exports {
extern "C" {

TARVENIX_EXPORT void OnLoad() {
    Guarded([](PluginApp& app) { app.OnLoad(); });
}

// Called before the first OnUserCommand: the host's callback arrives here.
TARVENIX_EXPORT void OnInitialize(CMapStringToString& settings) {
    GuardedWithMap(settings, [](PluginApp& app, CMapStringToString& map) { app.OnInitialize(map); });
}

// Returns once the progress window is open, or at once when the command ends early.
TARVENIX_EXPORT void OnUserCommand(CMapStringToString& command) {
    GuardedWithMap(command, [](PluginApp& app, CMapStringToString& map) { app.OnUserCommand(map); });
}

TARVENIX_EXPORT void OnPlanetChanged(CMapStringToString& map) {
    GuardedWithMap(map, [](PluginApp& app, CMapStringToString& given) { app.OnPlanetChanged(given); });
}

TARVENIX_EXPORT void OnAbout(CMapStringToString& about) {
    GuardedWithMap(about, [](PluginApp& app, CMapStringToString& map) { app.OnAbout(map); });
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
