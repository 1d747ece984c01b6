// PluginResources.cpp - the plug-in's string table, progress window template and version record, as data.
#include "plugin/PluginResources.h"

#include "plugin/Version.h"
#include "plugin/resource.h"

namespace {

constexpr StringResource kStrings[] = {
    {IDS_COMMAND_NAME, "Distribute Group", "Разослать группу"},
    {IDS_ABOUT_NAME, "====== Rozi zevo =====", "====== Tarvenix ====="},
    {IDS_ABOUT_AUTHOR, "The Tarvenix team", "Команда Tarvenix"},
    // Both descriptions open with five blanks: the host shows them indented.
    {IDS_ABOUT_DESCRIPTION, "     The ship dispatching procedure", "     Эстафетная рассылка кораблей"},
    {IDS_NOT_IN_ORBIT, "Group is not on planet!!!", "Указанная группа не на орбите!!!"},
};

// Button first, then the bar: the template's order is the tab and creation order.
constexpr DialogControlResource kSendingControls[] = {
    // WS_CHILD | WS_VISIBLE | WS_TABSTOP
    {IDC_STOP, "Button", "Cancel", 0x50010000, 93, 1, 30, 12},
    // WS_CHILD | WS_VISIBLE | WS_BORDER; a plain (not smooth) bar
    {IDC_PROGRESS, "msctls_progress32", "Progress1", 0x50800000, 2, 3, 88, 10},
};

constexpr DialogResource kDialogs[] = {{
    IDD_SENDING,
    "Sending Ships",
    "Рассылка кораблей",
    0x90C00040, // WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_SETFONT: no system menu, so no close box
    0x00000480, // WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP
    0, 0, 127, 17,
    8, "MS Sans Serif", 0, false, 1,
    kSendingControls,
}};

constexpr VersionValue kVersionValues[] = {
    {"CompanyName", TARVENIX_COMPANY_NAME},
    {"FileDescription", TARVENIX_FILE_DESCRIPTION},
    {"FileVersion", TARVENIX_FILE_VERSION},
    {"InternalName", TARVENIX_INTERNAL_NAME},
    {"OriginalFilename", TARVENIX_ORIGINAL_FILENAME},
    {"ProductName", TARVENIX_PRODUCT_NAME},
    {"ProductVersion", TARVENIX_PRODUCT_VERSION},
};

constexpr DWORD kVosWindows32 = 0x00000004;
constexpr DWORD kVftDll = 0x00000002;

} // namespace

const ModuleResources kPluginResources{"Tarvenix2", kStrings, kDialogs};

const PluginVersionRecord kPluginVersion{
    {TARVENIX_VERSION_MAJOR, TARVENIX_VERSION_MINOR, TARVENIX_VERSION_PATCH, TARVENIX_VERSION_BUILD},
    {TARVENIX_VERSION_MAJOR, TARVENIX_VERSION_MINOR, TARVENIX_VERSION_PATCH, TARVENIX_VERSION_BUILD},
    0,
    kVosWindows32,
    kVftDll,
    TARVENIX_VERSION_LANGUAGE,
    TARVENIX_VERSION_CODE_PAGE,
    kVersionValues,
};
