// skin/core/skin_schema.cpp
#include "skin/core/skin_schema.h"

#include <algorithm>
#include <string>
#include <vector>

#include "skin/core/monitor_helper.h"
#include "skin/core/skin_manager.h"
#include "skin/core/win_types.h"

namespace {

// WINDOW parts.
constexpr int kCaption = 1;
constexpr int kSmallCaption = 2;
constexpr int kMinCaption = 3;
constexpr int kMaxCaption = 5;
constexpr int kFrameLeft = 7;
constexpr int kFrameRight = 8;
constexpr int kFrameBottom = 9;
constexpr int kSmallFrameLeft = 10;
constexpr int kSmallFrameRight = 11;
constexpr int kSmallFrameBottom = 12;
constexpr COLORREF kDefaultKey = 0xFF00FF;

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    const COLORREF old = SetBkColor(dc, color);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

// A frame `width` pixels wide inside the rectangle.
void FrameSolid(HDC dc, const RECT& r, COLORREF color, int width) {
    FillSolid(dc, {r.left, r.top, r.right, r.top + width}, color);
    FillSolid(dc, {r.left, r.bottom - width, r.right, r.bottom}, color);
    FillSolid(dc, {r.left, r.top, r.left + width, r.bottom}, color);
    FillSolid(dc, {r.right - width, r.top, r.right, r.bottom}, color);
}

void Shrink(RECT* r, int by) {
    InflateRect(r, -by, -by);
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE));
}

DWORD ExStyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE));
}

// The small icon's square on a caption: 2 pixels inside the left border,
// centred in the caption below the `k` pixels of frame edge.
RECT CaptionIconSquare(const RECT& borders, int k) {
    const int cx = GetSystemMetrics(SM_CXSMICON);
    const int cy = GetSystemMetrics(SM_CYSMICON);
    const int x = borders.left + 2;
    const int y = k + (borders.top - k - cy) / 2;
    return RECT{x, y, x + cx, y + cy};
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// A paint of one image cell as the plan says.
void PaintImage(CPlymSkinManagerClass* themeClass, HDC dc, const plym::ImagePaint& paint) {
    IPlymSkinImage* image = themeClass->FetchImage(paint.path);
    if (!image)
        return;
    const RECT margins = ToWinRect(paint.margins);
    image->SetMirrorAllowed(paint.mirror ? TRUE : FALSE);
    image->PrepareSolidRects(paint.imageCount, paint.horizontal ? TRUE : FALSE, margins);
    image->PaintPart(dc, ToWinRect(paint.destination), ToWinRect(paint.source), margins,
                     paint.key == plym::kNoColor ? CLR_INVALID : paint.key, paint.sizingType,
                     paint.borderOnly ? TRUE : FALSE);
}

}  // namespace

CPlymSkinManagerSchema::CPlymSkinManagerSchema(CPlymSkinManager* manager, IPlymSkinFile* file)
    : m_manager(manager), m_file(file), m_metrics(this) {
    if (m_file)
        m_file->AddRef();
    // Every colour the schema hands out passes through the manager's filters.
    if (m_manager) {
        SetColorFilter([manager](plym::Color color) {
            if (!manager->HasColorFilters())
                return color;
            COLORREF filtered = color;
            manager->FilterColor(&filtered);
            return static_cast<plym::Color>(filtered);
        });
    }
}

CPlymSkinManagerSchema::~CPlymSkinManagerSchema() {
    m_classes.clear();  // their images before the file
    FreeFrameRegions();
    if (m_file)
        m_file->Release();
}

int CPlymSkinManagerSchema::ReadProperties() {
    plym::DisplayInfo display;
    if (HDC screen = GetDC(nullptr)) {
        display.logPixelsY = GetDeviceCaps(screen, LOGPIXELSY);
        display.charSet = static_cast<uint8_t>(GetTextCharsetInfo(screen, nullptr, 0));
        ReleaseDC(nullptr, screen);
    }
    SetDisplayInfo(display);
    if (!m_file)
        return 0;
    return plym::SchemaStore::ReadProperties(*m_file);
}

CPlymSkinManagerClass* CPlymSkinManagerSchema::GetThemeClass(const std::string& className) {
    const std::string name = Upper(className);
    auto found = m_classes.find(name);
    if (found == m_classes.end()) {
        found = m_classes
                    .emplace(name, std::make_unique<CPlymSkinManagerClass>(this, name,
                                                                           plym::GetSchemaClassCode(name)))
                    .first;
    }
    return found->second.get();
}

CPlymSkinManagerClass* CPlymSkinManagerSchema::FindThemeClass(const void* handle) const {
    for (const auto& entry : m_classes) {
        if (entry.second.get() == handle)
            return entry.second.get();
    }
    return nullptr;
}

BOOL CPlymSkinManagerSchema::DrawThemeBackground(HDC dc,
                                                 CPlymSkinManagerClass* themeClass,
                                                 int part,
                                                 int state,
                                                 const RECT* rect) {
    if (!themeClass || !rect)
        return FALSE;
    const plym::BackgroundPlan plan =
        themeClass->PlanBackground(part, state, ToPlymRect(*rect), themeClass->ImageInfo());
    switch (plan.kind) {
        case plym::BackgroundPlan::kNothing:
            return TRUE;
        case plym::BackgroundPlan::kBorderFill:
            return DrawBorderFill(dc, themeClass, part, state, rect);
        case plym::BackgroundPlan::kFail:
            return FALSE;
        case plym::BackgroundPlan::kImage:
            break;
    }
    PaintImage(themeClass, dc, plan.image);
    if (plan.hasGlyph)
        PaintImage(themeClass, dc, plan.glyph);
    return TRUE;
}

BOOL CPlymSkinManagerSchema::DrawBorderFill(HDC dc,
                                            CPlymSkinManagerClass* themeClass,
                                            int part,
                                            int state,
                                            const RECT* rect) {
    if (!themeClass || !rect)
        return FALSE;
    for (const plym::SolidFill& fill : themeClass->PlanBorderFill(part, state, ToPlymRect(*rect)))
        FillSolid(dc, ToWinRect(fill.rect), fill.color);
    return TRUE;
}

int CPlymSkinManagerSchema::GetBorderCount(DWORD style, DWORD exStyle, BOOL frame, BOOL clientEdge) {
    return plym::GetBorderCount(style, exStyle, frame != FALSE, clientEdge != FALSE,
                                m_metrics.BorderMultiplier());
}

void CPlymSkinManagerSchema::GetFrameBorders(RECT* borders, DWORD style, DWORD exStyle) {
    if (!borders)
        return;
    if (plym::UsesMaximizedBorders(style)) {
        RECT grown{0, 0, 100, 100};
        AdjustWindowRectEx(&grown, style, FALSE, exStyle);
        *borders = ToWinRect(plym::MaximizedFrameBorders(-grown.left, exStyle, m_metrics.Frame()));
        return;
    }
    *borders = ToWinRect(plym::FrameBorders(style, exStyle, m_metrics.Frame()));
}

void CPlymSkinManagerSchema::GetWindowFrameBorders(RECT* borders, HWND window) {
    GetFrameBorders(borders, StyleOf(window), ExStyleOf(window));
}

COLORREF CPlymSkinManagerSchema::GetSchemaColor(int n) {
    return m_metrics.ColorAt(n);
}

COLORREF CPlymSkinManagerSchema::GetFaceColor(HWND /*window*/) {
    return m_metrics.ColorAt(COLOR_BTNFACE);
}

void CPlymSkinManagerSchema::ReloadMetrics() {
    FreeFrameRegions();
    m_metrics.Refresh();
}

HICON CPlymSkinManagerSchema::GetFrameIcon(HWND window, BOOL /*forCaption*/) {
    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    if ((exStyle & WS_EX_TOOLWINDOW) || !(style & WS_SYSMENU))
        return nullptr;
    DWORD_PTR icon = 0;
    if (SendMessageTimeoutA(window, WM_GETICON, ICON_SMALL, 0, SMTO_ABORTIFHUNG, 100, &icon) && icon)
        return reinterpret_cast<HICON>(icon);
    if (SendMessageTimeoutA(window, WM_GETICON, ICON_BIG, 0, SMTO_ABORTIFHUNG, 100, &icon) && icon)
        return reinterpret_cast<HICON>(icon);
    if (exStyle & WS_EX_DLGMODALFRAME)
        return nullptr;
    if (HICON smallIcon = reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICONSM)))
        return smallIcon;
    return reinterpret_cast<HICON>(GetClassLongPtrA(window, GCLP_HICON));
}

SIZE CPlymSkinManagerSchema::GetCaptionButtonSize(CPlymSkinManagerClass* windowClass, int s) {
    if (!windowClass)
        return {s, s};
    const plym::Size size = windowClass->GetCaptionButtonSize(s, windowClass->ImageInfo());
    return {size.cx, size.cy};
}

int CPlymSkinManagerSchema::DrawCaptionButtons(HDC dc, IPlymSkinFrame* frame) {
    const HWND window = frame->GetFrameWindow();
    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    const int width = windowRect.right - windowRect.left;
    const plym::Rect borders = ToPlymRect(frame->GetStoredFrameBorders());
    const int n = GetBorderCount(style, exStyle, TRUE, FALSE);
    const plym::CaptionButtonRow row =
        plym::CaptionButtonGeometry(borders, n, style, exStyle, m_metrics.Frame());
    const SIZE button = (exStyle & WS_EX_TOOLWINDOW)
                            ? SIZE{row.size, row.size}
                            : GetCaptionButtonSize(GetThemeClass("WINDOW"), row.size);
    const int count = frame->GetCaptionButtonCount();
    for (int i = 0; i < count; ++i) {
        const plym::Rect rect =
            plym::CaptionButtonRect(width, borders, n, {button.cx, button.cy}, row.offset, i);
        frame->DrawCaptionButton(i, dc, ToWinRect(rect), frame->IsFrameActive());
    }
    return plym::CaptionButtonsLeft(width, borders, n, {button.cx, button.cy}, count);
}

void CPlymSkinManagerSchema::DrawClientEdge(HDC dc, const RECT& rect, IPlymSkinFrame* frame) {
    RECT r = rect;
    CPlymSkinManagerClass* themeClass = GetThemeClass(frame ? frame->GetThemeClassName() : "WINDOW");
    if (themeClass->GetThemeEnumValue(0, 0, plym::kPropBgType, plym::kBgTypeImageFile) ==
        plym::kBgTypeBorderFill) {
        FrameSolid(
            dc, r,
            themeClass->GetThemeColor(0, 0, plym::kPropBorderColor, m_metrics.ColorAt(COLOR_WINDOWFRAME)), 1);
        Shrink(&r, 1);
        FrameSolid(dc, r, frame ? frame->GetClientEdgeColor() : m_metrics.ColorAt(COLOR_WINDOW), 1);
        return;
    }
    const auto edge3d = [&](COLORREF topLeft, COLORREF bottomRight) {
        FillSolid(dc, {r.left, r.top, r.right - 1, r.top + 1}, topLeft);
        FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom - 1}, topLeft);
        FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, bottomRight);
        Shrink(&r, 1);
    };
    edge3d(m_metrics.Shadow(), m_metrics.Highlight());
    edge3d(m_metrics.DarkShadow(), m_metrics.Light());
}

void CPlymSkinManagerSchema::DrawFrameEdges(HDC dc, const RECT& rect, IPlymSkinFrame* frame) {
    const HWND window = frame->GetFrameWindow();
    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    RECT r = rect;
    if (exStyle & WS_EX_WINDOWEDGE)
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
    else if (exStyle & WS_EX_STATICEDGE)
        DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    if ((style & (WS_BORDER | WS_DLGFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) {
        const bool face =
            (exStyle & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME)) ||
            (style & WS_DLGFRAME);
        FrameSolid(dc, r, m_metrics.ColorAt(face ? COLOR_BTNFACE : COLOR_WINDOWFRAME), 1);
        Shrink(&r, 1);
    }
    if (style & WS_THICKFRAME) {
        const int width = m_metrics.BorderMultiplier();
        FrameSolid(dc, r, m_metrics.ColorAt(COLOR_BTNFACE), width);
        Shrink(&r, width);
    }
    if (exStyle & WS_EX_CLIENTEDGE)
        DrawClientEdge(dc, r, frame);
}

RECT CPlymSkinManagerSchema::GetFrameIconRect(IPlymSkinFrame* frame) {
    const HWND window = frame ? frame->GetFrameWindow() : nullptr;
    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    if (!window || (style & WS_CAPTION) != WS_CAPTION)
        return RECT{};
    RECT b = frame->GetStoredFrameBorders();
    if (exStyle & WS_EX_CLIENTEDGE) {
        b.left -= 2;
        b.top -= 2;
    }
    return CaptionIconSquare(b, GetBorderCount(style, exStyle, TRUE, FALSE) - m_metrics.BorderHeight());
}

BOOL CPlymSkinManagerSchema::DrawThemeFrameCaption(HDC dc, IPlymSkinFrame* frame) {
    if (!frame)
        return FALSE;
    const HWND window = frame->GetFrameWindow();
    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    RECT windowRect{};
    GetWindowRect(window, &windowRect);
    const int w = windowRect.right - windowRect.left;
    const int h = windowRect.bottom - windowRect.top;
    if ((style & WS_CAPTION) != WS_CAPTION) {
        DrawFrameEdges(dc, {0, 0, w, h}, frame);
        return TRUE;
    }
    RECT b = frame->GetStoredFrameBorders();
    const int n = GetBorderCount(style, exStyle, TRUE, FALSE);
    const BOOL active = frame->IsFrameActive();
    const int state = active ? 1 : 2;
    if (exStyle & WS_EX_CLIENTEDGE) {
        DrawClientEdge(dc, {b.left - 2, b.top - 2, w - b.right + 2, h - b.bottom + 2}, frame);
        b.left -= 2;
        b.top -= 2;
        b.right -= 2;
        b.bottom -= 2;
    }
    const bool tool = (exStyle & WS_EX_TOOLWINDOW) != 0;
    CPlymSkinManagerClass* windowClass = GetThemeClass("WINDOW");
    const RECT left{0, b.top, b.left, h - b.bottom};
    const RECT right{w - b.right, b.top, w, h - b.bottom};
    const RECT bottom{0, h - b.bottom, w, h};
    DrawThemeBackground(dc, windowClass, tool ? kSmallFrameLeft : kFrameLeft, state, &left);
    DrawThemeBackground(dc, windowClass, tool ? kSmallFrameRight : kFrameRight, state, &right);
    DrawThemeBackground(dc, windowClass, tool ? kSmallFrameBottom : kFrameBottom, state, &bottom);
    if (w <= 0 || b.top <= 0)
        return TRUE;

    CPlymScopedLock lock(&m_lock);
    HDC buffer = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, b.top);
    if (!buffer || !bitmap) {
        if (bitmap)
            DeleteObject(bitmap);
        if (buffer)
            DeleteDC(buffer);
        return FALSE;
    }
    const DWORD layout = GetLayout(dc);
    SetLayout(buffer, layout);
    const HGDIOBJ oldBitmap = SelectObject(buffer, bitmap);

    const RECT caption{0, 0, w, b.top};
    const int captionPart = tool                    ? kSmallCaption
                            : (style & WS_MAXIMIZE) ? kMaxCaption
                            : (style & WS_MINIMIZE) ? kMinCaption
                                                    : kCaption;
    DrawThemeBackground(buffer, windowClass, captionPart, state, &caption);

    const int k = n - m_metrics.BorderHeight();
    int textLeft = b.left;
    if (HICON icon = GetFrameIcon(window, TRUE)) {
        const RECT square = CaptionIconSquare(b, k);
        if (layout & LAYOUT_RTL)
            SetLayout(buffer, layout | LAYOUT_BITMAPORIENTATIONPRESERVED);
        DrawIconEx(buffer, square.left, square.top, icon, square.right - square.left,
                   square.bottom - square.top, 0, nullptr, DI_NORMAL);
        SetLayout(buffer, layout);
        textLeft = square.right;
    }
    const int buttonsLeft = DrawCaptionButtons(buffer, frame);

    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    SetTextColor(buffer, GetSchemaColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
    SetBkMode(buffer, TRANSPARENT);
    const HGDIOBJ oldFont =
        SelectObject(buffer, tool ? m_metrics.GetSmallCaptionFont() : m_metrics.GetCaptionFont());
    DWORD format = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;
    if (exStyle & WS_EX_RIGHT)
        format |= DT_RIGHT;
    if (exStyle & WS_EX_RTLREADING)
        format |= DT_RTLREADING;
    const RECT textRect{textLeft, k + 1, buttonsLeft, b.top};
    windowClass->DrawThemeText(buffer, tool ? kSmallCaption : kCaption, state, text.c_str(),
                               static_cast<int>(text.size()), format, &textRect);
    SelectObject(buffer, oldFont);

    BitBlt(dc, 0, 0, w, b.top, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(buffer);
    return TRUE;
}

BOOL CPlymSkinManagerSchema::RenderFramePart(IPlymSkinFrame* frame,
                                             int part,
                                             BOOL fixedWidth,
                                             int size,
                                             plym::PixelImage* image,
                                             plym::Rect* margins,
                                             plym::Color* key) {
    CPlymSkinManagerClass* windowClass = GetThemeClass("WINDOW");
    const std::string path = windowClass->GetThemeString(part, 1, plym::kPropImageFile, "");
    IPlymSkinImage* picture = path.empty() ? nullptr : windowClass->FetchImage(path);
    if (!picture || picture->PixelWidth() <= 0 || picture->PixelHeight() <= 0)
        return FALSE;
    const int count = windowClass->GetThemeInt(part, 1, plym::kPropImageCount, 1);
    if (count < 1)
        return FALSE;
    const RECT cell{0, 0, picture->PixelWidth(), picture->PixelHeight() / count};
    const int width = fixedWidth ? size : picture->PixelWidth();
    const int height = fixedWidth ? cell.bottom : size;
    if (width <= 0 || height <= 0 || width > plym::kMaxSkinExtent || height > plym::kMaxSkinExtent)
        return FALSE;

    const bool transparent =
        !picture->HasAlpha() && windowClass->GetThemeBool(part, 1, plym::kPropTransparent, false);
    COLORREF keyColor = kDefaultKey;
    if (transparent) {
        keyColor = windowClass->GetThemeColor(part, 1, plym::kPropTransparentColor, kDefaultKey);
        if (keyColor == CLR_INVALID)
            keyColor = kDefaultKey;
    }
    plym::Rect sizing =
        plym::ClampSkinMargins(windowClass->GetThemeRect(part, 1, plym::kPropSizingMargins, {}));
    if (sizing.top + sizing.bottom > height)
        sizing.bottom = std::max(height - sizing.top, 0);

    // A top-down 32-bit section whose pixels can be read back directly.
    const BITMAPINFO info = TopDownDibInfo(width, height);
    HDC windowDc = GetWindowDC(frame->GetFrameWindow());
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(windowDc);
    ReleaseDC(frame->GetFrameWindow(), windowDc);
    if (!bitmap || !memory || !bits) {
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        return FALSE;
    }
    const HGDIOBJ old = SelectObject(memory, bitmap);
    const RECT target{0, 0, width, height};
    FillSolid(memory, target, keyColor);
    picture->PaintPart(memory, target, cell, ToWinRect(sizing), transparent ? keyColor : CLR_INVALID,
                       plym::kSizingStretch, FALSE);
    GdiFlush();
    image->width = width;
    image->height = height;
    image->pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image->pixels.size(); ++i) {
        const uint32_t bgra = pixels[i];
        image->pixels[i] = plym::Rgb(static_cast<int>((bgra >> 16) & 0xFF),
                                     static_cast<int>((bgra >> 8) & 0xFF), static_cast<int>(bgra & 0xFF));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    *margins = sizing;
    *key = keyColor;
    return TRUE;
}

const plym::FrameRegion* CPlymSkinManagerSchema::FindFrameRegion(
    IPlymSkinFrame* frame,
    int width,
    int /*height*/,
    std::unique_ptr<plym::FrameRegion>* temporary) {
    const RECT borders = frame->GetStoredFrameBorders();
    const DWORD exStyle = ExStyleOf(frame->GetFrameWindow());
    const plym::RenderFramePartFn render = [this, frame](int part, bool fixedWidth, int size,
                                                         plym::PixelImage* image, plym::Rect* margins,
                                                         plym::Color* key) {
        return RenderFramePart(frame, part, fixedWidth ? TRUE : FALSE, size, image, margins, key) != FALSE;
    };
    return m_regions.Find(borders.top, borders.left, exStyle & WS_EX_TOOLWINDOW, width, render, temporary);
}

void CPlymSkinManagerSchema::AddRectToRegion(HRGN* region, int left, int top, int right, int bottom) {
    if (right <= left || bottom <= top)
        return;
    if (!*region) {
        *region = CreateRectRgn(left, top, right, bottom);
        return;
    }
    HRGN piece = CreateRectRgn(left, top, right, bottom);
    CombineRgn(*region, *region, piece, RGN_OR);
    DeleteObject(piece);
}

HRGN CPlymSkinManagerSchema::GetFrameRegion(IPlymSkinFrame* frame, int width, int height) {
    const HWND window = frame->GetFrameWindow();
    const DWORD style = StyleOf(window);
    const DWORD exStyle = ExStyleOf(window);
    if ((style & WS_MAXIMIZE) && !(style & WS_CHILD)) {
        const int b = frame->GetStoredFrameBorders().left - ((exStyle & WS_EX_CLIENTEDGE) ? 2 : 0);
        const RECT work = GetPlymMonitorHelper()->WorkAreaFromWindow(window);
        const RECT r =
            ToWinRect(plym::MaximizedFrameRegion(b, width, height, work.right - work.left == width));
        return CreateRectRgn(r.left, r.top, r.right, r.bottom);
    }
    HRGN region = CreateRectRgn(0, 0, width, height);
    std::unique_ptr<plym::FrameRegion> temporary;
    const plym::FrameRegion* entry = FindFrameRegion(frame, width, height, &temporary);
    if (!entry)
        return region;
    HRGN cut = nullptr;
    for (const plym::Rect& r : plym::FrameRegionCutouts(*entry, width, height))
        AddRectToRegion(&cut, r.left, r.top, r.right, r.bottom);
    if (cut) {
        CombineRgn(region, region, cut, RGN_DIFF);
        DeleteObject(cut);
    }
    return region;
}

void CPlymSkinManagerSchema::DrawFrameScrollBar(HDC dc,
                                                IPlymSkinFrame* frame,
                                                const plym::ScrollBarPosInfo* bar) {
    if (!frame || !bar)
        return;
    CPlymSkinManagerClass* scrollClass = GetThemeClass("SCROLLBAR");
    const int arrowCells = scrollClass->GetThemeInt(1, 0, plym::kPropImageCount, 16);
    const BOOL disabled = !IsWindowEnabled(frame->GetFrameWindow());
    const plym::ScrollBarPlan plan =
        plym::PlanScrollBar(*bar, frame->GetScrollTracking(*bar), disabled, arrowCells);
    if (!plan.draw)
        return;
    const RECT fill = ToWinRect(plan.fill);
    FillRect(dc, &fill, frame->GetClientBrush(dc));
    for (const plym::ScrollBarPiece& piece : plan.pieces) {
        const RECT rect = ToWinRect(piece.rect);
        DrawThemeBackground(dc, scrollClass, piece.part, piece.state, &rect);
    }
}
