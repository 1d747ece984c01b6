// DistributeGroupCommand.cpp - PluginApp::OnUserCommand: the Distribute Group command, up to the open window.
//
// [ui thread] Every query here is a synchronous call of the host on its own
// thread, made while no worker exists: the dialog is idle before the context is
// touched, and the worker starts only once the window is created at the end.
#include "plugin/PluginApp.h"

#include "context/DispatchContext.h"
#include "platform/CMapStringToString.h"
#include "platform/CString.h"
#include "platform/Conversions.h"
#include "platform/MessageBox.h"
#include "plugin/resource.h"
#include "relay/HostNumbers.h"

namespace {

/// The answer "1" to "Selection 51507 <what>", read from a fresh reply.
CString AskSelection(DispatchContext& context, const char* what, CMapStringToString& reply) {
    CString query;
    query.Format("Selection %d %s", ID_DISTRIBUTE_GROUP, what);
    context.Query(query, reply);
    return reply["1"];
}

/// Whether the command's text is the menu text of the language in force, byte for byte.
bool IsOurCommand(const CMapStringToString& command) {
    CString commandText;
    if (!command.Lookup("Command", commandText)) {
        return false;
    }
    CString menuText;
    menuText.LoadString(IDS_COMMAND_NAME);
    return commandText == menuText;
}

void ShowNotInOrbit() {
    CString message;
    message.LoadString(IDS_NOT_IN_ORBIT);
    AfxMessageBox(message.c_str(), MB_OK, 0);
}

/// Fills the selected group's type, number, source planet, speed and ship count. No
/// answer is checked for sense: a missing one reads as empty text or 0.
void ReadSelectedGroup(DispatchContext& context, CMapStringToString& reply) {
    context.shipTypeName = AskSelection(context, "Name", reply);
    context.groupNumber = platform::atol(AskSelection(context, "Num", reply));

    // The designation goes on as it came, blanks and all.
    const CString source = AskSelection(context, "Source", reply);
    CString planetQuery;
    planetQuery.Format("Get Planet %s", source.c_str());
    context.Query(planetQuery, reply);
    context.sourcePlanet = platform::atol(reply["Num"]);

    context.minSpeed = relay::Hundredths(AskSelection(context, "MinSpeed", reply));
    context.shipCount = platform::atol(AskSelection(context, "Count", reply));
}

} // namespace

void PluginApp::OnUserCommand(CMapStringToString& command) {
    if (!IsOurCommand(command)) {
        return;
    }
    // A run in progress, or a window left open by a worker that never started: the
    // window exists once per dialog, so the command is refused and nothing touched.
    if (!dialog.IsIdle() || dialog.GetSafeHwnd() != nullptr) {
        return;
    }
    DispatchContext& context = dialog.GetContext();
    const auto callback = reinterpret_cast<HostCallback>(dataManager);
    if (context.BindHost(callback, command) != DispatchContext::kBound) {
        return;
    }

    CMapStringToString reply(10);
    if (AskSelection(context, "Status", reply) != "In orbit") {
        ShowNotInOrbit();
        return;
    }
    ReadSelectedGroup(context, reply);

    CWinThread* thread = AfxGetThread();
    CWnd* owner = thread != nullptr ? thread->GetMainWnd() : nullptr;
    // Not examined: a window that cannot be made starts no worker, and the next command tries again.
    dialog.Create(IDD_SENDING, owner);
}
