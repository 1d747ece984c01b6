// CWnd.cpp - message-map routing and the window calls of the framework's window object.
#include "platform/CWnd.h"

namespace {

constexpr AFX_MSGMAP_ENTRY kNoEntries[] = {{0, 0, 0, nullptr}};

UINT LowWord(WPARAM value) { return static_cast<UINT>(value & 0xFFFF); }
UINT HighWord(WPARAM value) { return static_cast<UINT>((value >> 16) & 0xFFFF); }

bool Matches(const AFX_MSGMAP_ENTRY& entry, UINT message, WPARAM wParam) {
    if (entry.message != message) {
        return false;
    }
    if (message != WM_COMMAND) {
        return true;
    }
    return entry.id == LowWord(wParam) && entry.code == HighWord(wParam);
}

} // namespace

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
    static const AFX_MSGMAP map{nullptr, kNoEntries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::DestroyWindow() {
    if (m_hWnd == nullptr) {
        return FALSE;
    }
    return ::DestroyWindow(m_hWnd);
}

const AFX_MSGMAP_ENTRY* CWnd::FindHandler(UINT message, WPARAM wParam) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr;
         map = map->baseMap != nullptr ? map->baseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* entry = map->entries; entry->handler != nullptr; ++entry) {
            if (Matches(*entry, message, wParam)) {
                return entry;
            }
        }
    }
    return nullptr;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const AFX_MSGMAP_ENTRY* entry = FindHandler(message, wParam);
    return entry != nullptr ? entry->handler(*this, wParam, lParam) : 0;
}

void CWnd::OnWindowDestroyed() {
    m_hWnd = nullptr;
    PostNcDestroy();
}
