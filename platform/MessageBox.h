// MessageBox.h - AfxMessageBox: the framework's modal message box, and how a host shows it.
//
// On Windows the box is the system's. Elsewhere there is no desktop to show it
// on, so the host decides: it installs a presenter that shows the text (prints
// it, records it) and answers as the user would. Without one the text goes to
// the error stream and the box answers IDOK at once, so a plug-in never blocks.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/Window.h" // IDOK, IDCANCEL
#include "platform/WinTypes.h"

#if !defined(_WIN32)
inline constexpr UINT MB_OK = 0x00000000;
#endif

/// Shows `text` modally with the buttons of `type` (MB_OK: one OK button); returns the button pressed.
TARVENIX_FRAMEWORK_API int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpContext = 0);

#if !defined(_WIN32)
/// What the host does with a message box: show `text`, return the button the user pressed.
using MessageBoxPresenter = int (*)(const char* text, UINT type);

/// Installs the host's presenter (null: the default); returns the previous one.
TARVENIX_FRAMEWORK_API MessageBoxPresenter AfxSetMessageBoxPresenter(MessageBoxPresenter presenter);
#endif
