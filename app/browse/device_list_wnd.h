// app/browse/device_list_wnd.h
//
// CDlgDeviceList: the network recorder list, the left part of the network
// playback page (child dialog IDD_DEVICE_LIST). A thin shell over
// browse::DeviceListModel, which makes every decision
// (app/browse/device_list_model.h): the dialog forwards its buttons, Enter in
// the login form, the login statuses (WM_NET_LOGIN_STATUS), the calendar's
// date changes and the arrival of records (WM_NET_RECORDS_ARRIVED), and does
// what the model asks through the DeviceListPage calls (its controls, the two
// panels, the calendar, the configuration object) and through
// the page's browse::ListPlayback (the time bar, tool bar and panes of the
// frame beside it).
//
// Layout (browse::LayoutDeviceList): the login form or the information panel
// on top, Login and Logout, the tree of the recorder and its four channels
// (check boxes: the channels searched), Month Search and Day Search, the
// month calendar (CCalendarWnd) at the bottom.
//
// The page calls SetConfigAndSkin and SetPlayback before creating it, then
// Reset (a change of mode) and
// PageDestroyed (the page's window is going: the login ends while the frame
// still exists).
#pragma once

#include <array>
#include <memory>
#include <string>

#include "app/base/play_child_wnd.h"
#include "app/browse/device_list_model.h"
#include "app/browse/device_panels.h"
#include "app/browse/list_playback.h"
#include "app/browse/net_library.h"
#include "controls/bmp_button.h"
#include "controls/month_calendar_wnd.h"
#include "res/device_list_ids.h"
#include "res/playback_ids.h"

class CDlgDeviceList : public CPlayChildDialog, private browse::DeviceListPage {
  public:
    enum { IDD = IDD_DEVICE_LIST };
    CDlgDeviceList();
    ~CDlgDeviceList() override;

    // The frame beside the list, before the list's window is made (nullptr:
    // none).
    void SetPlayback(browse::ListPlayback* playback) {
        m_playback = playback != nullptr ? playback : &m_noPlayback;
    }
    void Reset();
    void PageDestroyed();

    // NULL before the window is created.
    const browse::DeviceListModel* Model() const { return m_model.get(); }

    CDlgLogin m_dlgLogin;
    CDlgDeviceInfo m_dlgInfo;
    CCalendarWnd m_calendar;
    CTreeCtrl m_tree;
    CBmpButton m_btnMonthSearch;
    CBmpButton m_btnDaySearch;
    CBmpButton m_btnLogin;
    CBmpButton m_btnLogout;
    CImageList m_treeImages;

  protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;

    afx_msg void OnLogin();
    afx_msg void OnLogout();
    afx_msg void OnMonthSearch();
    afx_msg void OnDaySearch();
    afx_msg LRESULT OnLoginEnter(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnLoginStatus(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnCalendarDateChanged(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnRecordsArrived(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

    void PlaceChildren() override;

  private:
    void SetUpTree();
    void SetUpCalendar();

    // browse::DeviceListPage.
    NetHwnd Window() override { return m_window; }
    void PostRecordsArrived() override;
    browse::LoginData GetLoginData() override;
    void ShowStatus(const std::string& text, bool timer) override;
    void FillIpCombo() override;
    void ShowInfoPanel(bool show) override;
    void SetInfo(const browse::DeviceInfo& info) override;
    void EnableLogin(bool enable) override;
    void EnableLogout(bool enable) override;
    void EnableMonthSearch(bool enable) override;
    void EnableDaySearch(bool enable) override;
    void InsertDevice(const std::string& root,
                      const std::array<std::string, browse::kNetChannels>& channels) override;
    void DeleteAllNodes() override;
    bool ChannelChecked(int channel) override;
    std::optional<browse::CalendarDate> GetDate() override;
    void ClearMarkedDays() override;
    void SetDayMarked(int index) override;
    uint32_t LoginHandle() override;
    void SetLoginHandle(uint32_t handle) override;
    bool LoggedIn() override;
    void SetLoggedIn(bool loggedIn) override;
    void SetModeText(const std::string& text) override;
    void RememberLogin(const std::string& ip, int port) override;
    std::string Text(int id) override;

    browse::VekNetLibrary m_net;
    browse::NoPlayback m_noPlayback;
    browse::ListPlayback* m_playback = &m_noPlayback;
    std::unique_ptr<browse::DeviceListModel> m_model;
    std::array<HTREEITEM, browse::kNetChannels> m_channelNodes{};
    HWND m_window = nullptr;  // this page, for the library's threads to post to
    // Where the login's words go when there is no configuration object.
    uint32_t m_ownLoginHandle = 0;
    bool m_ownLoggedIn = false;
};
