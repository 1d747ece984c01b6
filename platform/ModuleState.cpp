// ModuleState.cpp - the per-thread current module, and CString::LoadString, which reads its string table.
#include "platform/ModuleState.h"

#include "platform/CString.h"

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

BOOL CString::LoadString(UINT id) {
    const ModuleResources* resources = AfxGetModuleState()->resources;
    const char* text = resources == nullptr ? nullptr : resources->FindString(id, SelectUiLanguage());
    if (text == nullptr) {
        Empty();
        return FALSE;
    }
    *this = text;
    return TRUE;
}
