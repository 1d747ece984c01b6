// CProgressCtrl.h - the framework's progress bar: a window object whose calls are progress messages.
#pragma once

#include "platform/CWnd.h"
#include "platform/FrameworkApi.h"

#if defined(_WIN32)
#include <commctrl.h>
#else
#include "platform/DialogModel.h" // PBM_ messages
#endif

#include <cstdint>

class TARVENIX_FRAMEWORK_API CProgressCtrl : public CWnd {
public:
    /// Range of 16-bit bounds; returns nothing, as the framework's does.
    void SetRange(std::int16_t lower, std::int16_t upper) const;
    /// Returns the previous step increment.
    int SetStep(int step) const;
    /// Returns the previous position.
    int StepIt() const;
    int SetPos(int position) const;
    int GetPos() const;
};
