// winlib/app.h
//
// CWinApp: the application object, and the program's WinMain.
//
// The program defines exactly one global object of a class derived from
// CWinApp. WinMain (winlib/app.cpp) calls its InitInstance; when that returns
// TRUE it runs the message loop (Run) until WM_QUIT; in both cases it then
// calls ExitInstance, whose result is the process exit code. The default
// ExitInstance returns the wParam of the last WM_QUIT any of our message loops
// received (0 when none did).
//
// m_pMainWnd points at the main window; it is cleared when that window is
// destroyed (the main window may live on the stack of InitInstance). While Run
// is active, the main window's destruction also posts WM_QUIT.
//
// PumpMessage is the one place a queued message is handled, shared by Run and
// by the modal loop of CDialog: PreTranslateMessage of the target window's
// object and then of each parent up to its top-level window (the first TRUE
// swallows the message), then the application's PreTranslateMessage, then
// IsDialogMessage of the top-level window when it is a dialog, then
// TranslateMessage and DispatchMessage.
//
// Deliberately not done: document templates, the registry profile
// (SetRegistryKey is accepted and ignored; settings live in the ini file),
// idle processing beyond freeing temporary wrappers, help (OnHelp does
// nothing), OLE containment (AfxEnableControlContainer does nothing).
#pragma once

#include <windows.h>

#include "winlib/cstring.h"
#include "winlib/msgmap.h"

class CWnd;

class CWinApp : public CCmdTarget {
  public:
    explicit CWinApp(LPCSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    // The message loop; returns when WM_QUIT arrives (the value is its wParam).
    virtual int Run();
    virtual int ExitInstance();
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Handles one queued message as described above. FALSE for WM_QUIT.
    static BOOL PumpMessage(MSG& msg);

    HICON LoadIcon(UINT id) const;
    HICON LoadIcon(LPCSTR name) const;
    HICON LoadStandardIcon(LPCSTR name) const { return ::LoadIconA(nullptr, name); }
    HCURSOR LoadStandardCursor(LPCSTR name) const { return ::LoadCursorA(nullptr, name); }
    void SetRegistryKey(LPCSTR) {}
    void SetRegistryKey(UINT) {}
    void OnHelp() {}

    HINSTANCE m_hInstance = nullptr;
    LPCSTR m_pszAppName = nullptr;
    LPSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;

    // Where the loops record the wParam of the last WM_QUIT.
    static void NoteQuit(WPARAM exitCode);
    static int LastQuitCode();
    // True while Run is active.
    bool IsRunning() const { return m_running; }

  private:
    CString m_appName;
    bool m_running = false;
};

// The one application object (NULL before it is constructed).
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
// Where dialog templates, bitmaps and icons are loaded from (the program).
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);
inline BOOL AfxEnableControlContainer() {
    return TRUE;
}
