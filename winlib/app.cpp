// winlib/app.cpp
//
// WinMain lives in this file on purpose: the program's global application
// object references CWinApp's constructor, which pulls this object file out of
// the static library, and WinMain with it. (The C runtime asks for WinMain only
// after our library has been scanned.)
#include "winlib/app.h"

#include <commctrl.h>

#include <cstdio>
#include <exception>

#include "winlib/wnd.h"

namespace {

CWinApp* gApp = nullptr;
HINSTANCE gResourceModule = nullptr;
int gLastQuitCode = 0;

bool IsDialogWindow(HWND hwnd) {
    return ::GetClassLongA(hwnd, GCW_ATOM) == 32770;
}

}  // namespace

CWinApp* AfxGetApp() {
    return gApp;
}

CWnd* AfxGetMainWnd() {
    return gApp ? gApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetInstanceHandle() {
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle() {
    return gResourceModule ? gResourceModule : ::GetModuleHandleA(nullptr);
}

void AfxSetResourceHandle(HINSTANCE module) {
    gResourceModule = module;
}

CWinApp::CWinApp(LPCSTR appName) : m_appName(appName ? appName : "") {
    m_pszAppName = m_appName.GetString();
    m_hInstance = ::GetModuleHandleA(nullptr);
    gApp = this;
}

CWinApp::~CWinApp() {
    if (gApp == this)
        gApp = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return gLastQuitCode;
}

BOOL CWinApp::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CWinApp::NoteQuit(WPARAM exitCode) {
    gLastQuitCode = static_cast<int>(exitCode);
}

int CWinApp::LastQuitCode() {
    return gLastQuitCode;
}

BOOL CWinApp::PumpMessage(MSG& msg) {
    if (msg.message == WM_QUIT)
        return FALSE;
    // The target window's object, then its parents' up to the top-level window.
    for (HWND hwnd = msg.hwnd; hwnd;) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(hwnd); wnd && wnd->PreTranslateMessage(&msg))
            return TRUE;
        if (!(::GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD))
            break;
        hwnd = ::GetParent(hwnd);
    }
    if (gApp && gApp->PreTranslateMessage(&msg))
        return TRUE;
    if (msg.hwnd) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (root && IsDialogWindow(root) && ::IsDialogMessageA(root, &msg))
            return TRUE;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
    return TRUE;
}

int CWinApp::Run() {
    m_running = true;
    MSG msg{};
    for (;;) {
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE))
            winlib::DeleteTempMaps();
        const BOOL got = ::GetMessageA(&msg, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            NoteQuit(msg.wParam);
            break;
        }
        PumpMessage(msg);
    }
    m_running = false;
    return gLastQuitCode;
}

HICON CWinApp::LoadIcon(UINT id) const {
    return LoadIcon(MAKEINTRESOURCEA(id));
}

HICON CWinApp::LoadIcon(LPCSTR name) const {
    return ::LoadIconA(AfxGetResourceHandle(), name);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    CWinApp* app = AfxGetApp();
    if (!app) {
        std::fprintf(stderr, "winlib: the program defines no application object\n");
        return 1;
    }
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = show;
    if (app->InitInstance())
        app->Run();
    return app->ExitInstance();
}
