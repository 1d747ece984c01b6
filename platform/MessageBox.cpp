// MessageBox.cpp - AfxMessageBox through the host's presenter, or the system's box on Windows.
#include "platform/MessageBox.h"

#include "platform/CWinApp.h"
#include "platform/ModuleState.h"

UINT AfxMessageBoxStyle(UINT type) {
    if ((type & MB_ICONMASK) != 0) {
        return type;
    }
    switch (type & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
        return type | MB_ICONEXCLAMATION;
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return type | MB_ICONQUESTION;
    default:
        return type;
    }
}

std::string AfxApplicationNameFromPath(const std::string& modulePath) {
    const std::size_t folderEnd = modulePath.find_last_of("\\/:");
    std::string name = modulePath.substr(folderEnd == std::string::npos ? 0 : folderEnd + 1);
    if (const std::size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
        name.resize(dot);
    }
    return name;
}

#if defined(_WIN32)

namespace {

/// The name of the application whose module is in force: the one its object was made with,
/// else its module's file name (with no module state of its own, the program's).
std::string ApplicationName() {
    if (const CWinApp* app = AfxGetApp(); app != nullptr && app->m_pszAppName != nullptr) {
        return app->m_pszAppName;
    }
    char path[MAX_PATH] = {};
    const DWORD length =
        GetModuleFileNameA(AfxGetModuleState()->m_hCurrentInstanceHandle, path, static_cast<DWORD>(sizeof path));
    return AfxApplicationNameFromPath(std::string(path, length < sizeof path ? length : 0));
}

} // namespace

int AfxMessageBox(const char* text, UINT type, UINT /*helpContext*/) {
    // Owned by the active window of this thread, so the box is modal to the host's frame.
    return MessageBoxA(GetActiveWindow(), text, ApplicationName().c_str(), AfxMessageBoxStyle(type));
}

#else
#include <atomic>
#include <cstdio>

namespace {

int PrintToErrorStream(const char* text, UINT /*type*/) {
    std::fprintf(stderr, "%s\n", text == nullptr ? "" : text);
    return IDOK;
}

std::atomic<MessageBoxPresenter> presenter{nullptr};

} // namespace

MessageBoxPresenter AfxSetMessageBoxPresenter(MessageBoxPresenter newPresenter) {
    return presenter.exchange(newPresenter);
}

int AfxMessageBox(const char* text, UINT type, UINT /*helpContext*/) {
    const MessageBoxPresenter show = presenter.load();
    // The presenter is handed the box as the system would show it, icon included.
    return show != nullptr ? show(text, AfxMessageBoxStyle(type)) : PrintToErrorStream(text, type);
}

#endif
