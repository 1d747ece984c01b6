// PluginStandIn.cpp - six do-nothing plug-in exports, linked with the plug-in's real .def and resources.
//
// It lets the export table, ordinals and resources be checked from a built DLL
// before the plug-in's own code is there. Each function leaves its plain name
// in the process environment, so a caller can tell which code a name or an
// ordinal really reached without the module exporting anything of its own.
#include "platform/CMapStringToString.h"
#include "platform/WinTypes.h"

namespace {

void RecordCall(const char* name) {
    SetEnvironmentVariableA("TARVENIX_STAND_IN_CALLED", name);
}

} // namespace

extern "C" {

void OnLoad() { RecordCall("OnLoad"); }
void OnClose() { RecordCall("OnClose"); }
void OnInitialize(CMapStringToString& /*map*/) { RecordCall("OnInitialize"); }
void OnUserCommand(CMapStringToString& /*map*/) { RecordCall("OnUserCommand"); }
void OnPlanetChanged(CMapStringToString& /*map*/) { RecordCall("OnPlanetChanged"); }
void OnAbout(CMapStringToString& /*map*/) { RecordCall("OnAbout"); }

} // extern "C"
