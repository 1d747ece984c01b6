// PluginResources.h - the plug-in's resources as data for the Linux build: strings, dialog 129, version record.
//
// The Windows build compiles the same resources from its .rc files; this is
// their Linux form, made from the same ids (resource.h) and version values
// (Version.h). The module state hands `kPluginResources` to the framework, so
// LoadString and CDialog::Create find them while an export runs. All of it is
// constant data with static storage; nothing here is ever written.
#pragma once

#include "platform/Resources.h"
#include "platform/WinTypes.h"

#include <array>
#include <span>

/// The string table (entries 1-5, English and Russian) and dialog template 129.
extern const ModuleResources kPluginResources;

/// One value of the version record's string block.
struct VersionValue {
    const char* key;
    const char* value;
};

/// The version record: the fixed part and the one string block (language, code page, values).
struct PluginVersionRecord {
    std::array<WORD, 4> fileVersion;
    std::array<WORD, 4> productVersion;
    DWORD fileFlags;
    DWORD fileOs;   // 32-bit Windows
    DWORD fileType; // a dynamic library
    WORD language;
    WORD codePage;
    std::span<const VersionValue> values; // in the record's order
};

extern const PluginVersionRecord kPluginVersion;
