// PluginUnderTest.h - which built plug-in DLL the binary checks open.
//
// By default the stand-in that carries the plug-in's .def and resources
// (standin\Tarvenix2.dll beside the test program); TARVENIX_PLUGIN_DLL names
// another build, such as the real plug-in, for the same checks.
#pragma once

#include "PeImage.h"

#include <string>

inline std::wstring PluginUnderTestPath() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"TARVENIX_PLUGIN_DLL", path, MAX_PATH);
    if (length > 0 && length < MAX_PATH) return std::wstring(path, length);
    return peimage::ProgramFolder() + L"standin\\Tarvenix2.dll";
}
