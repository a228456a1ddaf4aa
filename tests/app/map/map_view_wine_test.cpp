// The map page's browser view under Wine, which has no HTML engine: the
// program chooses the statement view, and the browser control, hosted in our
// OLE container all the same, never gets a document: the page never raises its
// load event and a statement finds no page window to run in. The container
// is made, activated in place, resized and closed without harm.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "app/map/map_view_win32.h"
#include "tests/gui/harness/pump.h"

namespace {

struct Events : track::MapViewEvents {
    virtual ~Events() = default;
    void OnPageLoaded() override { ++loaded; }
    int loaded = 0;
};

TEST(BrowserMapView, WithoutAnHtmlEngineNoPageLoadsAndNoStatementRuns) {
    EXPECT_EQ(track::ChooseMapView(), track::MapViewKind::Statements);

    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, nullptr, "Map host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 400, 300,
                              nullptr, nullptr));
    Events events;
    std::unique_ptr<track::MapView> view = track::MakeMapView(track::MapViewKind::Browser);
    const RECT area = {0, 0, 400, 300};
    ASSERT_TRUE(view->CreateView(host, 1150, area, &events));
    EXPECT_NE(view->ViewWindow(), nullptr);
    view->Navigate(track::MapPageUrl());
    vekgui::PumpFor(1500);
    EXPECT_EQ(events.loaded, 0);
    EXPECT_FALSE(view->RunScript(L"clearMarker()"));
    ::MoveWindow(view->ViewWindow(), 0, 0, 200, 100, TRUE);
    vekgui::Pump();
    view.reset();
    host.DestroyWindow();
    vekgui::Pump();
}

}  // namespace
