// CDialog.cpp - modeless dialogs: creation from a template, data exchange, OK and Cancel.
#include "platform/CDialog.h"

#include "platform/DialogModel.h"
#include "platform/ModuleState.h"

#if defined(_WIN32)
#include <commctrl.h>
#endif

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

CDialog::CDialog(UINT /*templateId*/, CWnd* /*parent*/) {}

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
    if (CreateWindowFromTemplate(templateId, parent) == FALSE) {
        return FALSE;
    }
#if !defined(_WIN32)
    OnInitDialog(); // a system dialog has run it already, at WM_INITDIALOG, inside its creation
#endif
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
// The in-process model keeps no owner window: nothing on Linux asks for it.
BOOL CDialog::CreateWindowFromTemplate(UINT templateId, CWnd* /*parent*/) {
    const ModuleResources* resources = AfxGetModuleState()->resources;
    const DialogResource* resource = resources == nullptr ? nullptr : resources->FindDialog(templateId);
    if (resource == nullptr) {
        return FALSE;
    }
    window_.reset(); // the previous window is gone (m_hWnd is null): free its model
    window_ = std::make_unique<DialogModel>(*this, *resource, SelectUiLanguage());
    m_hWnd = window_->Create();
    return m_hWnd != nullptr ? TRUE : FALSE;
}
#else
namespace {

// A template that names msctls_progress32 cannot be made before the class is registered.
bool ProgressClassRegistered() {
    static const bool registered = [] {
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    return registered;
}

void SetDialogResult(HWND hwnd, LRESULT result) { SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result); }

// The one dialog procedure of every framework dialog: the dialog object rides in the
// window's user slot from WM_INITDIALOG to WM_NCDESTROY; what its message maps do not
// handle is left to the system's default dialog handling (FALSE).
INT_PTR CALLBACK FrameworkDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        dialog->m_hWnd = hwnd;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE; // before WM_INITDIALOG (fonts, frame) or after WM_NCDESTROY
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->OnWindowDestroyed();
        return FALSE;
    }
    if (!dialog->HasHandler(message, wParam)) {
        return FALSE;
    }
    SetDialogResult(hwnd, dialog->WindowProc(message, wParam, lParam));
    return TRUE;
}

} // namespace

BOOL CDialog::CreateWindowFromTemplate(UINT templateId, CWnd* parent) {
    const HINSTANCE instance = AfxGetModuleState()->m_hCurrentInstanceHandle;
    if (instance == nullptr || !ProgressClassRegistered()) {
        return FALSE;
    }
    HWND owner = parent == nullptr ? nullptr : parent->GetSafeHwnd();
    // The system picks the template in the thread's UI language and runs OnInitDialog
    // inside this call; the window is shown once that has returned (WS_VISIBLE). A
    // Unicode window keeps the template's Unicode title whole; an ANSI one would pass it
    // through the ANSI code page, which holds no Cyrillic where the system's is Western.
    HWND window = CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, &FrameworkDialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return window != nullptr && m_hWnd == window ? TRUE : FALSE;
}
#endif
