// controls/bitmap_slider.cpp
#include "controls/bitmap_slider.h"

#include <algorithm>

#include "controls/draw_helpers.h"
#include "controls/mem_dc.h"
#include "controls/resource_picture.h"
#include "controls/slider_messages.h"

using Picture = controls::ResourcePicture;

// The third channel picture is kept because callers may hand one over; it is
// never drawn. The thumb strip stays selected into its own memory DC from
// SetThumbImages until the slider goes.
struct CBitmapSlider::Pictures {
    Picture background;
    Picture channel;
    Picture active;
    Picture third;
    Picture strip;
    std::unique_ptr<CBitmapDC> stripDc;  // after the strip: it goes first and lets the strip go

    Pictures() = default;
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;
};

BEGIN_MESSAGE_MAP(CBitmapSlider, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_NCHITTEST()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

CBitmapSlider::CBitmapSlider() : m_pictures(std::make_unique<Pictures>()) {}

CBitmapSlider::~CBitmapSlider() = default;

void CBitmapSlider::SyncClient() {
    if (!IsWindow())
        return;
    CRect client;
    GetClientRect(&client);
    m_model.SetClient({client.left, client.top, client.Width(), client.Height()});
}

void CBitmapSlider::SetMargin(int left, int right) {
    m_model.SetMargin(left, right);
    if (IsWindow())
        Invalidate(FALSE);
}

BOOL CBitmapSlider::SetBackgroundImage(UINT id) {
    if (!m_pictures->background.Load(id))
        return FALSE;
    if (IsWindow())
        Invalidate(FALSE);
    return TRUE;
}

BOOL CBitmapSlider::SetChannelImages(UINT normalId, UINT activeId, UINT thirdId) {
    Picture normal;
    Picture active;
    if (!normal.Load(normalId) || !active.Load(activeId))
        return FALSE;
    m_pictures->channel.Take(normal);
    m_pictures->active.Take(active);
    if (thirdId)
        m_pictures->third.Load(thirdId);
    if (IsWindow())
        Invalidate(FALSE);
    return TRUE;
}

void CBitmapSlider::SetRange(int min, int max) {
    m_model.SetRange(min, max);
    if (IsWindow())
        Invalidate(FALSE);
}

BOOL CBitmapSlider::SetThumbImages(UINT id) {
    Pictures& p = *m_pictures;
    Picture strip;
    if (!strip.Load(id))
        return FALSE;
    // The old strip leaves its DC before it is deleted.
    p.stripDc.reset();
    p.strip.Take(strip);
    {
        const CClientDC window(IsWindow() ? this : nullptr);
        p.stripDc = std::make_unique<CBitmapDC>(window, p.strip.bitmap);
    }
    if (!p.stripDc->IsReady()) {
        p.stripDc.reset();
        p.strip.Free();
        return FALSE;
    }
    m_model.SetThumbSize(p.strip.width / 4, p.strip.height);
    if (IsWindow()) {
        CRect client;
        GetClientRect(&client);
        SetWindowPos(nullptr, 0, 0, client.Width(), client.Height(),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SyncClient();
        Invalidate(FALSE);
    }
    return TRUE;
}

void CBitmapSlider::SetPos(int pos) {
    m_model.SetPos(pos);
    if (IsWindow())
        Invalidate(FALSE);
}

int CBitmapSlider::GetPos() const {
    return static_cast<int>(m_model.pos());
}

void CBitmapSlider::Carry(const controls::SliderEvent& event) {
    using controls::SliderNotice;
    if (event.notice == SliderNotice::Moving || event.notice == SliderNotice::Released) {
        const UINT message =
            event.notice == SliderNotice::Moving ? controls::WM_SLIDER_MOVING : controls::WM_SLIDER_RELEASED;
        HWND parent = ::GetParent(m_hWnd);
        if (parent)
            ::PostMessageA(parent, message, static_cast<WPARAM>(GetDlgCtrlID()), event.position);
    }
    Invalidate(FALSE);
}

void CBitmapSlider::OnPaint() {
    CPaintDC paint(this);
    SyncClient();
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    CMemDC memory(&paint, &client);
    HDC dc = memory;
    const Pictures& p = *m_pictures;
    const int w = client.Width();
    const int h = client.Height();

    if (p.background.loaded()) {
        controls::StretchBitmap(dc, p.background.bitmap, client.left, client.top, w, h, 0, 0,
                                p.background.width, p.background.height);
    } else {
        memory.FillSolidRect(&client, ::GetSysColor(COLOR_BTNFACE));
    }

    if (p.channel.loaded()) {
        const int channelHeight = p.channel.height;
        const int y = (h - channelHeight) / 2 + client.top;
        controls::StretchBitmap(dc, p.channel.bitmap, client.left, y, w, channelHeight, 0, 0, p.channel.width,
                                p.channel.height);
        // The filled part shows the same share of the active picture as of
        // the channel below it.
        const int filled = m_model.ActiveChannelRight() - client.left;
        if (p.active.loaded() && filled > 0) {
            const int sourceWidth =
                std::max(1, static_cast<int>(static_cast<long long>(p.active.width) * filled / w));
            controls::StretchBitmap(dc, p.active.bitmap, client.left, y, filled, channelHeight, 0, 0,
                                    sourceWidth, p.active.height);
        }
    }

    if (p.stripDc) {
        const controls::PixelRect thumb = m_model.ThumbRect();
        const int frame = controls::ThumbFrame(m_model.thumbState());
        ::BitBlt(dc, thumb.x, thumb.y, thumb.width, thumb.height, *p.stripDc, frame * thumb.width, 0,
                 SRCCOPY);
    }
}

void CBitmapSlider::OnSize(UINT, int, int) {
    Default();
    SyncClient();
}

BOOL CBitmapSlider::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers the whole client area
}

LRESULT CBitmapSlider::OnNcHitTest(CPoint) {
    // A static without SS_NOTIFY would let the mouse through to its parent.
    return HTCLIENT;
}

void CBitmapSlider::OnLButtonDown(UINT, CPoint point) {
    SyncClient();
    const controls::SliderEvent event = m_model.LeftButtonDown(point.x, point.y);
    if (event.notice == controls::SliderNotice::None)
        return;
    SetCapture();
    Carry(event);
}

void CBitmapSlider::OnMouseMove(UINT, CPoint point) {
    SyncClient();
    Carry(m_model.MouseMove(point.x, point.y));
}

void CBitmapSlider::OnLButtonUp(UINT, CPoint point) {
    SyncClient();
    const controls::SliderEvent event = m_model.LeftButtonUp(point.x, point.y);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Carry(event);
}

void CBitmapSlider::OnCaptureChanged(CWnd* gainer) {
    // Another window took the mouse: the press ends as a release would.
    if (m_model.pressed() && gainer != this) {
        POINT at{};
        ::GetCursorPos(&at);
        ScreenToClient(&at);
        SyncClient();
        Carry(m_model.LeftButtonUp(at.x, at.y));
    }
    Default();
}
