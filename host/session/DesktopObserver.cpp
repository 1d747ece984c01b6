// DesktopObserver.cpp - thread hooks that report the plug-in's message boxes and Cancel presses.
#include "session/DesktopObserver.h"

#if defined(_WIN32)
#include <string_view>
#include <utility>
#include <vector>

namespace host {
namespace {

// The hooks are per thread, and so is the observer they report to.
thread_local DesktopObserver* t_observer = nullptr;

// The class every dialog window has, the message box included.
constexpr std::string_view kDialogClass = "#32770";
// Where the system puts a message box's text, on Windows and under Wine alike.
constexpr int kMessageBoxTextId = 0xFFFF;

std::string ClassOf(HWND window) {
    char name[64] = {};
    const int length = GetClassNameA(window, name, static_cast<int>(sizeof name));
    return std::string(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring TextOf(HWND window) {
    std::vector<wchar_t> buffer(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1);
    const int length = GetWindowTextW(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

/// A message box's text: its static text control, if the dialog has one.
std::wstring MessageBoxText(HWND dialog) {
    HWND text = GetDlgItem(dialog, kMessageBoxTextId);
    return text != nullptr && ClassOf(text) == "Static" ? TextOf(text) : std::wstring();
}

bool IsCancelCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (id == IDCANCEL) {
        return true;
    }
    // A button of the dialog that a person clicked; the completion command (IDOK) is no press.
    const auto control = reinterpret_cast<HWND>(lParam);
    return code == BN_CLICKED && control != nullptr && id != IDOK && ClassOf(control) == "Button";
}

/// Presses the box's default button (OK for a box with OK alone). Posted: the box is being
/// activated and its own loop, which takes the press, has not started yet.
void PressDefaultButton(HWND box) {
    const LRESULT defaultId = SendMessageW(box, DM_GETDEFID, 0, 0);
    const UINT id = HIWORD(defaultId) == DC_HASDEFID ? LOWORD(defaultId) : IDOK;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, static_cast<int>(id))));
}

BOOL CALLBACK KeepFirstVisibleDialog(HWND window, LPARAM found) {
    if (IsWindowVisible(window) != FALSE && ClassOf(window) == kDialogClass) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

DesktopObserver::DesktopObserver(BoxShown boxShown, CancelPressed cancelPressed, Boxes boxes)
    : boxShown_(std::move(boxShown)), cancelPressed_(std::move(cancelPressed)), boxes_(boxes) {
    t_observer = this;
    const DWORD thread = GetCurrentThreadId();
    windowEvents_ = SetWindowsHookExA(WH_CBT, &OnWindowEvent, nullptr, thread);
    sentMessages_ = SetWindowsHookExA(WH_CALLWNDPROC, &OnSentMessage, nullptr, thread);
}

DesktopObserver::~DesktopObserver() {
    if (sentMessages_ != nullptr) {
        UnhookWindowsHookEx(sentMessages_);
    }
    if (windowEvents_ != nullptr) {
        UnhookWindowsHookEx(windowEvents_);
    }
    t_observer = nullptr;
}

// A dialog that is activated with a message box's text in it is a message box; the
// progress window has none. By activation its text is in place.
LRESULT CALLBACK DesktopObserver::OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && t_observer != nullptr) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (ClassOf(window) == kDialogClass) {
            const std::wstring text = MessageBoxText(window);
            if (!text.empty()) {
                t_observer->boxShown_(Utf8(text));
                if (t_observer->boxes_ == Boxes::PressDefault) {
                    PressDefaultButton(window);
                }
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK DesktopObserver::OnSentMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && t_observer != nullptr && t_observer->watched_ != nullptr) {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (sent->hwnd == t_observer->watched_ && sent->message == WM_COMMAND &&
            IsCancelCommand(sent->wParam, sent->lParam)) {
            t_observer->cancelPressed_();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string Utf8FromAnsi(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return Utf8(wide);
}

HWND FindThreadDialog() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &KeepFirstVisibleDialog,
                      reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace host
#endif
