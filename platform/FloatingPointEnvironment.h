// FloatingPointEnvironment.h - the floating-point settings the plug-in computes under, whatever its
// caller set.
//
// A plug-in runs on its host's threads and inherits the host's settings: a program that drives
// Direct3D, for one, often leaves the x87 unit at 24-bit precision, and nothing stops a host from
// choosing another rounding direction or unmasking an exception. The plug-in's own arithmetic is
// SSE2 on every target (the 32-bit Windows build is compiled for it), which no x87 setting
// reaches; the C and C++ runtime DLLs it calls to read and write numbers are built for the x87
// unit, and the SSE unit has a rounding direction of its own. So every entry into the plug-in,
// and its worker thread, holds the settings a new thread starts with: x87 at 53-bit precision,
// rounding to nearest, every exception masked; the same for SSE, with denormals kept. The
// caller's state comes back bit for bit when the scope ends, flags included, so nothing the
// plug-in computed can raise an exception later in the caller's own code.
//
// Only the 32-bit x86 target has an x87 unit in double arithmetic; elsewhere the guard is empty.
#pragma once

#include <cstdint>

// A 32-bit x86 build must do its double arithmetic in SSE2 (-msse2 -mfpmath=sse, as the MinGW
// toolchain file sets): the x87 unit keeps products at extended precision wherever the optimiser
// leaves them in a register, so 20.43 x 100.0 truncates to 2042, not 2043, and planned ranges
// change. Flags given on the command line replace the toolchain's, so they must keep these two.
#if defined(__i386__) && !defined(__SSE2_MATH__)
#error "32-bit x86 build without SSE2 arithmetic: add -msse2 -mfpmath=sse (x87 extended precision changes planned ranges)"
#endif

namespace platform {

class ScopedDefaultFloatingPoint {
public:
    ScopedDefaultFloatingPoint() noexcept {
#if defined(__i386__)
        // fnstenv keeps control, status and tag words; nothing is on the x87 stack between
        // calls, so restoring the tag word later empties nothing that is in use.
        __asm__ volatile("fnstenv %0" : "=m"(x87_));
        __asm__ volatile("stmxcsr %0" : "=m"(sse_));
        const std::uint16_t x87 = kDefaultX87Control;
        const std::uint32_t sse = kDefaultSseControl;
        __asm__ volatile("fldcw %0" : : "m"(x87));
        __asm__ volatile("ldmxcsr %0" : : "m"(sse));
#endif
    }

    ~ScopedDefaultFloatingPoint() {
#if defined(__i386__)
        __asm__ volatile("fldenv %0" : : "m"(x87_));
        __asm__ volatile("ldmxcsr %0" : : "m"(sse_));
#endif
    }

    ScopedDefaultFloatingPoint(const ScopedDefaultFloatingPoint&) = delete;
    ScopedDefaultFloatingPoint& operator=(const ScopedDefaultFloatingPoint&) = delete;

    /// x87: every exception masked, 53-bit precision, rounding to nearest.
    static constexpr std::uint16_t kDefaultX87Control = 0x027F;
    /// SSE: every exception masked, rounding to nearest, no flush of denormals to zero.
    static constexpr std::uint32_t kDefaultSseControl = 0x1F80;

private:
#if defined(__i386__)
    std::uint8_t x87_[28]; // the x87 environment in its 32-bit protected-mode layout
    std::uint32_t sse_ = 0;
#endif
};

} // namespace platform
