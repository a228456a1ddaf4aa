// controls/month_calendar_wnd.cpp
#include "controls/month_calendar_wnd.h"

#include <commctrl.h>

#include <cstdio>

#include "controls/draw_gradient.h"
#include "controls/draw_helpers.h"
#include "controls/mem_dc.h"
#include "controls/month_calendar_ids.h"

namespace {

using controls::CalendarResponse;
using controls::CalendarTime;
using controls::DayLook;
using controls::PixelRect;

constexpr COLORREF kBandTop = RGB(0x54, 0x54, 0x54);
constexpr COLORREF kBandBottom = RGB(0, 0, 0);
constexpr COLORREF kWeekdayBand = 0x2E2E2E;
constexpr COLORREF kWeekdayText = 0xC28F50;
constexpr COLORREF kImageKey = RGB(255, 0, 255);
constexpr int kImageCount = 10;
constexpr int kHoveredImage = 5;  // images 5-9: the hovered faces
constexpr int kTitleFontHeight = -12;
constexpr int kNameFontHeight = -10;
constexpr int kDayFontHeight = -10;
constexpr int kTodayFontHeight = -12;
constexpr int kTooltipDelayMs = 500;
// Tools 1 to 4 sit on the buttons other than "Today".
constexpr int kTipCount = 4;
constexpr int kTipButtons[kTipCount] = {0, 1, 3, 4};
constexpr UINT kDayTextFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;

CRect ToRect(const PixelRect& r) {
    return CRect(r.x, r.y, r.right(), r.bottom());
}

void SunkenFrame(CDC& dc, const CRect& r, COLORREF dark, COLORREF light) {
    dc.Draw3dRect(&r, dark, light);
}

void RaisedFrame(CDC& dc, const CRect& r, COLORREF light, COLORREF dark) {
    dc.Draw3dRect(&r, light, dark);
}

void Line(CDC& dc, int x0, int y0, int x1, int y1) {
    dc.MoveTo(x0, y0);
    dc.LineTo(x1, y1);
}

bool KeyDown(int key) {
    return (::GetKeyState(key) & 0x8000) != 0;
}

}  // namespace

// ---- the calendar ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCalendarWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_KEYDOWN()
ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

CCalendarWnd::CCalendarWnd() : m_model(Today()) {
    m_colours.background = ::GetSysColor(COLOR_WINDOW);
    m_colours.lightEdge = ::GetSysColor(COLOR_BTNHIGHLIGHT);
    m_colours.darkEdge = ::GetSysColor(COLOR_3DDKSHADOW);
    m_colours.dayText = ::GetSysColor(COLOR_WINDOWTEXT);
    m_colours.selectedBackground = ::GetSysColor(COLOR_BTNFACE);
    m_colours.selectedText = ::GetSysColor(COLOR_BTNTEXT);
    m_colours.todayBackground = ::GetSysColor(COLOR_INFOBK);
    m_colours.todayText = ::GetSysColor(COLOR_INFOTEXT);
    char first[8] = {};
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IFIRSTDAYOFWEEK, first, sizeof first);
    m_model.SetFirstDayOfWeek(controls::FirstDayOfWeekFromLocale(first));
    m_model.SetDateRange(CalendarTime::Zero(), CalendarTime::Zero());
}

CCalendarWnd::~CCalendarWnd() = default;

CalendarTime CCalendarWnd::Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return CalendarTime::Make(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
}

HCURSOR CCalendarWnd::CursorFor(int resource) {
    return controls::LoadResourceCursor(resource,
                                        resource == controls::kCursorPressed ? IDC_HAND : IDC_ARROW);
}

BOOL CCalendarWnd::Create(DWORD style, int x, int y, CWnd* parent, UINT id) {
    static const LPCSTR className =
        AfxRegisterWndClass(0, ::LoadCursorA(nullptr, IDC_ARROW), nullptr, nullptr);
    m_parent = parent;
    m_popup = (style & WS_POPUP) != 0;
    if (m_popup)
        return CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_WINDOWEDGE, className, "", style, x, y, 100,
                        100, nullptr, nullptr);
    return CreateEx(0, className, "", style | WS_CHILD, x, y, 100, 100,
                    parent != nullptr ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

int CCalendarWnd::OnCreate(LPCREATESTRUCTA create) {
    if (CWnd::OnCreate(create) == -1)
        return -1;
    controls::CreateArialFont(m_dayFont, kDayFontHeight, FW_NORMAL);
    m_toolBar.SetTexts(m_texts.today, m_texts.tips);
    if (!m_toolBar.Create(this, kToolBarId) || !m_caption.Create(this, kCaptionId))
        return -1;
    UpdateToolBarColors();
    m_caption.SetNames(m_texts.weekdays);
    m_caption.SetSelectionMode(m_model.SelectionMode());
    m_caption.SetFirstDayOfWeek(m_model.FirstDayOfWeek());
    m_caption.SetDate(m_model.GetDate());
    SetWindowPos(nullptr, 0, 0, controls::kCalendarWidth,
                 m_toolBar.BarHeight() + controls::kCalendarGridHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

void CCalendarWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    const int bar = m_toolBar.BarHeight();
    if (m_toolBar.IsWindow())
        m_toolBar.MoveWindow(2, cy - bar - 2, cx - 4, bar);
    if (m_caption.IsWindow())
        m_caption.MoveWindow(2, 2, cx - 4, controls::kCaptionHeight);
    m_model.Layout(cx, cy, bar);
    Invalidate(FALSE);
}

void CCalendarWnd::SetColors(const controls::CalendarColours& colours) {
    m_colours = colours;
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarWnd::UpdateToolBarColors() {
    m_toolBar.SetColors(kBandTop, m_colours.lightEdge, m_colours.darkEdge, m_colours.dayText);
}

void CCalendarWnd::SetSelectionMode(int mode) {
    if (!m_model.SetSelectionMode(mode))
        return;
    if (m_caption.IsWindow())
        m_caption.SetSelectionMode(mode);
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarWnd::SetDayMarked(int mark, int index) {
    if (m_model.SetDayMarked(mark, index))
        RepaintDay(index + 1);
}

void CCalendarWnd::ClearMarkedDays(int flag) {
    m_model.ClearMarkedDays(flag != 0);
    if (IsWindow())
        Invalidate(FALSE);
}

BOOL CCalendarWnd::SetDate(const CalendarTime& date) {
    if (!m_model.SetDate(date))
        return FALSE;
    DateChanged();
    return TRUE;
}

void CCalendarWnd::SetDateRange(const CalendarTime& minimum, const CalendarTime& maximum) {
    m_model.SetDateRange(minimum, maximum);
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarWnd::Navigate(int button) {
    if (button < 0 || button >= controls::kToolBarButtons)
        return;
    if (m_model.Navigate(button, Today()))
        DateChanged();
    else
        ::MessageBeep(0xFFFFFFFF);
    if (IsWindow())
        Invalidate(FALSE);  // the marks are gone
}

void CCalendarWnd::SelectWeekday(int column, bool replace) {
    m_model.SelectWeekday(column, replace);
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarWnd::DateChanged() {
    if (m_caption.IsWindow())
        m_caption.SetDate(m_model.GetDate());
    if (!IsWindow())
        return;
    Invalidate(FALSE);
    const HWND parent = m_parent != nullptr ? m_parent->m_hWnd : nullptr;
    if (parent != nullptr)
        ::PostMessageA(parent, controls::WM_CALENDAR_DATE_CHANGED, static_cast<WPARAM>(GetDlgCtrlID()), 0);
}

CRect CCalendarWnd::DayRect(int day) const {
    return ToRect(m_model.DayRect(day));
}

void CCalendarWnd::RepaintDay(int day, int inflate) {
    if (!IsWindow() || day < 1 || day > controls::kCalendarDays)
        return;
    CRect r = DayRect(day);
    if (r.IsRectEmpty())
        return;
    r.InflateRect(inflate, inflate);
    InvalidateRect(&r, FALSE);
}

// ---- mouse and keys ---------------------------------------------------------------------------

void CCalendarWnd::Respond(const CalendarResponse& r) {
    if (r.capture == CalendarResponse::Capture::kTake)
        SetCapture();
    else if (r.capture == CalendarResponse::Capture::kRelease && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (r.cursor != 0)
        ::SetCursor(CursorFor(r.cursor));
    if (r.repaintAll)
        Invalidate(FALSE);
    else
        for (int day : r.repaintDays)
            RepaintDay(day, controls::kHoverInflate);
    if (r.dateChanged)
        DateChanged();
}

void CCalendarWnd::OnLButtonDown(UINT flags, CPoint point) {
    CRect client;
    GetClientRect(&client);
    if (::GetFocus() != m_hWnd)
        SetFocus();
    Respond(m_model.LButtonDown(point.x, point.y, client.PtInRect(point) != FALSE, (flags & MK_SHIFT) != 0,
                                (flags & MK_CONTROL) != 0));
}

void CCalendarWnd::OnMouseMove(UINT flags, CPoint point) {
    Respond(m_model.MouseMove(point.x, point.y, (flags & MK_SHIFT) != 0, (flags & MK_LBUTTON) != 0,
                              ::GetCapture() == m_hWnd));
}

void CCalendarWnd::OnLButtonUp(UINT flags, CPoint point) {
    Respond(m_model.LButtonUp(point.x, point.y, (flags & MK_CONTROL) != 0));
}

void CCalendarWnd::OnKeyDown(UINT key, UINT repeat, UINT flags) {
    if (key == VK_ESCAPE) {
        if (::GetCapture() == m_hWnd)
            ::ReleaseCapture();
        return;
    }
    CWnd::OnKeyDown(key, repeat, flags);
}

void CCalendarWnd::OnKillFocus(CWnd* next) {
    CWnd::OnKillFocus(next);
    Respond(m_model.KillFocus());
}

// ---- painting ---------------------------------------------------------------------------------

BOOL CCalendarWnd::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers everything
}

void CCalendarWnd::OnPaint() {
    PaintBuffered(*this, [this](CDC& dc, const CRect& client) { PaintGrid(dc, client); });
}

void CCalendarWnd::PaintGrid(CDC& dc, const CRect& client) {
    dc.FillSolidRect(&client, m_colours.background);
    CRect edge = client;
    if (m_popup) {
        dc.Draw3dRect(&edge, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_3DDKSHADOW));
        edge.DeflateRect(1, 1);
        dc.Draw3dRect(&edge, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
    } else {
        dc.Draw3dRect(&edge, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_3DLIGHT));
    }
    const int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_dayFont);
    const CalendarTime today = Today();
    for (int day = 1; day <= m_model.DaysInShownMonth(); ++day)
        PaintDay(dc, day, today);
    dc.RestoreDC(saved);
}

void CCalendarWnd::PaintDay(CDC& dc, int day, const CalendarTime& today) {
    CRect cell = DayRect(day);
    if (cell.IsRectEmpty())
        return;
    const DayLook look = m_model.LookOf(day, m_colours, today);
    CRect inside = cell;
    inside.DeflateRect(1, 1);
    if (look.markedFrame) {
        SunkenFrame(dc, cell, m_colours.darkEdge, m_colours.lightEdge);
        dc.FillSolidRect(&inside, m_colours.marked);
    }
    if (look.fill)
        dc.FillSolidRect(&inside, *look.fill);
    if (look.outlineLeft || look.outlineTop) {
        CPen pen(PS_SOLID, 1, m_colours.darkEdge);
        CPen* old = dc.SelectObject(&pen);
        if (look.outlineLeft)
            Line(dc, cell.left, cell.top, cell.left, cell.bottom);
        if (look.outlineTop)
            Line(dc, cell.left, cell.top, cell.right, cell.top);
        dc.SelectObject(old);
    }
    if (look.outlineRight || look.outlineBottom) {
        CPen pen(PS_SOLID, 1, m_colours.lightEdge);
        CPen* old = dc.SelectObject(&pen);
        if (look.outlineRight)
            Line(dc, cell.right - 1, cell.top, cell.right - 1, cell.bottom);
        if (look.outlineBottom)
            Line(dc, cell.left, cell.bottom - 1, cell.right, cell.bottom - 1);
        dc.SelectObject(old);
    }
    char text[8];
    std::snprintf(text, sizeof text, "%d", day);
    dc.SetTextColor(look.text == controls::kGrayText ? ::GetSysColor(COLOR_GRAYTEXT) : look.text);
    dc.DrawText(text, -1, &cell, kDayTextFormat);
    if (look.frame == DayLook::Frame::kSunken)
        SunkenFrame(dc, cell, m_colours.darkEdge, m_colours.lightEdge);
    else if (look.frame == DayLook::Frame::kRaised)
        RaisedFrame(dc, cell, m_colours.lightEdge, m_colours.darkEdge);
}

// ---- the caption --------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCalendarCaptionWnd, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

BOOL CCalendarCaptionWnd::Create(CCalendarWnd* owner, UINT id) {
    m_owner = owner;
    controls::CreateArialFont(m_titleFont, kTitleFontHeight, FW_NORMAL);
    controls::CreateArialFont(m_nameFont, kNameFontHeight, FW_NORMAL);
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), owner, id);
}

void CCalendarCaptionWnd::SetDate(const CalendarTime& date) {
    m_date = date;
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarCaptionWnd::SetSelectionMode(int mode) {
    m_multi = mode;
    m_hovered = m_pressed = 0;
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarCaptionWnd::SetFirstDayOfWeek(int first) {
    m_firstDay = first;
    if (IsWindow())
        Invalidate(FALSE);
}

void CCalendarCaptionWnd::SetNames(const std::array<CString, 7>& sundayFirst) {
    m_names = sundayFirst;
    if (IsWindow())
        Invalidate(FALSE);
}

int CCalendarCaptionWnd::ColumnAt(CPoint point) const {
    CRect client;
    GetClientRect(&client);
    const controls::CaptionLayout layout = controls::LayoutCaption(client.Width(), client.Height());
    for (int i = 0; i < 7; ++i)
        if (layout.columns[i].Contains(point.x, point.y))
            return i + 1;
    return 0;
}

void CCalendarCaptionWnd::RepaintColumn(int column) {
    if (column < 1 || column > 7)
        return;
    CRect client;
    GetClientRect(&client);
    const CRect r = ToRect(controls::LayoutCaption(client.Width(), client.Height()).columns[column - 1]);
    InvalidateRect(&r, FALSE);
}

void CCalendarCaptionWnd::OnMouseMove(UINT, CPoint point) {
    if (m_multi == 0)
        return;
    const int column = ColumnAt(point);
    if (column != m_hovered) {
        RepaintColumn(m_hovered);
        RepaintColumn(column);
        m_hovered = column;
    }
    if (column != 0 && ::GetCapture() != m_hWnd)
        SetCapture();
    else if (column == 0 && m_pressed == 0 && ::GetCapture() == m_hWnd)
        ::ReleaseCapture();
}

void CCalendarCaptionWnd::OnLButtonDown(UINT, CPoint point) {
    if (m_multi == 0)
        return;
    m_pressed = m_hovered = ColumnAt(point);
    if (m_pressed != 0)
        SetCapture();
    RepaintColumn(m_pressed);
}

void CCalendarCaptionWnd::OnLButtonUp(UINT, CPoint point) {
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (m_multi == 0)
        return;
    const int column = ColumnAt(point);
    const int pressed = m_pressed;
    m_pressed = 0;
    RepaintColumn(pressed);
    if (column != 0 && column == pressed && m_owner != nullptr)
        m_owner->SelectWeekday(column, !KeyDown(VK_CONTROL));
}

BOOL CCalendarCaptionWnd::OnEraseBkgnd(CDC*) {
    return TRUE;
}

void CCalendarCaptionWnd::OnPaint() {
    PaintBuffered(*this, [this](CDC& dc, const CRect& client) { PaintBands(dc, client); });
}

void CCalendarCaptionWnd::PaintBands(CDC& dc, const CRect& client) {
    const controls::CaptionLayout layout = controls::LayoutCaption(client.Width(), client.Height());
    const int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);

    CRect title = ToRect(layout.title);
    DrawGradient(&dc, title, kBandTop, kBandBottom, FALSE, TRUE);
    dc.SelectObject(&m_titleFont);
    dc.SetTextColor(::GetSysColor(COLOR_CAPTIONTEXT));
    const std::string text = controls::CaptionTitle(m_date);
    dc.DrawText(text.c_str(), -1, &title, kDayTextFormat);

    // The band from one pixel below the title; the pixel between stays black.
    dc.FillSolidRect(client.left, title.bottom, client.Width(), 1, kBandBottom);
    const bool multi = m_multi != 0;
    const CRect band = ToRect(layout.weekdays);
    dc.FillSolidRect(&band, multi ? ::GetSysColor(COLOR_BTNFACE) : kWeekdayBand);
    dc.SetTextColor(multi ? ::GetSysColor(COLOR_BTNTEXT) : kWeekdayText);
    dc.SelectObject(&m_nameFont);
    for (int i = 0; i < 7; ++i) {
        const int column = i + 1;
        CRect r = ToRect(layout.columns[i]);
        const bool pressedHere = multi && m_pressed == column && m_hovered == column;
        if (multi && pressedHere)
            SunkenFrame(dc, r, ::GetSysColor(COLOR_BTNSHADOW), ::GetSysColor(COLOR_BTNHIGHLIGHT));
        else if (multi && m_hovered == column)
            RaisedFrame(dc, r, ::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW));
        CRect textRect = r;
        if (pressedHere)
            textRect.OffsetRect(1, 1);
        const CString& name = m_names[(i + m_firstDay) % 7];
        dc.DrawText(name, &textRect, kDayTextFormat);
    }
    dc.RestoreDC(saved);
}

// ---- the tool bar -------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CCalendarToolBarWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_TIMER()
ON_MESSAGE(WM_MOUSELEAVE, &CCalendarToolBarWnd::OnMouseLeave)
ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CCalendarToolBarWnd::Create(CCalendarWnd* owner, UINT id) {
    m_owner = owner;
    // The images decide the bar's height, which the calendar needs before
    // the bar's window exists.
    CBitmap strip;
    if (strip.LoadBitmap(IDB_CALENDAR_NAV)) {
        BITMAP info{};
        strip.GetBitmap(&info);
        if (info.bmWidth >= kImageCount && info.bmHeight > 0) {
            m_imageWidth = info.bmWidth / kImageCount;
            m_imageHeight = info.bmHeight;
        }
        if (m_images.Create(m_imageWidth, m_imageHeight, ILC_COLOR24 | ILC_MASK, kImageCount, 0))
            m_images.Add(&strip, kImageKey);
    }
    controls::CreateArialFont(m_font, kTodayFontHeight, FW_NORMAL);
    return CWnd::Create(nullptr, "", WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), owner, id);
}

void CCalendarToolBarWnd::SetTexts(const CString& today, const std::array<CString, 4>& tips) {
    m_today = today;
    m_tips = tips;
}

void CCalendarToolBarWnd::SetColors(COLORREF background,
                                    COLORREF lightEdge,
                                    COLORREF darkEdge,
                                    COLORREF todayText) {
    m_background = background;
    m_lightEdge = lightEdge;
    m_darkEdge = darkEdge;
    m_todayText = todayText;
    if (IsWindow())
        Invalidate(TRUE);
}

int CCalendarToolBarWnd::OnCreate(LPCREATESTRUCTA create) {
    if (CWnd::OnCreate(create) == -1)
        return -1;
    m_tooltip = controls::CreateTooltip(m_hWnd, kTooltipDelayMs);
    for (int i = 0; m_tooltip != nullptr && i < kTipCount; ++i) {
        TTTOOLINFOA tool = Tool(i);
        tool.lpszText = const_cast<LPSTR>(m_tips[i].GetString());
        ::SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
    return 0;
}

TTTOOLINFOA CCalendarToolBarWnd::Tool(int tip) const {
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = m_hWnd;
    tool.uId = static_cast<UINT_PTR>(tip + 1);
    tool.rect = ToRect(m_layout.buttons[kTipButtons[tip]]);
    return tool;
}

void CCalendarToolBarWnd::OnSize(UINT type, int cx, int cy) {
    CWnd::OnSize(type, cx, cy);
    m_layout = controls::LayoutToolBar(cx, cy, m_imageHeight);
    PlaceTooltips();
    Invalidate(TRUE);
}

void CCalendarToolBarWnd::PlaceTooltips() {
    for (int i = 0; m_tooltip != nullptr && i < kTipCount; ++i) {
        TTTOOLINFOA tool = Tool(i);
        ::SendMessageA(m_tooltip, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CCalendarToolBarWnd::OnDestroy() {
    KillTimer(controls::kRepeatTimerId);
    if (m_tooltip != nullptr && ::IsWindow(m_tooltip))
        ::DestroyWindow(m_tooltip);
    m_tooltip = nullptr;
    CWnd::OnDestroy();
}

int CCalendarToolBarWnd::HitTest(CPoint point) const {
    return controls::ToolBarHitTest(m_layout, point.x, point.y);
}

void CCalendarToolBarWnd::RepaintButton(int button) {
    if (button < 0 || button >= controls::kToolBarButtons)
        return;
    const CRect r = ToRect(m_layout.buttons[button]);
    InvalidateRect(&r, TRUE);
}

void CCalendarToolBarWnd::OnMouseMove(UINT flags, CPoint point) {
    controls::RelayToTooltip(m_tooltip, m_hWnd, WM_MOUSEMOVE, flags, point);
    if (!m_tracking) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, m_hWnd, 0};
        m_tracking = ::TrackMouseEvent(&track);
    }
    const int button = HitTest(point);
    if (button == m_hovered)
        return;
    RepaintButton(m_hovered);
    RepaintButton(button);
    m_hovered = button;
}

LRESULT CCalendarToolBarWnd::OnMouseLeave(WPARAM, LPARAM) {
    m_tracking = FALSE;
    RepaintButton(m_hovered);
    m_hovered = -1;
    return 0;
}

void CCalendarToolBarWnd::OnLButtonDown(UINT flags, CPoint point) {
    controls::RelayToTooltip(m_tooltip, m_hWnd, WM_LBUTTONDOWN, flags, point);
    if (m_owner != nullptr && m_owner->IsWindow())
        m_owner->SetFocus();
    m_pressed = m_hovered = HitTest(point);
    SetCapture();
    ::SetCursor(CCalendarWnd::CursorFor(controls::kCursorPressed));
    RepaintButton(m_pressed);
    if (m_pressed >= 0 && m_pressed != controls::kTodayButton) {
        m_repeat.Start();
        SetTimer(controls::kRepeatTimerId, controls::kRepeatFirstMs);
    }
}

void CCalendarToolBarWnd::OnTimer(UINT_PTR id) {
    if (id != controls::kRepeatTimerId) {
        CWnd::OnTimer(id);
        return;
    }
    if (m_pressed >= 0 && m_hovered == m_pressed && m_owner != nullptr)
        m_owner->Navigate(m_pressed);
    if (const std::optional<int> interval = m_repeat.Tick())
        SetTimer(controls::kRepeatTimerId, static_cast<UINT>(*interval));
}

void CCalendarToolBarWnd::OnLButtonUp(UINT flags, CPoint point) {
    controls::RelayToTooltip(m_tooltip, m_hWnd, WM_LBUTTONUP, flags, point);
    KillTimer(controls::kRepeatTimerId);
    m_repeat.Stop();
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    const int button = HitTest(point);
    const int pressed = m_pressed;
    const int hovered = m_hovered;
    m_pressed = m_hovered = -1;
    if (pressed >= 0 && button == pressed && m_owner != nullptr) {
        m_owner->Navigate(pressed);
        ::SetCursor(CCalendarWnd::CursorFor(controls::kCursorNormal));
    }
    RepaintButton(pressed);
    RepaintButton(hovered);
}

BOOL CCalendarToolBarWnd::OnEraseBkgnd(CDC* dc) {
    CRect client;
    GetClientRect(&client);
    DrawGradient(dc, client, m_background, kBandBottom, FALSE, TRUE);
    return TRUE;
}

void CCalendarToolBarWnd::OnPaint() {
    CPaintDC dc(this);
    const int saved = dc.SaveDC();
    dc.SetBkMode(TRANSPARENT);
    dc.SelectObject(&m_font);
    for (int b = 0; b < controls::kToolBarButtons; ++b) {
        const CRect r = ToRect(m_layout.buttons[b]);
        const bool pressedHere = m_pressed == b && m_hovered == b;
        if (b == controls::kTodayButton) {
            CRect text = r;
            dc.SetTextColor(m_hovered == b ? ::GetSysColor(COLOR_HIGHLIGHT) : m_todayText);
            dc.DrawText(m_today, &text, kDayTextFormat);
        } else if (m_images.GetSafeHandle() != nullptr) {
            const int image = b + (m_hovered == b ? kHoveredImage : 0);
            const int shift = pressedHere ? 1 : 0;
            const POINT at{r.left + (r.Width() - m_imageWidth) / 2 + shift,
                           r.top + (r.Height() - m_imageHeight) / 2 + shift};
            m_images.Draw(&dc, image, at, ILD_TRANSPARENT);
        }
        if (pressedHere)
            SunkenFrame(dc, r, m_darkEdge, m_lightEdge);
        else if (m_hovered == b || m_pressed == b)
            RaisedFrame(dc, r, m_lightEdge, m_darkEdge);
    }
    dc.RestoreDC(saved);
}
