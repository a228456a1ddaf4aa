// app/map/statement_map_view_win32.cpp
//
// The statement view, and what both views share: the choice between them and
// the page's address.
#include <objbase.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/map/map_view_win32.h"
#include "controls/mem_dc.h"

namespace track {

namespace {

constexpr COLORREF kFace = RGB(24, 28, 32);
constexpr COLORREF kAddressColour = RGB(128, 160, 192);
constexpr COLORREF kStatementColour = RGB(208, 208, 208);
constexpr int kMargin = 4;

std::string Narrow(const std::wstring& text) {
    const int wide = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        ::WideCharToMultiByte(CP_ACP, 0, text.data(), wide, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

// Whether the system can make an HTML document (its browser control renders
// pages). Wine without its HTML engine cannot.
bool SystemRendersHtml() {
    // {25336920-03F9-11CF-8FD0-00AA00686F13}, not in MinGW's uuid library.
    static const CLSID kHtmlDocument = {
        0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};
    const HRESULT init = ::CoInitialize(nullptr);
    IUnknown* document = nullptr;
    const HRESULT made = ::CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                            reinterpret_cast<void**>(&document));
    if (document != nullptr)
        document->Release();
    if (SUCCEEDED(init))
        ::CoUninitialize();
    return SUCCEEDED(made) && document != nullptr;
}

}  // namespace

MapViewKind ChooseMapView() {
    const char* forced = std::getenv("VEK_MAP_VIEW");
    if (forced != nullptr && std::strcmp(forced, "statements") == 0)
        return MapViewKind::Statements;
    static const bool renders = SystemRendersHtml();  // once: the system does not change
    return renders ? MapViewKind::Browser : MapViewKind::Statements;
}

std::wstring MapPageUrl() {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD n = 0;
    for (;;) {
        n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size() || path.size() >= 32768)
            break;
        path.resize(path.size() * 2);
    }
    std::wstring folder(path.data(), n < path.size() ? n : 0);
    const size_t slash = folder.find_last_of(L'\\');
    folder.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return L"file:///" + folder + L"GoogleMap\\MapIndex.html";
}

bool CreateViewWindow(CWnd& wnd, HWND parent, UINT id, const RECT& rect, DWORD style) {
    return wnd.CreateEx(0, AfxRegisterWndClass(0), "", WS_CHILD | WS_VISIBLE | style, rect.left, rect.top,
                        rect.right - rect.left, rect.bottom - rect.top, parent,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))) != FALSE;
}

// ---- the statement view ------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CStatementMapView, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

bool CStatementMapView::CreateView(HWND parent, UINT id, const RECT& rect, MapViewEvents* events) {
    m_events = events;
    return CreateViewWindow(*this, parent, id, rect, 0);
}

void CStatementMapView::Navigate(const std::wstring& url) {
    m_url = url;
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
    // Nothing to load: the page is as good as loaded.
    if (m_events != nullptr)
        m_events->OnPageLoaded();
}

bool CStatementMapView::RunScript(const std::wstring& statement) {
    if (m_statements.size() >= kKept)
        m_statements.pop_front();
    m_statements.push_back(Narrow(statement));
    if (m_hWnd != nullptr)
        Invalidate(FALSE);
    return true;
}

BOOL CStatementMapView::OnEraseBkgnd(CDC*) {
    return TRUE;  // the paint covers the client
}

void CStatementMapView::OnPaint() {
    PaintBuffered(*this, [this](CDC& dc, const CRect& client) {
        dc.FillSolidRect(&client, kFace);
        const CGdiSelection font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICA metrics{};
        dc.GetTextMetrics(&metrics);
        const int line = metrics.tmHeight > 0 ? metrics.tmHeight : 14;
        dc.SetBkMode(TRANSPARENT);
        const UINT format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS;
        CRect row(client.left + kMargin, client.top + kMargin, client.right - kMargin,
                  client.top + kMargin + line);
        const std::string address = Narrow(m_url);
        dc.SetTextColor(kAddressColour);
        dc.DrawText(address.c_str(), static_cast<int>(address.size()), &row, format);
        // The newest statements that fit, oldest of them first.
        const int rows = (client.bottom - kMargin - row.bottom) / line;
        const size_t shown = rows > 0 ? std::min(static_cast<size_t>(rows), m_statements.size()) : 0;
        dc.SetTextColor(kStatementColour);
        for (size_t i = m_statements.size() - shown; i < m_statements.size(); ++i) {
            row.OffsetRect(0, line);
            dc.DrawText(m_statements[i].c_str(), static_cast<int>(m_statements[i].size()), &row, format);
        }
    });
}

}  // namespace track
