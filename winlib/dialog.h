// winlib/dialog.h
//
// CDialog: dialogs from resource templates, modal (DoModal) or as child pages
// and modeless windows (Create), and the data exchange that binds controls to
// members (DoDataExchange, DDX_Control, UpdateData).
//
// A dialog is a window of the system's dialog class whose procedure we
// subclass at creation (winlib/wnd.h), so its message map, WindowProc and
// PreTranslateMessage work as for any window; what the map leaves goes to the
// dialog manager. WM_INITDIALOG reaches OnInitDialog, whose default runs
// DoDataExchange (UpdateData(FALSE)).
//
// DoModal runs our own loop, not the system's DialogBox: the owner is disabled,
// every queued message goes through CWinApp::PumpMessage (PreTranslateMessage
// from the target window up its parents, then IsDialogMessage of its top-level
// dialog, then dispatch) until EndDialog. A WM_QUIT received in the loop ends
// it: DoModal returns -1 and posts WM_QUIT again, so every enclosing loop ends
// too (how a nested dialog ends the program). IDOK and IDCANCEL (also from
// Enter, Escape and WM_CLOSE through the dialog manager) call the virtual
// OnOK and OnCancel, which end the dialog.
//
// Deliberately not done: dialog templates in memory built at run time, OLE
// controls in templates, DDV validation, help.
#pragma once

#include <windows.h>

#include "winlib/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
  public:
    CDialog() = default;
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(LPCSTR templateName, CWnd* parent = nullptr);

    // Runs the dialog modally; the value passed to EndDialog, or -1 when the
    // template could not be loaded or WM_QUIT ended the loop.
    virtual INT_PTR DoModal();
    // Creates the dialog as a modeless window (a child page when the template
    // has WS_CHILD). OnInitDialog has run when it returns.
    virtual BOOL Create(UINT templateId, CWnd* parent = nullptr);
    BOOL Create(LPCSTR templateName, CWnd* parent = nullptr);

    // Ends the modal loop with `result` (a modeless dialog is hidden).
    void EndDialog(int result);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    // Runs DoDataExchange: TRUE reads the controls into the members, FALSE
    // writes the members into the controls.
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    void NextDlgCtrl() const { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, 0, 0); }
    void GotoDlgCtrl(CWnd* control);
    void SetDefID(UINT id) { ::SendMessageA(m_hWnd, DM_SETDEFID, id, 0); }
    void MapDialogRect(LPRECT rect) const { ::MapDialogRect(m_hWnd, rect); }

    BOOL PreTranslateMessage(MSG* msg) override;

    UINT m_nIDHelp = 0;
    LPCSTR m_lpszTemplateName = nullptr;
    CWnd* m_pParentWnd = nullptr;

  protected:
    virtual void DoDataExchange(CDataExchange* dx);

  private:
    HWND CreateFromTemplate(LPCSTR templateName, HWND parent);

    int m_modalResult = -1;
    bool m_inModalLoop = false;
    bool m_endModal = false;

    DECLARE_MESSAGE_MAP()
};

// Passed to DoDataExchange.
class CDataExchange {
  public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    // The control's handle; NULL (and the exchange marked failed) when the
    // dialog has no such item.
    HWND PrepareCtrl(int id);
    void Fail() { m_failed = true; }
    bool Failed() const { return m_failed; }

  private:
    bool m_failed = false;
};

// Binds the dialog item `id` to `control` (subclasses it once).
void DDX_Control(CDataExchange* dx, int id, CWnd& control);
void DDX_Text(CDataExchange* dx, int id, CString& value);
void DDX_Text(CDataExchange* dx, int id, int& value);
void DDX_Check(CDataExchange* dx, int id, int& value);
void DDX_CBIndex(CDataExchange* dx, int id, int& index);
