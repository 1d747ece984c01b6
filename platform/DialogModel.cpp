// DialogModel.cpp - the Linux dialog, button and progress bar windows.
#include "platform/DialogModel.h"

#if !defined(_WIN32)
#include "platform/CWnd.h"
#include "platform/MessageMap.h"

#include <algorithm>
#include <cstring>

namespace {

WPARAM MakeWParam(UINT low, UINT high) {
    return static_cast<WPARAM>((low & 0xFFFF) | ((high & 0xFFFF) << 16));
}

LRESULT MakeLResult(std::int32_t low, std::int32_t high) {
    return static_cast<LRESULT>((static_cast<std::uint32_t>(low) & 0xFFFF) |
                                ((static_cast<std::uint32_t>(high) & 0xFFFF) << 16));
}

std::unique_ptr<ControlModel> MakeControl(const DialogControlResource& resource) {
    if (std::strcmp(resource.windowClass, PROGRESS_CLASSA) == 0) {
        return std::make_unique<ProgressBarModel>(resource);
    }
    if (std::strcmp(resource.windowClass, "Button") == 0) {
        return std::make_unique<ButtonModel>(resource);
    }
    return std::make_unique<ControlModel>(resource);
}

} // namespace

LRESULT ButtonModel::WindowProc(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (message != BM_CLICK) {
        return 0;
    }
    // A click reports to the dialog synchronously, as the real button does.
    SendMessageA(Parent(), WM_COMMAND, MakeWParam(static_cast<UINT>(Id()), BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetHandle()));
    return 0;
}

LRESULT ProgressBarModel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case PBM_SETRANGE:
        return SetRange(static_cast<std::int32_t>(lParam & 0xFFFF),
                        static_cast<std::int32_t>((lParam >> 16) & 0xFFFF));
    case PBM_SETRANGE32:
        return SetRange(static_cast<std::int32_t>(wParam), static_cast<std::int32_t>(lParam));
    case PBM_SETPOS:
        return SetPosition(static_cast<std::int32_t>(wParam));
    case PBM_DELTAPOS:
        return SetPosition(position_ + static_cast<std::int32_t>(wParam));
    case PBM_SETSTEP: {
        const std::int32_t previous = step_;
        step_ = static_cast<std::int32_t>(wParam);
        return previous;
    }
    case PBM_STEPIT:
        return StepIt();
    case PBM_GETRANGE:
        return wParam != 0 ? minimum_ : maximum_;
    case PBM_GETPOS:
        return position_;
    default:
        return 0;
    }
}

// Returns the previous range packed as PBM_SETRANGE takes it; the position is kept inside.
LRESULT ProgressBarModel::SetRange(std::int32_t minimum, std::int32_t maximum) {
    const LRESULT previous = MakeLResult(minimum_, maximum_);
    minimum_ = minimum;
    maximum_ = maximum;
    position_ = Clamped(position_);
    return previous;
}

LRESULT ProgressBarModel::SetPosition(std::int32_t position) {
    const std::int32_t previous = position_;
    position_ = Clamped(position);
    return previous;
}

// Past either end the bar starts over from the other, keeping what overshot.
LRESULT ProgressBarModel::StepIt() {
    const std::int32_t previous = position_;
    const std::int64_t span = std::int64_t{maximum_} - minimum_;
    const std::int64_t next = std::int64_t{position_} + step_;
    if (span <= 0) {
        position_ = minimum_;
    } else if (next > maximum_) {
        position_ = static_cast<std::int32_t>(minimum_ + (next - minimum_) % span);
    } else if (next < minimum_) {
        position_ = static_cast<std::int32_t>(maximum_ - (std::int64_t{minimum_} - next) % span);
    } else {
        position_ = static_cast<std::int32_t>(next);
    }
    return previous;
}

std::int32_t ProgressBarModel::Clamped(std::int32_t position) const {
    return std::max(minimum_, std::min(maximum_, position));
}

DialogModel::DialogModel(CWnd& target, const DialogResource& resource, UiLanguage language)
    : target_(target), resource_(resource), title_(resource.Title(language)) {}

DialogModel::~DialogModel() {
    if (GetHandle() != nullptr) {
        DestroyWindow(GetHandle());
    }
}

HWND DialogModel::Create() {
    HWND dialog = CreateHandle(nullptr);
    if (dialog == nullptr) {
        return nullptr;
    }
    for (const DialogControlResource& resource : resource_.controls) {
        auto control = MakeControl(resource);
        if (control->Create(dialog) == nullptr) {
            DestroyWindow(dialog);
            return nullptr;
        }
        controls_.push_back(std::move(control));
    }
    return dialog;
}

ControlModel* DialogModel::FindControl(int id) const {
    for (const auto& control : controls_) {
        if (control->Id() == id) {
            return control.get();
        }
    }
    return nullptr;
}

LRESULT DialogModel::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return target_.WindowProc(message, wParam, lParam);
}

void DialogModel::OnHandleDestroyed() { target_.OnWindowDestroyed(); }

HWND GetDlgItem(HWND dialog, int id) {
    const auto* model = dynamic_cast<const DialogModel*>(WindowModelFromHandle(dialog));
    const ControlModel* control = model == nullptr ? nullptr : model->FindControl(id);
    return control == nullptr ? nullptr : control->GetHandle();
}

int GetWindowTextA(HWND hwnd, char* buffer, int size) {
    const WindowModel* model = WindowModelFromHandle(hwnd);
    const std::string* text = nullptr;
    if (const auto* dialog = dynamic_cast<const DialogModel*>(model)) {
        text = &dialog->Title();
    } else if (const auto* control = dynamic_cast<const ControlModel*>(model)) {
        text = &control->Text();
    }
    if (buffer == nullptr || size <= 0) {
        return 0;
    }
    const std::size_t length =
        text == nullptr ? 0 : std::min(text->size(), static_cast<std::size_t>(size - 1));
    if (text != nullptr) {
        std::memcpy(buffer, text->data(), length);
    }
    buffer[length] = '\0';
    return static_cast<int>(length);
}
#endif
