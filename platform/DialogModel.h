// DialogModel.h - the in-process windows of a dialog on Linux: the dialog itself, buttons and progress bars.
//
// On Windows a dialog and its controls are real windows. Here each is a
// WindowModel that keeps what the real one would show (title, texts, the
// progress bar's range, step and position), built from the module's dialog
// template. Whatever shows or checks the windows reads these models; a
// dialog's own code reaches them only through messages, as it would on Windows.
//
// The dialog model belongs to its CDialog and owns its controls' models; the
// dialog's messages go to the CDialog's message map.
#pragma once

#if !defined(_WIN32)
#include "platform/FrameworkApi.h"
#include "platform/Resources.h"
#include "platform/Window.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CWnd;

inline constexpr UINT BM_CLICK = 0x00F5;

inline constexpr UINT PBM_SETRANGE = WM_USER + 1;
inline constexpr UINT PBM_SETPOS = WM_USER + 2;
inline constexpr UINT PBM_DELTAPOS = WM_USER + 3;
inline constexpr UINT PBM_SETSTEP = WM_USER + 4;
inline constexpr UINT PBM_STEPIT = WM_USER + 5;
inline constexpr UINT PBM_SETRANGE32 = WM_USER + 6;
inline constexpr UINT PBM_GETRANGE = WM_USER + 7;
inline constexpr UINT PBM_GETPOS = WM_USER + 8;

inline constexpr char PROGRESS_CLASSA[] = "msctls_progress32";

/// A child control of a dialog: its id, window class, text, style and place.
class TARVENIX_FRAMEWORK_API ControlModel : public WindowModel {
public:
    explicit ControlModel(const DialogControlResource& resource) : resource_(resource) {}

    /// Registers the control as a child of the dialog window `parent`; null on failure.
    HWND Create(HWND parent) {
        parent_ = parent;
        return CreateHandle(parent);
    }
    HWND Parent() const { return parent_; }

    int Id() const { return resource_.id; }
    const std::string& Text() const { return text_; }

private:
    const DialogControlResource& resource_;
    HWND parent_ = nullptr; // the dialog window: notifications go there
    std::string text_ = resource_.text != nullptr ? resource_.text : "";
};

/// A push button: BM_CLICK reports BN_CLICKED to the dialog, as a click does.
class TARVENIX_FRAMEWORK_API ButtonModel : public ControlModel {
public:
    using ControlModel::ControlModel;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

/// A progress bar: range, step and position, and the messages that change them.
class TARVENIX_FRAMEWORK_API ProgressBarModel : public ControlModel {
public:
    using ControlModel::ControlModel;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    std::int32_t Minimum() const { return minimum_; }
    std::int32_t Maximum() const { return maximum_; }
    std::int32_t Step() const { return step_; }
    std::int32_t Position() const { return position_; }

private:
    LRESULT SetRange(std::int32_t minimum, std::int32_t maximum);
    LRESULT SetPosition(std::int32_t position);
    LRESULT StepIt();
    std::int32_t Clamped(std::int32_t position) const;

    // The control's initial state, before anyone sets a range or a step.
    std::int32_t minimum_ = 0;
    std::int32_t maximum_ = 100;
    std::int32_t step_ = 10;     // added to the position by PBM_STEPIT
    std::int32_t position_ = 0;
};

/// A modeless dialog made from a template: its title and frame, and its controls.
class TARVENIX_FRAMEWORK_API DialogModel : public WindowModel {
public:
    /// `target` receives the dialog's messages.
    DialogModel(CWnd& target, const DialogResource& resource, UiLanguage language);
    ~DialogModel() override;

    /// Registers the dialog window and its controls on the calling thread; null on failure.
    HWND Create();

    const std::string& Title() const { return title_; }
    /// The control with the given id, or null.
    ControlModel* FindControl(int id) const;
    const std::vector<std::unique_ptr<ControlModel>>& Controls() const { return controls_; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void OnHandleDestroyed() override;

private:
    CWnd& target_;
    const DialogResource& resource_;
    std::string title_;
    std::vector<std::unique_ptr<ControlModel>> controls_;
};

/// The control `id` of a dialog window, or null.
TARVENIX_FRAMEWORK_API HWND GetDlgItem(HWND dialog, int id);
/// Copies the window's text (a dialog's title, a control's text) into `buffer`; returns its length.
TARVENIX_FRAMEWORK_API int GetWindowTextA(HWND hwnd, char* buffer, int size);
#endif
