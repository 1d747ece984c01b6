// CDialog.h - the framework's modeless dialog, made from a template of the current module.
//
// Create finds the template in the resources of the module in force
// (ModuleState.h), makes the window and its controls, then runs OnInitDialog,
// whose base binds the member controls through DoDataExchange. IDOK and
// IDCANCEL commands reach the virtual OnOK and OnCancel. On Windows the window is
// the system's dialog, made from the template compiled into the module; one
// dialog procedure routes its messages into WindowProc, runs OnInitDialog at
// WM_INITDIALOG and detaches the object at WM_NCDESTROY. The dialog object
// outlives its window and can create it again once it is gone; a second Create
// while the window exists is refused.
#pragma once

#include "platform/CWnd.h"
#include "platform/FrameworkApi.h"

#include <memory>

class DialogModel;

/// What DoDataExchange is given: the dialog and the direction of the exchange.
class TARVENIX_FRAMEWORK_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate; // FALSE: from the members to the window
};

/// Attaches `control` to the dialog's control `id` unless it already holds a live window.
TARVENIX_FRAMEWORK_API void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class TARVENIX_FRAMEWORK_API CDialog : public CWnd {
public:
    /// A modeless dialog is given its template and owner again by Create, so it keeps neither.
    explicit CDialog(UINT templateId = 0, CWnd* parent = nullptr);
    ~CDialog() override;

    /// Makes the modeless window from template `templateId` with `parent` as its owner;
    /// FALSE when the window already exists or the template cannot be found.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);

    /// Binds the controls (UpdateData(FALSE)); returns TRUE.
    virtual BOOL OnInitDialog();
    /// A modeless dialog closes itself: the base destroys the window.
    virtual void OnOK();
    virtual void OnCancel();

    BOOL UpdateData(BOOL saveAndValidate = TRUE);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    DECLARE_MESSAGE_MAP()

private:
    void HandleOk() { OnOK(); }
    void HandleCancel() { OnCancel(); }
    BOOL CreateWindowFromTemplate(UINT templateId, CWnd* parent);

#if !defined(_WIN32)
    std::unique_ptr<DialogModel> window_; // the in-process window, kept until the next Create
#endif
};
