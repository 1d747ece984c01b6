// PluginLoad.h - the plug-in held as a client holds it: loaded and initialised once, closed once.
//
// A PluginLoad is the lifetime of one load: its constructor calls OnLoad and
// OnInitialize (with the host's settings, the callback's address among them)
// and reads the menu item the plug-in registered; its destructor calls OnClose,
// dispatches what the plug-in posted on its way out, and lets the library go.
// In between, any number of commands run on it (PluginSession), one at a time,
// each with its own command map. Close() calls OnClose early, so that a fault
// in it can be reported; the destructor then has nothing left to call.
#pragma once

#include "session/ExportCall.h"
#include "session/PluginModule.h"

#include <cstdint>
#include <optional>
#include <string>

namespace host {

class PluginLoad {
public:
    /// Takes the module: OnLoad, OnInitialize; throws PluginMisbehaved (OnClose is still called).
    explicit PluginLoad(PluginModule module);
    /// Exports linked into the caller (tests, fuzzers): nothing to unload at the end.
    explicit PluginLoad(const PluginExports& exports);
    ~PluginLoad();
    PluginLoad(const PluginLoad&) = delete;
    PluginLoad& operator=(const PluginLoad&) = delete;

    /// OnClose now; throws PluginMisbehaved. Later calls do nothing.
    void Close();

    const PluginExports& Exports() const { return exports_; }
    /// The registered menu item: "Command" of every command map.
    const std::string& MenuText() const { return menuText_; }
    std::int32_t MenuItemId() const { return menuItemId_; }
    /// The file name of the module, or empty for linked-in exports.
    std::string FileName() const { return module_ ? module_->FileName() : std::string(); }

private:
    void Open();
    void Initialize();

    std::optional<PluginModule> module_; // destroyed last: unloaded after OnClose
    PluginExports exports_;
    std::string menuText_;
    std::int32_t menuItemId_ = 0;
    bool closed_ = true; // until OnLoad has been called
};

} // namespace host
