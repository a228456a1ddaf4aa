// app/map/google_map_dlg.cpp
#include "app/map/google_map_dlg.h"

#include "app/language_codes.h"
#include "app/map/offset_db.h"
#include "app/messages.h"

namespace {

// A statement in UTF-16, from the ANSI code page.
std::wstring Widened(const std::string& text) {
    const int bytes = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, nullptr, 0);
    std::wstring out(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0)
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), bytes, out.data(), wide);
    return out;
}

}  // namespace

BEGIN_MESSAGE_MAP(CDlgGoogleMap, CPlayChildDialog)
ON_MESSAGE(WM_MAP_DRAW_TRACK, &CDlgGoogleMap::OnMapDrawTrack)
ON_MESSAGE(WM_MAP_CAR_POSITION, &CDlgGoogleMap::OnMapCarPosition)
ON_MESSAGE(WM_MAP_CLEAR, &CDlgGoogleMap::OnMapClear)
END_MESSAGE_MAP()

CDlgGoogleMap::CDlgGoogleMap()
    : CPlayChildDialog(IDD, Face::Painted, RGB(0, 0, 0)), m_offsets(g_offsetDb), m_bridge(*this, m_offsets) {}

CDlgGoogleMap::~CDlgGoogleMap() = default;

BOOL CDlgGoogleMap::OnInitDialog() {
    CPlayChildDialog::OnInitDialog();
    m_bridge.SetGpsTable(m_pConfig != nullptr ? &m_pConfig->m_gpsTable : nullptr);
    RECT client = {};
    GetClientRect(&client);
    m_view = track::MakeMapView(track::ChooseMapView());
    if (!m_view->CreateView(m_hWnd, IDC_MAP_VIEW, client, this)) {
        // No browser control after all: the statements are shown instead.
        m_view = track::MakeMapView(track::MapViewKind::Statements);
        if (!m_view->CreateView(m_hWnd, IDC_MAP_VIEW, client, this))
            m_view.reset();
    }
    ChildrenMade();
    if (m_view)
        m_view->Navigate(track::MapPageUrl());
    return TRUE;
}

void CDlgGoogleMap::PlaceChildren() {
    if (m_view && m_view->ViewWindow() != nullptr) {
        CRect client;
        GetClientRect(&client);
        ::MoveWindow(m_view->ViewWindow(), 0, 0, client.Width(), client.Height(), TRUE);
    }
}

void CDlgGoogleMap::RunMapScript(LPCSTR code) {
    if (!RunScript(code != nullptr ? code : ""))
        ShowMessage(track::kParentWindowError);
}

bool CDlgGoogleMap::RunScript(const std::string& statement) {
    return m_view && m_view->RunScript(Widened(statement));
}

void CDlgGoogleMap::ShowMessage(const std::string& text) {
    MessageBox(text.c_str());
}

void CDlgGoogleMap::OnPageLoaded() {
    m_bridge.OnPageLoaded(m_pConfig != nullptr ? m_pConfig->m_language : kLangEnglish);
}

LRESULT CDlgGoogleMap::OnMapDrawTrack(WPARAM first, LPARAM last) {
    if (!m_bridge.OnDrawTrack(track::MessageIndex(static_cast<intptr_t>(first)), track::MessageIndex(last)))
        return Default();
    return 0;
}

LRESULT CDlgGoogleMap::OnMapCarPosition(WPARAM index, LPARAM) {
    if (!m_bridge.OnCarPosition(track::MessageIndex(static_cast<intptr_t>(index))))
        return Default();
    return 0;
}

LRESULT CDlgGoogleMap::OnMapClear(WPARAM, LPARAM) {
    if (!m_bridge.OnClear())
        return Default();
    return 0;
}
