// winlib/gdi.cpp
#include "winlib/gdi.h"

#include <map>
#include <memory>
#include <typeindex>
#include <unordered_map>
#include <utility>

#include "winlib/app.h"
#include "winlib/thread_state.h"
#include "winlib/wnd.h"

namespace {

// Temporary wrappers of this thread, by handle and wrapper type; each owns nothing.
using TempKey = std::pair<HGDIOBJ, std::type_index>;
std::map<TempKey, std::unique_ptr<CGdiObject>>& TempObjects() {
    thread_local std::map<TempKey, std::unique_ptr<CGdiObject>> map;
    return map;
}

std::unordered_map<HDC, std::unique_ptr<CDC>>& TempDCs() {
    thread_local std::unordered_map<HDC, std::unique_ptr<CDC>> map;
    return map;
}

template <class T>
T* TempObject(HGDIOBJ handle) {
    if (!handle)
        return nullptr;
    auto& slot = TempObjects()[TempKey(handle, std::type_index(typeid(T)))];
    if (!slot) {
        auto object = std::make_unique<T>();
        object->m_hObject = handle;  // not owned: the destructor leaves it
        slot = std::move(object);
    }
    return static_cast<T*>(slot.get());
}

}  // namespace

namespace winlib::detail {

void DeleteTempGdiObjects() {
    auto& objects = TempObjects();
    for (auto it = objects.begin(); it != objects.end();)
        it = ::GetObjectType(it->first.first) == 0 ? objects.erase(it) : std::next(it);
    auto& dcs = TempDCs();
    for (auto it = dcs.begin(); it != dcs.end();)
        it = ::GetObjectType(it->first) == 0 ? dcs.erase(it) : std::next(it);
}

}  // namespace winlib::detail

// ---- objects --------------------------------------------------------------------------

BOOL CGdiObject::Attach(HGDIOBJ object) {
    if (!object)
        return FALSE;
    Own(object);
    return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
    HGDIOBJ object = m_hObject;
    m_hObject = nullptr;
    m_owned = false;
    return object;
}

BOOL CGdiObject::DeleteObject() {
    if (!m_hObject)
        return FALSE;
    const BOOL ok = m_owned ? ::DeleteObject(m_hObject) : TRUE;
    m_hObject = nullptr;
    m_owned = false;
    return ok;
}

BOOL CGdiObject::CreateStockObject(int index) {
    DeleteObject();
    m_hObject = ::GetStockObject(index);  // stock objects are never deleted
    return m_hObject != nullptr;
}

CGdiObject* CGdiObject::FromHandle(HGDIOBJ object) {
    return TempObject<CGdiObject>(object);
}
CFont* CFont::FromHandle(HFONT font) {
    return TempObject<CFont>(font);
}
CBitmap* CBitmap::FromHandle(HBITMAP bitmap) {
    return TempObject<CBitmap>(bitmap);
}
CBrush* CBrush::FromHandle(HBRUSH brush) {
    return TempObject<CBrush>(brush);
}
CPen* CPen::FromHandle(HPEN pen) {
    return TempObject<CPen>(pen);
}
CRgn* CRgn::FromHandle(HRGN rgn) {
    return TempObject<CRgn>(rgn);
}

BOOL CFont::CreatePointFont(int tenthsOfPoint, LPCSTR face, CDC* dc) {
    HDC screen = dc ? nullptr : ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc ? dc->m_hDC : screen, LOGPIXELSY);
    if (screen)
        ::ReleaseDC(nullptr, screen);
    LOGFONTA font{};
    font.lfHeight = -::MulDiv(tenthsOfPoint, dpi, 720);
    font.lfCharSet = DEFAULT_CHARSET;
    if (face)
        ::lstrcpynA(font.lfFaceName, face, LF_FACESIZE);
    return CreateFontIndirect(&font);
}

BOOL CBitmap::LoadBitmap(UINT id) {
    return LoadBitmap(MAKEINTRESOURCEA(id));
}

BOOL CBitmap::LoadBitmap(LPCSTR name) {
    Own(::LoadBitmapA(AfxGetResourceHandle(), name));
    return m_hObject != nullptr;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
    Own(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, width, height));
    return m_hObject != nullptr;
}

// ---- device contexts ----------------------------------------------------------------------

void AfxThrowResourceException() {
    throw CResourceException();
}

CDC::~CDC() {
    if (m_owned && m_hDC && m_kind == Kind::Memory)
        ::DeleteDC(m_hDC);
}

BOOL CDC::Attach(HDC dc) {
    if (!dc || m_hDC)
        return FALSE;
    m_hDC = dc;
    m_kind = Kind::Attached;
    m_owned = false;
    return TRUE;
}

HDC CDC::Detach() {
    HDC dc = m_hDC;
    m_hDC = nullptr;
    m_owned = false;
    return dc;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) {
    if (m_hDC)
        return FALSE;
    m_hDC = ::CreateCompatibleDC(dc ? dc->m_hDC : nullptr);
    m_kind = Kind::Memory;
    m_owned = m_hDC != nullptr;
    return m_hDC != nullptr;
}

BOOL CDC::DeleteDC() {
    if (!m_hDC)
        return FALSE;
    const BOOL ok = m_owned && m_kind == Kind::Memory ? ::DeleteDC(m_hDC) : FALSE;
    m_hDC = nullptr;
    m_owned = false;
    return ok;
}

CDC* CDC::FromHandle(HDC dc) {
    if (!dc)
        return nullptr;
    auto& slot = TempDCs()[dc];
    if (!slot) {
        slot = std::make_unique<CDC>();
        slot->m_hDC = dc;
    }
    return slot.get();
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
    return object ? CGdiObject::FromHandle(::SelectObject(m_hDC, object->m_hObject)) : nullptr;
}
CFont* CDC::SelectObject(CFont* font) {
    return font ? CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, font->m_hObject))) : nullptr;
}
CBitmap* CDC::SelectObject(CBitmap* bitmap) {
    return bitmap ? CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, bitmap->m_hObject)))
                  : nullptr;
}
CBrush* CDC::SelectObject(CBrush* brush) {
    return brush ? CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, brush->m_hObject))) : nullptr;
}
CPen* CDC::SelectObject(CPen* pen) {
    return pen ? CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, pen->m_hObject))) : nullptr;
}
CGdiObject* CDC::SelectStockObject(int index) {
    return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
}

CPoint CDC::SetWindowOrg(int x, int y) {
    POINT old{};
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return old;
}
CPoint CDC::SetViewportOrg(int x, int y) {
    POINT old{};
    ::SetViewportOrgEx(m_hDC, x, y, &old);
    return old;
}
CSize CDC::SetWindowExt(int cx, int cy) {
    SIZE old{};
    ::SetWindowExtEx(m_hDC, cx, cy, &old);
    return old;
}
CSize CDC::SetViewportExt(int cx, int cy) {
    SIZE old{};
    ::SetViewportExtEx(m_hDC, cx, cy, &old);
    return old;
}
CSize CDC::GetWindowExt() const {
    SIZE s{};
    ::GetWindowExtEx(m_hDC, &s);
    return s;
}
CSize CDC::GetViewportExt() const {
    SIZE s{};
    ::GetViewportExtEx(m_hDC, &s);
    return s;
}

BOOL CDC::TransparentBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, UINT key) {
    return ::TransparentBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, key);
}

BOOL CDC::AlphaBlend(int x,
                     int y,
                     int w,
                     int h,
                     CDC* src,
                     int sx,
                     int sy,
                     int sw,
                     int sh,
                     BLENDFUNCTION blend) {
    return ::AlphaBlend(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, blend);
}

void CDC::FillSolidRect(const RECT* rect, COLORREF color) {
    const COLORREF old = ::SetBkColor(m_hDC, color);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, old);
}

void CDC::FillSolidRect(int x, int y, int w, int h, COLORREF color) {
    const RECT rect{x, y, x + w, y + h};
    FillSolidRect(&rect, color);
}

void CDC::Draw3dRect(const RECT* rect, COLORREF topLeft, COLORREF bottomRight) {
    Draw3dRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, topLeft,
               bottomRight);
}

void CDC::Draw3dRect(int x, int y, int w, int h, COLORREF topLeft, COLORREF bottomRight) {
    FillSolidRect(x, y, w - 1, 1, topLeft);
    FillSolidRect(x, y, 1, h - 1, topLeft);
    FillSolidRect(x + w, y, -1, h, bottomRight);
    FillSolidRect(x, y + h, w, -1, bottomRight);
}

CPoint CDC::MoveTo(int x, int y) {
    POINT old{};
    ::MoveToEx(m_hDC, x, y, &old);
    return old;
}

CSize CDC::GetTextExtent(LPCSTR text, int count) const {
    SIZE size{};
    if (text && count > 0)
        ::GetTextExtentPoint32A(m_hDC, text, count, &size);
    return size;
}

CPaintDC::CPaintDC(CWnd* wnd) {
    m_hWnd = wnd ? wnd->m_hWnd : nullptr;
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
    m_kind = Kind::Paint;
}

CPaintDC::~CPaintDC() {
    if (m_hDC)
        ::EndPaint(m_hWnd, &m_ps);
    m_hDC = nullptr;
}

CClientDC::CClientDC(const CWnd* wnd) {
    m_hWnd = wnd ? wnd->m_hWnd : nullptr;
    m_hDC = ::GetDC(m_hWnd);
    m_kind = Kind::Client;
}

CClientDC::~CClientDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

CWindowDC::CWindowDC(CWnd* wnd) {
    m_hWnd = wnd ? wnd->m_hWnd : nullptr;
    m_hDC = ::GetWindowDC(m_hWnd);
    m_kind = Kind::Window;
}

CWindowDC::~CWindowDC() {
    if (m_hDC)
        ::ReleaseDC(m_hWnd, m_hDC);
    m_hDC = nullptr;
}

CBitmapDC::CBitmapDC(HDC like, HBITMAP bitmap) {
    if (!bitmap)
        return;
    m_hDC = ::CreateCompatibleDC(like);
    m_kind = Kind::Memory;
    m_owned = m_hDC != nullptr;
    if (m_hDC)
        m_original = ::SelectObject(m_hDC, bitmap);
}

CBitmapDC::~CBitmapDC() {
    if (m_hDC && m_original)
        ::SelectObject(m_hDC, m_original);
}

void CBitmapDC::Select(HBITMAP bitmap) {
    if (IsReady() && bitmap)
        ::SelectObject(m_hDC, bitmap);
}
