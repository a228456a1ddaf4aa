// The network recorder list's model against a scripted network library: the
// login and its statuses, the tree and the information panel, logout and
// reset, the month and day queries of the checked channels, the calendar's
// date changes, and the records the library hands over on a thread of its
// own.
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

#include "app/browse/device_list_model.h"
#include "tests/app/browse/browse_model_fakes.h"

namespace browse::testing {
namespace {

NetRecordItem Item(int year, int month, int day, int hour = 9, int type = 1, uint32_t length = 1000) {
    NetRecordItem item{};
    item.word = 0x5A;
    item.start = {static_cast<uint16_t>(year),
                  static_cast<uint8_t>(month),
                  static_cast<uint8_t>(day),
                  static_cast<uint8_t>(hour),
                  0,
                  0,
                  0};
    item.end = item.start;
    item.end.minute = 30;
    item.type = type;
    item.length = length;
    return item;
}

// The network library: logins answer with a handle, the device information
// is scripted, and each query hands over the items scripted for its command
// and channel, on the calling thread or on a thread of its own.
class FakeNet : public NetLibrary {
  public:
    explicit FakeNet(CallLog& log) : log_(log) {}

    uint32_t ConnectionStart(const NetLoginRequest& r) override {
        log_.Add("ConnectionStart");
        request = r;
        ip = r.ip, user = r.user, password = r.password;
        return loginHandle;
    }
    void ConnectionStop(uint32_t* login) override {
        log_.Add("ConnectionStop " + std::to_string(*login));
        *login = 0;
    }
    const char* GetDevInfo(uint32_t, uint8_t* buffer, int32_t size) override {
        std::memcpy(buffer, info.data(), std::min<size_t>(info.size(), static_cast<size_t>(size)));
        return returnName ? reinterpret_cast<const char*>(buffer + VEKNET_DEVINFO_NAME) : nullptr;
    }
    int32_t QueryRecord(uint32_t login, const NetRecordQuery& q) override {
        queries.push_back(q);
        log_.Add((q.command == VEKNET_QUERY_MONTH ? "Month " : "Day ") + std::to_string(q.channel) +
                 " login " + std::to_string(login));
        const bool month = q.command == VEKNET_QUERY_MONTH;
        const std::vector<NetRecordItem>& items = month ? monthItems[q.channel] : dayItems[q.channel];
        const NetRecordCallback callback = month ? q.monthCallback : q.dayCallback;
        const auto deliver = [&] {
            for (const NetRecordItem& item : items)
                callback(&item, q.user);
        };
        if (otherThread)
            std::thread(deliver).join();
        else
            deliver();
        return static_cast<int32_t>(items.size());
    }

    void SetInfo(const std::string& name, uint8_t channels) {
        info.fill(0);
        std::memcpy(info.data() + VEKNET_DEVINFO_NAME, name.data(), name.size());
        info[VEKNET_DEVINFO_CHANNELS] = channels;
    }

    uint32_t loginHandle = 42;
    NetLoginRequest request{};
    std::string ip, user, password;
    std::array<uint8_t, VEKNET_DEVINFO_SIZE> info{};
    bool returnName = true;
    bool otherThread = false;
    std::map<int, std::vector<NetRecordItem>> monthItems;  // by selector
    std::map<int, std::vector<NetRecordItem>> dayItems;    // by channel
    std::vector<NetRecordQuery> queries;

  private:
    CallLog& log_;
};

// The page: logs what it is asked and keeps the configuration's words. The
// arrival notices it should post are counted; the test hands them over.
class FakeListPage : public DeviceListPage {
  public:
    explicit FakeListPage(CallLog& log) : log_(log) {}

    NetHwnd Window() override { return reinterpret_cast<NetHwnd>(&window); }
    void PostRecordsArrived() override { ++posted; }
    LoginData GetLoginData() override { return form; }
    void ShowStatus(const std::string& text, bool timer) override {
        log_.Add("Status '" + text + "'" + (timer ? " 5s" : ""));
    }
    void FillIpCombo() override { log_.Add("FillIpCombo"); }
    void ShowInfoPanel(bool show) override { log_.Add(show ? "ShowInfo" : "ShowForm"); }
    void SetInfo(const DeviceInfo& i) override { info = i; }
    void EnableLogin(bool e) override { log_.Add(std::string("Login ") + (e ? "on" : "off")); }
    void EnableLogout(bool e) override { log_.Add(std::string("Logout ") + (e ? "on" : "off")); }
    void EnableMonthSearch(bool e) override { log_.Add(std::string("MonthSearch ") + (e ? "on" : "off")); }
    void EnableDaySearch(bool e) override { log_.Add(std::string("DaySearch ") + (e ? "on" : "off")); }
    void InsertDevice(const std::string& r, const std::array<std::string, kNetChannels>& c) override {
        log_.Add("InsertDevice");
        root = r, channels = c;
    }
    void DeleteAllNodes() override {
        log_.Add("DeleteAllNodes");
        root.clear();
    }
    bool ChannelChecked(int channel) override { return checked[channel]; }
    std::optional<CalendarDate> GetDate() override { return date; }
    void ClearMarkedDays() override {
        log_.Add("ClearMarkedDays");
        marks.clear();
    }
    void SetDayMarked(int index) override { marks.push_back(index); }
    uint32_t LoginHandle() override { return handle; }
    void SetLoginHandle(uint32_t h) override { handle = h; }
    bool LoggedIn() override { return loggedIn; }
    void SetLoggedIn(bool l) override { loggedIn = l; }
    void SetModeText(const std::string& text) override { modeText = text; }
    void RememberLogin(const std::string& ip, int port) override {
        log_.Add("RememberLogin " + ip + " " + std::to_string(port));
    }
    std::string Text(int id) override { return "#" + std::to_string(id); }

    int window = 0;
    int posted = 0;
    LoginData form{"127.0.0.1", "admin", "secret", 8000, 0};
    DeviceInfo info;
    std::string root;
    std::array<std::string, kNetChannels> channels;
    std::array<bool, kNetChannels> checked{};
    std::optional<CalendarDate> date = CalendarDate{2024, 3, 5};
    std::vector<int> marks;
    uint32_t handle = 0;
    bool loggedIn = false;
    std::string modeText;

  private:
    CallLog& log_;
};

class FakeNetPlayback : public NetPlayback {
  public:
    explicit FakeNetPlayback(CallLog& log) : log_(log) {}
    void StopAllAndClear() override {
        log_.Add("StopAllAndClear");
        for (auto& row : rows)
            row.clear();
    }
    void ClearRecords(int row) override {
        log_.Add("ClearRecords " + std::to_string(row));
        rows[row].clear();
    }
    void AddTimebarRecord(int row, const play::_recfile_info_t& record) override {
        EXPECT_EQ(std::this_thread::get_id(), gui) << "the time bar is touched on the GUI thread only";
        rows[row].push_back(record);
    }
    void SetPlayDay(int pane, std::optional<CalendarDate> day) override { playDays[pane] = day; }
    void PostRecordsChanged() override { log_.Add("RecordsChanged"); }

    std::thread::id gui = std::this_thread::get_id();
    std::array<std::vector<play::_recfile_info_t>, kNetChannels> rows;
    std::map<int, std::optional<CalendarDate>> playDays;

  private:
    CallLog& log_;
};

class DeviceListTest : public ::testing::Test {
  protected:
    DeviceListTest() { std::fill(std::begin(flags_), std::end(flags_), 7); }

    void LogIn() {
        model_.OnLogin();
        model_.OnLoginStatus(VEKNET_STATUS_LOGGED_IN);
        log_.calls.clear();
    }
    // The arrival notices the page posted, handled on this (the GUI) thread.
    void Pump() {
        if (std::exchange(page_.posted, 0) > 0)
            model_.OnRecordsArrived();
    }

    CallLog log_;
    FakeNet net_{log_};
    FakeListPage page_{log_};
    FakeNetPlayback playback_{log_};
    int flags_[kNetChannels] = {};
    DeviceListModel model_{net_, page_, playback_, std::span<int, kNetChannels>(flags_)};
};

TEST_F(DeviceListTest, LoginSendsTheFormAndTheWindowAndShowsLoginDotsUntilTheStatus) {
    page_.loggedIn = true;  // a stale flag: the login clears it
    model_.OnLogin();
    model_.OnLogin();  // a second Login while one runs does nothing
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"Login off", "Status '#309'", "ConnectionStart"}));
    EXPECT_FALSE(page_.loggedIn);
    EXPECT_EQ(page_.handle, 42u);
    EXPECT_EQ(net_.ip, "127.0.0.1");
    EXPECT_EQ(net_.user, "admin");
    EXPECT_EQ(net_.password, "secret");
    EXPECT_EQ(net_.request.port, 8000);
    EXPECT_EQ(net_.request.window, page_.Window());
    EXPECT_EQ(net_.request.message, 0x432u);
    EXPECT_EQ(net_.request.userData, reinterpret_cast<uintptr_t>(&model_));
    EXPECT_EQ(net_.request.reserved1, 1);
    EXPECT_EQ(net_.request.reserved2[0] | net_.request.reserved2[1] | net_.request.reserved2[2], 0);

    model_.OnLoginStatus(VEKNET_STATUS_PROGRESS);  // changes nothing
    EXPECT_EQ(log_.calls.size(), 3u);
}

TEST_F(DeviceListTest, LoggedInTheTreeShowsTheRecorderAndItsChannelsAndThePanelItsInformation) {
    net_.SetInfo("Garage", 4);
    model_.OnLogin();
    log_.calls.clear();
    model_.OnLoginStatus(VEKNET_STATUS_LOGGED_IN);
    EXPECT_EQ(log_.calls,
              (std::vector<std::string>{"Status ''", "RememberLogin 127.0.0.1 8000", "FillIpCombo",
                                        "Login off", "Logout on", "InsertDevice", "ShowInfo"}));
    EXPECT_TRUE(page_.loggedIn);
    EXPECT_EQ(page_.modeText, "127.0.0.1");
    EXPECT_EQ(page_.root, "Garage");
    EXPECT_EQ(page_.channels, (std::array<std::string, 4>{"#247", "#248", "#249", "#250"}));
    EXPECT_EQ(page_.info, (DeviceInfo{"127.0.0.1", "Garage", 8000, 4, "admin"}));

    log_.calls.clear();
    model_.OnLoginStatus(VEKNET_STATUS_LOGGED_IN);  // already logged in
    EXPECT_TRUE(log_.calls.empty());
}

// Mended: a NULL name from the device information falls back to the name in
// the record, read no further than the record's end.
TEST_F(DeviceListTest, WithoutANameFromTheLibraryTheRootShowsTheRecordsBoundedName) {
    net_.returnName = false;
    net_.SetInfo("Depot", 2);
    LogIn();
    EXPECT_EQ(page_.root, "Depot");

    model_.OnLogout();
    net_.info.fill('A');  // no terminating zero anywhere
    LogIn();
    EXPECT_EQ(page_.root, std::string(VEKNET_DEVINFO_SIZE - VEKNET_DEVINFO_NAME, 'A'));
    EXPECT_EQ(page_.info.name, page_.root);

    uint8_t record[VEKNET_DEVINFO_SIZE];
    std::memset(record, 'B', sizeof record);
    EXPECT_EQ(DeviceNameOf(reinterpret_cast<const char*>(record) + 200, record, sizeof record).size(), 32u);
    EXPECT_EQ(DeviceNameOf(nullptr, record, 10), "");
}

TEST_F(DeviceListTest, FailedLoginsShowTheirTextForFiveSecondsAndLogOut) {
    const struct {
        int status;
        const char* text;
    } cases[] = {{103, "#306"}, {104, "#307"}, {105, "#305"}, {106, "#308"}, {2, "#305"}};
    for (const auto& c : cases) {
        log_.calls.clear();
        model_.OnLogin();
        model_.OnLoginStatus(c.status);
        const std::string status = std::string("Status '") + c.text + "' 5s";
        EXPECT_GE(log_.Find(status), 0) << c.status;
        EXPECT_LT(log_.Find(status), log_.Find("ConnectionStop 42")) << c.status;
        EXPECT_GE(log_.Find("Login on"), 0) << c.status;
        EXPECT_GE(log_.Find("ShowForm"), 0) << c.status;
        EXPECT_FALSE(model_.LoginStarted()) << c.status;
        EXPECT_EQ(page_.handle, 0u) << c.status;
    }

    // A login the library refuses at once shows the connection's failure.
    net_.loginHandle = 0;
    log_.calls.clear();
    model_.OnLogin();
    EXPECT_GE(log_.Find("Status '#305' 5s"), 0);
    EXPECT_FALSE(model_.LoginStarted());
}

// Decided: a lost link stops the panes and empties the time bar, its text
// shows in the login form, brought back, and Login ends the lost login before
// it starts a new one.
TEST_F(DeviceListTest, ALostLinkWhileLoggedInStopsThePanesShowsTheFormAndLoginStartsOver) {
    LogIn();
    flags_[2] = 1;
    model_.OnLoginStatus(VEKNET_STATUS_LINK_LOST);
    EXPECT_EQ(log_.calls,
              (std::vector<std::string>{"Login on", "Status '#305' 5s", "StopAllAndClear", "ShowForm"}));
    EXPECT_EQ(flags_[2], 0);
    EXPECT_TRUE(model_.LoginStarted());
    EXPECT_TRUE(page_.loggedIn) << "the tree and the marks stay until Logout or a new login";

    log_.calls.clear();
    model_.OnLogin();
    EXPECT_EQ(log_.calls,
              (std::vector<std::string>{"StopAllAndClear", "ConnectionStop 42", "Login on", "Logout off",
                                        "DeleteAllNodes", "ShowForm", "ClearMarkedDays", "Login off",
                                        "Status '#309'", "ConnectionStart"}));
    model_.OnLoginStatus(VEKNET_STATUS_LOGGED_IN);
    model_.OnLogin();  // logged in again: Login does nothing
    EXPECT_EQ(log_.Count("ConnectionStart"), 1);

    model_.OnLoginStatus(VEKNET_STATUS_LINK_LOST);
    log_.calls.clear();
    model_.OnLogout();
    EXPECT_EQ(log_.calls,
              (std::vector<std::string>{"StopAllAndClear", "ConnectionStop 42", "Login on", "Logout off",
                                        "DeleteAllNodes", "ShowForm", "ClearMarkedDays"}));
    EXPECT_FALSE(page_.loggedIn);
    log_.calls.clear();
    model_.OnLogout();  // not logged in: nothing
    EXPECT_TRUE(log_.calls.empty());
    model_.Reset();
    EXPECT_TRUE(log_.calls.empty());
    for (int flag : flags_)
        EXPECT_EQ(flag, 0);
}

TEST_F(DeviceListTest, MonthSearchQueriesTheMonthAndTheDayOfEachCheckedChannel) {
    LogIn();
    page_.checked = {true, false, true, false};
    page_.marks = {3};
    net_.monthItems[1] = {Item(2024, 3, 4), Item(2024, 3, 5)};
    net_.monthItems[4] = {Item(2024, 3, 9)};
    net_.dayItems[0] = {Item(2024, 3, 5, 8, 1), Item(2024, 3, 5, 10, -1, 5000)};
    model_.OnMonthSearch();
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"MonthSearch off", "StopAllAndClear", "ClearMarkedDays",
                                                    "Month 1 login 42", "ClearRecords 0", "Day 0 login 42",
                                                    "Month 4 login 42", "ClearRecords 2", "Day 2 login 42",
                                                    "MonthSearch on"}));
    ASSERT_EQ(net_.queries.size(), 4u);
    const NetRecordQuery& month = net_.queries[0];
    EXPECT_EQ(month.command, 102);
    EXPECT_EQ(month.start.year, 2024);
    EXPECT_EQ(month.start.day, 1);
    EXPECT_EQ(month.end.day, 31);
    EXPECT_EQ(month.end.hour, 23);
    EXPECT_EQ(month.end.second, 59);
    EXPECT_EQ(month.reserved24, -1);
    EXPECT_EQ(month.dayCallback, nullptr);
    EXPECT_EQ(month.user, reinterpret_cast<uintptr_t>(&model_));
    const NetRecordQuery& day = net_.queries[1];
    EXPECT_EQ(day.command, 101);
    EXPECT_EQ(day.channel, 0);
    EXPECT_EQ(day.start.day, 5);
    EXPECT_EQ(day.end.day, 5);
    EXPECT_EQ(day.monthCallback, nullptr);
    EXPECT_EQ(flags_[0], 2);
    EXPECT_EQ(flags_[1], 0);
    EXPECT_EQ(flags_[2], 0);
    EXPECT_EQ(playback_.playDays[0], (CalendarDate{2024, 3, 5}));
    EXPECT_EQ(playback_.playDays[2], (CalendarDate{2024, 3, 5}));

    // The records arrive by message: the marks and the rows then.
    EXPECT_TRUE(page_.marks.empty());
    EXPECT_TRUE(playback_.rows[0].empty());
    log_.calls.clear();
    Pump();
    EXPECT_EQ(page_.marks, (std::vector<int>{3, 4, 8}));
    ASSERT_EQ(playback_.rows[0].size(), 2u);
    const play::_recfile_info_t& r = playback_.rows[0][1];
    EXPECT_EQ(r.colour, 0xFFA346u);
    EXPECT_EQ(r.downloadState, 0u);
    EXPECT_EQ(r.sourceWord, 0x5Au);
    EXPECT_EQ(r.start.hour, 10);
    EXPECT_EQ(r.end.minute, 30);
    EXPECT_EQ(r.type, -1);
    EXPECT_EQ(r.length, 5000u);
    EXPECT_EQ(r.downloadHandle, 0u);
    EXPECT_EQ(playback_.rows[0][0].colour, 0x00FF00u);
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"RecordsChanged"}));

    // No channel checked: nothing is queried, but marks and time bar are cleared.
    page_.checked = {};
    log_.calls.clear();
    model_.OnMonthSearch();
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"MonthSearch off", "StopAllAndClear", "ClearMarkedDays",
                                                    "MonthSearch on"}));
    EXPECT_EQ(flags_[0], 0);
}

TEST_F(DeviceListTest, AnInvalidDateQueriesTheUnknownDayAndNoPageActsWhileLoggedOut) {
    model_.OnMonthSearch();
    model_.OnDaySearch();
    model_.OnCalendarDateChanged();
    EXPECT_TRUE(log_.calls.empty());

    LogIn();
    page_.checked = {false, true, false, false};
    page_.date.reset();
    model_.OnMonthSearch();
    ASSERT_EQ(net_.queries.size(), 2u);
    for (const NetRecordQuery& q : net_.queries) {
        EXPECT_EQ(q.start.year, 65535);
        EXPECT_EQ(q.start.month, 255);
        EXPECT_EQ(q.end.month, 255);
    }
    EXPECT_EQ(net_.queries[0].end.day, 0) << "a month of 255 has no days";
    EXPECT_EQ(net_.queries[1].start.day, 255);
    EXPECT_FALSE(playback_.playDays[1].has_value());
}

// Mended: a month result's day outside 1..31 marks nothing (no index -1).
TEST_F(DeviceListTest, MonthResultsOutsideDaysOneToThirtyOneMarkNothing) {
    LogIn();
    page_.checked = {true, false, false, false};
    net_.monthItems[1] = {Item(2024, 3, 0), Item(2024, 3, 1), Item(2024, 3, 31), Item(2024, 3, 32),
                          Item(2024, 3, 255)};
    model_.OnMonthSearch();
    Pump();
    EXPECT_EQ(page_.marks, (std::vector<int>{0, 30}));
}

// Mended: records handed over on the library's own thread reach the time bar
// and the calendar on the GUI thread only, each on the row of the query it
// answers; results of a query whose row or marks were cleared since are
// dropped.
TEST_F(DeviceListTest, RecordsFromTheLibrarysThreadReachTheTimeBarOnlyByMessage) {
    LogIn();
    net_.otherThread = true;
    page_.checked = {true, true, false, false};
    net_.monthItems[1] = {Item(2024, 3, 2)};
    net_.dayItems[0] = {Item(2024, 3, 5, 8)};
    net_.dayItems[1] = {Item(2024, 3, 5, 9), Item(2024, 3, 5, 11)};
    model_.OnMonthSearch();
    EXPECT_GT(page_.posted, 0);
    EXPECT_TRUE(playback_.rows[0].empty() && playback_.rows[1].empty());
    Pump();
    ASSERT_EQ(playback_.rows[0].size(), 1u);
    ASSERT_EQ(playback_.rows[1].size(), 2u);
    EXPECT_EQ(playback_.rows[1][1].start.hour, 11);
    EXPECT_EQ(page_.marks, (std::vector<int>{1}));

    // Arrived, not yet handled, then the rows are searched again: the old
    // results go, the new ones stay.
    model_.OnDaySearch();
    net_.dayItems[1] = {Item(2024, 3, 5, 15)};
    model_.QueryRecords(1, 1);
    Pump();
    ASSERT_EQ(playback_.rows[1].size(), 1u);
    EXPECT_EQ(playback_.rows[1][0].start.hour, 15);
    EXPECT_EQ(playback_.rows[0].size(), 1u) << "row 0's day search was not repeated";

    // A logout before the notice is handled: nothing comes back.
    model_.OnMonthSearch();
    model_.OnLogout();
    Pump();
    EXPECT_TRUE(page_.marks.empty());
    EXPECT_TRUE(playback_.rows[0].empty() && playback_.rows[1].empty());
}

// Decided: a chosen day queries that day; a day of another month (a month
// stepped) searches the month again, so its days are marked.
TEST_F(DeviceListTest, ACalendarDateChangeQueriesTheDayOrTheNewMonth) {
    LogIn();
    page_.checked = {true, false, false, false};
    model_.OnCalendarDateChanged();  // nothing searched yet: the month
    EXPECT_EQ(log_.Count("Month 1 login 42"), 1);
    page_.date = CalendarDate{2024, 3, 20};
    log_.calls.clear();
    model_.OnCalendarDateChanged();
    EXPECT_EQ(log_.calls, (std::vector<std::string>{"DaySearch off", "StopAllAndClear", "ClearRecords 0",
                                                    "Day 0 login 42", "DaySearch on"}));
    EXPECT_EQ(net_.queries.back().start.day, 20);
    page_.date = CalendarDate{2024, 4, 20};
    log_.calls.clear();
    model_.OnCalendarDateChanged();
    EXPECT_EQ(log_.Count("Month 1 login 42"), 1);
    EXPECT_EQ(log_.Find("ClearMarkedDays"), 2);
}

TEST(DeviceListLayout, PanelButtonsTreeSearchesAndCalendarFromTopAndBottom) {
    const DeviceListLayout l = LayoutDeviceList({0, 0, 240, 800});
    EXPECT_EQ(l.panel, (play::PixelRect{0, 0, 240, 210}));
    EXPECT_EQ(l.login, (play::PixelRect{0, 210, 120, 25}));
    EXPECT_EQ(l.logout, (play::PixelRect{120, 210, 120, 25}));
    EXPECT_EQ(l.tree, (play::PixelRect{0, 236, 240, 339}));
    EXPECT_EQ(l.monthSearch, (play::PixelRect{0, 575, 120, 25}));
    EXPECT_EQ(l.daySearch, (play::PixelRect{120, 575, 120, 25}));
    EXPECT_EQ(l.calendar, (play::PixelRect{0, 600, 240, 200}));
}

}  // namespace
}  // namespace browse::testing
