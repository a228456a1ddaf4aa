// winlib/dialog.cpp
#include "winlib/dialog.h"

#include <cstdio>

#include "winlib/app.h"
#include "winlib/controls.h"

namespace {

// The system's dialog class.
constexpr ATOM kDialogClassAtom = 32770;

struct DialogCreateArgs {
    HINSTANCE module;
    const DLGTEMPLATE* dialogTemplate;
    HWND parent;
    CDialog* dialog;
};

}  // namespace

// The dialog manager calls this for every message after our window procedure
// has passed it on; only WM_INITDIALOG needs us.
INT_PTR CALLBACK WinlibDlgProc(HWND hwnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG)
        return FALSE;
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(hwnd));
    if (!dialog) {
        // The creation hook missed the window: enter it now.
        dialog = reinterpret_cast<CDialog*>(lParam);
        if (!dialog || !dialog->SubclassWindow(hwnd))
            return TRUE;
    }
    try {
        return dialog->OnInitDialog();
    } catch (...) {
        std::fprintf(stderr, "winlib: exception in OnInitDialog\n");
        return TRUE;
    }
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, &CDialog::OnOK)
ON_COMMAND(IDCANCEL, &CDialog::OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_nIDHelp(templateId), m_lpszTemplateName(MAKEINTRESOURCEA(templateId)), m_pParentWnd(parent) {}

CDialog::CDialog(LPCSTR templateName, CWnd* parent)
    : m_lpszTemplateName(templateName), m_pParentWnd(parent) {}

HWND CDialog::CreateFromTemplate(LPCSTR templateName, HWND parent) {
    if (m_hWnd || !templateName)
        return nullptr;
    HINSTANCE module = AfxGetResourceHandle();
    HRSRC resource = ::FindResourceA(module, templateName, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(loaded ? ::LockResource(loaded) : nullptr);
    if (!dialogTemplate)
        return nullptr;
    DialogCreateArgs args{module, dialogTemplate, parent, this};
    return winlib::CreateHooked(
        this, MAKEINTATOM(kDialogClassAtom),
        [](void* context) -> HWND {
            auto* a = static_cast<DialogCreateArgs*>(context);
            return ::CreateDialogIndirectParamA(a->module, a->dialogTemplate, a->parent, &WinlibDlgProc,
                                                reinterpret_cast<LPARAM>(a->dialog));
        },
        &args);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent) {
    return Create(MAKEINTRESOURCEA(templateId), parent);
}

BOOL CDialog::Create(LPCSTR templateName, CWnd* parent) {
    m_lpszTemplateName = templateName;
    if (parent)
        m_pParentWnd = parent;
    m_inModalLoop = false;
    return CreateFromTemplate(templateName, m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr) != nullptr;
}

INT_PTR CDialog::DoModal() {
    // The owner: the parent's top-level window, else the main window, else none.
    HWND owner = nullptr;
    if (m_pParentWnd && m_pParentWnd->m_hWnd) {
        owner = ::GetAncestor(m_pParentWnd->m_hWnd, GA_ROOT);
    } else if (CWnd* main = AfxGetMainWnd(); main && main != this && main->m_hWnd) {
        owner = main->m_hWnd;
    }
    const bool reenableOwner = owner && ::IsWindowEnabled(owner);

    m_modalResult = -1;
    m_endModal = false;
    m_inModalLoop = true;
    HWND dialog = CreateFromTemplate(m_lpszTemplateName, owner);
    if (dialog && !m_endModal) {
        if (reenableOwner)
            ::EnableWindow(owner, FALSE);
        // A dialog that showed itself (maximised, say) keeps how it showed.
        if (!::IsWindowVisible(dialog))
            ::ShowWindow(dialog, SW_SHOWNORMAL);
        while (!m_endModal && ::IsWindow(dialog)) {
            MSG msg;
            if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
                winlib::DeleteTempMaps();
            const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
            if (got == -1)
                break;
            if (got == 0) {
                // WM_QUIT ends this loop and, posted again, every enclosing one.
                CWinApp::NoteQuit(msg.wParam);
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                m_modalResult = -1;
                break;
            }
            CWinApp::PumpMessage(msg);
        }
    }
    m_inModalLoop = false;
    // Enable the owner before the dialog goes, so that activation returns to it.
    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (dialog && ::IsWindow(dialog)) {
        ::SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        if (owner && ::GetActiveWindow() == dialog)
            ::SetActiveWindow(owner);
        ::DestroyWindow(dialog);
    }
    return m_modalResult;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    if (m_inModalLoop) {
        m_endModal = true;
        if (m_hWnd)
            ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wake the loop
    } else if (m_hWnd) {
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return !dx.Failed();
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::GotoDlgCtrl(CWnd* control) {
    if (control)
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control->m_hWnd), TRUE);
}

BOOL CDialog::PreTranslateMessage(MSG*) {
    return FALSE;
}

// ---- data exchange -----------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd ? ::GetDlgItem(m_pDlgWnd->m_hWnd, id) : nullptr;
    if (!control) {
        std::fprintf(stderr, "winlib: dialog has no item %d\n", id);
        Fail();
    }
    return control;
}

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd)
        return;  // bound already
    HWND item = dx->PrepareCtrl(id);
    if (item && !control.SubclassWindow(item))
        dx->Fail();
}

void DDX_Text(CDataExchange* dx, int id, CString& value) {
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        value = CWnd::FromHandle(item)->GetWindowTextString();
    else
        ::SetWindowTextA(item, value);
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate) {
        BOOL ok = FALSE;
        const int read = static_cast<int>(::GetDlgItemInt(dx->m_pDlgWnd->m_hWnd, id, &ok, TRUE));
        if (ok)
            value = read;
        else
            dx->Fail();
    } else {
        ::SetDlgItemInt(dx->m_pDlgWnd->m_hWnd, id, static_cast<UINT>(value), TRUE);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(item, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(item, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    HWND item = dx->PrepareCtrl(id);
    if (!item)
        return;
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageA(item, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(item, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}
