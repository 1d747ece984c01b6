// ModuleState.cpp - the per-thread current module, and CString::LoadString, which reads its string table.
#include "platform/ModuleState.h"

#include "platform/CString.h"

#include <cstddef>
#include <string_view>

namespace {

AFX_MODULE_STATE& ProcessModuleState() {
    static AFX_MODULE_STATE state(nullptr);
    return state;
}

thread_local AFX_MODULE_STATE* currentModuleState = nullptr;

} // namespace

AFX_MODULE_STATE* AfxGetModuleState() {
    return currentModuleState != nullptr ? currentModuleState : &ProcessModuleState();
}

AFX_MODULE_STATE* AfxSetModuleState(AFX_MODULE_STATE* state) {
    AFX_MODULE_STATE* previous = currentModuleState;
    currentModuleState = state;
    return previous;
}

#if defined(_WIN32)
HINSTANCE AfxModuleInstanceOf(const void* address) {
    HMODULE module = nullptr;
    // Unchanged reference count: a module must not pin itself by asking who it is.
    const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
    if (GetModuleHandleExA(flags, static_cast<LPCSTR>(address), &module) == FALSE) {
        return nullptr;
    }
    return module;
}
#endif

namespace {

#if defined(_WIN32)
// The system's string table lookup, in the thread's UI language and the ANSI code page, as
// an ANSI framework's LoadString gives it. Entries of a string table are at most 4095 units.
bool LoadCompiledString(HINSTANCE instance, UINT id, CString& text) {
    char buffer[4096];
    const int length = LoadStringA(instance, id, buffer, static_cast<int>(sizeof buffer));
    if (length <= 0) {
        return false;
    }
    text = CString(std::string_view(buffer, static_cast<std::size_t>(length)));
    return true;
}
#endif

} // namespace

BOOL CString::LoadString(UINT id) {
#if defined(_WIN32)
    if (HINSTANCE instance = AfxGetModuleState()->m_hCurrentInstanceHandle; instance != nullptr) {
        if (LoadCompiledString(instance, id, *this)) {
            return TRUE;
        }
        Empty();
        return FALSE;
    }
#endif
    const ModuleResources* resources = AfxGetModuleState()->resources;
    const char* text = resources == nullptr ? nullptr : resources->FindString(id, SelectUiLanguage());
    if (text == nullptr) {
        Empty();
        return FALSE;
    }
    *this = text;
    return TRUE;
}
