// CProgressCtrl.cpp - progress bar calls as the messages the control answers.
#include "platform/CProgressCtrl.h"

void CProgressCtrl::SetRange(std::int16_t lower, std::int16_t upper) const {
    const auto packed = (static_cast<std::uint32_t>(static_cast<std::uint16_t>(lower))) |
                        (static_cast<std::uint32_t>(static_cast<std::uint16_t>(upper)) << 16);
    SendMessage(PBM_SETRANGE, 0, static_cast<LPARAM>(packed));
}

int CProgressCtrl::SetStep(int step) const {
    return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(step), 0));
}

int CProgressCtrl::StepIt() const { return static_cast<int>(SendMessage(PBM_STEPIT, 0, 0)); }

int CProgressCtrl::SetPos(int position) const {
    return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0));
}

int CProgressCtrl::GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS, 0, 0)); }
