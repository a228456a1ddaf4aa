// controls/skin_list_ctrl.cpp
#include "controls/skin_list_ctrl.h"

#include <algorithm>
#include <vector>

#include "controls/control_bitmaps.h"
#include "controls/draw_helpers.h"
#include "controls/mem_dc.h"

namespace {

constexpr COLORREF kHeaderBack = 0x76554C;
constexpr COLORREF kVerticalBack = 0x6B524A;
constexpr COLORREF kHorizontalBack = 0x76554C;
constexpr COLORREF kHeaderText = 0xFFFFFF;
constexpr COLORREF kUnpainted = 0xFF0000;  // never seen: stripes and custom draw cover it
// The 2-pixel separator before every header item but the first: a dark and a
// light column in the header's colours.
constexpr COLORREF kSeparatorDark = 0x3F2D28;
constexpr COLORREF kSeparatorLight = 0x9A7E74;
constexpr DWORD kBarStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | SS_NOTIFY;

}  // namespace

// ---- header ----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSkinHeaderCtrl, CWnd)
ON_WM_PAINT()
END_MESSAGE_MAP()

CSkinHeaderCtrl::~CSkinHeaderCtrl() {
    for (HBITMAP bitmap : {m_right, m_back, m_left})
        if (bitmap)
            ::DeleteObject(bitmap);
}

void CSkinHeaderCtrl::LoadPictures() {
    if (m_loaded)
        return;
    m_loaded = true;
    m_right = controls::LoadResourceBitmap(IDB_SKIN_HEADER_RIGHT);
    m_back = controls::LoadResourceBitmap(IDB_SKIN_HEADER_BACK);
    m_left = controls::LoadResourceBitmap(IDB_SKIN_HEADER_LEFT);
}

void CSkinHeaderCtrl::OnPaint() {
    LoadPictures();
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CMemDC dc(&paint, &client);
    dc.FillSolidRect(&client, kHeaderBack);
    controls::StretchBitmap(dc, m_back, client.left + 2, 0, client.Width(), 21, 0, 0, 1, 21);

    LOGFONTA face{};
    face.lfHeight = 15;
    face.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(face.lfFaceName, "Arial", LF_FACESIZE);
    CFont font;
    font.CreateFontIndirect(&face);
    const CGdiSelection selected(dc, font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kHeaderText);

    const int count = static_cast<int>(SendMessage(HDM_GETITEMCOUNT));
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        HDITEMA item{};
        item.mask = HDI_TEXT | HDI_ORDER;
        item.pszText = text;
        item.cchTextMax = sizeof text - 1;
        if (!SendMessage(HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        CRect r;
        if (!SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r)))
            continue;
        if (item.iOrder == 0) {
            controls::StretchBitmap(dc, m_left, r.left, r.top, 2, 21, 0, 0, 2, 21);
        } else {
            dc.FillSolidRect(r.left - 1, r.top, 1, 21, kSeparatorDark);
            dc.FillSolidRect(r.left, r.top, 1, 21, kSeparatorLight);
            controls::StretchBitmap(dc, m_back, r.left + 1, r.top, 1, 21, 0, 0, 1, 21);
        }
        controls::StretchBitmap(dc, m_back, r.left + 2, 0, r.Width() - 4, 1, 0, 0, 1, 21);
        controls::StretchBitmap(dc, m_right, r.right - 2, 0, 2, 21, 0, 0, 2, 21);
        CRect caption(r.left + 2, r.top, r.right - 2, r.bottom - 2);
        dc.DrawText(text, -1, &caption, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    }
}

// ---- scroll bars -------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSkinScrollbar, CStatic)
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_TIMER()
ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CSkinScrollbar::CSkinScrollbar(controls::BarOrientation orientation) : m_model(orientation) {}

CSkinScrollbar::~CSkinScrollbar() {
    for (HBITMAP bitmap : m_pictures)
        if (bitmap)
            ::DeleteObject(bitmap);
}

HBITMAP CSkinScrollbar::Picture(int slot, UINT id) {
    if (!m_loaded[slot]) {
        m_loaded[slot] = true;
        m_pictures[slot] = controls::LoadResourceBitmap(id);
    }
    return m_pictures[slot];
}

void CSkinScrollbar::ReadList(int* limit, int* pos) const {
    *limit = 0;
    *pos = 0;
    if (!m_list || !m_list->IsWindow())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!::FlatSB_GetScrollInfo(m_list->GetSafeHwnd(), Bar(), &info))
        return;
    // The largest position the list can scroll to.
    const int page = info.nPage > 0 ? static_cast<int>(info.nPage) - 1 : 0;
    *limit = std::max(info.nMax - page - info.nMin, 0);
    *pos = info.nPos - info.nMin;
}

void CSkinScrollbar::UpdateThumb() {
    if (!IsWindow())
        return;
    int limit = 0, pos = 0;
    ReadList(&limit, &pos);
    CRect client;
    GetClientRect(&client);
    m_model.SetLength(m_model.vertical() ? client.Height() : client.Width());
    m_model.Update(limit, pos);
    Invalidate(FALSE);
}

void CSkinScrollbar::Carry(const controls::BarStep& step) {
    using controls::ScrollBarModel;
    if (step.capture)
        SetCapture();
    if (step.stopTimers) {
        KillTimer(ScrollBarModel::kRepeatTimer);
        KillTimer(ScrollBarModel::kDelayTimer);
    }
    if (step.release && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (step.startDelay)
        SetTimer(ScrollBarModel::kDelayTimer, ScrollBarModel::kDelayMs);
    if (step.startRepeat) {
        KillTimer(ScrollBarModel::kDelayTimer);
        SetTimer(ScrollBarModel::kRepeatTimer, ScrollBarModel::kRepeatMs);
    }
    const bool canScroll = m_list && m_list->IsWindow();
    const UINT scroll = m_model.vertical() ? WM_VSCROLL : WM_HSCROLL;
    if (canScroll && step.lines)
        m_list->SendMessage(scroll, MAKEWPARAM(step.lines > 0 ? SB_LINEDOWN : SB_LINEUP, 0), 0);
    if (canScroll && step.pages)
        m_list->SendMessage(scroll, MAKEWPARAM(step.pages > 0 ? SB_PAGEDOWN : SB_PAGEUP, 0), 0);
    if (canScroll && step.dragUnits) {
        if (m_model.vertical())
            m_list->SendMessage(LVM_SCROLL, 0, static_cast<LPARAM>(m_list->RowHeight()) * step.dragUnits);
        else
            m_list->SendMessage(LVM_SCROLL, static_cast<WPARAM>(step.dragUnits), 0);
    }
    if (step.updateThumb)
        UpdateThumb();
    if (step.repaint)
        Invalidate(FALSE);
}

void CSkinScrollbar::OnPaint() {
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CMemDC dc(&paint, &client);
    DrawBar(&dc, client);
}

void CSkinScrollbar::OnLButtonDown(UINT, CPoint point) {
    Carry(m_model.ButtonDown(point.x, point.y));
}

void CSkinScrollbar::OnMouseMove(UINT, CPoint point) {
    if (!m_model.thumbHeld())
        return;
    int limit = 0, pos = 0;
    ReadList(&limit, &pos);
    Carry(m_model.MouseMove(point.x, point.y, limit, pos));
}

void CSkinScrollbar::OnLButtonUp(UINT, CPoint point) {
    UpdateThumb();
    Carry(m_model.ButtonUp(point.x, point.y));
}

void CSkinScrollbar::OnTimer(UINT_PTR id) {
    Carry(m_model.Timer(static_cast<int>(id)));
}

void CSkinScrollbar::OnCaptureChanged(CWnd* gainer) {
    if (!gainer || gainer->GetSafeHwnd() != m_hWnd)
        Carry(m_model.CaptureLost());
}

void CSkinVerticleScrollbar::DrawBar(CDC* dc, const CRect& client) {
    const int h = client.Height();
    dc->FillSolidRect(&client, kVerticalBack);
    controls::DrawBitmap(*dc, Picture(0, IDB_VSCROLL_TOP), 0, 0);
    controls::DrawBitmap(*dc, Picture(1, IDB_VSCROLL_UP), 0, 11);
    controls::StretchBitmap(*dc, Picture(2, IDB_VSCROLL_CHANNEL), 0, 37, 12, h - 37, 0, 0, 12, 1);
    controls::DrawBitmap(*dc, Picture(3, IDB_VSCROLL_DOWN), 0, h - 37);
    controls::DrawBitmap(*dc, Picture(4, IDB_VSCROLL_BOTTOM), 1, h - 11);
    if (m_model.thumbVisible())
        controls::DrawBitmap(*dc, Picture(5, IDB_VSCROLL_THUMB), 0, m_model.thumb());
}

void CSkinHorizontalScrollbar::DrawBar(CDC* dc, const CRect& client) {
    const int w = client.Width();
    dc->FillSolidRect(&client, kHorizontalBack);
    controls::DrawBitmap(*dc, Picture(0, IDB_HSCROLL_LEFT), 0, 0);
    controls::StretchBitmap(*dc, Picture(1, IDB_HSCROLL_CHANNEL), 26, 0, w - 26, 12, 0, 0, 1, 12);
    controls::DrawBitmap(*dc, Picture(2, IDB_HSCROLL_RIGHT), w - 26, 0);
    if (m_model.thumbVisible())
        controls::DrawBitmap(*dc, Picture(5, IDB_HSCROLL_THUMB), m_model.thumb(), 0);
}

// ---- the list ----------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CSkinListCtrl, CListCtrl)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SHOWWINDOW()
ON_WM_MOUSEWHEEL()
ON_WM_KEYDOWN()
ON_WM_KEYUP()
ON_MESSAGE(WM_NCCALCSIZE, &CSkinListCtrl::OnNcCalcSize)
ON_WM_DESTROY()
ON_NOTIFY_REFLECT(NM_CUSTOMDRAW, &CSkinListCtrl::OnCustomDraw)
END_MESSAGE_MAP()

CSkinListCtrl::CSkinListCtrl() = default;

void CSkinListCtrl::PreSubclassWindow() {
    HWND header = GetHeaderCtrl();
    if (header)
        m_header.SubclassWindow(header);
    CListCtrl::PreSubclassWindow();
    CreateScrollBars();
}

void CSkinListCtrl::CreateScrollBars() {
    ::InitializeFlatSB(m_hWnd);
    ::FlatSB_EnableScrollBar(m_hWnd, SB_BOTH, ESB_DISABLE_BOTH);
    CWnd* parent = GetParent();
    const CRect none(0, 0, 0, 0);
    m_vertical.Create("", kBarStyle, none, parent);
    m_horizontal.Create("", kBarStyle, none, parent);
    m_vertical.SetOwnerList(this);
    m_horizontal.SetOwnerList(this);
    PlaceScrollBars();
}

void CSkinListCtrl::PlaceScrollBars() {
    CWnd* parent = GetParent();
    if (!parent || !m_vertical.IsWindow() || !m_horizontal.IsWindow())
        return;
    CRect r;
    GetWindowRect(&r);
    parent->ScreenToClient(&r);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    m_vertical.SetWindowPos(nullptr, r.right, r.top, controls::ScrollBarModel::kThickness, r.Height() + 12,
                            flags);
    m_horizontal.SetWindowPos(nullptr, r.left, r.bottom, r.Width() + 1, controls::ScrollBarModel::kThickness,
                              flags);
    m_horizontal.UpdateThumb();
    m_vertical.UpdateThumb();
}

int CSkinListCtrl::RowHeight() const {
    CRect item;
    if (GetItemCount() > 0 && GetItemRect(0, &item, LVIR_BOUNDS) && item.Height() > 0)
        return item.Height();
    // An empty list has no item to ask: a row of its font.
    const CClientDC dc(this);
    const CGdiSelection font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    TEXTMETRICA metrics{};
    dc.GetTextMetrics(&metrics);
    return std::max(static_cast<int>(metrics.tmHeight) + 1, 1);
}

void CSkinListCtrl::UpdateThumbs() {
    m_vertical.UpdateThumb();
    m_horizontal.UpdateThumb();
}

void CSkinListCtrl::OnSize(UINT, int, int) {
    PlaceScrollBars();
    Default();
}

void CSkinListCtrl::OnShowWindow(BOOL show, UINT) {
    if (m_vertical.IsWindow())
        m_vertical.ShowWindow(show ? SW_SHOW : SW_HIDE);
    if (m_horizontal.IsWindow())
        m_horizontal.ShowWindow(show ? SW_SHOW : SW_HIDE);
    Default();
}

BOOL CSkinListCtrl::OnMouseWheel(UINT, short, CPoint) {
    UpdateThumbs();
    return static_cast<BOOL>(Default());
}

void CSkinListCtrl::OnKeyDown(UINT, UINT, UINT) {
    UpdateThumbs();
    Default();
}

void CSkinListCtrl::OnKeyUp(UINT, UINT, UINT) {
    UpdateThumbs();
    Default();
}

// The frame's calculation wants its default result: the entry is a plain
// ON_MESSAGE, whose handler hands it back.
LRESULT CSkinListCtrl::OnNcCalcSize(WPARAM, LPARAM) {
    UpdateWindow();
    return Default();
}

void CSkinListCtrl::OnDestroy() {
    // The bars live in the parent but belong to the list.
    if (m_vertical.IsWindow())
        m_vertical.DestroyWindow();
    if (m_horizontal.IsWindow())
        m_horizontal.DestroyWindow();
    Default();
}

BOOL CSkinListCtrl::OnEraseBkgnd(CDC*) {
    UpdateThumbs();
    return FALSE;
}

void CSkinListCtrl::OnPaint() {
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    CRect header(0, 0, 0, 0);
    if (m_header.IsWindow() && m_header.IsWindowVisible()) {
        m_header.GetWindowRect(&header);
        ScreenToClient(&header);
        // The header paints itself: keep the copy back off it too.
        paint.ExcludeClipRect(header.left, header.top, header.right, header.bottom);
    }
    {
        CMemDC dc(&paint, &client);
        dc.ExcludeClipRect(header.left, header.top, header.right, header.bottom);
        CRect clip;
        dc.GetClipBox(&clip);
        dc.FillSolidRect(&clip, kUnpainted);

        const int count = GetItemCount();
        const int rows = std::max(GetCountPerPage(), count);
        controls::StripeLayout layout;
        layout.itemCount = count;
        layout.countPerPage = GetCountPerPage();
        layout.rowHeight = RowHeight();
        layout.firstTop = header.bottom;
        layout.evenColor = m_evenColor;
        layout.oddColor = m_oddColor;
        const int known = std::min(count, rows + 2);
        for (int i = 0; i < known; ++i) {
            CRect item;
            if (!GetItemRect(i, &item, LVIR_BOUNDS))
                break;
            layout.itemTops.push_back(item.top);
        }
        dc.FillSolidRect(&client, m_oddColor);
        for (const controls::StripeBand& band : controls::ListStripes(layout))
            if (band.bottom > client.top && band.top < client.bottom)
                dc.FillSolidRect(client.left, band.top, client.Width(), band.bottom - band.top, band.color);

        if (static_cast<COLORREF>(SendMessage(LVM_GETTEXTBKCOLOR)) != kUnpainted)
            SetTextBkColor(kUnpainted);
        UpdateThumbs();
        CListCtrl::DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    }
}

void CSkinListCtrl::OnCustomDraw(NMHDR* header, LRESULT* result) {
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    switch (draw->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            *result = CDRF_NOTIFYITEMDRAW;
            break;
        case CDDS_ITEMPREPAINT:
            draw->clrText = 0;
            *result = CDRF_NOTIFYSUBITEMDRAW;
            break;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
            draw->clrTextBk = draw->nmcd.dwItemSpec % 2 == 0 ? m_evenColor : m_oddColor;
            *result = CDRF_DODEFAULT;
            break;
        default:
            *result = CDRF_DODEFAULT;
            break;
    }
}
