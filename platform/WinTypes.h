// WinTypes.h - the Win32 scalar types and constants that the plug-in's code names.
//
// On Windows they are the real ones. Elsewhere they are given the same names
// and widths here, so that one source serves both targets. "long" of the
// Windows code is std::int32_t on every target; only handles and message
// parameters are pointer-sized.
#pragma once

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Left over from 16-bit memory models, defined empty; they would swallow any name "near" or "far".
#undef near
#undef far
#else
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using WORD = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPVOID = void*;
using HANDLE = void*;

inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

// The calling convention of Win32 callbacks and thread routines; the only one here.
#define WINAPI
#define CALLBACK
#endif
