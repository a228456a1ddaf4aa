// app/map/google_map_dlg.h
//
// CDlgGoogleMap (template IDD_GOOGLE_MAP): the map page bridge of a map pane.
// It shows the map page GoogleMap\MapIndex.html beside the executable in a view
// that fills it (app/map/map_view_win32.h: the system's browser control, or
// the statement view where the system has no HTML engine) and tells the page,
// through track::MapBridge, what the play panes' three map messages ask:
//
//   WM_MAP_DRAW_TRACK    (first fix, last fix)  the track and its markers
//   WM_MAP_CAR_POSITION  (fix, 0)               the vehicle
//   WM_MAP_CLEAR         (0, 0)                 nothing drawn
//
// The fixes are the configuration's GPS table, corrected through the map
// offset database (g_offsetDb). Until the page raises its load event, and
// while the table is empty, the messages take their default way and the page
// hears nothing. When the page's window cannot be had for a statement, a
// message box says "Get parentWindow error!".
#pragma once

#include <memory>
#include <string>

#include "app/base/play_child_wnd.h"
#include "app/map/map_bridge.h"
#include "app/map/map_view_win32.h"
#include "res/map_pane_ids.h"

class CDlgGoogleMap : public CPlayChildDialog, private track::MapScriptHost, private track::MapViewEvents {
  public:
    enum { IDD = IDD_GOOGLE_MAP };
    CDlgGoogleMap();
    ~CDlgGoogleMap() override;

    // Runs one script statement in the page.
    void RunMapScript(LPCSTR code);
    BOOL PageLoaded() const { return m_bridge.PageLoaded(); }
    // The view showing the page (NULL before the dialog is made).
    track::MapView* View() const { return m_view.get(); }

  protected:
    BOOL OnInitDialog() override;
    void PlaceChildren() override;
    afx_msg LRESULT OnMapDrawTrack(WPARAM first, LPARAM last);
    afx_msg LRESULT OnMapCarPosition(WPARAM index, LPARAM);
    afx_msg LRESULT OnMapClear(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

  private:
    // MapScriptHost
    bool RunScript(const std::string& statement) override;
    void ShowMessage(const std::string& text) override;
    // MapViewEvents
    void OnPageLoaded() override;

    track::DbOffsetSource m_offsets;
    track::MapBridge m_bridge;
    std::unique_ptr<track::MapView> m_view;
};
