// SendProgressDialog.cpp - the progress window: worker start, progress bar, Cancel, completion and teardown.
#include "ui/SendProgressDialog.h"

#include "plugin/resource.h"
#include "platform/FloatingPointEnvironment.h"
#include "platform/Thread.h"
#include "platform/Window.h"
#include "relay/PlannerThread.h"
#include "platform/RelayMessages.h"

#include <cassert>
#include <cstdint>

namespace {

// [worker] The planner, then a word to the window that it has returned. An IDOK
// that reached the window while the worker still ran is acted on then. Nothing is
// posted after a stop: the window is on its way out and waits for this thread.
// The planner computes under the plug-in's own floating-point settings, as the
// exports do, whatever a new thread of the loading process starts with.
DWORD WINAPI RunPlanner(LPVOID parameter) {
    const DWORD result = [parameter] {
        const platform::ScopedDefaultFloatingPoint floatingPoint;
        return PlannerThread(parameter);
    }();
    const auto* context = static_cast<const DispatchContext*>(parameter);
    if (context->stopRequested.load() == 0 && context->progressDialog != nullptr) {
        PostMessageA(context->progressDialog->GetSafeHwnd(), WM_RELAY_WORKER_ENDED, 0, 0);
    }
    return result;
}

} // namespace

BEGIN_MESSAGE_MAP(SendProgressDialog, CDialog)
    ON_BN_CLICKED(IDC_STOP, OnStop)
    ON_MESSAGE(WM_RELAY_STEP, OnRelayStep)
    ON_MESSAGE(WM_RELAY_RANGE, OnRelayRange)
    ON_MESSAGE(WM_RELAY_WORKER_ENDED, OnWorkerEnded)
END_MESSAGE_MAP()

SendProgressDialog::SendProgressDialog() : CDialog(IDD_SENDING, nullptr) {}

SendProgressDialog::~SendProgressDialog() {
    // The worker must not outlive `context`, and the window not the object.
    if (workerThread != nullptr || m_hWnd != nullptr) {
        context.stopRequested.store(1);
        DestroyWindow();
    }
}

void SendProgressDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Control(pDX, IDC_PROGRESS, progressBar);
}

BOOL SendProgressDialog::OnInitDialog() {
    AssertOnOwnerThread();
    CDialog::OnInitDialog();
    completionPending_ = false;
    context.progressDialog = this;
    context.stopRequested.store(0);
    workerThread = CreateThread(nullptr, 0, &RunPlanner, &context, 0, nullptr);
    if (workerThread == nullptr) {
        return FALSE; // the window stays open without a worker; Cancel closes it
    }
    SetThreadPriority(workerThread, THREAD_PRIORITY_BELOW_NORMAL);
    return TRUE;
}

void SendProgressDialog::OnOK() {
    AssertOnOwnerThread();
    if (workerThread == nullptr) {
        return; // no worker ran in this window: there is no plan to submit
    }
    if (IsWorkerRunning()) {
        // The orders list is the worker's until it ends. A completion command may
        // overtake the worker's last clean-up, so it is kept, not dropped.
        completionPending_ = true;
        return;
    }
    SubmitAndClose();
}

void SendProgressDialog::OnCancel() {
    AssertOnOwnerThread();
    context.stopRequested.store(1);
    if (workerThread != nullptr) {
        // From here on this thread waits for the worker: let it run at full speed.
        SetThreadPriority(workerThread, THREAD_PRIORITY_NORMAL);
    }
    DestroyWindow();
}

BOOL SendProgressDialog::DestroyWindow() {
    AssertOnOwnerThread();
    if (workerThread != nullptr) {
        if (IsWorkerRunning()) {
            // Safe without a time-out: the worker only posts to this thread, never waits for it.
            WaitForSingleObject(workerThread, INFINITE);
        }
        CloseHandle(workerThread);
        workerThread = nullptr;
    }
    completionPending_ = false;
    context.progressDialog = nullptr;
    return CDialog::DestroyWindow();
}

void SendProgressDialog::OnStop() { OnCancel(); }

LRESULT SendProgressDialog::OnRelayStep(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    AssertOnOwnerThread();
    progressBar.StepIt();
    return 0;
}

LRESULT SendProgressDialog::OnRelayRange(WPARAM wParam, LPARAM /*lParam*/) {
    AssertOnOwnerThread();
    // The range takes 16 bits, as their pattern: a pass of 70000 steps shows as 0..4464.
    // No position is set; the bar keeps stepping from where it stands.
    progressBar.SetRange(0, static_cast<std::int16_t>(wParam & 0xFFFF));
    progressBar.SetStep(1);
    return 0;
}

LRESULT SendProgressDialog::OnWorkerEnded(WPARAM /*wParam*/, LPARAM /*lParam*/) {
    AssertOnOwnerThread();
    if (completionPending_) {
        SubmitAndClose();
    }
    return 0;
}

bool SendProgressDialog::IsWorkerRunning() const {
    DWORD exitCode = STILL_ACTIVE; // a failed query counts as still running
    GetExitCodeThread(workerThread, &exitCode);
    return exitCode == STILL_ACTIVE;
}

void SendProgressDialog::SubmitAndClose() {
    context.SubmitOrders();
    DestroyWindow();
}

void SendProgressDialog::AssertOnOwnerThread() const {
    assert((m_hWnd == nullptr || GetWindowThreadProcessId(m_hWnd, nullptr) == GetCurrentThreadId()) &&
           "the progress window is used on the thread that owns it");
}
