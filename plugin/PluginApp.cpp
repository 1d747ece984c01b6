// PluginApp.cpp - the host's settings, the menu registration, the about answer and the close.
#include "plugin/PluginApp.h"

#include "plugin/Version.h"
#include "plugin/resource.h"

#include <cstdint>
#include <cstdlib>

namespace {

// The runtime's atol at the width of an address: white space skipped, a sign, digits up
// to the first other character, saturated; text without a number reads as 0.
std::intptr_t AddressSetting(const char* text) {
    const long long value = std::strtoll(text, nullptr, 10);
    if (value > INTPTR_MAX) {
        return INTPTR_MAX;
    }
    if (value < INTPTR_MIN) {
        return INTPTR_MIN;
    }
    return static_cast<std::intptr_t>(value);
}

// Looks the key up without inserting it: an absent setting leaves the field as it was.
void ReadSetting(const CMapStringToString& settings, const char* key, std::intptr_t& field) {
    CString text;
    if (settings.Lookup(key, text)) {
        field = AddressSetting(text.c_str());
    }
}

CString LoadedString(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

} // namespace

void PluginApp::OnInitialize(CMapStringToString& settings) {
    ReadSetting(settings, "MainFrame", mainFrame);
    ReadSetting(settings, "DataManager", dataManager);
    ReadSetting(settings, "EventMask", eventMask);
    mainFramePtr = 0;
    ReadSetting(settings, "MainFramePtr", mainFramePtr);

    CString menuKey;
    menuKey.Format("MenuItem:%lu", static_cast<unsigned long>(std::uint32_t{ID_DISTRIBUTE_GROUP}));
    settings[menuKey.c_str()] = LoadedString(IDS_COMMAND_NAME);
}

void PluginApp::OnAbout(CMapStringToString& about) {
    about["Name"] = LoadedString(IDS_ABOUT_NAME);
    about["Author"] = LoadedString(IDS_ABOUT_AUTHOR);
    about["Version"] = TARVENIX_ABOUT_VERSION;
    about["Date"] = TARVENIX_ABOUT_DATE;
    about["Description"] = LoadedString(IDS_ABOUT_DESCRIPTION);
}

void PluginApp::OnClose() {
    if (dialog.GetSafeHwnd() != nullptr || !dialog.IsIdle()) {
        dialog.OnCancel(); // stop flag, normal priority, wait for the worker, window gone
    }
}
