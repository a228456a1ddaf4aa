// skin/core/draw_helpers.h
//
// The skinning framework's drawing toolbox: colour fills through
// ExtTextOut, frames, the skinned DrawEdge and DrawFrameControl that take
// their colours from the skin rather than the system, bitmap resources as
// DIB sections, the msimg32 functions and GDI's layout functions reached by
// name, the window-rectangle helpers, and scope classes that select GDI
// objects or buffer drawing for the life of a block. GUI thread only.
#pragma once

#include <windows.h>

#include <cstddef>

#include "winlib/cstring.h"
#include "winlib/gdi.h"
#include "winlib/geometry.h"

// ---- msimg32 and the layout functions --------------------------------------------------

// msimg32.dll, loaded for the life of the process, with its three functions
// (NULL when missing), and GDI32's GetLayout / SetLayout looked up on first use.
class CPlymDrawHelpers {
  public:
    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);
    using AlphaBlendFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, BLENDFUNCTION);
    using TransparentBltFn = BOOL(WINAPI*)(HDC, int, int, int, int, HDC, int, int, int, int, UINT);

    CPlymDrawHelpers();
    ~CPlymDrawHelpers();
    CPlymDrawHelpers(const CPlymDrawHelpers&) = delete;
    CPlymDrawHelpers& operator=(const CPlymDrawHelpers&) = delete;

    GradientFillFn m_pfnGradientFill = nullptr;
    AlphaBlendFn m_pfnAlphaBlend = nullptr;
    TransparentBltFn m_pfnTransparentBlt = nullptr;

    DWORD GetLayout(HDC dc);
    void SetLayout(HDC dc, DWORD layout);

  private:
    using GetLayoutFn = DWORD(WINAPI*)(HDC);
    using SetLayoutFn = DWORD(WINAPI*)(HDC, DWORD);
    void FindLayoutFunctions();

    HMODULE m_msimg32 = nullptr;
    bool m_layoutLooked = false;
    GetLayoutFn m_pfnGetLayout = nullptr;
    SetLayoutFn m_pfnSetLayout = nullptr;
};

CPlymDrawHelpers& GetPlymDrawHelpers();

// GDI's layout functions when present (0 / nothing otherwise).
DWORD PlymGetLayout(HDC dc);
void PlymSetLayout(HDC dc, DWORD layout);
// The DC has a right-to-left layout (LAYOUT_RTL); FALSE for a DC whose
// layout cannot be read.
BOOL HasRTLLayout(HDC dc);
void SetDCLayout(HDC dc, DWORD layout);

// ---- fills and frames --------------------------------------------------------------------

// Opaque ExtTextOut with no text in `color`; the DC's background colour is kept.
BOOL PlymFillSolidRect(HDC dc, const RECT& rect, COLORREF color);
BOOL PlymFillSolidRect(HDC dc, int x, int y, int width, int height, COLORREF color);
void PlymFillRect(HDC dc, int x, int y, int width, int height, HBRUSH brush);
// Frames `width` pixels wide inside `rect`.
void PlymDrawSolidFrame(HDC dc, const RECT& rect, int width, COLORREF color);
void PlymDrawBrushFrame(HDC dc, const RECT& rect, int width, HBRUSH brush);
// A filled triangle in `color`.
void PlymDrawTriangle(HDC dc, POINT a, POINT b, POINT c, COLORREF color);

// ---- skinned DrawEdge and DrawFrameControl -----------------------------------------------

// The colours the skinned edges are drawn in.
struct PlymEdgeColors {
    COLORREF highlight;   // 3D highlight
    COLORREF light;       // 3D light
    COLORREF shadow;      // 3D shadow
    COLORREF darkShadow;  // 3D dark shadow
    COLORREF face;        // 3D face
    COLORREF windowFrame;
    COLORREF window;
};

// The edge colours of the colour manager (color_manager.h).
PlymEdgeColors PlymGetEdgeColors();

// DrawEdge with the skin's colours (or `colors`); the geometry is the
// system's (skin/core/draw_edge_plan.h). BF_ADJUST shrinks `rect` by what
// was drawn.
BOOL PlymDrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags);
BOOL PlymDrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags, const PlymEdgeColors& colors);

// DrawFrameControl for push buttons (DFC_BUTTON, DFCS_BUTTONPUSH: a soft
// sunken edge when pushed or checked, else a raised one, then the face
// colour) and the size grip (DFC_SCROLL, DFCS_SCROLLSIZEGRIP); FALSE for
// every other kind, which the caller leaves to the system.
BOOL PlymDrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state);
BOOL PlymDrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state, const PlymEdgeColors& colors);

// ---- bitmaps and icons -------------------------------------------------------------------

// Width and height of the icon's bitmap (half the mask's height for a
// monochrome icon); 32 x 32 when the icon gives no bitmap.
CSize PlymGetIconSize(HICON icon);

// A logical palette from a packed DIB's colour table (version 0x300), NULL
// above 8 bits per pixel or for a DIB that is not whole.
HPALETTE PlymCreateDibPalette(const void* dib, size_t size);
// A device-dependent bitmap from a whole packed DIB, made on the screen DC
// with `palette` selected when given; NULL when the DIB is not whole.
HBITMAP PlymCreateBitmapFromDib(const void* dib, size_t size, HPALETTE palette);

// The bitmap resource `name` of `module` as a DIB section: a "PNG" resource
// of that name is decoded (alpha when the PNG has four channels); otherwise
// the RT_BITMAP resource, when its header promises a pixel array that is
// there in full, is copied into a section (alpha when it has 32 bits per
// pixel). NULL when neither gives a bitmap.
HBITMAP PlymLoadResourceDibSection(HMODULE module, LPCSTR name, BOOL* alpha);

// ---- windows ---------------------------------------------------------------------------

// A window's rectangle in screen coordinates; empty for a handle that is not a window.
class CPlymWindowBounds : public CRect {
  public:
    explicit CPlymWindowBounds(HWND window);
};

// A window's client rectangle; empty for a handle that is not a window.
class CPlymClientBounds : public CRect {
  public:
    explicit CPlymClientBounds(HWND window);
};

// A screen point in window coordinates: y from the window's top, x from its
// left edge, or from its right edge for a WS_EX_LAYOUTRTL window.
CPoint PlymScreenToWindow(HWND window, POINT point);

// Registers a window class with DefWindowProcA as its procedure (the
// application's instance when `instance` is NULL); TRUE when the class exists.
BOOL PlymRegisterWindowClass(HINSTANCE instance, LPCSTR className, UINT style, HCURSOR cursor, HBRUSH brush);

// Removes every '&'.
void PlymStripMnemonics(CString& text);

// ---- scope classes -----------------------------------------------------------------------

// Draws into a memory bitmap of the rectangle's size (its top left is the
// memory DC's 0, 0) and copies it to the rectangle of the target (SRCCOPY)
// on destruction, unless CancelCopy was called.
class CPlymBufferDC : public CDC {
  public:
    CPlymBufferDC(HDC target, const RECT& rect);
    // The paint rectangle of a paint DC, clipped to the window's client area, at least 1 x 1.
    explicit CPlymBufferDC(CPaintDC& paint);
    ~CPlymBufferDC() override;
    CPlymBufferDC(const CPlymBufferDC&) = delete;
    CPlymBufferDC& operator=(const CPlymBufferDC&) = delete;

    void CancelCopy() { m_copy = false; }
    const CRect& GetRect() const { return m_rect; }

  protected:
    CPlymBufferDC(HDC target, const RECT& rect, bool moveOrigin);

  private:
    void Begin(bool moveOrigin);

    HDC m_target;
    CRect m_rect;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    bool m_copy = true;
};

// A buffer over explicit coordinates whose origin is moved to the rectangle,
// so that the caller draws in the target's coordinates; copies back on
// destruction.
class CPlymBufferDCEx : public CPlymBufferDC {
  public:
    CPlymBufferDCEx(HDC target, int left, int top, int right, int bottom)
        : CPlymBufferDC(target, RECT{left, top, right, bottom}, true) {}
};

// Selects fonts into a DC and puts back the first one replaced.
class CPlymFontDC {
  public:
    explicit CPlymFontDC(HDC dc, HFONT font = nullptr);
    ~CPlymFontDC() { RestoreFont(); }
    CPlymFontDC(const CPlymFontDC&) = delete;
    CPlymFontDC& operator=(const CPlymFontDC&) = delete;

    void SelectFont(HFONT font);
    void RestoreFont();

  private:
    HDC m_dc;
    HGDIOBJ m_oldFont = nullptr;
};

// A memory DC compatible with `dc` holding `bitmap`; on destruction the
// bitmap is deselected and the DC deleted (the bitmap stays the caller's).
class CPlymCompatibleDC : public CDC {
  public:
    CPlymCompatibleDC(HDC dc, HBITMAP bitmap);
    ~CPlymCompatibleDC() override;
    CPlymCompatibleDC(const CPlymCompatibleDC&) = delete;
    CPlymCompatibleDC& operator=(const CPlymCompatibleDC&) = delete;

  private:
    HGDIOBJ m_oldBitmap = nullptr;
};

// A solid one-pixel pen of a colour, selected for the block.
class CPlymPenDC {
  public:
    CPlymPenDC(HDC dc, COLORREF color);
    ~CPlymPenDC();
    CPlymPenDC(const CPlymPenDC&) = delete;
    CPlymPenDC& operator=(const CPlymPenDC&) = delete;

  private:
    HDC m_dc;
    HPEN m_pen;
    HGDIOBJ m_oldPen;
};

// A solid brush of a colour, selected for the block.
class CPlymBrushDC {
  public:
    CPlymBrushDC(HDC dc, COLORREF color);
    ~CPlymBrushDC();
    CPlymBrushDC(const CPlymBrushDC&) = delete;
    CPlymBrushDC& operator=(const CPlymBrushDC&) = delete;

  private:
    HDC m_dc;
    HBRUSH m_brush;
    HGDIOBJ m_oldBrush;
};
