// PluginLoad.cpp - OnLoad and OnInitialize once, the menu item read, OnClose once.
#include "session/PluginLoad.h"

#include "session/PluginSession.h"
#include "platform/CMapStringToString.h"
#include "platform/Window.h"

#include <cstdlib>
#include <string_view>
#include <utility>

namespace host {
namespace {

constexpr std::string_view kMenuItemPrefix = "MenuItem:";

/// Dispatches what is queued without waiting; the plug-in may have posted on its way out.
void DispatchQueued() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
}

} // namespace

PluginLoad::PluginLoad(PluginModule module) : module_(std::move(module)), exports_(module_->Exports()) {
    Open();
}

PluginLoad::PluginLoad(const PluginExports& exports) : exports_(exports) { Open(); }

PluginLoad::~PluginLoad() {
    try {
        Close();
    } catch (...) {
        // already leaving on an error, or the caller chose not to hear of OnClose's fault
    }
}

void PluginLoad::Open() {
    CallExport("OnLoad", [&] { exports_.onLoad(); });
    closed_ = false;
    // A constructor that throws runs no destructor: OnClose is called here on that path.
    try {
        Initialize();
    } catch (...) {
        try {
            Close();
        } catch (...) {
            // the first fault is the one to report
        }
        throw;
    }
}

void PluginLoad::Close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    CallExport("OnClose", [&] { exports_.onClose(); });
    DispatchQueued();
}

void PluginLoad::Initialize() {
    CMapStringToString settings;
    // The host has no frame window of its own to offer: its numbers are 0.
    settings["MainFrame"] = "0";
    settings["DataManager"] = std::to_string(HostCallbackAddress()).c_str();
    settings["EventMask"] = "0";
    settings["MainFramePtr"] = "0";
    CallExport("OnInitialize", [&] { exports_.onInitialize(settings); });

    POSITION position = settings.GetStartPosition();
    while (position != nullptr) {
        CString key;
        CString text;
        settings.GetNextAssoc(position, key, text);
        if (key.view().substr(0, kMenuItemPrefix.size()) == kMenuItemPrefix) {
            const std::string id(key.view().substr(kMenuItemPrefix.size()));
            menuItemId_ = static_cast<std::int32_t>(std::strtoul(id.c_str(), nullptr, 10));
            menuText_ = text.str();
            return;
        }
    }
    throw PluginMisbehaved("the plug-in registered no menu item in 'OnInitialize'");
}

} // namespace host
