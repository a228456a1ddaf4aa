// controls/bmp_slider.cpp
#include "controls/bmp_slider.h"

#include <algorithm>

#include "controls/draw_helpers.h"
#include "controls/mem_dc.h"
#include "controls/resource_picture.h"
#include "controls/slider_messages.h"

namespace {

// A bitmap resource with its size and, when drawn transparently, its mask
// (1 where the transparent colour was; those pixels of the picture are black).
struct Picture : controls::ResourcePicture {
    HBITMAP mask = nullptr;

    Picture() = default;
    ~Picture() { FreeMask(); }

    void Free() {
        FreeMask();
        ResourcePicture::Free();
    }
    bool Load(UINT id, bool transparent, COLORREF colour, int x, int y);
    // Source (sx, sy, w, h) at (dx, dy), through the mask when there is one.
    void Draw(HDC dc, int dx, int dy, int w, int h, int sx, int sy) const;

  private:
    bool MakeMask(COLORREF colour, int x, int y);
    void FreeMask() {
        if (mask)
            ::DeleteObject(mask);
        mask = nullptr;
    }
};

bool Picture::Load(UINT id, bool transparent, COLORREF colour, int x, int y) {
    Free();
    if (!ResourcePicture::Load(id))
        return false;
    if (transparent && !MakeMask(colour, x, y)) {
        Free();
        return false;
    }
    return true;
}

bool Picture::MakeMask(COLORREF colour, int x, int y) {
    mask = ::CreateBitmap(width, height, 1, 1, nullptr);
    if (!mask)
        return false;
    CBitmapDC image(nullptr, bitmap);
    CBitmapDC mono(nullptr, mask);
    if (!image.IsReady() || !mono.IsReady())
        return false;
    if (colour == CBmpSlider::kPixelColour)
        colour = image.GetPixel(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
    // Colour to monochrome: the background colour's pixels become 1.
    image.SetBkColor(colour);
    mono.BitBlt(0, 0, width, height, &image, 0, 0, SRCCOPY);
    // Monochrome to colour: 1 becomes the background (black), 0 the text
    // colour (white); ANDed in, the transparent pixels turn black.
    image.SetBkColor(RGB(0, 0, 0));
    image.SetTextColor(RGB(255, 255, 255));
    image.BitBlt(0, 0, width, height, &mono, 0, 0, SRCAND);
    return true;
}

void Picture::Draw(HDC dc, int dx, int dy, int w, int h, int sx, int sy) const {
    if (!bitmap || w <= 0 || h <= 0)
        return;
    CBitmapDC source(dc, mask ? mask : bitmap);
    if (!source.IsReady())
        return;
    if (mask) {
        // The mask clears what the picture covers and keeps the rest; the
        // picture, black where transparent, is then ORed in.
        const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
        ::BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCAND);
        ::SetBkColor(dc, oldBack);
        ::SetTextColor(dc, oldText);
        source.Select(bitmap);
        ::BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCPAINT);
    } else {
        ::BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCCOPY);
    }
}

// `picture` along the travel from `from` to `to` (x, or y when vertical), at
// the start of the other axis; a picture shorter than the span is tiled, each
// pixel taken from the picture's place under it.
void DrawAlong(HDC dc, const Picture& picture, bool vertical, int from, int to) {
    const int length = vertical ? picture.height : picture.width;
    if (!picture.loaded() || length <= 0)
        return;
    for (int at = std::max(from, 0); at < to;) {
        const int offset = at % length;
        const int run = std::min(length - offset, to - at);
        if (vertical)
            picture.Draw(dc, 0, at, picture.width, run, 0, offset);
        else
            picture.Draw(dc, at, 0, run, picture.height, offset, 0);
        at += run;
    }
}

// Puts back what the thumb covered at its last place.
void PutBackUnderThumb(HDC dc, HBITMAP saved, const controls::PixelRect& r) {
    const CBitmapDC source(dc, saved);
    if (source.IsReady())
        ::BitBlt(dc, r.x, r.y, r.width, r.height, source, 0, 0, SRCCOPY);
}

// Keeps what lies under `thumb` before the thumb is drawn there.
void SaveUnderThumb(HDC dc,
                    const controls::PixelRect& thumb,
                    HBITMAP* saved,
                    controls::PixelRect* savedRect) {
    if (*saved && (savedRect->width != thumb.width || savedRect->height != thumb.height)) {
        ::DeleteObject(*saved);
        *saved = nullptr;
    }
    if (!*saved)
        *saved = ::CreateCompatibleBitmap(dc, thumb.width, thumb.height);
    const CBitmapDC target(dc, *saved);
    if (!target.IsReady()) {
        *savedRect = {};
        return;
    }
    ::BitBlt(target, 0, 0, thumb.width, thumb.height, dc, thumb.x, thumb.y, SRCCOPY);
    *savedRect = thumb;
}

controls::SliderKey KeyOf(UINT vk) {
    using controls::SliderKey;
    switch (vk) {
        case VK_PRIOR:
            return SliderKey::PageUp;
        case VK_NEXT:
            return SliderKey::PageDown;
        case VK_END:
            return SliderKey::End;
        case VK_HOME:
            return SliderKey::Home;
        case VK_LEFT:
            return SliderKey::Left;
        case VK_UP:
            return SliderKey::Up;
        case VK_RIGHT:
            return SliderKey::Right;
        case VK_DOWN:
            return SliderKey::Down;
        default:
            return SliderKey::Other;
    }
}

}  // namespace

// The pictures, and what the thumb covered at its last place (kept only when
// the channel is transparent or absent, since otherwise each paint redraws
// everything under the thumb).
struct CBmpSlider::Pictures {
    Picture channel;
    Picture activeChannel;
    Picture thumb;
    Picture activeThumb;
    Picture thirdThumb;
    bool channelTransparent = false;
    HBITMAP saved = nullptr;
    controls::PixelRect savedRect;
};

BEGIN_MESSAGE_MAP(CBmpSlider, CStatic)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_NCHITTEST()
ON_WM_GETDLGCODE()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONUP()
ON_WM_CAPTURECHANGED()
ON_WM_KEYDOWN()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_ENABLE()
ON_WM_SETCURSOR()
ON_WM_SIZE()
ON_WM_WINDOWPOSCHANGED()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CBmpSlider::CBmpSlider() : m_pictures(new Pictures) {}

CBmpSlider::~CBmpSlider() {
    FreeSaved();
    delete m_pictures;
    m_pictures = nullptr;
}

void CBmpSlider::FreeChannel() {
    m_pictures->channel.Free();
    m_pictures->activeChannel.Free();
    m_pictures->channelTransparent = false;
    m_thirdChannelId = 0;
}

void CBmpSlider::FreeThumbs() {
    m_pictures->thumb.Free();
    m_pictures->activeThumb.Free();
    m_pictures->thirdThumb.Free();
    FreeSaved();
}

void CBmpSlider::FreeSaved() {
    if (m_pictures->saved)
        ::DeleteObject(m_pictures->saved);
    m_pictures->saved = nullptr;
    m_pictures->savedRect = {};
}

void CBmpSlider::TakeBackground() {
    m_backgroundStale = false;
    FreeSaved();
    m_focusDrawn = false;
    HWND parent = ::GetParent(m_hWnd);
    if (!parent)
        return;
    CRect place;
    GetWindowRect(&place);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
    // Without redraw the control is out of the parent's way (not visible), so
    // that the parent and any other child paint there as if it were absent.
    SetRedraw(FALSE);
    ::RedrawWindow(parent, &place, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SetRedraw(TRUE);
    Invalidate(FALSE);
}

void CBmpSlider::Repaint(BOOL erase) {
    if (IsWindow())
        Invalidate(erase);
}

void CBmpSlider::TakeClientSize() {
    if (m_fitToImage && m_pictures->channel.loaded()) {
        m_model.SetSize(m_pictures->channel.width, m_pictures->channel.height);
        return;
    }
    if (!IsWindow())
        return;
    CRect client;
    GetClientRect(&client);
    m_model.SetSize(client.Width(), client.Height());
}

void CBmpSlider::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    m_model.SetEnabled(IsWindowEnabled() != FALSE);
    TakeClientSize();
}

void CBmpSlider::SetRange(int min, int max, BOOL redraw) {
    m_model.SetRange(min, max);
    if (redraw)
        Repaint(TRUE);
}

void CBmpSlider::SetPos(int pos) {
    m_model.SetPos(pos);
    Repaint();
}

int CBmpSlider::SetPageSize(int step) {
    return m_model.SetPageSize(step);
}

void CBmpSlider::SetVertical(BOOL vertical) {
    m_vertical = vertical != FALSE;
    m_model.SetVertical(m_vertical);
    Repaint();
}

void CBmpSlider::SetFitToImage(BOOL fit) {
    m_fitToImage = fit != FALSE;
}

void CBmpSlider::SetMargin(int left, int top, int right, int bottom) {
    m_model.SetMargins(left, top, right, bottom);
    Repaint();
}

BOOL CBmpSlider::SetChannelImages(UINT normalId,
                                  UINT activeId,
                                  UINT thirdId,
                                  BOOL transparent,
                                  COLORREF transparentColour,
                                  int x,
                                  int y) {
    FreeChannel();
    FreeSaved();
    if (!normalId) {
        Repaint();
        return TRUE;
    }
    Pictures& p = *m_pictures;
    const bool masked = transparent != FALSE;
    if (!p.channel.Load(normalId, masked, transparentColour, x, y))
        return FALSE;
    if (activeId && !p.activeChannel.Load(activeId, masked, transparentColour, x, y)) {
        FreeChannel();
        return FALSE;
    }
    p.channelTransparent = masked;
    m_thirdChannelId = thirdId;
    m_model.SetSize(p.channel.width, p.channel.height);
    if (m_fitToImage && IsWindow())
        SetWindowPos(nullptr, 0, 0, p.channel.width, p.channel.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Repaint();
    return TRUE;
}

BOOL CBmpSlider::SetThumbImages(UINT normalId,
                                UINT activeId,
                                UINT thirdId,
                                BOOL transparent,
                                COLORREF transparentColour,
                                int x,
                                int y) {
    FreeThumbs();
    m_model.SetThumbSize(0, 0);
    if (!normalId) {
        Repaint();
        return TRUE;
    }
    Pictures& p = *m_pictures;
    const bool masked = transparent != FALSE;
    if (!p.thumb.Load(normalId, masked, transparentColour, x, y))
        return FALSE;
    if ((activeId && !p.activeThumb.Load(activeId, masked, transparentColour, x, y)) ||
        (thirdId && !p.thirdThumb.Load(thirdId, masked, transparentColour, x, y))) {
        FreeThumbs();
        return FALSE;
    }
    m_model.SetThumbSize(p.thumb.width, p.thumb.height);
    Repaint();
    return TRUE;
}

void CBmpSlider::Post(const controls::SliderEvent& event) {
    using controls::SliderNotice;
    UINT message = 0;
    if (event.notice == SliderNotice::Moving)
        message = controls::WM_BMPSLIDER_MOVING;
    else if (event.notice == SliderNotice::Changed)
        message = controls::WM_BMPSLIDER_CHANGED;
    HWND parent = ::GetParent(m_hWnd);
    if (message && parent)
        ::PostMessageA(parent, message, static_cast<WPARAM>(GetDlgCtrlID()), event.position);
}

void CBmpSlider::OnPaint() {
    Pictures& p = *m_pictures;
    // A transparent channel shows what is under the control: start from the
    // screen, which still holds this control's last focus rectangle and thumb,
    // or, once the control has moved, the parent's pixels taken afresh.
    const bool fromScreen = p.channel.loaded() && p.channelTransparent;
    if (fromScreen && m_backgroundStale)
        TakeBackground();
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    const bool vertical = m_vertical;
    const bool enabled = m_model.enabled();
    CMemDC memory(&paint, &client, fromScreen);
    HDC dc = memory;

    if (fromScreen && m_focusDrawn)
        memory.DrawFocusRect(&client);
    m_focusDrawn = false;

    const int length =
        vertical ? std::max(client.Height(), p.channel.height) : std::max(client.Width(), p.channel.width);
    const int centre = m_model.CentreOf(m_model.pos());
    if (p.activeChannel.loaded() && enabled) {
        DrawAlong(dc, p.activeChannel, vertical, 0, centre);
        DrawAlong(dc, p.channel, vertical, centre, length);
    } else {
        DrawAlong(dc, p.channel, vertical, 0, length);
    }

    PutBackUnderThumb(dc, p.saved, p.savedRect);
    const controls::PixelRect thumb = m_model.ThumbRect();
    const Picture* face = &p.thumb;
    if (m_model.dragging() && p.activeThumb.loaded() && enabled)
        face = &p.activeThumb;
    else if (!enabled && p.thirdThumb.loaded())
        face = &p.thirdThumb;
    if (face->loaded() && (p.channelTransparent || !p.channel.loaded()))
        SaveUnderThumb(dc, thumb, &p.saved, &p.savedRect);
    face->Draw(dc, thumb.x, thumb.y, thumb.width, thumb.height, 0, 0);

    if (m_focused && enabled) {
        memory.DrawFocusRect(&client);
        m_focusDrawn = true;
    }
}

BOOL CBmpSlider::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers the whole client area
}

LRESULT CBmpSlider::OnNcHitTest(CPoint) {
    return HTCLIENT;
}

UINT CBmpSlider::OnGetDlgCode() {
    return DLGC_WANTARROWS;
}

int CBmpSlider::Along(CPoint point) const {
    return m_vertical ? point.y : point.x;
}

void CBmpSlider::OnLButtonDown(UINT, CPoint point) {
    if (!m_model.enabled())
        return;
    SetCapture();
    Post(m_model.LeftButtonDown(Along(point)));
    Repaint();
}

void CBmpSlider::OnMouseMove(UINT, CPoint point) {
    const controls::SliderEvent event = m_model.MouseMove(Along(point));
    if (event.notice != controls::SliderNotice::None) {
        Post(event);
        Repaint();
    }
}

void CBmpSlider::OnLButtonUp(UINT, CPoint) {
    // The model first, so that losing the capture here ends nothing twice.
    const controls::SliderEvent event = m_model.LeftButtonUp();
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    Repaint();
    Post(event);
}

void CBmpSlider::OnCaptureChanged(CWnd* gainer) {
    // Another window took the mouse (a message box, a disabling): the drag
    // ends where the thumb is, as a release would end it.
    if (m_model.dragging() && gainer != this) {
        Repaint();
        Post(m_model.LeftButtonUp());
    }
    Default();
}

void CBmpSlider::OnKeyDown(UINT key, UINT, UINT) {
    bool handled = false;
    const controls::SliderEvent event = m_model.KeyDown(KeyOf(key), &handled);
    if (!handled) {
        Default();
        return;
    }
    Repaint();
    Post(event);
}

void CBmpSlider::OnSetFocus(CWnd*) {
    m_focused = true;
    Repaint();
    Default();
}

void CBmpSlider::OnKillFocus(CWnd*) {
    m_focused = false;
    Repaint();
    Default();
}

void CBmpSlider::OnEnable(BOOL enable) {
    m_model.SetEnabled(enable != FALSE);
    Repaint();
    Default();
}

BOOL CBmpSlider::OnSetCursor(CWnd*, UINT, UINT) {
    if (!m_cursor)
        return static_cast<BOOL>(Default());
    ::SetCursor(m_cursor);
    return TRUE;
}

void CBmpSlider::OnSize(UINT, int cx, int cy) {
    Default();
    const Picture& channel = m_pictures->channel;
    if (m_fitToImage && channel.loaded() && (cx != channel.width || cy != channel.height)) {
        SetWindowPos(nullptr, 0, 0, channel.width, channel.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    TakeClientSize();
}

void CBmpSlider::OnWindowPosChanged(WINDOWPOS* pos) {
    Default();  // WM_SIZE and WM_MOVE
    // The screen under the new place (bits the system copied along, or what
    // lay there) is not the parent's background there.
    if (!(pos->flags & SWP_NOMOVE) || !(pos->flags & SWP_NOSIZE) || (pos->flags & SWP_SHOWWINDOW)) {
        m_backgroundStale = true;
        Repaint();
    }
}

void CBmpSlider::OnDestroy() {
    FreeChannel();
    FreeThumbs();
    Default();
}
