// controls/bmp_slider.cpp
#include "controls/bmp_slider.h"

#include <windowsx.h>

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
    HDC image = ::CreateCompatibleDC(nullptr);
    HDC mono = ::CreateCompatibleDC(nullptr);
    const bool ok = mask && image && mono;
    if (ok) {
        HGDIOBJ oldImage = ::SelectObject(image, bitmap);
        HGDIOBJ oldMono = ::SelectObject(mono, mask);
        if (colour == CBmpSlider::kPixelColour)
            colour = ::GetPixel(image, std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1));
        // Colour to monochrome: the background colour's pixels become 1.
        ::SetBkColor(image, colour);
        ::BitBlt(mono, 0, 0, width, height, image, 0, 0, SRCCOPY);
        // Monochrome to colour: 1 becomes the background (black), 0 the text
        // colour (white); ANDed in, the transparent pixels turn black.
        ::SetBkColor(image, RGB(0, 0, 0));
        ::SetTextColor(image, RGB(255, 255, 255));
        ::BitBlt(image, 0, 0, width, height, mono, 0, 0, SRCAND);
        ::SelectObject(mono, oldMono);
        ::SelectObject(image, oldImage);
    }
    if (image)
        ::DeleteDC(image);
    if (mono)
        ::DeleteDC(mono);
    return ok;
}

void Picture::Draw(HDC dc, int dx, int dy, int w, int h, int sx, int sy) const {
    if (!bitmap || w <= 0 || h <= 0)
        return;
    HDC source = ::CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ old = ::SelectObject(source, mask ? mask : bitmap);
    if (mask) {
        // The mask clears what the picture covers and keeps the rest; the
        // picture, black where transparent, is then ORed in.
        const COLORREF oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
        const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0));
        ::BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCAND);
        ::SetBkColor(dc, oldBack);
        ::SetTextColor(dc, oldText);
        ::SelectObject(source, bitmap);
        ::BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCPAINT);
    } else {
        ::BitBlt(dc, dx, dy, w, h, source, sx, sy, SRCCOPY);
    }
    ::SelectObject(source, old);
    ::DeleteDC(source);
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
    if (!saved)
        return;
    HDC source = ::CreateCompatibleDC(dc);
    if (!source)
        return;
    HGDIOBJ old = ::SelectObject(source, saved);
    ::BitBlt(dc, r.x, r.y, r.width, r.height, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
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
    HDC target = *saved ? ::CreateCompatibleDC(dc) : nullptr;
    if (!target) {
        *savedRect = {};
        return;
    }
    HGDIOBJ old = ::SelectObject(target, *saved);
    ::BitBlt(target, 0, 0, thumb.width, thumb.height, dc, thumb.x, thumb.y, SRCCOPY);
    ::SelectObject(target, old);
    ::DeleteDC(target);
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

void CBmpSlider::Paint() {
    CPaintDC paint(this);
    CRect client;
    GetClientRect(&client);
    if (client.IsRectEmpty())
        return;
    Pictures& p = *m_pictures;
    const bool vertical = m_vertical;
    const bool enabled = m_model.enabled();
    // A transparent channel shows what is under the control: start from the
    // screen, which still holds this control's last focus rectangle and thumb.
    const bool fromScreen = p.channel.loaded() && p.channelTransparent;
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

LRESULT CBmpSlider::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool vertical = m_vertical;
    const int along = vertical ? GET_Y_LPARAM(lParam) : GET_X_LPARAM(lParam);
    switch (message) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return TRUE;
        case WM_NCHITTEST:
            return HTCLIENT;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS;
        case WM_LBUTTONDOWN:
            if (!m_model.enabled())
                return 0;
            SetCapture();
            Post(m_model.LeftButtonDown(along));
            Repaint();
            return 0;
        case WM_MOUSEMOVE: {
            const controls::SliderEvent event = m_model.MouseMove(along);
            if (event.notice != controls::SliderNotice::None) {
                Post(event);
                Repaint();
            }
            return 0;
        }
        case WM_LBUTTONUP: {
            // The model first, so that losing the capture here ends nothing twice.
            const controls::SliderEvent event = m_model.LeftButtonUp();
            if (::GetCapture() == m_hWnd)
                ::ReleaseCapture();
            Repaint();
            Post(event);
            return 0;
        }
        case WM_CAPTURECHANGED:
            // Another window took the mouse (a message box, a disabling): the
            // drag ends where the thumb is, as a release would end it.
            if (m_model.dragging() && reinterpret_cast<HWND>(lParam) != m_hWnd) {
                Repaint();
                Post(m_model.LeftButtonUp());
            }
            break;
        case WM_KEYDOWN: {
            bool handled = false;
            const controls::SliderEvent event = m_model.KeyDown(KeyOf(static_cast<UINT>(wParam)), &handled);
            if (!handled)
                break;
            Repaint();
            Post(event);
            return 0;
        }
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            m_focused = message == WM_SETFOCUS;
            Repaint();
            break;
        case WM_ENABLE:
            m_model.SetEnabled(wParam != 0);
            Repaint();
            break;
        case WM_SETCURSOR:
            if (m_cursor) {
                ::SetCursor(m_cursor);
                return TRUE;
            }
            break;
        case WM_SIZE: {
            const LRESULT result = CStatic::WindowProc(message, wParam, lParam);
            const Picture& channel = m_pictures->channel;
            if (m_fitToImage && channel.loaded() &&
                (LOWORD(lParam) != channel.width || HIWORD(lParam) != channel.height)) {
                SetWindowPos(nullptr, 0, 0, channel.width, channel.height,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            TakeClientSize();
            return result;
        }
        case WM_DESTROY:
            FreeChannel();
            FreeThumbs();
            break;
        default:
            break;
    }
    return CStatic::WindowProc(message, wParam, lParam);
}
