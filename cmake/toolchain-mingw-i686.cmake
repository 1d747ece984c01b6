# toolchain-mingw-i686.cmake - cross-builds the 32-bit Windows target with MinGW-w64 (i686).
#
# The C++ runtime is linked dynamically on purpose. The host, the plug-in and
# every test link one framework DLL (TarvenixFramework.dll), and framework
# objects cross those module boundaries: a CString built by the host is grown
# by the plug-in, a list filled by the plug-in is emptied by the host, an
# exception thrown in the framework may be caught by a test. That is only
# sound when every module uses the same operator new/delete, the same
# unwinder and the same type information, i.e. one libstdc++-6.dll and one
# libgcc_s_dw2-1.dll (the C heap underneath is msvcrt.dll's, one per process).
# A static runtime per module would give each DLL its own copy of all three.
# The runtime DLLs are copied next to our binaries (WindowsCrossBuild.cmake),
# so the build folder runs as it is under Wine and ships as one folder.
#
# The posix thread model is chosen over win32 because GCC 12's win32 model
# has no std::thread or std::mutex; the worker itself uses real Win32 threads.
#
# Floating point is SSE2 for every file of the target (-msse2 -mfpmath=sse), in
# every build type. The plug-in turns host decimals into hundredths and radians
# into milliradians by one double multiplication, truncated: 20.43 x 100.0 is
# 2043.0 in IEEE double, but the x87 unit, GCC's default for i686, keeps the
# product at 64 bits (2042.99999999999997...) wherever the optimiser leaves it
# in a register, and truncation then gives 2042; it also rounds at whatever
# precision the loading process set in its control word (24 bits in many a
# program that drives Direct3D). SSE2 arithmetic is IEEE double whatever the
# optimisation level and whatever the x87 control word. Every x86 processor of
# the last twenty years has SSE2, and Windows 8 and later require it. The x87
# code left in the runtime DLLs (number parsing and printing) is covered by the
# exports, which hold the x87 unit at its defaults for their length
# (platform/FloatingPointEnvironment.h). With SSE enabled GCC realigns the
# stack where a function needs it, since 32-bit Windows promises only 4 bytes. A packager's
# -DCMAKE_CXX_FLAGS replaces these flags; without them the build stops with an #error
# (platform/FloatingPointEnvironment.h) instead of planning different ranges.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

set(TARVENIX_MINGW_TRIPLET i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${TARVENIX_MINGW_TRIPLET}-g++-posix ${TARVENIX_MINGW_TRIPLET}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${TARVENIX_MINGW_TRIPLET}-gcc-posix ${TARVENIX_MINGW_TRIPLET}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${TARVENIX_MINGW_TRIPLET}-windres REQUIRED)
# The -posix compiler name hides the triplet from CMake's own search: strip for the target's
# binaries (install --strip, CPack) named here.
find_program(CMAKE_STRIP NAMES ${TARVENIX_MINGW_TRIPLET}-strip REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVENIX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
