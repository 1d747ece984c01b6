// FrameworkApi.h - export macro and POSITION of the shared framework library.
//
// The host and the plug-in link one build of the framework types, the way a
// Windows host and its plug-ins share the framework's DLL: one heap, one copy
// of any shared state. TARVENIX_FRAMEWORK_API marks what that library exports.
#pragma once

#if defined(_WIN32)
#if defined(TARVENIX_FRAMEWORK_BUILD)
#define TARVENIX_FRAMEWORK_API __declspec(dllexport)
#else
#define TARVENIX_FRAMEWORK_API __declspec(dllimport)
#endif
#else
#define TARVENIX_FRAMEWORK_API __attribute__((visibility("default")))
#endif

#if defined(__GNUC__)
#define TARVENIX_PRINTF_FORMAT(formatIndex, firstArg)                                              \
    __attribute__((format(printf, formatIndex, firstArg)))
#else
#define TARVENIX_PRINTF_FORMAT(formatIndex, firstArg)
#endif

/// An opaque place in a framework list or map, as the caller walks it; null is "no entry".
struct FrameworkPosition;
using POSITION = FrameworkPosition*;
