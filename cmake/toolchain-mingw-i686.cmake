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
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

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
