// BareWindow.cpp - the least window program: the yardstick for what a run of the Windows host
// costs before any of its own work.
//
// It does what every run of tarvenix-host.exe does on the desktop and nothing
// else: one modeless dialog from an in-memory template (a real dialog window,
// as the plug-in's progress window is), its messages pumped until none is
// left, the dialog destroyed, a line on the console. Timed beside the host,
// the difference is ours; what this program takes is Wine's.
#include <windows.h>

#include <cstdio>

namespace {

// A dialog template with no controls, no menu and no class; the strings after the
// header (menu, class, title) are empty words.
struct EmptyDialogTemplate {
    DLGTEMPLATE header;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

/// Milliseconds since the previous call (the first call: since the process started).
double Lap() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    static LARGE_INTEGER previous{};
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const double ms = previous.QuadPart == 0 ? 0.0
                                             : 1000.0 * static_cast<double>(now.QuadPart - previous.QuadPart) /
                                                   static_cast<double>(frequency.QuadPart);
    previous = now;
    return ms;
}

} // namespace

int main() {
    Lap();
    EmptyDialogTemplate dialogTemplate{};
    dialogTemplate.header.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    dialogTemplate.header.cx = 127;
    dialogTemplate.header.cy = 17;
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &dialogTemplate.header, nullptr,
                                             &IgnoreMessages, 0);
    if (dialog == nullptr) {
        std::fprintf(stderr, "BareWindow: no dialog (error %lu)\n", GetLastError());
        return 1;
    }
    const double created = Lap();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    const double pumped = Lap();
    DestroyWindow(dialog);
    const double destroyed = Lap();
    std::printf("window shown and destroyed (ms: create %.1f, pump %.1f, destroy %.1f)\n", created, pumped,
                destroyed);
    return 0;
}
