// app/map/map_view_win32.h
//
// The view in which the map page bridge shows the map page
// (GoogleMap\MapIndex.html beside the executable) and runs its statements.
// Two kinds, behind one small interface:
//
//   CBrowserMapView    the system's WebBrowser control, hosted in place by an
//                      OLE container of our own: it navigates to the page,
//                      raises "loaded" when the page clicks its element
//                      "LoadHtmlFinish", and runs a statement through
//                      execScript of the document's window ("javascript").
//   CStatementMapView  where the system cannot render HTML (under Wine here,
//                      which has no HTML engine): a plain window that lists
//                      the statements it was given, newest last, below the
//                      page's address, and raises "loaded" as soon as it is
//                      told the page.
//
// ChooseMapView picks the browser where the system can make an HTML document,
// else the statement view; VEK_MAP_VIEW=statements forces the statement view.
// The bridge falls back to the statement view when the browser cannot be made.
//
// GUI thread only; the views are children of the bridge's window.
#pragma once

#include <windows.h>

#include <deque>
#include <memory>
#include <string>

#include "winlib/winlib.h"

namespace track {

// Told by a view when its page has loaded.
class MapViewEvents {
  public:
    virtual void OnPageLoaded() = 0;

  protected:
    ~MapViewEvents() = default;
};

class MapView {
  public:
    virtual ~MapView() = default;
    // Makes the view as a child window of `parent` over `rect`; false (and no
    // window) when it cannot be made.
    virtual bool CreateView(HWND parent, UINT id, const RECT& rect, MapViewEvents* events) = 0;
    virtual HWND ViewWindow() const = 0;
    // Shows the page at `url`.
    virtual void Navigate(const std::wstring& url) = 0;
    // Runs one statement in the page; false when the page's window could not
    // be had (nothing ran). A statement that fails in the page is not
    // reported.
    virtual bool RunScript(const std::wstring& statement) = 0;
};

enum class MapViewKind { Browser, Statements };

MapViewKind ChooseMapView();
std::unique_ptr<MapView> MakeMapView(MapViewKind kind);

// "file:///<folder of the executable>\GoogleMap\MapIndex.html".
std::wstring MapPageUrl();

// Makes `wnd` a visible child window over `rect` (client coordinates of
// `parent`), as the views are made; false when it cannot be made.
bool CreateViewWindow(CWnd& wnd, HWND parent, UINT id, const RECT& rect, DWORD style);

class CStatementMapView final : public CWnd, public MapView {
  public:
    // How many statements it keeps (the oldest go first).
    static constexpr size_t kKept = 4096;

    bool CreateView(HWND parent, UINT id, const RECT& rect, MapViewEvents* events) override;
    HWND ViewWindow() const override { return m_hWnd; }
    void Navigate(const std::wstring& url) override;
    bool RunScript(const std::wstring& statement) override;

    const std::wstring& Url() const { return m_url; }
    // The statements kept, oldest first (as the page would have run them).
    const std::deque<std::string>& Statements() const { return m_statements; }

  protected:
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* dc);
    DECLARE_MESSAGE_MAP()

  private:
    MapViewEvents* m_events = nullptr;
    std::wstring m_url;
    std::deque<std::string> m_statements;
};

}  // namespace track
