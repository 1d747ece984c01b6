// Resources.h - a module's resources as data: string table and dialog templates in two languages.
//
// On Windows a module's resources are compiled into it and the system picks
// the language. Elsewhere a module describes the same resources with these
// records and hands them to its module state (ModuleState.h); the language
// is chosen from the environment as the C library would (LC_ALL, then
// LC_MESSAGES, then LANG): Russian when the chosen value starts with "ru",
// English (United States) otherwise.
#pragma once

#include "platform/FrameworkApi.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <span>

enum class UiLanguage { English, Russian };

/// The language the resources are taken in, read afresh from the environment.
TARVENIX_FRAMEWORK_API UiLanguage SelectUiLanguage();

/// One entry of a string table: the same id in both languages.
struct StringResource {
    UINT id;
    const char* english; // English (United States)
    const char* russian; // UTF-8
};

/// One control of a dialog template, in dialog units.
struct DialogControlResource {
    WORD id;
    const char* windowClass; // "Button", "msctls_progress32", ...
    const char* text;        // the same in both languages
    DWORD style;
    std::int16_t x, y, cx, cy;
};

/// An extended dialog template; the two languages differ in the title only.
struct DialogResource {
    UINT id;
    const char* englishTitle;
    const char* russianTitle;
    DWORD style;
    DWORD exStyle;
    std::int16_t x, y, cx, cy;
    WORD pointSize;
    const char* typeface;
    WORD weight;
    bool italic;
    std::uint8_t charset;
    std::span<const DialogControlResource> controls;

    const char* Title(UiLanguage language) const {
        return language == UiLanguage::Russian ? russianTitle : englishTitle;
    }
};

/// Everything a module carries; a module state points at one of these.
struct ModuleResources {
    const char* moduleName;
    std::span<const StringResource> strings;
    std::span<const DialogResource> dialogs;

    /// The entry `id` in `language`, or null when the table has no such entry.
    const char* FindString(UINT id, UiLanguage language) const;
    /// The dialog template `id`, or null.
    const DialogResource* FindDialog(UINT id) const;
};
