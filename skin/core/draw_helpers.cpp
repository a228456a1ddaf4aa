// skin/core/draw_helpers.cpp
#include "skin/core/draw_helpers.h"

#include <cstring>
#include <memory>
#include <vector>

#include "skin/core/color_manager.h"
#include "skin/core/draw_edge_plan.h"
#include "skin/core/image_dib.h"
#include "skin/core/png_bitmap.h"
#include "winlib/app.h"

// ---- msimg32 and the layout functions --------------------------------------------------

CPlymDrawHelpers::CPlymDrawHelpers() : m_msimg32(::LoadLibraryA("msimg32.dll")) {
    if (m_msimg32 == nullptr)
        return;
    // The functions are looked up by name so that a system without them still runs.
    m_pfnGradientFill = reinterpret_cast<GradientFillFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_msimg32, "GradientFill")));
    m_pfnAlphaBlend =
        reinterpret_cast<AlphaBlendFn>(reinterpret_cast<void*>(::GetProcAddress(m_msimg32, "AlphaBlend")));
    m_pfnTransparentBlt = reinterpret_cast<TransparentBltFn>(
        reinterpret_cast<void*>(::GetProcAddress(m_msimg32, "TransparentBlt")));
}

CPlymDrawHelpers::~CPlymDrawHelpers() {
    if (m_msimg32 != nullptr)
        ::FreeLibrary(m_msimg32);
}

void CPlymDrawHelpers::FindLayoutFunctions() {
    if (m_layoutLooked)
        return;
    m_layoutLooked = true;
    HMODULE gdi = ::GetModuleHandleA("GDI32.DLL");
    if (gdi == nullptr)
        return;
    m_pfnGetLayout =
        reinterpret_cast<GetLayoutFn>(reinterpret_cast<void*>(::GetProcAddress(gdi, "GetLayout")));
    m_pfnSetLayout =
        reinterpret_cast<SetLayoutFn>(reinterpret_cast<void*>(::GetProcAddress(gdi, "SetLayout")));
}

DWORD CPlymDrawHelpers::GetLayout(HDC dc) {
    FindLayoutFunctions();
    return m_pfnGetLayout != nullptr ? m_pfnGetLayout(dc) : 0;
}

void CPlymDrawHelpers::SetLayout(HDC dc, DWORD layout) {
    FindLayoutFunctions();
    if (m_pfnSetLayout != nullptr)
        m_pfnSetLayout(dc, layout);
}

CPlymDrawHelpers& GetPlymDrawHelpers() {
    static CPlymDrawHelpers helpers;
    return helpers;
}

DWORD PlymGetLayout(HDC dc) {
    return GetPlymDrawHelpers().GetLayout(dc);
}

void PlymSetLayout(HDC dc, DWORD layout) {
    GetPlymDrawHelpers().SetLayout(dc, layout);
}

BOOL HasRTLLayout(HDC dc) {
    // GDI_ERROR (all bits set) is a DC whose layout cannot be read.
    const DWORD layout = PlymGetLayout(dc);
    return layout != GDI_ERROR && (layout & LAYOUT_RTL) != 0;
}

void SetDCLayout(HDC dc, DWORD layout) {
    PlymSetLayout(dc, layout);
}

// ---- fills and frames --------------------------------------------------------------------

BOOL PlymFillSolidRect(HDC dc, const RECT& rect, COLORREF color) {
    CDC::FromHandle(dc)->FillSolidRect(&rect, color);
    return TRUE;
}

BOOL PlymFillSolidRect(HDC dc, int x, int y, int width, int height, COLORREF color) {
    return PlymFillSolidRect(dc, RECT{x, y, x + width, y + height}, color);
}

void PlymFillRect(HDC dc, int x, int y, int width, int height, HBRUSH brush) {
    const RECT rect{x, y, x + width, y + height};
    ::FillRect(dc, &rect, brush);
}

void PlymDrawSolidFrame(HDC dc, const RECT& rect, int width, COLORREF color) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    PlymFillSolidRect(dc, rect.left, rect.top, w - width, width, color);
    PlymFillSolidRect(dc, rect.left, rect.top, width, h - width, color);
    PlymFillSolidRect(dc, rect.right, rect.top, -width, h, color);
    PlymFillSolidRect(dc, rect.left, rect.bottom, w, -width, color);
}

void PlymDrawBrushFrame(HDC dc, const RECT& rect, int width, HBRUSH brush) {
    const int w = rect.right - rect.left;
    const int h = rect.bottom - rect.top;
    PlymFillRect(dc, rect.left, rect.top, w, width, brush);
    PlymFillRect(dc, rect.left, rect.top, width, h, brush);
    PlymFillRect(dc, rect.right - width, rect.top, width, h, brush);
    PlymFillRect(dc, rect.left, rect.bottom - width, w, width, brush);
}

void PlymDrawTriangle(HDC dc, POINT a, POINT b, POINT c, COLORREF color) {
    CPlymPenDC pen(dc, color);
    CPlymBrushDC brush(dc, color);
    const POINT points[3] = {a, b, c};
    ::Polygon(dc, points, 3);
}

// ---- skinned DrawEdge and DrawFrameControl -----------------------------------------------

PlymEdgeColors PlymGetEdgeColors() {
    const CPlymColorManager& colors = *GetPlymColorManager();
    return {colors.GetColor(COLOR_3DHIGHLIGHT), colors.GetColor(COLOR_3DLIGHT),
            colors.GetColor(COLOR_3DSHADOW),    colors.GetColor(COLOR_3DDKSHADOW),
            colors.GetColor(COLOR_3DFACE),      colors.GetColor(COLOR_WINDOWFRAME),
            colors.GetColor(COLOR_WINDOW)};
}

namespace {

COLORREF ColorOf(plym::EdgeColor color, const PlymEdgeColors& colors) {
    switch (color) {
        case plym::EdgeColor::Highlight:
            return colors.highlight;
        case plym::EdgeColor::Light:
            return colors.light;
        case plym::EdgeColor::Shadow:
            return colors.shadow;
        case plym::EdgeColor::DarkShadow:
            return colors.darkShadow;
        case plym::EdgeColor::Face:
            return colors.face;
        case plym::EdgeColor::WindowFrame:
            return colors.windowFrame;
        case plym::EdgeColor::Window:
            return colors.window;
    }
    return colors.face;
}

void DrawLine(HDC dc, int x0, int y0, int x1, int y1, COLORREF color) {
    CPlymPenDC pen(dc, color);
    POINT old;
    ::MoveToEx(dc, x0, y0, &old);
    ::LineTo(dc, x1, y1);
    ::MoveToEx(dc, old.x, old.y, nullptr);
}

// The diagonal forms: the outer ring is the diagonal of the largest square
// at the rectangle's end corner (named by the flags), the inner ring the
// parallel line one pixel beside it towards the start corner's column.
BOOL DrawDiagonalEdge(HDC dc, RECT* rect, UINT edge, UINT flags, const PlymEdgeColors& colors) {
    const int w = rect->right - rect->left;
    const int h = rect->bottom - rect->top;
    const int n = (w < h ? w : h) - 1;
    if (n < 0)
        return TRUE;
    const bool endTop = (flags & BF_TOP) != 0 && (flags & BF_BOTTOM) == 0;
    const bool endRight = (flags & BF_RIGHT) != 0 && (flags & BF_LEFT) == 0;
    const int ex = endRight ? rect->right - 1 : rect->left;
    const int ey = endTop ? rect->top : rect->bottom - 1;
    const int dx = endRight ? 1 : -1;
    const int dy = endTop ? -1 : 1;
    const int sx = ex - dx * n;
    const int sy = ey - dy * n;
    int rings = 0;
    for (bool inner : {false, true}) {
        const plym::EdgeRing ring = plym::EdgeRingOf(edge, flags, inner);
        if (!ring.present || rings > n)
            continue;
        // LineTo leaves out its end point: one step past the last pixel.
        DrawLine(dc, sx, sy + dy * rings, ex - dx * rings + dx, ey + dy,
                 ColorOf(endTop ? ring.topLeft : ring.bottomRight, colors));
        ++rings;
    }
    if (flags & BF_ADJUST)
        ::InflateRect(rect, -rings, -rings);
    return TRUE;
}

}  // namespace

BOOL PlymDrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags) {
    return PlymDrawEdge(dc, rect, edge, flags, PlymGetEdgeColors());
}

BOOL PlymDrawEdge(HDC dc, RECT* rect, UINT edge, UINT flags, const PlymEdgeColors& colors) {
    if (rect == nullptr)
        return FALSE;
    if (flags & BF_DIAGONAL)
        return DrawDiagonalEdge(dc, rect, edge, flags, colors);
    const plym::EdgePlan plan =
        plym::PlanRectEdge({rect->left, rect->top, rect->right, rect->bottom}, edge, flags);
    for (const plym::EdgeStroke& stroke : plan.strokes) {
        if (stroke.rect.IsEmpty())
            continue;
        PlymFillSolidRect(dc, RECT{stroke.rect.left, stroke.rect.top, stroke.rect.right, stroke.rect.bottom},
                          ColorOf(stroke.color, colors));
    }
    const RECT inside{plan.inside.left, plan.inside.top, plan.inside.right, plan.inside.bottom};
    if (plan.fillMiddle && !plan.inside.IsEmpty())
        PlymFillSolidRect(dc, inside, colors.face);
    if (flags & BF_ADJUST)
        *rect = inside;
    return TRUE;
}

BOOL PlymDrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state) {
    return PlymDrawFrameControl(dc, rect, type, state, PlymGetEdgeColors());
}

BOOL PlymDrawFrameControl(HDC dc, RECT* rect, UINT type, UINT state, const PlymEdgeColors& colors) {
    if (rect == nullptr)
        return FALSE;
    if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONPUSH) {
        const UINT edge = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED;
        PlymDrawEdge(dc, rect, edge, BF_RECT | BF_SOFT | BF_ADJUST, colors);
        PlymFillSolidRect(dc, *rect, colors.face);
        return TRUE;
    }
    if (type == DFC_SCROLL && (state & 0xFF) == DFCS_SCROLLSIZEGRIP) {
        PlymFillSolidRect(dc, *rect, colors.face);
        const int w = rect->right - rect->left;
        const int h = rect->bottom - rect->top;
        const int side = w < h ? w : h;
        // Three groups of diagonals from the bottom right: one light line, two dark ones.
        for (int d = 1; d + 2 < side && d < 12; d += 4) {
            for (int k = 0; k < 3; ++k) {
                const int at = d + k;
                DrawLine(dc, rect->right - 1 - at, rect->bottom - 1, rect->right, rect->bottom - 2 - at,
                         k == 0 ? colors.highlight : colors.shadow);
            }
        }
        return TRUE;
    }
    return FALSE;
}

// ---- bitmaps and icons -------------------------------------------------------------------

CSize PlymGetIconSize(HICON icon) {
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return CSize(32, 32);
    CSize size(32, 32);
    BITMAP bitmap{};
    if (info.hbmColor != nullptr && ::GetObjectA(info.hbmColor, sizeof bitmap, &bitmap)) {
        size = CSize(bitmap.bmWidth, bitmap.bmHeight);
    } else if (info.hbmMask != nullptr && ::GetObjectA(info.hbmMask, sizeof bitmap, &bitmap)) {
        size = CSize(bitmap.bmWidth, bitmap.bmHeight / 2);
    }
    if (info.hbmColor != nullptr)
        ::DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr)
        ::DeleteObject(info.hbmMask);
    return size;
}

namespace {

// The header, masks and colour table of a checked DIB, copied into an
// aligned block that GDI can read as a BITMAPINFO, with biSizeImage
// cleared (the size GDI uses is its own).
std::unique_ptr<uint32_t[]> DibInfoBlock(const uint8_t* bytes, const plym::PackedDib& dib) {
    auto block = std::make_unique<uint32_t[]>((dib.pixelOffset + 3) / 4);
    std::memcpy(block.get(), bytes, dib.pixelOffset);
    block[5] = 0;  // biSizeImage, bytes 20 to 23
    return block;
}

}  // namespace

HPALETTE PlymCreateDibPalette(const void* dibBytes, size_t size) {
    const auto* bytes = static_cast<const uint8_t*>(dibBytes);
    plym::PackedDib dib;
    if (!plym::ReadPackedDib(bytes, size, dib) || dib.bitCount > 8)
        return nullptr;
    std::vector<uint8_t> block(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * dib.colorCount);
    auto* palette = reinterpret_cast<LOGPALETTE*>(block.data());
    palette->palVersion = 0x300;
    palette->palNumEntries = static_cast<WORD>(dib.colorCount);
    for (uint32_t i = 0; i < dib.colorCount; ++i) {
        const uint8_t* quad = bytes + dib.colorTableOffset + i * 4;  // blue, green, red, reserved
        palette->palPalEntry[i] = PALETTEENTRY{quad[2], quad[1], quad[0], 0};
    }
    return ::CreatePalette(palette);
}

HBITMAP PlymCreateBitmapFromDib(const void* dibBytes, size_t size, HPALETTE palette) {
    const auto* bytes = static_cast<const uint8_t*>(dibBytes);
    plym::PackedDib dib;
    if (!plym::ReadPackedDib(bytes, size, dib))
        return nullptr;
    const std::unique_ptr<uint32_t[]> info = DibInfoBlock(bytes, dib);
    HDC screen = ::GetDC(nullptr);
    HPALETTE oldPalette = nullptr;
    if (palette != nullptr) {
        oldPalette = ::SelectPalette(screen, palette, FALSE);
        ::RealizePalette(screen);
    }
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(info.get());
    HBITMAP bitmap = ::CreateDIBitmap(screen, header, CBM_INIT, bytes + dib.pixelOffset,
                                      reinterpret_cast<const BITMAPINFO*>(info.get()), DIB_RGB_COLORS);
    if (palette != nullptr)
        ::SelectPalette(screen, oldPalette, FALSE);
    ::ReleaseDC(nullptr, screen);
    return bitmap;
}

HBITMAP PlymLoadResourceDibSection(HMODULE module, LPCSTR name, BOOL* alpha) {
    if (alpha != nullptr)
        *alpha = FALSE;
    if (HRSRC png = ::FindResourceA(module, name, "PNG")) {
        CPlymGraphicBitmapPng picture;
        if (picture.LoadFromResource(module, png)) {
            if (alpha != nullptr)
                *alpha = picture.HasAlpha();
            return picture.DetachBitmap();
        }
    }
    HRSRC resource = ::FindResourceA(module, name, MAKEINTRESOURCEA(2));  // RT_BITMAP
    if (resource == nullptr)
        return nullptr;
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const auto* bytes = static_cast<const uint8_t*>(loaded != nullptr ? ::LockResource(loaded) : nullptr);
    plym::PackedDib dib;
    if (bytes == nullptr || !plym::ReadPackedDib(bytes, size, dib))
        return nullptr;
    const std::unique_ptr<uint32_t[]> info = DibInfoBlock(bytes, dib);
    void* bits = nullptr;
    HBITMAP section = ::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.get()),
                                         DIB_RGB_COLORS, &bits, nullptr, 0);
    if (section == nullptr || bits == nullptr) {
        if (section != nullptr)
            ::DeleteObject(section);
        return nullptr;
    }
    std::memcpy(bits, bytes + dib.pixelOffset, dib.pixelBytes);
    if (alpha != nullptr)
        *alpha = dib.bitCount == 32;
    return section;
}

// ---- windows ---------------------------------------------------------------------------

CPlymWindowBounds::CPlymWindowBounds(HWND window) : CRect(0, 0, 0, 0) {
    if (::IsWindow(window))
        ::GetWindowRect(window, this);
}

CPlymClientBounds::CPlymClientBounds(HWND window) : CRect(0, 0, 0, 0) {
    if (::IsWindow(window))
        ::GetClientRect(window, this);
}

CPoint PlymScreenToWindow(HWND window, POINT point) {
    const CPlymWindowBounds bounds(window);
    const bool rtl = (::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    return CPoint(rtl ? bounds.right - point.x : point.x - bounds.left, point.y - bounds.top);
}

BOOL PlymRegisterWindowClass(HINSTANCE instance, LPCSTR className, UINT style, HCURSOR cursor, HBRUSH brush) {
    if (instance == nullptr)
        instance = AfxGetInstanceHandle();
    WNDCLASSA wc{};
    if (::GetClassInfoA(instance, className, &wc))
        return TRUE;
    wc = WNDCLASSA{};
    wc.style = style;
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = brush;
    wc.lpszClassName = className;
    return ::RegisterClassA(&wc) != 0;
}

void PlymStripMnemonics(CString& text) {
    std::string s = text.str();
    std::erase(s, '&');
    text = CString(std::move(s));
}

// ---- scope classes -----------------------------------------------------------------------

CPlymBufferDC::CPlymBufferDC(HDC target, const RECT& rect) : CPlymBufferDC(target, rect, false) {}

CPlymBufferDC::CPlymBufferDC(HDC target, const RECT& rect, bool moveOrigin) : m_target(target), m_rect(rect) {
    Begin(moveOrigin);
}

CPlymBufferDC::CPlymBufferDC(CPaintDC& paint) : m_target(paint.m_hDC) {
    CRect client = CPlymClientBounds(::WindowFromDC(paint.m_hDC));
    CRect area;
    area.IntersectRect(&paint.m_ps.rcPaint, &client);
    if (area.Width() < 1)
        area.right = area.left + 1;
    if (area.Height() < 1)
        area.bottom = area.top + 1;
    m_rect = area;
    Begin(false);
}

void CPlymBufferDC::Begin(bool moveOrigin) {
    const int w = m_rect.Width() > 0 ? m_rect.Width() : 1;
    const int h = m_rect.Height() > 0 ? m_rect.Height() : 1;
    if (!CreateCompatibleDC(CDC::FromHandle(m_target)))
        return;
    m_bitmap = ::CreateCompatibleBitmap(m_target, w, h);
    if (m_bitmap != nullptr)
        m_oldBitmap = ::SelectObject(m_hDC, m_bitmap);
    if (moveOrigin)
        ::SetViewportOrgEx(m_hDC, -m_rect.left, -m_rect.top, nullptr);
}

CPlymBufferDC::~CPlymBufferDC() {
    if (m_hDC == nullptr)
        return;
    if (m_bitmap != nullptr) {
        if (m_copy) {
            POINT origin{};
            ::GetViewportOrgEx(m_hDC, &origin);
            ::BitBlt(m_target, m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), m_hDC, -origin.x,
                     -origin.y, SRCCOPY);
        }
        ::SelectObject(m_hDC, m_oldBitmap);
        ::DeleteObject(m_bitmap);
    }
}

CPlymFontDC::CPlymFontDC(HDC dc, HFONT font) : m_dc(dc) {
    if (font != nullptr)
        SelectFont(font);
}

void CPlymFontDC::SelectFont(HFONT font) {
    if (font == nullptr)
        return;
    HGDIOBJ old = ::SelectObject(m_dc, font);
    if (m_oldFont == nullptr)
        m_oldFont = old;
}

void CPlymFontDC::RestoreFont() {
    if (m_oldFont == nullptr)
        return;
    ::SelectObject(m_dc, m_oldFont);
    m_oldFont = nullptr;
}

CPlymCompatibleDC::CPlymCompatibleDC(HDC dc, HBITMAP bitmap) {
    if (CreateCompatibleDC(CDC::FromHandle(dc)) && bitmap != nullptr)
        m_oldBitmap = ::SelectObject(m_hDC, bitmap);
}

CPlymCompatibleDC::~CPlymCompatibleDC() {
    if (m_hDC != nullptr && m_oldBitmap != nullptr)
        ::SelectObject(m_hDC, m_oldBitmap);
}

CPlymPenDC::CPlymPenDC(HDC dc, COLORREF color)
    : m_dc(dc), m_pen(::CreatePen(PS_SOLID, 1, color)), m_oldPen(::SelectObject(dc, m_pen)) {}

CPlymPenDC::~CPlymPenDC() {
    ::SelectObject(m_dc, m_oldPen);
    ::DeleteObject(m_pen);
}

CPlymBrushDC::CPlymBrushDC(HDC dc, COLORREF color)
    : m_dc(dc), m_brush(::CreateSolidBrush(color)), m_oldBrush(::SelectObject(dc, m_brush)) {}

CPlymBrushDC::~CPlymBrushDC() {
    ::SelectObject(m_dc, m_oldBrush);
    ::DeleteObject(m_brush);
}
