// app/browse/device_list_model.h
//
// The network recorder list (CDlgDeviceList, the left part of the network
// playback page) without its windows. It logs in to one recorder through the
// network library, shows the recorder and its four channels in a tree with
// check boxes, asks for the days of the calendar's month that hold recordings
// of the checked channels (the calendar marks them) and for one day's records
// of each checked channel (the time bar's rows, one per pane = channel), and
// tells each pane the day it plays over the network. DeviceListModel makes
// every decision; the dialog forwards its buttons, the login statuses, the
// calendar's date changes and the arriving records, and does what the
// DeviceListPage and NetPlayback calls ask.
//
// The road of a login: OnLogin reads the form, shows "Login......" and starts
// the connection with this page's window as the target of the status message;
// the status then shows its text for five seconds and, unless logged in, logs
// out (status 2, the link lost, also enables Login again). Status 101 keeps
// the address in the history, fills the tree from the device information and
// shows the information panel instead of the form. Logout stops every pane,
// ends the connection and empties the tree and the calendar's marks.
//
// Threads: the network library may call the two record callbacks on a thread
// of its own. They only put the record into the inbox (under a lock) and ask
// the page to post the arrival to its own window; OnRecordsArrived, on the GUI
// thread, marks the calendar's days and adds the time-bar records. Nothing on
// the library's thread touches the calendar, the time bar or the tree.
//
// Decisions where the behaviour is otherwise open or unsound:
// - The device information's name may come back NULL: the tree's root then
//   shows the device name of the information record, read from its byte 44
//   up to its end at most, so an unterminated name cannot run past it. A name
//   handed back is read at most as far too.
// - A day of a month result outside 1..31 marks nothing.
// - A day result goes to the row of the day query it answers (taken when it
//   arrives, not when it is handled); a result that arrives after its row or
//   the marks were cleared again (a newer query, a logout) is dropped.
// - A change of the calendar's date (a day chosen or a month stepped) while
//   logged in queries again: the chosen day's records when the month is the
//   one last searched, else the whole month search, so the new month's days
//   get their marks back.
// - A login the library refuses at once (no handle, e.g. a port of 0) counts
//   as a failed connection: its text shows and the page logs out.
// - The link lost while logged in (status 2) ends what needed it: the panes
//   stop (they would otherwise play out what the library still holds, up to
//   minutes of it) and the time bar's rows go, since they can no longer be
//   played. The login form comes back, so that its status line shows the text
//   beside the enabled Login; Login then ends the lost login first and starts
//   a new one. The tree and the marks stay until then (or Logout).
// - The recorder's node is expanded, so its channels show at once.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/base/pane_has_records.h"
#include "app/base/pixel_rect.h"
#include "app/base/timebar_record.h"
#include "app/browse/calendar_model.h"
#include "app/browse/net_library.h"

namespace browse {

inline constexpr int kNetChannels = 4;
inline constexpr uint32_t kNetLoginMessage = 0x432;  // WM_NET_LOGIN_STATUS

// Language strings of the page.
inline constexpr int kStrMonthSearch = 164;
inline constexpr int kStrDaySearch = 165;
inline constexpr int kStrChannel1 = 247;  // "Channel1" .. 250 "Channel4"
inline constexpr int kStrLogin = 279;
inline constexpr int kStrLogout = 280;

// Tree images.
inline constexpr int kRootImage = 1;
inline constexpr int kChannelImage = 4;

// What the login form holds.
struct LoginData {
    std::string ip;
    std::string user;
    std::string password;
    int port = 0;
    int netType = 0;  // read, not sent
};

// What the information panel shows.
struct DeviceInfo {
    std::string ip;
    std::string name;
    int port = 0;
    int channels = 0;
    std::string user;
    bool operator==(const DeviceInfo&) const = default;
};

// The page's own controls, its two panels, the calendar and the configuration
// object.
class DeviceListPage {
  public:
    virtual ~DeviceListPage() = default;

    // The window the login statuses and the arrival notices go to.
    virtual NetHwnd Window() = 0;
    // Any thread: post the arrival of records to the page's own window.
    virtual void PostRecordsArrived() = 0;

    virtual LoginData GetLoginData() = 0;
    // The login form's status line; with `timer` it empties itself after 5 s.
    virtual void ShowStatus(const std::string& text, bool timer) = 0;
    virtual void FillIpCombo() = 0;
    virtual void ShowInfoPanel(bool show) = 0;  // the information panel, else the login form
    virtual void SetInfo(const DeviceInfo& info) = 0;

    virtual void EnableLogin(bool enable) = 0;
    virtual void EnableLogout(bool enable) = 0;
    virtual void EnableMonthSearch(bool enable) = 0;
    virtual void EnableDaySearch(bool enable) = 0;

    // The tree: the recorder's node with its four channel nodes under it.
    virtual void InsertDevice(const std::string& root,
                              const std::array<std::string, kNetChannels>& channels) = 0;
    virtual void DeleteAllNodes() = 0;
    virtual bool ChannelChecked(int channel) = 0;

    // The calendar: its date (nothing when invalid), its marks.
    virtual std::optional<CalendarDate> GetDate() = 0;
    virtual void ClearMarkedDays() = 0;
    virtual void SetDayMarked(int index) = 0;

    // The configuration object: login handle, logged-in flag, mode text, IP history.
    virtual uint32_t LoginHandle() = 0;
    virtual void SetLoginHandle(uint32_t handle) = 0;
    virtual bool LoggedIn() = 0;
    virtual void SetLoggedIn(bool loggedIn) = 0;
    virtual void SetModeText(const std::string& text) = 0;
    virtual void RememberLogin(const std::string& ip, int port) = 0;  // AddIpPort, then LoadIpPorts
    virtual std::string Text(int id) = 0;
};

// The playback side: tool bar, time bar and play panes of the network page.
class NetPlayback {
  public:
    virtual ~NetPlayback() = default;
    virtual void StopAllAndClear() = 0;  // every pane stopped, every time-bar row emptied
    virtual void ClearRecords(int row) = 0;
    virtual void AddTimebarRecord(int row, const play::_recfile_info_t& record) = 0;
    // The day pane `pane` plays over the network; nothing when the date is invalid.
    virtual void SetPlayDay(int pane, std::optional<CalendarDate> day) = 0;
    virtual void PostRecordsChanged() = 0;  // WM_RECORDS_CHANGED to the tool bar
};

// The time-bar record of a recorder's record: its type's colour, then its 28
// bytes as they came.
play::_recfile_info_t TimebarRecordOf(const NetRecordItem& item);
// The root node's text: the name the library handed back, else the name in
// the information record; each read at most up to the record's end.
std::string DeviceNameOf(const char* returned, const uint8_t* info, size_t infoSize);

// Where the page's controls go in its client rectangle.
struct DeviceListLayout {
    play::PixelRect panel;  // the login form and the information panel
    play::PixelRect login, logout;
    play::PixelRect tree;
    play::PixelRect monthSearch, daySearch;
    play::PixelRect calendar;
};
DeviceListLayout LayoutDeviceList(const play::PixelRect& client);

class DeviceListModel {
  public:
    DeviceListModel(NetLibrary& net,
                    DeviceListPage& page,
                    NetPlayback& playback,
                    std::span<int, kNetChannels> paneHasRecords);
    DeviceListModel(const DeviceListModel&) = delete;
    DeviceListModel& operator=(const DeviceListModel&) = delete;

    void OnLogin();  // Login, and Enter in the form
    void OnLogout();
    void Reset();  // a change of mode: the flags cleared, logged out
    void OnLoginStatus(int status);
    void OnMonthSearch();
    void OnDaySearch();
    void OnCalendarDateChanged();
    // On the GUI thread, after PostRecordsArrived: what the callbacks kept.
    void OnRecordsArrived();

    // kind 0 month, 1 day.
    void QueryRecords(int kind, int channel);

    static void VEK_CALL NetMonthRecordCallback(const NetRecordItem* record, uintptr_t user);
    static void VEK_CALL RecordQueryCallback(const NetRecordItem* record, uintptr_t user);

    bool LoginStarted() const { return loginStarted_; }
    const LoginData& Login() const { return login_; }

  private:
    struct Arrival {
        bool month = false;
        int row = 0;
        uint32_t epoch = 0;
        NetRecordItem item{};
    };
    // Month Search (the marks and the day) or Day Search (the day only).
    void Search(bool month);
    void Arrive(bool month, const NetRecordItem& item);
    void ClearFlags();
    void ClearMarks();
    void ClearRows();

    NetLibrary& net_;
    DeviceListPage& page_;
    NetPlayback& playback_;
    std::span<int, kNetChannels> paneHasRecords_;

    bool loginStarted_ = false;
    bool linkLost_ = false;
    LoginData login_;
    std::optional<std::pair<int, int>> searchedMonth_;  // year, month of the last month search

    // Shared with the library's threads.
    std::mutex lock_;
    int dayChannel_ = 0;  // the row of the most recent day query
    uint32_t markEpoch_ = 0;
    std::array<uint32_t, kNetChannels> rowEpoch_{};
    std::vector<Arrival> inbox_;
};

}  // namespace browse
