// ProcessObjects.cpp - the counts from the system's own bookkeeping, on Windows only.
#include "session/ProcessObjects.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace host {

#ifdef _WIN32
namespace {

BOOL CALLBACK CountIfOurs(HWND window, LPARAM counter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId()) {
        ++*reinterpret_cast<std::uint32_t*>(counter);
    }
    return TRUE;
}

/// Kernel handles are multiples of 4 from 4 up; a thread, event or file the host forgot would
/// hold one of them for good. 64 Ki values cover any table a run of ours comes near.
std::uint32_t HandlesInUse() {
    constexpr std::uintptr_t kLastValue = 0x40000;
    std::uint32_t inUse = 0;
    for (std::uintptr_t value = 4; value <= kLastValue; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++inUse;
        }
    }
    return inUse;
}

} // namespace

std::optional<ProcessObjects> CountProcessObjects() {
    ProcessObjects objects;
    objects.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    objects.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    objects.handles = handles;
    objects.handlesInUse = HandlesInUse();
    EnumWindows(CountIfOurs, reinterpret_cast<LPARAM>(&objects.windows));
    return objects;
}
#else
std::optional<ProcessObjects> CountProcessObjects() {
    return std::nullopt;
}
#endif

std::string ProcessObjectsText(const ProcessObjects& objects) {
    return "user " + std::to_string(objects.userObjects) + ", gdi " +
           std::to_string(objects.gdiObjects) + ", handles " + std::to_string(objects.handles) +
           " (in use " + std::to_string(objects.handlesInUse) + "), windows " +
           std::to_string(objects.windows);
}

} // namespace host
