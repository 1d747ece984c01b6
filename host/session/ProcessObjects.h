// ProcessObjects.h - the host process's window-system objects and handles, which a command that
// left something behind would raise: a long load's check that nothing grows on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace host {

struct ProcessObjects {
    std::uint32_t userObjects = 0;  // windows, menus, hooks... (GR_USEROBJECTS)
    std::uint32_t gdiObjects = 0;   // fonts, brushes, bitmaps, device contexts (GR_GDIOBJECTS)
    std::uint32_t handles = 0;      // kernel handles: threads, events, files
    std::uint32_t handlesInUse = 0; // the same, counted by asking each handle value in turn: Wine
                                    // keeps no counts for the three above, which read 0 there
    std::uint32_t windows = 0;      // top-level windows of the process, shown or hidden
};

/// The counts now; none where the system keeps no such counts (everywhere but Windows).
std::optional<ProcessObjects> CountProcessObjects();

/// "user U, gdi G, handles H (in use I), windows W"
std::string ProcessObjectsText(const ProcessObjects& objects);

} // namespace host
