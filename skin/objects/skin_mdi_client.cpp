// skin/objects/skin_mdi_client.cpp
//
// The MDI client's skin: its own scroll bars follow its scrolling, a
// maximized skinned child keeps its skinned borders outside the client, and
// arranging the children refreshes their frames.
#include <windows.h>

#include <vector>

#include "skin/core/skin_manager.h"
#include "skin/objects/control_skin_support.h"
#include "skin/objects/skin_controls.h"

IMPLEMENT_DYNCREATE(CPlymSkinObjectMDIClient, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectMDIClient, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_HSCROLL, OnScrollClient)
PLYM_SKIN_MESSAGE(WM_VSCROLL, OnScrollClient)
PLYM_SKIN_MESSAGE(0x003F, OnRecalcScroll)
PLYM_SKIN_MESSAGE(WM_NCACTIVATE, OnRecalcScroll)
PLYM_SKIN_MESSAGE(WM_SIZE, OnSizeClient)
PLYM_SKIN_MESSAGE(WM_MDITILE, OnArrange)
PLYM_SKIN_MESSAGE(WM_MDICASCADE, OnArrange)
PLYM_SKIN_MESSAGE(WM_MDIICONARRANGE, OnArrange)
END_MESSAGE_MAP()

namespace {

// The skinned frames of the client's children.
std::vector<CPlymSkinObjectFrame*> SkinnedChildren(HWND client) {
    std::vector<CPlymSkinObjectFrame*> children;
    CPlymSkinManager* manager = GetPlymSkinManager();
    for (HWND child = ::GetWindow(client, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CPlymSkinObject* object = manager->FindSkinObject(child);
        if (object && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame)))
            children.push_back(static_cast<CPlymSkinObjectFrame*>(object));
    }
    return children;
}

}  // namespace

CPlymSkinObjectMDIClient::CPlymSkinObjectMDIClient() {
    m_mdiClientFlag = 1;
}

CPlymSkinObjectMDIClient::~CPlymSkinObjectMDIClient() {
    if (m_mdiFrame)
        m_mdiFrame->Release();
}

void CPlymSkinObjectMDIClient::AfterSubclass(const CREATESTRUCTA* create, BOOL automatic) {
    CPlymSkinObjectFrame::AfterSubclass(create, automatic);
    const HWND parent = create ? create->hwndParent : ::GetParent(m_hWnd);
    CPlymSkinObject* frame = parent ? GetPlymSkinManager()->FindSkinObject(parent) : nullptr;
    if (frame && frame->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame)) && frame != m_mdiFrame) {
        frame->AddRef();
        if (m_mdiFrame)
            m_mdiFrame->Release();
        m_mdiFrame = static_cast<CPlymSkinObjectFrame*>(frame);
    }
}

void CPlymSkinObjectMDIClient::BeforeUnsubclass(BOOL destroying) {
    if (m_mdiFrame) {
        m_mdiFrame->Release();
        m_mdiFrame = nullptr;
    }
    CPlymSkinObjectFrame::BeforeUnsubclass(destroying);
}

BOOL CPlymSkinObjectMDIClient::IsDefaultProcOnly(UINT message) {
    return message == WM_PLYMSKIN_QUERYSTATE;
}

CPlymSkinObjectMDIClient* CPlymSkinObjectMDIClient::ClientOf(CPlymSkinObjectFrame* frame) {
    if (!frame || !frame->GetSafeHwnd())
        return nullptr;
    CPlymSkinManager* manager = GetPlymSkinManager();
    for (HWND child = ::GetWindow(frame->GetSafeHwnd(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        CPlymSkinObject* object = manager->FindSkinObject(child);
        if (object && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectMDIClient)))
            return static_cast<CPlymSkinObjectMDIClient*>(object);
    }
    return nullptr;
}

BOOL CPlymSkinObjectMDIClient::OnScrollClient(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT message = AfxGetCurrentMessage()->message;
    *result = DefWindowProc(message, wParam, lParam);
    RepaintScrollBar(message == WM_HSCROLL ? SB_HORZ : SB_VERT);
    return TRUE;
}

BOOL CPlymSkinObjectMDIClient::OnRecalcScroll(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT message = AfxGetCurrentMessage()->message;
    if (message != WM_NCACTIVATE || !OnNcActivateMsg(wParam, lParam, result))
        *result = DefWindowProc(message, wParam, lParam);
    RepaintScrollBar(SB_HORZ);
    RepaintScrollBar(SB_VERT);
    return TRUE;
}

BOOL CPlymSkinObjectMDIClient::OnSizeClient(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const DWORD both = kPlymHookMetrics | kPlymHookFrames;
    if ((ActiveOptions() & both) == both) {
        BOOL maximized = FALSE;
        const auto active = reinterpret_cast<HWND>(
            ::SendMessageW(m_hWnd, WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
        CPlymSkinObject* object = active ? GetPlymSkinManager()->FindSkinObject(active) : nullptr;
        if (maximized && object && object->IsKindOf(RUNTIME_CLASS(CPlymSkinObjectFrame))) {
            RECT borders{};
            static_cast<CPlymSkinObjectFrame*>(object)->GetFrameBorders(&borders);
            const int width = LOWORD(lParam);
            const int height = HIWORD(lParam);
            ::SetWindowPos(active, nullptr, -borders.left, -borders.top, width + borders.left + borders.right,
                           height + borders.top + borders.bottom, SWP_NOZORDER | SWP_NOACTIVATE);
            *result = 0;
            return TRUE;
        }
    }
    *result = DefWindowProc(WM_SIZE, wParam, lParam);
    return TRUE;
}

BOOL CPlymSkinObjectMDIClient::OnArrange(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT message = AfxGetCurrentMessage()->message;
    if (m_arranging) {
        *result = DefWindowProc(message, wParam, lParam);
        return TRUE;
    }
    m_arranging = TRUE;
    for (CPlymSkinObjectFrame* child : SkinnedChildren(m_hWnd)) {
        const HWND window = child->GetSafeHwnd();
        RECT rect{};
        ::GetWindowRect(window, &rect);
        ::SendMessageW(window, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
        ::SetTimer(window, kScrollStateTimer, 1000, &CPlymSkinObjectFrame::FrameTimerProc);
    }
    *result = DefWindowProc(message, wParam, lParam);
    for (CPlymSkinObjectFrame* child : SkinnedChildren(m_hWnd))
        child->RepaintNonClient();
    m_arranging = FALSE;
    return TRUE;
}
