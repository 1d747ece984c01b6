// InProcessPlugin.cpp - the exports of plugin/Exports.cpp, linked in, as a host's entry table.
#include "fuzz/InProcessPlugin.h"

#include "platform/CMapStringToString.h"
#include "platform/MessageBox.h"

// The plain names the plug-in's Exports.cpp defines; the host resolves the same names in the module.
extern "C" {
void OnLoad();
void OnInitialize(CMapStringToString& settings);
void OnUserCommand(CMapStringToString& command);
void OnPlanetChanged(CMapStringToString& map);
void OnAbout(CMapStringToString& about);
void OnClose();
}

namespace fuzz {

const host::PluginExports& InProcessPluginExports() {
    static const host::PluginExports exports{&OnLoad,          &OnInitialize, &OnUserCommand,
                                             &OnPlanetChanged, &OnAbout,      &OnClose};
    return exports;
}

void AnswerMessageBoxesQuietly() {
    AfxSetMessageBoxPresenter([](const char*, UINT) { return IDOK; });
}

} // namespace fuzz
