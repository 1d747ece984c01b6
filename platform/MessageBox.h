// MessageBox.h - AfxMessageBox: the framework's modal message box, and how a host shows it.
//
// As the framework does, the box is captioned with the application's name (the
// name the application object was made with, else its module's file name
// without folder or extension, e.g. "Tarvenix2"), and a caller that asks for no
// icon gets the usual one for the box's buttons: an exclamation mark for OK and
// OK/Cancel, a question mark for Yes/No and Yes/No/Cancel.
//
// On Windows the box is the system's. Elsewhere there is no desktop to show it
// on, so the host decides: it installs a presenter that shows the text (prints
// it, records it) and answers as the user would. Without one the text goes to
// the error stream and the box answers IDOK at once, so a plug-in never blocks.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/Window.h" // IDOK, IDCANCEL
#include "platform/WinTypes.h"

#include <string>

#if !defined(_WIN32)
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_RETRYCANCEL = 0x00000005;
inline constexpr UINT MB_ICONHAND = 0x00000010;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
inline constexpr UINT MB_ICONASTERISK = 0x00000040;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
#endif

/// Shows `text` modally with the buttons of `type` (MB_OK: one OK button); returns the button pressed.
TARVENIX_FRAMEWORK_API int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpContext = 0);

/// `type` with the icon the framework adds when the caller chose none; otherwise unchanged.
TARVENIX_FRAMEWORK_API UINT AfxMessageBoxStyle(UINT type);

/// An application's name from its module's path: the file name without folder or extension.
TARVENIX_FRAMEWORK_API std::string AfxApplicationNameFromPath(const std::string& modulePath);

#if !defined(_WIN32)
/// What the host does with a message box: show `text`, return the button the user pressed.
using MessageBoxPresenter = int (*)(const char* text, UINT type);

/// Installs the host's presenter (null: the default); returns the previous one.
TARVENIX_FRAMEWORK_API MessageBoxPresenter AfxSetMessageBoxPresenter(MessageBoxPresenter presenter);
#endif
