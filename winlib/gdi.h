// winlib/gdi.h
//
// GDI wrappers: CGdiObject and its kinds (CFont, CBitmap, CBrush, CPen, CRgn),
// and the device contexts CDC, CPaintDC, CClientDC, CWindowDC.
//
// Ownership: an object that made its GDI handle (Create*, Load*) deletes it
// in its destructor; Attach takes ownership, Detach gives it up; FromHandle
// returns a temporary wrapper that owns nothing and lives until the message
// loop is next idle (winlib::DeleteTempMaps). The same rules hold for CDC: a
// CDC made with CreateCompatibleDC deletes its DC; CPaintDC, CClientDC and
// CWindowDC end painting / release their DC in the destructor.
//
// SelectObject returns the previously selected object as a temporary wrapper,
// so the usual "select, draw, select the old one back" works; a memory DC is
// CreateCompatibleDC plus a CBitmap from CreateCompatibleBitmap. CGdiSelection
// does the select-and-restore for one drawing step, and CBitmapDC is the
// memory DC a picture is copied from or into; both also serve threads that
// must not touch the temporary wrappers (a render callback).
//
// Deliberately not done: metafiles, printing, mapping-mode helpers beyond
// SetMapMode and the origin/extent calls, paths.
#pragma once

#include <windows.h>

#include <exception>

#include "winlib/cstring.h"
#include "winlib/geometry.h"

class CDC;
class CWnd;

class CGdiObject {
  public:
    CGdiObject() = default;
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject() { DeleteObject(); }

    HGDIOBJ m_hObject = nullptr;
    operator HGDIOBJ() const { return m_hObject; }  // NOLINT
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    BOOL Attach(HGDIOBJ object);
    HGDIOBJ Detach();
    // Deletes the handle when this object owns it.
    BOOL DeleteObject();
    int GetObject(int size, void* buffer) const { return ::GetObjectA(m_hObject, size, buffer); }
    BOOL CreateStockObject(int index);

    static CGdiObject* FromHandle(HGDIOBJ object);

  protected:
    bool m_owned = false;
    void Own(HGDIOBJ object) {
        DeleteObject();
        m_hObject = object;
        m_owned = object != nullptr;
    }
};

class CFont : public CGdiObject {
  public:
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }  // NOLINT
    BOOL CreateFontIndirect(const LOGFONTA* font) {
        Own(::CreateFontIndirectA(font));
        return m_hObject != nullptr;
    }
    BOOL CreatePointFont(int tenthsOfPoint, LPCSTR face, CDC* dc = nullptr);
    int GetLogFont(LOGFONTA* font) const { return GetObject(sizeof(LOGFONTA), font); }
    static CFont* FromHandle(HFONT font);
};

class CBitmap : public CGdiObject {
  public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }  // NOLINT
    // From the resource module (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT id);
    BOOL LoadBitmap(LPCSTR name);
    BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
    BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
        Own(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
        return m_hObject != nullptr;
    }
    int GetBitmap(BITMAP* info) const { return GetObject(sizeof(BITMAP), info); }
    static CBitmap* FromHandle(HBITMAP bitmap);
};

class CBrush : public CGdiObject {
  public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }  // NOLINT
    BOOL CreateSolidBrush(COLORREF color) {
        Own(::CreateSolidBrush(color));
        return m_hObject != nullptr;
    }
    BOOL CreatePatternBrush(CBitmap* bitmap) {
        Own(::CreatePatternBrush(*bitmap));
        return m_hObject != nullptr;
    }
    BOOL CreateSysColorBrush(int index) {
        Own(::GetSysColorBrush(index));
        m_owned = false;
        return m_hObject != nullptr;
    }
    static CBrush* FromHandle(HBRUSH brush);
};

class CPen : public CGdiObject {
  public:
    CPen() = default;
    CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }  // NOLINT
    BOOL CreatePen(int style, int width, COLORREF color) {
        Own(::CreatePen(style, width, color));
        return m_hObject != nullptr;
    }
    static CPen* FromHandle(HPEN pen);
};

class CRgn : public CGdiObject {
  public:
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }  // NOLINT
    BOOL CreateRectRgn(int l, int t, int r, int b) {
        Own(::CreateRectRgn(l, t, r, b));
        return m_hObject != nullptr;
    }
    BOOL CreateRectRgnIndirect(const RECT* r) {
        Own(::CreateRectRgnIndirect(r));
        return m_hObject != nullptr;
    }
    BOOL CreateEllipticRgn(int l, int t, int r, int b) {
        Own(::CreateEllipticRgn(l, t, r, b));
        return m_hObject != nullptr;
    }
    BOOL CreateRoundRectRgn(int l, int t, int r, int b, int w, int h) {
        Own(::CreateRoundRectRgn(l, t, r, b, w, h));
        return m_hObject != nullptr;
    }
    BOOL CreatePolygonRgn(const POINT* points, int count, int fillMode) {
        Own(::CreatePolygonRgn(points, count, fillMode));
        return m_hObject != nullptr;
    }
    void SetRectRgn(int l, int t, int r, int b) { ::SetRectRgn(*this, l, t, r, b); }
    // RGN_AND, RGN_OR, ... into this region, which must exist.
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
        return ::CombineRgn(*this, *a, b ? static_cast<HRGN>(*b) : nullptr, mode);
    }
    BOOL PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
    BOOL PtInRegion(POINT p) const { return PtInRegion(p.x, p.y); }
    int GetRgnBox(LPRECT rect) const { return ::GetRgnBox(*this, rect); }
    int OffsetRgn(int dx, int dy) { return ::OffsetRgn(*this, dx, dy); }
    static CRgn* FromHandle(HRGN rgn);
};

class CDC {
  public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;
    virtual ~CDC();

    HDC m_hDC = nullptr;
    operator HDC() const { return m_hDC; }  // NOLINT
    HDC GetSafeHdc() const { return m_hDC; }

    BOOL Attach(HDC dc);
    HDC Detach();
    // A memory DC compatible with `dc` (NULL: the screen); deleted with this object.
    BOOL CreateCompatibleDC(CDC* dc);
    BOOL DeleteDC();
    static CDC* FromHandle(HDC dc);

    // Selection; the previous object comes back as a temporary wrapper.
    CGdiObject* SelectObject(CGdiObject* object);
    CFont* SelectObject(CFont* font);
    CBitmap* SelectObject(CBitmap* bitmap);
    CBrush* SelectObject(CBrush* brush);
    CPen* SelectObject(CPen* pen);
    int SelectObject(CRgn* rgn) { return ::SelectClipRgn(m_hDC, rgn ? static_cast<HRGN>(*rgn) : nullptr); }
    CGdiObject* SelectStockObject(int index);
    int SelectClipRgn(CRgn* rgn) { return SelectObject(rgn); }
    int IntersectClipRect(int l, int t, int r, int b) { return ::IntersectClipRect(m_hDC, l, t, r, b); }
    int IntersectClipRect(const RECT* r) { return IntersectClipRect(r->left, r->top, r->right, r->bottom); }
    int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    int GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }
    int SaveDC() { return ::SaveDC(m_hDC); }
    BOOL RestoreDC(int saved) { return ::RestoreDC(m_hDC, saved); }

    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    COLORREF GetTextColor() const { return ::GetTextColor(m_hDC); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF GetBkColor() const { return ::GetBkColor(m_hDC); }
    int SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
    int SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
    int SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
    int SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
    int GetMapMode() const { return ::GetMapMode(m_hDC); }
    CPoint SetWindowOrg(int x, int y);
    CPoint SetViewportOrg(int x, int y);
    CSize SetWindowExt(int cx, int cy);
    CSize SetViewportExt(int cx, int cy);
    CSize GetWindowExt() const;
    CSize GetViewportExt() const;
    int GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }
    BOOL IsPrinting() const { return GetDeviceCaps(TECHNOLOGY) == DT_RASPRINTER; }
    void LPtoDP(LPPOINT points, int count = 1) const { ::LPtoDP(m_hDC, points, count); }
    void LPtoDP(LPRECT rect) const { ::LPtoDP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2); }
    void DPtoLP(LPPOINT points, int count = 1) const { ::DPtoLP(m_hDC, points, count); }
    void DPtoLP(LPRECT rect) const { ::DPtoLP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2); }

    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, rop);
    }
    BOOL TransparentBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, UINT key);
    BOOL
    AlphaBlend(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, BLENDFUNCTION blend);
    // Draws a bitmap (DST_BITMAP) at (x, y), optionally DSS_DISABLED etc.
    BOOL DrawState(POINT p, SIZE size, HBITMAP bitmap, UINT flags, HBRUSH brush = nullptr) {
        return ::DrawStateA(m_hDC, brush, nullptr, reinterpret_cast<LPARAM>(bitmap), 0, p.x, p.y, size.cx,
                            size.cy, flags | DST_BITMAP);
    }
    BOOL PatBlt(int x, int y, int w, int h, DWORD rop) { return ::PatBlt(m_hDC, x, y, w, h, rop); }
    void FillSolidRect(const RECT* rect, COLORREF color);
    void FillSolidRect(int x, int y, int w, int h, COLORREF color);
    void FillRect(const RECT* rect, CBrush* brush) { ::FillRect(m_hDC, rect, *brush); }
    void FrameRect(const RECT* rect, CBrush* brush) { ::FrameRect(m_hDC, rect, *brush); }
    void Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight);
    void Draw3dRect(int x, int y, int w, int h, COLORREF topLeft, COLORREF bottomRight);
    BOOL FillRgn(CRgn* rgn, CBrush* brush) { return ::FillRgn(m_hDC, *rgn, *brush); }
    BOOL FrameRgn(CRgn* rgn, CBrush* brush, int w, int h) { return ::FrameRgn(m_hDC, *rgn, *brush, w, h); }
    BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }
    BOOL DrawIcon(POINT p, HICON icon) { return DrawIcon(p.x, p.y, icon); }
    BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rect, edge, flags); }
    BOOL DrawFocusRect(const RECT* rect) { return ::DrawFocusRect(m_hDC, rect); }

    CPoint MoveTo(int x, int y);
    CPoint MoveTo(POINT p) { return MoveTo(p.x, p.y); }
    BOOL LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
    BOOL LineTo(POINT p) { return LineTo(p.x, p.y); }
    BOOL Rectangle(int l, int t, int r, int b) { return ::Rectangle(m_hDC, l, t, r, b); }
    BOOL Rectangle(const RECT* r) { return Rectangle(r->left, r->top, r->right, r->bottom); }
    BOOL RoundRect(int l, int t, int r, int b, int w, int h) { return ::RoundRect(m_hDC, l, t, r, b, w, h); }
    BOOL Ellipse(int l, int t, int r, int b) { return ::Ellipse(m_hDC, l, t, r, b); }
    BOOL Ellipse(const RECT* r) { return Ellipse(r->left, r->top, r->right, r->bottom); }
    BOOL Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
    BOOL Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
    COLORREF SetPixel(int x, int y, COLORREF c) { return ::SetPixel(m_hDC, x, y, c); }
    COLORREF GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }

    int DrawText(LPCSTR text, int count, LPRECT rect, UINT format) {
        return ::DrawTextA(m_hDC, text, count, rect, format);
    }
    int DrawText(const CString& text, LPRECT rect, UINT format) {
        return DrawText(text, text.GetLength(), rect, format);
    }
    BOOL TextOut(int x, int y, LPCSTR text, int count) { return ::TextOutA(m_hDC, x, y, text, count); }
    BOOL TextOut(int x, int y, const CString& text) { return TextOut(x, y, text, text.GetLength()); }
    BOOL ExtTextOut(int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT* dx) {
        return ::ExtTextOutA(m_hDC, x, y, options, rect, text, count, dx);
    }
    CSize GetTextExtent(LPCSTR text, int count) const;
    CSize GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
    BOOL GetTextMetrics(LPTEXTMETRICA metrics) const { return ::GetTextMetricsA(m_hDC, metrics); }
    UINT SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }

  protected:
    enum class Kind { Attached, Memory, Paint, Client, Window };
    Kind m_kind = Kind::Attached;
    bool m_owned = false;
    HWND m_hWnd = nullptr;  // Paint / Client / Window: the window of the DC
};

class CPaintDC : public CDC {
  public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};
};

class CClientDC : public CDC {
  public:
    explicit CClientDC(const CWnd* wnd);
    ~CClientDC() override;
};

class CWindowDC : public CDC {
  public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;
};

// Keeps `object` selected into `dc` while it lives, then selects back what it
// replaced, so a drawing step leaves the DC as it found it. A NULL object (a
// font that could not be made, say) or a NULL DC selects nothing. Not for
// regions: their selection is the clip (CDC::SelectClipRgn).
class CGdiSelection {
  public:
    CGdiSelection(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_old(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    CGdiSelection(const CDC& dc, const CGdiObject& object) : CGdiSelection(dc.m_hDC, object.m_hObject) {}
    ~CGdiSelection() {
        if (m_old)
            ::SelectObject(m_dc, m_old);
    }
    CGdiSelection(const CGdiSelection&) = delete;
    CGdiSelection& operator=(const CGdiSelection&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A memory DC compatible with `like` (NULL: the screen) with `bitmap`
// selected while it lives: the source or target of block copies of a
// picture. The destructor selects the DC's own bitmap back and deletes the
// DC; the picture stays the caller's and must outlive this object. IsReady is
// FALSE when the DC could not be made or no bitmap was given.
class CBitmapDC : public CDC {
  public:
    CBitmapDC(HDC like, HBITMAP bitmap);
    ~CBitmapDC() override;
    CBitmapDC(const CBitmapDC&) = delete;
    CBitmapDC& operator=(const CBitmapDC&) = delete;

    BOOL IsReady() const { return m_hDC && m_original; }
    // Puts another picture in place of the current one (a mask, then its
    // picture).
    void Select(HBITMAP bitmap);

  private:
    HGDIOBJ m_original = nullptr;  // the DC's own bitmap
};

// Thrown when a GDI resource a drawing object needs cannot be had (a device
// context that cannot be attached). The window procedures catch it, as every
// exception, so a message whose painting fails only loses that painting.
class CResourceException : public std::exception {
  public:
    const char* what() const noexcept override { return "GDI resource unavailable"; }
};
[[noreturn]] void AfxThrowResourceException();
