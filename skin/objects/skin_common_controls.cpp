// skin/objects/skin_common_controls.cpp
//
// The skins of the common controls: tool bars, spins, tabs, track bars,
// progress bars, headers, the MDI client, and the controls that are only fed
// the skin's colours (tree and list views, status bars, date pickers' and
// month calendars' calendars). The date picker's face is drawn in
// skin_date_picker.cpp.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "skin/core/draw_helpers.h"
#include "skin/core/schema_names.h"
#include "skin/core/skin_class.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_metrics.h"
#include "skin/objects/control_skin_support.h"
#include "skin/objects/control_states.h"
#include "skin/objects/skin_controls.h"

using plymskin::FromRECT;

using plymskin::PointOf;
using plymskin::ToRECT;
using plymskin::TrackLeave;

namespace {

constexpr int kPropColor = 204;
constexpr int kPropProgressChunkSize = 2411;
constexpr int kPropProgressSpaceSize = 2412;

LRESULT DefaultOf(CPlymSkinObject* object, WPARAM wParam, LPARAM lParam) {
    return object->DefWindowProc(AfxGetCurrentMessage()->message, wParam, lParam);
}

}  // namespace

std::wstring PlymToolBarButtonText(HWND toolBar, int command) {
    const LRESULT length = ::SendMessageW(toolBar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command), 0);
    if (length <= 0 || length > 0x7FFFFF)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied = ::SendMessageW(toolBar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(command),
                                          reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

void PlymSetCalendarColors(CPlymSkinObject* object, UINT message) {
    const HWND window = object->GetSafeHwnd();
    if (!window || !::IsWindow(window))
        return;
    const struct {
        int which;
        int color;
    } colors[] = {
        {MCSC_BACKGROUND, COLOR_WINDOW},     {MCSC_MONTHBK, COLOR_WINDOW},
        {MCSC_TEXT, COLOR_WINDOWTEXT},       {MCSC_TITLEBK, COLOR_ACTIVECAPTION},
        {MCSC_TITLETEXT, COLOR_CAPTIONTEXT}, {MCSC_TRAILINGTEXT, COLOR_GRAYTEXT},
    };
    for (const auto& c : colors)
        ::SendMessageW(window, message, static_cast<WPARAM>(c.which), object->GetSkinColor(c.color));
}

// ==== ComCtl32Control, TreeView, ListView ===================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectComCtl32Control, CPlymSkinObjectUser32Control)

BOOL CPlymSkinObjectComCtl32Control::ShouldSyncScrollBars() {
    return GetManager() && GetManager()->m_win9x && CPlymSkinObjectUser32Control::ShouldSyncScrollBars();
}

namespace {

// Tree and list views: the skin's colours while skinning is on, their own
// defaults when it goes off.
void FeedTreeColors(CPlymSkinObject* object, BOOL on) {
    const HWND window = object->GetSafeHwnd();
    ::SendMessageW(window, TVM_SETBKCOLOR, 0,
                   on ? object->GetSkinColor(COLOR_WINDOW) : static_cast<LPARAM>(-1));
    ::SendMessageW(window, TVM_SETTEXTCOLOR, 0,
                   on ? object->GetSkinColor(COLOR_WINDOWTEXT) : static_cast<LPARAM>(-1));
}

void FeedListColors(CPlymSkinObject* object, BOOL on) {
    const HWND window = object->GetSafeHwnd();
    const COLORREF back = on ? object->GetSkinColor(COLOR_WINDOW) : ::GetSysColor(COLOR_WINDOW);
    const COLORREF text = on ? object->GetSkinColor(COLOR_WINDOWTEXT) : ::GetSysColor(COLOR_WINDOWTEXT);
    ::SendMessageW(window, LVM_SETBKCOLOR, 0, back);
    ::SendMessageW(window, LVM_SETTEXTBKCOLOR, 0, back);
    ::SendMessageW(window, LVM_SETTEXTCOLOR, 0, text);
}

}  // namespace

IMPLEMENT_DYNCREATE(CPlymSkinObjectTreeView, CPlymSkinObjectComCtl32Control)

BEGIN_MESSAGE_MAP(CPlymSkinObjectTreeView, CPlymSkinObjectComCtl32Control)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateTree)
END_MESSAGE_MAP()

CPlymSkinObjectTreeView::CPlymSkinObjectTreeView() {
    m_themeClassName = "TREEVIEW";
    m_backgroundMessage = WM_CTLCOLOREDIT;
}

BOOL CPlymSkinObjectTreeView::OnCreateTree(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result != -1 && GetManager() && GetManager()->IsEnabled())
        FeedTreeColors(this, TRUE);
    return TRUE;
}

void CPlymSkinObjectTreeView::ApplySkinChange(BOOL previous, BOOL now) {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        FeedTreeColors(this, now);
        ::SendMessageW(m_hWnd, TVM_SETLINECOLOR, 0,
                       now ? GetSkinColor(COLOR_GRAYTEXT) : static_cast<LPARAM>(CLR_DEFAULT));
    }
    CPlymSkinObjectComCtl32Control::ApplySkinChange(previous, now);
}

IMPLEMENT_DYNCREATE(CPlymSkinObjectListView, CPlymSkinObjectComCtl32Control)

BEGIN_MESSAGE_MAP(CPlymSkinObjectListView, CPlymSkinObjectComCtl32Control)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateList)
PLYM_SKIN_MESSAGE(WM_HSCROLL, OnScrollList)
PLYM_SKIN_MESSAGE(WM_VSCROLL, OnScrollList)
END_MESSAGE_MAP()

CPlymSkinObjectListView::CPlymSkinObjectListView() {
    m_themeClassName = "LISTVIEW";
    m_backgroundMessage = WM_CTLCOLOREDIT;
}

BOOL CPlymSkinObjectListView::OnCreateList(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result != -1 && GetManager() && GetManager()->IsEnabled())
        FeedListColors(this, TRUE);
    return TRUE;
}

void CPlymSkinObjectListView::ApplySkinChange(BOOL previous, BOOL now) {
    if (m_hWnd && ::IsWindow(m_hWnd))
        FeedListColors(this, now);
    CPlymSkinObjectComCtl32Control::ApplySkinChange(previous, now);
}

BOOL CPlymSkinObjectListView::OnScrollList(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const UINT message = AfxGetCurrentMessage()->message;
    const int code = LOWORD(wParam);
    // The Windows 9x list view does not follow its own bars' thumb: scroll it
    // by the distance moved.
    if (GetManager() && GetManager()->m_win9x && lParam == 0 &&
        (code == SB_THUMBPOSITION || code == SB_THUMBTRACK)) {
        const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        const int now = ::GetScrollPos(m_hWnd, bar);
        const int wanted = static_cast<short>(HIWORD(wParam));
        const int delta = wanted - now;
        ::SendMessageW(m_hWnd, LVM_SCROLL, bar == SB_HORZ ? delta : 0, bar == SB_VERT ? delta : 0);
        *result = 0;
        return TRUE;
    }
    return OnDefaultThenSync(wParam, lParam, result);
}

// ==== ToolBar ===============================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectToolBar, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectToolBar, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintToolBar)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintToolBar)
PLYM_SKIN_MESSAGE(WM_ERASEBKGND, OnEraseToolBar)
END_MESSAGE_MAP()

CPlymSkinObjectToolBar::CPlymSkinObjectToolBar() {
    m_themeClassName = "TOOLBAR";
}

BOOL CPlymSkinObjectToolBar::OnPaintToolBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (AfxGetCurrentMessage()->message == WM_PRINTCLIENT) {
        if (!(lParam & PRF_CLIENT))
            return FALSE;
        PaintToolBar(reinterpret_cast<HDC>(wParam));
        *result = TRUE;
        return TRUE;
    }
    CPlymSkinObjectPaintDC dc(this);
    PaintToolBar(dc.GetSafeHdc());
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectToolBar::OnEraseToolBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // Flat and transparent bars and the others alike: a class brush of a
    // system colour is swapped for the skin's for the erase.
    if (!OnEraseBkgndMsg(wParam, lParam, result))
        *result = DefWindowProc(WM_ERASEBKGND, wParam, lParam);
    return TRUE;
}

void CPlymSkinObjectToolBar::PaintToolBar(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    PlymFillSolidRect(bdc, client, GetSkinColor(COLOR_BTNFACE));
    const auto font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
    CPlymFontDC fontScope(bdc, font);

    NMTBCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = m_hWnd;
    draw.nmcd.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.hdc = bdc;
    draw.nmcd.rc = client;
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    const HWND parent = ::GetParent(m_hWnd);
    const auto notify = [&] {
        return parent
                   ? ::SendMessageW(parent, WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw))
                   : 0;
    };
    const LRESULT pre = notify();
    if (!(pre & CDRF_SKIPDEFAULT)) {
        const auto count = static_cast<int>(::SendMessageW(m_hWnd, TB_BUTTONCOUNT, 0, 0));
        const auto hot = static_cast<int>(::SendMessageW(m_hWnd, TB_GETHOTITEM, 0, 0));
        CPlymSkinManagerClass* theme = LookupThemeClass();
        for (int i = 0; i < count; ++i) {
            TBBUTTON button{};
            if (!::SendMessageW(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(i),
                                reinterpret_cast<LPARAM>(&button)) ||
                (button.fsState & TBSTATE_HIDDEN))
                continue;
            RECT rect{};
            ::SendMessageW(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
            if (button.fsStyle & BTNS_SEP) {
                if (theme)
                    theme->DrawThemeBackground(bdc, 5, 0, &rect);
                continue;
            }
            draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
            draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(button.idCommand);
            draw.nmcd.uItemState = plym::ToolBarItemState(button.fsState, i == hot);
            draw.nmcd.rc = rect;
            draw.nmcd.lItemlParam = static_cast<LPARAM>(button.dwData);
            const LRESULT answer = notify();
            if (!(answer & CDRF_SKIPDEFAULT)) {
                const UINT itemState = draw.nmcd.uItemState;
                if (theme && !(answer & TBCDRF_NOEDGES)) {
                    const int state = plym::ToolBarButtonState(itemState);
                    const auto extended =
                        static_cast<uint32_t>(::SendMessageW(m_hWnd, TB_GETEXTENDEDSTYLE, 0, 0));
                    const plym::ToolBarButtonParts parts = plym::ChooseToolBarButtonParts(
                        button.fsStyle, extended, ::GetSystemMetrics(SM_CYMENUCHECK));
                    RECT body = rect;
                    if (parts.arrowPart) {
                        body.right -= parts.arrowWidth;
                        RECT arrow{body.right, rect.top, rect.right, rect.bottom};
                        theme->DrawThemeBackground(bdc, parts.part, state, &body);
                        theme->DrawThemeBackground(bdc, parts.arrowPart, state, &arrow);
                        // The drop-down arrow: a small triangle in the text colour.
                        const int cx = (arrow.left + arrow.right) / 2;
                        const int cy = (arrow.top + arrow.bottom) / 2;
                        PlymDrawTriangle(bdc, POINT{cx - 2, cy - 1}, POINT{cx + 3, cy - 1}, POINT{cx, cy + 2},
                                         GetSkinColor(COLOR_BTNTEXT));
                    } else {
                        theme->DrawThemeBackground(bdc, parts.part, state, &body);
                    }
                }
                const bool offset =
                    !(answer & TBCDRF_NOOFFSET) && (itemState & (CDIS_SELECTED | CDIS_CHECKED));
                RECT content = rect;
                if (offset)
                    ::OffsetRect(&content, 1, 1);
                DrawToolBarButton(bdc, content, button, itemState);
            }
            draw.nmcd.dwDrawStage = CDDS_ITEMPOSTPAINT;
            draw.nmcd.rc = rect;
            notify();
        }
    }
    if (pre & CDRF_NOTIFYPOSTPAINT) {
        draw.nmcd.dwDrawStage = CDDS_POSTPAINT;
        draw.nmcd.dwItemSpec = 0;
        draw.nmcd.uItemState = 0;
        draw.nmcd.rc = client;
        notify();
    }
}

void CPlymSkinObjectToolBar::DrawToolBarButton(HDC dc,
                                               const RECT& rect,
                                               const TBBUTTON& button,
                                               UINT itemState) {
    const bool disabled = (itemState & CDIS_DISABLED) != 0;
    const bool list = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & TBSTYLE_LIST) != 0;
    const LRESULT padding = ::SendMessageW(m_hWnd, TB_GETPADDING, 0, 0);
    const int padX = LOWORD(padding);
    const int padY = HIWORD(padding);

    const auto normal = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TB_GETIMAGELIST, 0, 0));
    HIMAGELIST images = normal;
    if (itemState & (CDIS_HOT | CDIS_CHECKED)) {
        if (const auto hotList =
                reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TB_GETHOTIMAGELIST, 0, 0)))
            images = hotList;
    }
    HIMAGELIST disabledList = nullptr;
    if (disabled) {
        disabledList = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TB_GETDISABLEDIMAGELIST, 0, 0));
        if (disabledList)
            images = disabledList;
    }
    int imageWidth = 16;
    int imageHeight = 16;
    if (images)
        ImageList_GetIconSize(images, &imageWidth, &imageHeight);
    const int imageIndex = LOWORD(button.iBitmap);
    const bool hasImage =
        images && button.iBitmap != I_IMAGENONE && imageIndex < ImageList_GetImageCount(images);

    const std::wstring text = PlymToolBarButtonText(m_hWnd, button.idCommand);
    int imageX = 0;
    int imageY = 0;
    RECT textRect = rect;
    if (list) {
        imageX = rect.left + padX / 2;
        imageY = rect.top + (rect.bottom - rect.top - imageHeight) / 2;
        textRect.left = (hasImage ? imageX + imageWidth : rect.left) + padX / 2;
    } else {
        imageX = rect.left + (rect.right - rect.left - imageWidth) / 2;
        imageY = rect.top + (text.empty() ? (rect.bottom - rect.top - imageHeight) / 2 : padY / 2);
        textRect.top = (hasImage ? imageY + imageHeight : rect.top) + 1;
    }
    if (hasImage) {
        IMAGELISTDRAWPARAMS params{};
        params.cbSize = sizeof params;
        params.himl = images;
        params.i = imageIndex;
        params.hdcDst = dc;
        params.x = imageX;
        params.y = imageY;
        params.rgbBk = GetSkinColor(COLOR_BTNFACE);
        params.rgbFg = CLR_DEFAULT;
        params.fStyle = ILD_TRANSPARENT;
        if (disabled && !disabledList) {
            IMAGEINFO info{};
            BITMAP bits{};
            const bool alpha = ImageList_GetImageInfo(images, imageIndex, &info) && info.hbmImage &&
                               ::GetObjectW(info.hbmImage, sizeof bits, &bits) && bits.bmBitsPixel == 32;
            if (alpha && GetManager() && GetManager()->m_comCtlVersion >= 0x60000) {
                params.fState = ILS_SATURATE;
                params.rgbBk = CLR_NONE;
                ImageList_DrawIndirect(&params);
            } else {
                // Embossed: the mask in the highlight one pixel down and right,
                // then in the shadow in place.
                const HDC maskDc = ::CreateCompatibleDC(dc);
                const HBITMAP mask = ::CreateBitmap(imageWidth, imageHeight, 1, 1, nullptr);
                const HGDIOBJ oldMask = ::SelectObject(maskDc, mask);
                PlymFillSolidRect(maskDc, 0, 0, imageWidth, imageHeight, RGB(255, 255, 255));
                ImageList_Draw(images, imageIndex, maskDc, 0, 0, ILD_MASK);
                const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
                const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
                const struct {
                    int shift;
                    int color;
                } passes[] = {{1, COLOR_BTNHIGHLIGHT}, {0, COLOR_BTNSHADOW}};
                for (const auto& pass : passes) {
                    const HBRUSH brush = ::CreateSolidBrush(GetSkinColor(pass.color));
                    const HGDIOBJ oldBrush = ::SelectObject(dc, brush);
                    ::BitBlt(dc, imageX + pass.shift, imageY + pass.shift, imageWidth, imageHeight, maskDc, 0,
                             0, 0xB8074A);
                    ::SelectObject(dc, oldBrush);
                    ::DeleteObject(brush);
                }
                ::SetTextColor(dc, oldText);
                ::SetBkColor(dc, oldBack);
                ::SelectObject(maskDc, oldMask);
                ::DeleteObject(mask);
                ::DeleteDC(maskDc);
            }
        } else {
            ImageList_DrawIndirect(&params);
        }
    }
    if (!text.empty()) {
        const bool oneRow = ::SendMessageW(m_hWnd, TB_GETTEXTROWS, 0, 0) < 2;
        UINT format =
            oneRow ? DT_SINGLELINE | DT_END_ELLIPSIS : DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
        format |= list ? DT_LEFT | DT_VCENTER : DT_CENTER;
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        const COLORREF oldText = ::SetTextColor(dc, GetSkinColor(disabled ? COLOR_BTNSHADOW : COLOR_BTNTEXT));
        ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format);
        ::SetTextColor(dc, oldText);
        ::SetBkMode(dc, oldMode);
    }
}

// ==== Spin ==================================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectSpin, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectSpin, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintSpin)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintSpin)
WINLIB_ENTRY(WM_ERASEBKGND, 0, 0, 0, r = TRUE; return true;)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveSpin)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveSpin)
PLYM_SKIN_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownSpin)
PLYM_SKIN_MESSAGE(WM_LBUTTONUP, OnLButtonUpSpin)
PLYM_SKIN_MESSAGE(WM_TIMER, OnTimerSpin)
END_MESSAGE_MAP()

CPlymSkinObjectSpin::CPlymSkinObjectSpin() {
    m_themeClassName = "SPIN";
}

int CPlymSkinObjectSpin::HalfAt(POINT point) const {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const bool horizontal = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & UDS_HORZ) != 0;
    return plym::SpinHalfAt(horizontal, FromRECT(client), plym::Point{point.x, point.y});
}

void CPlymSkinObjectSpin::PaintSpin(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    const auto style = static_cast<uint32_t>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    INT low = 0;
    INT high = 0;
    ::SendMessageW(m_hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    const auto buddy = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, UDM_GETBUDDY, 0, 0));
    const bool enabled = low != high && ::IsWindowEnabled(m_hWnd) && (!buddy || ::IsWindowEnabled(buddy));
    const bool buddyEdge = buddy && (::GetWindowLongPtrW(buddy, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    PlymFillSolidRect(bdc, client, GetSkinColor(buddyEdge ? COLOR_WINDOW : COLOR_BTNFACE));
    if (buddyEdge && (style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT))) {
        CPlymSkinManagerClass* edit = GetManager() ? GetManager()->GetThemeClass(this, "EDIT") : nullptr;
        const COLORREF border =
            edit ? edit->GetThemeColor(0, 0, plym::kPropBorderColor, CLR_INVALID) : CLR_INVALID;
        plymskin::DrawBorder(bdc, client, border);
        const int column = (style & UDS_ALIGNRIGHT) ? client.left : client.right - 1;
        PlymFillSolidRect(bdc, column, client.top + 1, 1, client.bottom - client.top - 2,
                          GetSkinColor(COLOR_WINDOW));
    }
    CPlymSkinManagerClass* theme = LookupThemeClass();
    if (!theme)
        return;
    const plym::Rect area = plym::SpinButtonArea(FromRECT(client), style, buddyEdge);
    plym::SpinPiece pieces[2];
    plym::PlanSpinPieces(area, (style & UDS_HORZ) != 0, &pieces[0], &pieces[1]);
    for (const plym::SpinPiece& piece : pieces) {
        const RECT rect = ToRECT(piece.rect);
        theme->DrawThemeBackground(bdc, piece.part,
                                   plym::SpinHalfState(piece.half, enabled, m_pressedPart, m_hotPart), &rect);
    }
}

BOOL CPlymSkinObjectSpin::OnPaintSpin(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintSpin(dc); });
}

BOOL CPlymSkinObjectSpin::OnMouseMoveSpin(WPARAM, LPARAM lParam, LRESULT* result) {
    const int half = HalfAt(PointOf(lParam));
    plymskin::SetMark(m_hWnd, &m_hotPart, half);
    TrackLeave(m_hWnd);
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectSpin::OnMouseLeaveSpin(WPARAM, LPARAM, LRESULT* result) {
    plymskin::SetMark(m_hWnd, &m_hotPart, plym::kSpinNone);
    *result = 0;
    return TRUE;
}

BOOL CPlymSkinObjectSpin::OnLButtonDownSpin(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_LBUTTONDOWN, wParam, lParam);
    m_pressedPart = HalfAt(PointOf(lParam));
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectSpin::OnLButtonUpSpin(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    m_pressedPart = plym::kSpinNone;
    *result = DefWindowProc(WM_LBUTTONUP, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectSpin::OnTimerSpin(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_TIMER, wParam, lParam);
    return TRUE;
}

// ==== Tab ===================================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectTab, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectTab, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintTab)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintTab)
PLYM_SKIN_MESSAGE(WM_ERASEBKGND, OnEraseTab)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveTab)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveTab)
END_MESSAGE_MAP()

CPlymSkinObjectTab::CPlymSkinObjectTab() {
    m_themeClassName = "TAB";
}

RECT CPlymSkinObjectTab::PaneRect() {
    RECT pane{};
    ::GetClientRect(m_hWnd, &pane);
    const auto count = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0)
        return pane;
    const bool bottom = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & TCS_BOTTOM) != 0;
    LONG rowEdge = bottom ? pane.bottom : pane.top;
    for (int i = 0; i < count; ++i) {
        RECT item{};
        if (!::SendMessageW(m_hWnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        rowEdge = bottom ? std::min(rowEdge, item.top) : std::max(rowEdge, item.bottom);
    }
    if (bottom)
        pane.bottom = rowEdge;
    else
        pane.top = rowEdge;
    return pane;
}

void CPlymSkinObjectTab::PaintTab(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    FillParentBackground(bdc, client, WM_CTLCOLORDLG);
    CPlymSkinManagerClass* theme = LookupThemeClass();
    if (!theme)
        return;
    const RECT pane = PaneRect();
    theme->DrawThemeBackground(bdc, 9, 0, &pane);

    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    const bool buttons = (style & TCS_BUTTONS) != 0;
    CPlymSkinManagerClass* buttonTheme =
        buttons && GetManager() ? GetManager()->GetThemeClass(this, "BUTTON") : nullptr;
    const auto count = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETITEMCOUNT, 0, 0));
    const auto selected = static_cast<int>(::SendMessageW(m_hWnd, TCM_GETCURSEL, 0, 0));
    const auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, TCM_GETIMAGELIST, 0, 0));
    CPlymFontDC font(bdc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    const int oldMode = ::SetBkMode(bdc, TRANSPARENT);
    const COLORREF oldText = ::SetTextColor(bdc, GetSkinColor(COLOR_BTNTEXT));
    const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;

    std::vector<int> order;
    for (int i = 0; i < count; ++i) {
        if (i != selected)
            order.push_back(i);
    }
    if (selected >= 0 && selected < count)
        order.push_back(selected);
    for (const int i : order) {
        RECT rect{};
        if (!::SendMessageW(m_hWnd, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect)))
            continue;
        const bool isSelected = i == selected;
        // Tab items: the first with its left edge, the selected one raised
        // (TOPTABITEM) over the pane's edge.
        int part = i == 0 ? 2 : 1;
        int state = !enabled ? 4 : isSelected ? 3 : i == m_hotTab ? 2 : 1;
        if (isSelected && !buttons) {
            part += 4;
            ::InflateRect(&rect, 2, 0);
            if (style & TCS_BOTTOM)
                rect.bottom += 2;
            else
                rect.top -= 2;
        }
        if (buttonTheme) {
            const RECT face = rect;
            buttonTheme->DrawThemeBackground(bdc, 1,
                                             isSelected      ? 3
                                             : i == m_hotTab ? 2
                                             : enabled       ? 1
                                                             : 4,
                                             &face);
        } else {
            theme->DrawThemeBackground(bdc, part, state, &rect);
        }
        wchar_t text[256] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT | TCIF_IMAGE;
        item.pszText = text;
        item.cchTextMax = static_cast<int>(std::size(text));
        ::SendMessageW(m_hWnd, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        text[std::size(text) - 1] = L'\0';
        RECT content = rect;
        ::InflateRect(&content, -4, 0);
        if (images && item.iImage >= 0) {
            int w = 0;
            int h = 0;
            ImageList_GetIconSize(images, &w, &h);
            ImageList_Draw(images, item.iImage, bdc, content.left,
                           content.top + (content.bottom - content.top - h) / 2, ILD_TRANSPARENT);
            content.left += w + 3;
        }
        const int length = static_cast<int>(wcslen(text));
        if (length > 0)
            theme->DrawThemeText(bdc, part, state, text, length,
                                 DT_SINGLELINE | DT_VCENTER | (images ? DT_LEFT : DT_CENTER) |
                                     (plymskin::AcceleratorsHidden(m_hWnd) ? DT_HIDEPREFIX : 0),
                                 &content);
        if (isSelected && plymskin::FocusShown(m_hWnd)) {
            RECT focus = rect;
            if (const CPlymSkinManagerMetrics* metrics = GetSkinMetrics())
                ::InflateRect(&focus, -metrics->EdgeWidth() / 2, -metrics->EdgeHeight() / 2);
            ::DrawFocusRect(bdc, &focus);
        }
    }
    ::SetTextColor(bdc, oldText);
    ::SetBkMode(bdc, oldMode);
}

BOOL CPlymSkinObjectTab::OnPaintTab(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintTab(dc); });
}

BOOL CPlymSkinObjectTab::OnEraseTab(WPARAM wParam, LPARAM, LRESULT* result) {
    const auto dc = reinterpret_cast<HDC>(wParam);
    if (CPlymSkinManagerClass* theme = LookupThemeClass(); theme && dc) {
        const RECT pane = PaneRect();
        CPlymBufferDC buffer(dc, pane);
        RECT local{0, 0, pane.right - pane.left, pane.bottom - pane.top};
        theme->DrawThemeBackground(buffer.GetSafeHdc(), 9, 0, &local);
    }
    *result = TRUE;
    return TRUE;
}

BOOL CPlymSkinObjectTab::OnMouseMoveTab(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSEMOVE, wParam, lParam);
    TCHITTESTINFO hit{};
    hit.pt = PointOf(lParam);
    const auto tab = static_cast<int>(::SendMessageW(m_hWnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    plymskin::SetMark(m_hWnd, &m_hotTab, tab);
    TrackLeave(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectTab::OnMouseLeaveTab(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSELEAVE, wParam, lParam);
    plymskin::SetMark(m_hWnd, &m_hotTab, -1);
    return TRUE;
}

// ==== TrackBar ==============================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectTrackBar, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectTrackBar, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintTrackBar)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintTrackBar)
WINLIB_ENTRY(WM_ERASEBKGND, 0, 0, 0, r = TRUE; return true;)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveTrackBar)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveTrackBar)
PLYM_SKIN_MESSAGE(WM_LBUTTONDOWN, OnButtonTrackBar)
PLYM_SKIN_MESSAGE(WM_LBUTTONUP, OnButtonTrackBar)
PLYM_SKIN_MESSAGE(TBM_SETTICFREQ, OnSetTicFreq)
END_MESSAGE_MAP()

CPlymSkinObjectTrackBar::CPlymSkinObjectTrackBar() {
    m_themeClassName = "TRACKBAR";
}

LRESULT CPlymSkinObjectTrackBar::NotifyParent(HDC dc, DWORD stage, DWORD_PTR item) {
    const HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return 0;
    NMCUSTOMDRAW draw{};
    draw.hdr.hwndFrom = m_hWnd;
    draw.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
    draw.hdr.code = NM_CUSTOMDRAW;
    draw.dwDrawStage = stage;
    draw.hdc = dc;
    draw.dwItemSpec = item;
    return ::SendMessageW(parent, WM_NOTIFY, draw.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
}

void CPlymSkinObjectTrackBar::PaintTrackBar(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    const LRESULT answer = NotifyParent(bdc, CDDS_PREPAINT, 0);
    FillParentBackground(bdc, client, WM_CTLCOLORSTATIC);
    if (plymskin::FocusShown(m_hWnd)) {
        ::SetBkColor(bdc, GetSkinColor(COLOR_BTNHIGHLIGHT));
        ::DrawFocusRect(bdc, &client);
    }
    const auto style = static_cast<uint32_t>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
    const bool vertical = (style & TBS_VERT) != 0;
    const auto turnBack = [vertical](const plym::Rect& r) {
        return ToRECT(vertical ? plym::TurnRect(r) : r);
    };
    const plym::Rect turned = vertical ? plym::TurnRect(FromRECT(client)) : FromRECT(client);
    const int fixed =
        (style & TBS_FIXEDLENGTH) ? static_cast<int>(::SendMessageW(m_hWnd, TBM_GETTHUMBLENGTH, 0, 0)) : 0;
    const plym::TrackBarMetrics metrics{::GetSystemMetrics(SM_CYHSCROLL), ::GetSystemMetrics(SM_CXEDGE),
                                        ::GetSystemMetrics(SM_CYEDGE)};
    m_layout = plym::LayOutTrackBar(style, turned, fixed, metrics);
    CPlymSkinManagerClass* theme = LookupThemeClass();
    const bool items = (answer & CDRF_NOTIFYITEMDRAW) != 0;
    const auto framed = [&](DWORD_PTR item, auto draw) {
        if (items)
            NotifyParent(bdc, CDDS_ITEMPREPAINT, item);
        draw();
        if (items)
            NotifyParent(bdc, CDDS_ITEMPOSTPAINT, item);
    };

    framed(TBCD_TICS, [&] {
        plym::TrackBarTickFacts facts;
        facts.minimum = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMIN, 0, 0));
        facts.maximum = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETRANGEMAX, 0, 0));
        facts.frequency = m_tickFrequency;
        // The tick count the control reports includes both ends.
        const auto count = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETNUMTICS, 0, 0)) - 2;
        const auto* ticks = reinterpret_cast<const DWORD*>(::SendMessageW(m_hWnd, TBM_GETPTICS, 0, 0));
        for (int i = 0; ticks && i < count; ++i)
            facts.tickValues.push_back(static_cast<int>(ticks[i]));
        facts.selectionStart = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETSELSTART, 0, 0));
        facts.selectionEnd = static_cast<int>(::SendMessageW(m_hWnd, TBM_GETSELEND, 0, 0));
        const COLORREF tick = theme ? theme->GetThemeColor(plym::TrackBarTicsPart(style), 1, kPropColor,
                                                           GetSkinColor(COLOR_BTNTEXT))
                                    : GetSkinColor(COLOR_BTNTEXT);
        for (const plym::TickLine& line : plym::PlanTrackBarTicks(m_layout, facts)) {
            const RECT r = turnBack({line.along, line.acrossFrom, line.along + 1, line.acrossTo});
            PlymFillSolidRect(bdc, r, line.selectionMark ? GetSkinColor(COLOR_BTNTEXT) : tick);
        }
    });
    framed(TBCD_CHANNEL, [&] {
        RECT channel{};
        ::SendMessageW(m_hWnd, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
        if (vertical)
            channel = ToRECT(plym::TurnRect(FromRECT(channel)));
        if (theme)
            theme->DrawThemeBackground(bdc, plym::TrackBarChannelPart(style), 1, &channel);
    });
    framed(TBCD_THUMB, [&] {
        if (style & TBS_NOTHUMB)
            return;
        RECT thumb{};
        ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        const int state =
            plym::TrackBarThumbState(::IsWindowEnabled(m_hWnd) != FALSE, ::GetCapture() == m_hWnd,
                                     plymskin::FocusShown(m_hWnd), m_hotThumb != FALSE);
        if (theme)
            theme->DrawThemeBackground(bdc, plym::TrackBarThumbPart(style), state, &thumb);
    });
    if (answer & CDRF_NOTIFYPOSTPAINT)
        NotifyParent(bdc, CDDS_POSTPAINT, 0);
}

BOOL CPlymSkinObjectTrackBar::OnPaintTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintTrackBar(dc); });
}

BOOL CPlymSkinObjectTrackBar::OnMouseMoveTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSEMOVE, wParam, lParam);
    RECT thumb{};
    ::SendMessageW(m_hWnd, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const BOOL hot = ::PtInRect(&thumb, PointOf(lParam));
    plymskin::SetMark(m_hWnd, &m_hotThumb, hot);
    TrackLeave(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectTrackBar::OnMouseLeaveTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSELEAVE, wParam, lParam);
    plymskin::SetMark(m_hWnd, &m_hotThumb, FALSE);
    return TRUE;
}

BOOL CPlymSkinObjectTrackBar::OnButtonTrackBar(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefaultOf(this, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectTrackBar::OnSetTicFreq(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    m_tickFrequency = static_cast<int>(wParam);
    *result = DefWindowProc(TBM_SETTICFREQ, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

// ==== Progress ==============================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectProgress, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectProgress, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateProgress)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintProgress)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintProgress)
WINLIB_ENTRY(WM_ERASEBKGND, 0, 0, 0, r = TRUE; return true;)
PLYM_SKIN_MESSAGE(PBM_SETPOS, OnSetPos)
PLYM_SKIN_MESSAGE(PBM_STEPIT, OnStepIt)
PLYM_SKIN_MESSAGE(PBM_SETMARQUEE, OnSetMarquee)
PLYM_SKIN_MESSAGE(WM_TIMER, OnTimerProgress)
END_MESSAGE_MAP()

CPlymSkinObjectProgress::CPlymSkinObjectProgress() {
    m_themeClassName = "PROGRESS";
}

namespace {

// The static edge goes while the skin draws the bar (or the system's visual
// style does), and comes back otherwise.
void SetStaticEdge(HWND window, bool on) {
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    const LONG_PTR wanted =
        on ? exStyle | WS_EX_STATICEDGE : exStyle & ~static_cast<LONG_PTR>(WS_EX_STATICEDGE);
    if (wanted == exStyle)
        return;
    ::SetWindowLongPtrW(window, GWL_EXSTYLE, wanted);
    ::SetWindowPos(window, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

BOOL CPlymSkinObjectProgress::OnCreateProgress(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result != -1 && GetManager() && GetManager()->IsEnabled())
        SetStaticEdge(m_hWnd, false);
    return TRUE;
}

void CPlymSkinObjectProgress::ApplySkinChange(BOOL previous, BOOL now) {
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        using IsThemeActiveFn = BOOL(WINAPI*)();
        BOOL systemStyle = FALSE;
        if (const HMODULE uxtheme = ::GetModuleHandleW(L"uxtheme.dll")) {
            const auto isActive = reinterpret_cast<IsThemeActiveFn>(
                reinterpret_cast<void (*)()>(::GetProcAddress(uxtheme, "IsThemeActive")));
            systemStyle = isActive && !now ? isActive() : FALSE;
        }
        SetStaticEdge(m_hWnd, !(now || systemStyle));
    }
    CPlymSkinObjectFrame::ApplySkinChange(previous, now);
}

plym::ProgressFacts CPlymSkinObjectProgress::ReadFacts(const RECT& client) {
    plym::ProgressFacts facts;
    const LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    facts.vertical = (style & PBS_VERTICAL) != 0;
    plym::Rect margins;
    if (CPlymSkinManagerClass* theme = LookupThemeClass()) {
        margins = plym::ClampSkinMargins(
            theme->GetThemeRect(facts.vertical ? 2 : 1, 0, plym::kPropContentMargins, plym::Rect{}));
        facts.chunkSize = theme->GetThemeInt(0, 0, kPropProgressChunkSize, -1);
        facts.gapSize = theme->GetThemeInt(0, 0, kPropProgressSpaceSize, -1);
    }
    facts.fill = {client.left + margins.left, client.top + margins.top, client.right - margins.right,
                  client.bottom - margins.bottom};
    PBRANGE range{};
    ::SendMessageW(m_hWnd, PBM_GETRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    facts.low = range.iLow;
    facts.high = range.iHigh;
    facts.position = static_cast<int>(::SendMessageW(m_hWnd, PBM_GETPOS, 0, 0));
    return facts;
}

void CPlymSkinObjectProgress::PaintProgress(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    PlymFillSolidRect(bdc, client, GetSkinColor(COLOR_BTNFACE));
    CPlymSkinManagerClass* theme = LookupThemeClass();
    if (!theme)
        return;
    const plym::ProgressFacts facts = ReadFacts(client);
    theme->DrawThemeBackground(bdc, facts.vertical ? 2 : 1, 0, &client);
    const bool marquee = (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & PBS_MARQUEE) != 0;
    const std::vector<plym::Rect> chunks =
        marquee ? plym::PlanProgressMarquee(facts, m_marqueePos) : plym::PlanProgressChunks(facts);
    for (const plym::Rect& chunk : chunks) {
        const RECT rect = ToRECT(chunk);
        theme->DrawThemeBackground(bdc, facts.vertical ? 4 : 3, 0, &rect);
    }
}

void CPlymSkinObjectProgress::StepMarquee(int steps) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    const plym::ProgressFacts facts = ReadFacts(client);
    for (int i = 0; i < steps; ++i)
        m_marqueePos = plym::NextMarqueePosition(facts, m_marqueePos);
    plymskin::InvalidateNoErase(m_hWnd);
}

BOOL CPlymSkinObjectProgress::OnPaintProgress(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintProgress(dc); });
}

BOOL CPlymSkinObjectProgress::OnSetPos(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(PBM_SETPOS, wParam, lParam);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectProgress::OnStepIt(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(PBM_STEPIT, wParam, lParam);
    if (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & PBS_MARQUEE)
        StepMarquee(1);
    plymskin::InvalidateNoErase(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectProgress::OnSetMarquee(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    m_marqueePos = 0;
    ::KillTimer(m_hWnd, kMarqueeTimer);
    if (wParam && lParam >= 1) {
        m_marqueeInterval = static_cast<int>(std::min<LPARAM>(lParam, 0x7FFFFFFF));
        ::SetTimer(m_hWnd, kMarqueeTimer, static_cast<UINT>(m_marqueeInterval), nullptr);
    }
    plymskin::InvalidateNoErase(m_hWnd);
    *result = TRUE;
    return TRUE;
}

BOOL CPlymSkinObjectProgress::OnTimerProgress(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (wParam != kMarqueeTimer) {
        *result = DefWindowProc(WM_TIMER, wParam, lParam);
        return TRUE;
    }
    StepMarquee(plym::MarqueeStepsPerTick(m_marqueeInterval));
    *result = 0;
    return TRUE;
}

// ==== Header ================================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectHeader, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectHeader, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_PAINT, OnPaintHeader)
PLYM_SKIN_MESSAGE(WM_PRINTCLIENT, OnPaintHeader)
PLYM_SKIN_MESSAGE(WM_LBUTTONDOWN, OnLButtonDownHeader)
PLYM_SKIN_MESSAGE(WM_LBUTTONUP, OnLButtonUpHeader)
PLYM_SKIN_MESSAGE(WM_MOUSEMOVE, OnMouseMoveHeader)
PLYM_SKIN_MESSAGE(WM_MOUSELEAVE, OnMouseLeaveHeader)
END_MESSAGE_MAP()

CPlymSkinObjectHeader::CPlymSkinObjectHeader() {
    m_themeClassName = "HEADER";
}

int CPlymSkinObjectHeader::ItemAt(POINT point, UINT* flags) {
    HDHITTESTINFO hit{};
    hit.pt = point;
    const auto item =
        static_cast<int>(::SendMessageW(m_hWnd, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    *flags = hit.flags;
    return (hit.flags & HHT_ONHEADER) ? item : -1;
}

void CPlymSkinObjectHeader::PaintHeader(HDC dc) {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    CPlymBufferDC buffer(dc, client);
    const HDC bdc = buffer.GetSafeHdc();
    PlymFillSolidRect(bdc, client, GetSkinColor(COLOR_BTNFACE));
    CPlymSkinManagerClass* theme = LookupThemeClass();
    if (!theme)
        return;
    CPlymFontDC font(bdc, reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
    const auto count = static_cast<int>(::SendMessageW(m_hWnd, HDM_GETITEMCOUNT, 0, 0));
    LONG right = client.left;
    for (int order = 0; order < count; ++order) {
        const auto index =
            static_cast<int>(::SendMessageW(m_hWnd, HDM_ORDERTOINDEX, static_cast<WPARAM>(order), 0));
        RECT rect{};
        if (!::SendMessageW(m_hWnd, HDM_GETITEMRECT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(&rect)))
            continue;
        const int state = plym::HeaderItemState(index == m_hotItem, m_pressed != FALSE);
        theme->DrawThemeBackground(bdc, 1, state, &rect);
        DrawHeaderItem(bdc, index, rect, state);
        right = std::max(right, rect.right);
    }
    if (right < client.right) {
        const RECT filler{right, client.top, client.right, client.bottom};
        theme->DrawThemeBackground(bdc, 0, 0, &filler);
    }
}

void CPlymSkinObjectHeader::DrawHeaderItem(HDC dc, int index, const RECT& rect, int state) {
    wchar_t text[260] = {};
    HDITEMW item{};
    item.mask = HDI_FORMAT | HDI_TEXT | HDI_IMAGE | HDI_LPARAM;
    item.pszText = text;
    item.cchTextMax = static_cast<int>(std::size(text));
    ::SendMessageW(m_hWnd, HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text[std::size(text) - 1] = L'\0';
    const bool pressed = state == 3;
    if (item.fmt & HDF_OWNERDRAW) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_HEADER;
        draw.CtlID = static_cast<UINT>(::GetDlgCtrlID(m_hWnd));
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = pressed ? ODS_SELECTED : 0;
        draw.hwndItem = m_hWnd;
        draw.hDC = dc;
        draw.rcItem = rect;
        draw.itemData = static_cast<ULONG_PTR>(item.lParam);
        ::SendMessageW(::GetParent(m_hWnd), WM_DRAWITEM, draw.CtlID, reinterpret_cast<LPARAM>(&draw));
        return;
    }
    CPlymSkinManagerClass* theme = LookupThemeClass();
    const auto margin = static_cast<int>(::SendMessageW(m_hWnd, HDM_GETBITMAPMARGIN, 0, 0));
    RECT content = rect;
    ::InflateRect(&content, -std::max(margin, 3), 0);
    if (pressed)
        ::OffsetRect(&content, 1, 1);
    if (item.fmt & HDF_IMAGE) {
        if (const auto images =
                reinterpret_cast<HIMAGELIST>(::SendMessageW(m_hWnd, HDM_GETIMAGELIST, 0, 0))) {
            int w = 0;
            int h = 0;
            ImageList_GetIconSize(images, &w, &h);
            ImageList_Draw(images, item.iImage, dc, content.left,
                           content.top + (content.bottom - content.top - h) / 2, ILD_TRANSPARENT);
            content.left += w + margin;
        }
    }
    if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
        const int cx = content.right - 6;
        const int cy = (content.top + content.bottom) / 2;
        const COLORREF arrow = GetSkinColor(COLOR_BTNSHADOW);
        if (item.fmt & HDF_SORTUP)
            PlymDrawTriangle(dc, POINT{cx - 4, cy + 2}, POINT{cx + 5, cy + 2}, POINT{cx, cy - 3}, arrow);
        else
            PlymDrawTriangle(dc, POINT{cx - 4, cy - 2}, POINT{cx + 5, cy - 2}, POINT{cx, cy + 3}, arrow);
        content.right -= 14;
    }
    const int length = static_cast<int>(wcslen(text));
    if (theme && length > 0) {
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
        switch (item.fmt & HDF_JUSTIFYMASK) {
            case HDF_CENTER:
                format |= DT_CENTER;
                break;
            case HDF_RIGHT:
                format |= DT_RIGHT;
                break;
            default:
                format |= DT_LEFT;
                break;
        }
        const int oldMode = ::SetBkMode(dc, TRANSPARENT);
        const COLORREF oldText = ::SetTextColor(dc, GetSkinColor(COLOR_BTNTEXT));
        theme->DrawThemeText(dc, 1, state, text, length, format, &content);
        ::SetTextColor(dc, oldText);
        ::SetBkMode(dc, oldMode);
    }
}

BOOL CPlymSkinObjectHeader::OnPaintHeader(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    return plymskin::PaintMessage(this, wParam, lParam, result, [this](HDC dc) { PaintHeader(dc); });
}

BOOL CPlymSkinObjectHeader::OnLButtonDownHeader(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    UINT flags = 0;
    if (ItemAt(PointOf(lParam), &flags) >= 0) {
        m_pressed = TRUE;
        plymskin::InvalidateNoErase(m_hWnd);
    }
    *result = DefWindowProc(WM_LBUTTONDOWN, wParam, lParam);
    return TRUE;
}

BOOL CPlymSkinObjectHeader::OnLButtonUpHeader(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    m_pressed = FALSE;
    plymskin::InvalidateNoErase(m_hWnd);
    *result = DefWindowProc(WM_LBUTTONUP, wParam, lParam);
    return TRUE;
}

BOOL CPlymSkinObjectHeader::OnMouseMoveHeader(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSEMOVE, wParam, lParam);
    UINT flags = 0;
    const int item = ItemAt(PointOf(lParam), &flags);
    plymskin::SetMark(m_hWnd, &m_hotItem, item);
    TrackLeave(m_hWnd);
    return TRUE;
}

BOOL CPlymSkinObjectHeader::OnMouseLeaveHeader(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    *result = DefWindowProc(WM_MOUSELEAVE, wParam, lParam);
    plymskin::SetMark(m_hWnd, &m_hotItem, -1);
    return TRUE;
}

// ==== StatusBar, MonthCal ===================================================================

IMPLEMENT_DYNCREATE(CPlymSkinObjectStatusBar, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectStatusBar, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateStatus)
END_MESSAGE_MAP()

CPlymSkinObjectStatusBar::CPlymSkinObjectStatusBar() {
    m_themeClassName = "STATUSBAR";
}

BOOL CPlymSkinObjectStatusBar::OnCreateStatus(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result != -1)
        ::SendMessageW(m_hWnd, WM_SETTINGCHANGE, 0, 0);
    return TRUE;
}

void CPlymSkinObjectStatusBar::ReloadSkinMetrics() {
    CPlymSkinObjectFrame::ReloadSkinMetrics();
    if (m_hWnd && ::IsWindow(m_hWnd))
        ::PostMessageW(m_hWnd, WM_SETTINGCHANGE, 0, 0);
}

IMPLEMENT_DYNCREATE(CPlymSkinObjectMonthCal, CPlymSkinObjectFrame)

BEGIN_MESSAGE_MAP(CPlymSkinObjectMonthCal, CPlymSkinObjectFrame)
PLYM_SKIN_MESSAGE(WM_CREATE, OnCreateMonthCal)
END_MESSAGE_MAP()

BOOL CPlymSkinObjectMonthCal::OnCreateMonthCal(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    OnCreateMsg(wParam, lParam, result);  // the default, then the frame fitted to the skin
    if (*result != -1 && GetManager() && GetManager()->IsEnabled())
        PlymSetCalendarColors(this, MCM_SETCOLOR);
    return TRUE;
}

void CPlymSkinObjectMonthCal::ReloadSkinMetrics() {
    CPlymSkinObjectFrame::ReloadSkinMetrics();
    PlymSetCalendarColors(this, MCM_SETCOLOR);
}
