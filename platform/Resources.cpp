// Resources.cpp - language choice and lookups in a module's resource records.
#include "platform/Resources.h"

#include <cstdlib>
#include <cstring>

namespace {

// The first of LC_ALL, LC_MESSAGES and LANG that is set and not empty decides,
// as it does for the C library's message catalogues.
const char* LanguageSetting() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "";
}

} // namespace

UiLanguage SelectUiLanguage() {
    return std::strncmp(LanguageSetting(), "ru", 2) == 0 ? UiLanguage::Russian
                                                         : UiLanguage::English;
}

const char* ModuleResources::FindString(UINT id, UiLanguage language) const {
    for (const StringResource& entry : strings) {
        if (entry.id == id) {
            return language == UiLanguage::Russian ? entry.russian : entry.english;
        }
    }
    return nullptr;
}

const DialogResource* ModuleResources::FindDialog(UINT id) const {
    for (const DialogResource& dialog : dialogs) {
        if (dialog.id == id) {
            return &dialog;
        }
    }
    return nullptr;
}
