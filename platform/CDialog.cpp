// CDialog.cpp - modeless dialogs: creation from a template, data exchange, OK and Cancel.
#include "platform/CDialog.h"

#include "platform/DialogModel.h"
#include "platform/ModuleState.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, HandleOk)
    ON_COMMAND(IDCANCEL, HandleCancel)
END_MESSAGE_MAP()

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX == nullptr || pDX->m_pDlgWnd == nullptr || IsWindow(control.m_hWnd) != FALSE) {
        return;
    }
    control.m_hWnd = GetDlgItem(pDX->m_pDlgWnd->m_hWnd, id);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

CDialog::~CDialog() {
    // Only the base part is left: a derived dialog that must act on its own
    // destruction (stop a worker first) destroys its window in its own destructor.
    if (m_hWnd != nullptr) {
        CWnd::DestroyWindow();
    }
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    if (m_hWnd != nullptr) {
        return FALSE;
    }
    templateId_ = templateId;
    parent_ = parent;
    if (CreateWindowFromTemplate(templateId, parent) == FALSE) {
        return FALSE;
    }
    OnInitDialog();
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() { DestroyWindow(); }

void CDialog::OnCancel() { DestroyWindow(); }

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange* /*pDX*/) {}

#if !defined(_WIN32)
BOOL CDialog::CreateWindowFromTemplate(UINT templateId, CWnd* parent) {
    const ModuleResources* resources = AfxGetModuleState()->resources;
    const DialogResource* resource = resources == nullptr ? nullptr : resources->FindDialog(templateId);
    if (resource == nullptr) {
        return FALSE;
    }
    window_.reset(); // the previous window is gone (m_hWnd is null): free its model
    HWND owner = parent == nullptr ? nullptr : parent->GetSafeHwnd();
    window_ = std::make_unique<DialogModel>(*this, *resource, SelectUiLanguage(), owner);
    m_hWnd = window_->Create();
    return m_hWnd != nullptr ? TRUE : FALSE;
}
#else
// The real Win32 dialog comes with the Windows window layer; until then no window is made.
BOOL CDialog::CreateWindowFromTemplate(UINT /*templateId*/, CWnd* /*parent*/) { return FALSE; }
#endif
