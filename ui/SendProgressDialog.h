// SendProgressDialog.h - the progress window of a Distribute Group run: it owns the context and the worker.
//
// One SendProgressDialog lives as long as the plug-in; only its window comes
// and goes. Creating the window starts the relay planner on a worker thread
// with the dialog's `context`; the worker reports by posted messages only
// (WM_RELAY_RANGE, WM_RELAY_STEP, then WM_COMMAND/IDOK), and the dialog speaks
// to the worker only through `context.stopRequested` and the thread priority.
//
// Ownership: the dialog owns `context` and the worker's handle. While
// `workerThread` is held the worker may be reading and writing `context`; the
// handle is let go only after the worker has ended, so `context` always
// outlives the worker. The planner reads the window's handle afresh through
// `context.progressDialog`, which is set before the worker starts and cleared
// only after it has ended.
//
// [ui thread] Every member: the window's thread, which each member checks.
#pragma once

#include "context/DispatchContext.h"
#include "platform/CDialog.h"
#include "platform/CProgressCtrl.h"
#include "platform/WinTypes.h"

class SendProgressDialog : public CDialog {
public:
    SendProgressDialog();
    /// Stops a worker that still runs and destroys a window that still exists.
    ~SendProgressDialog() override;

    /// Waits for the worker (no time-out), closes its handle, clears `context.progressDialog`,
    /// then destroys the window; returns the base's result.
    BOOL DestroyWindow() override;

    /// True when no worker handle is held. A window may still be open (its worker failed to start).
    bool IsIdle() const { return workerThread == nullptr; }
    DispatchContext& GetContext() { return context; }

    /// Starts the worker at below-normal priority; FALSE (window left open, no worker) when it cannot.
    BOOL OnInitDialog() override;
    /// The planner's completion: submits the orders once the worker has ended, then destroys the window.
    void OnOK() override;
    /// Raises the stop flag and the worker's priority, then destroys the window (waiting for the worker).
    void OnCancel() override;

    CProgressCtrl progressBar; // IDC_PROGRESS, bound by DoDataExchange
    DispatchContext context;   // the run's data and the host channel; the worker gets its address
    HANDLE workerThread = nullptr; // the worker; null when none is held

protected:
    void DoDataExchange(CDataExchange* pDX) override;

private:
    void OnStop();
    LRESULT OnRelayStep(WPARAM wParam, LPARAM lParam);
    LRESULT OnRelayRange(WPARAM wParam, LPARAM lParam);
    LRESULT OnWorkerEnded(WPARAM wParam, LPARAM lParam);

    bool IsWorkerRunning() const;
    void SubmitAndClose();
    void AssertOnOwnerThread() const;

    bool completionPending_ = false; // an IDOK came while the worker still ran; acted on when it ends

    DECLARE_MESSAGE_MAP()
};
