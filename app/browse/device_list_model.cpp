// app/browse/device_list_model.cpp
#include "app/browse/device_list_model.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/browse/login_form_model.h"
#include "controls/month_calendar_model.h"

namespace browse {

namespace {

constexpr int kMonthQuery = 0;
constexpr int kDayQuery = 1;

// The time of an invalid calendar date.
constexpr uint16_t kUnknownYear = 65535;
constexpr uint8_t kUnknownByte = 255;

}  // namespace

play::_recfile_info_t TimebarRecordOf(const NetRecordItem& item) {
    play::_recfile_info_t record;
    record.colour = play::RecordTypeColour(item.type);
    record.sourceWord = item.word;
    record.start = play::RecfileTimeOfNetTime(item.start);
    record.end = play::RecfileTimeOfNetTime(item.end);
    record.type = item.type;
    record.length = item.length;
    return record;
}

std::string DeviceNameOf(const char* returned, const uint8_t* info, size_t infoSize) {
    const char* const begin = reinterpret_cast<const char*>(info);
    const char* const end = begin + infoSize;
    const size_t field = infoSize > VEKNET_DEVINFO_NAME ? infoSize - VEKNET_DEVINFO_NAME : 0;
    if (returned == nullptr) {
        if (field == 0)
            return {};
        returned = begin + VEKNET_DEVINFO_NAME;
    }
    const size_t limit = returned >= begin && returned < end ? static_cast<size_t>(end - returned) : field;
    return std::string(returned, ::strnlen(returned, limit));
}

DeviceListLayout LayoutDeviceList(const play::PixelRect& client) {
    const int l = client.x, t = client.y, r = client.right(), b = client.bottom();
    DeviceListLayout layout;
    layout.panel = {l, t, r - l, 210};
    layout.login = {l, t + 210, 120, 25};
    layout.logout = {l + 120, t + 210, 120, 25};
    layout.tree = {l, t + 236, r - l, std::max(0, b - 225 - (t + 236))};
    layout.monthSearch = {l, b - 225, 120, 25};
    layout.daySearch = {l + 120, b - 225, 120, 25};
    layout.calendar = {l, b - 200, r - l, 200};
    return layout;
}

DeviceListModel::DeviceListModel(NetLibrary& net,
                                 DeviceListPage& page,
                                 NetPlayback& playback,
                                 std::span<int, kNetChannels> paneHasRecords)
    : net_(net), page_(page), playback_(playback), paneHasRecords_(paneHasRecords) {}

// ---- login and logout ---------------------------------------------------------------------

void DeviceListModel::OnLogin() {
    if (loginStarted_ && linkLost_)
        OnLogout();
    if (loginStarted_)
        return;
    loginStarted_ = true;
    page_.EnableLogin(false);
    login_ = page_.GetLoginData();
    page_.SetLoggedIn(false);
    page_.ShowStatus(page_.Text(kStrLoggingIn), false);

    NetLoginRequest request{};
    request.ip = login_.ip.c_str();
    request.port = login_.port;
    request.user = login_.user.c_str();
    request.password = login_.password.c_str();
    request.window = page_.Window();
    request.message = kNetLoginMessage;
    request.userData = reinterpret_cast<uintptr_t>(this);
    request.reserved1 = 1;
    const uint32_t handle = net_.ConnectionStart(request);
    page_.SetLoginHandle(handle);
    if (handle == 0)  // no status will come
        OnLoginStatus(VEKNET_STATUS_CONNECT_FAILED);
}

void DeviceListModel::OnLoginStatus(int status) {
    if (status == VEKNET_STATUS_LOGGED_IN) {
        if (page_.LoggedIn())
            return;
        page_.ShowStatus("", false);
        page_.RememberLogin(login_.ip, login_.port);
        page_.FillIpCombo();
        page_.SetLoggedIn(true);
        page_.SetModeText(login_.ip);
        page_.EnableLogin(false);
        page_.EnableLogout(true);

        uint8_t info[VEKNET_DEVINFO_SIZE] = {};
        const char* name = net_.GetDevInfo(page_.LoginHandle(), info, VEKNET_DEVINFO_SIZE);
        std::array<std::string, kNetChannels> channels;
        for (int i = 0; i < kNetChannels; ++i)
            channels[i] = page_.Text(kStrChannel1 + i);
        page_.InsertDevice(DeviceNameOf(name, info, sizeof info), channels);
        page_.SetInfo(DeviceInfo{login_.ip, DeviceNameOf(nullptr, info, sizeof info), login_.port,
                                 info[VEKNET_DEVINFO_CHANNELS], login_.user});
        page_.ShowInfoPanel(true);
        return;
    }
    const int text = LoginStatusText(status);
    if (text == 0)
        return;
    if (status == VEKNET_STATUS_LINK_LOST)
        page_.EnableLogin(true);
    page_.ShowStatus(page_.Text(text), true);
    if (!page_.LoggedIn()) {
        OnLogout();
    } else if (status == VEKNET_STATUS_LINK_LOST && loginStarted_) {
        linkLost_ = true;
        ClearFlags();
        playback_.StopAllAndClear();
        ClearRows();
        page_.ShowInfoPanel(false);
    }
}

void DeviceListModel::OnLogout() {
    if (!loginStarted_)
        return;
    loginStarted_ = false;
    linkLost_ = false;
    playback_.StopAllAndClear();
    ClearRows();
    uint32_t handle = page_.LoginHandle();
    net_.ConnectionStop(&handle);
    page_.SetLoginHandle(0);
    page_.SetLoggedIn(false);
    page_.EnableLogin(true);
    page_.EnableLogout(false);
    page_.DeleteAllNodes();
    page_.ShowInfoPanel(false);
    ClearMarks();
    searchedMonth_.reset();
}

void DeviceListModel::Reset() {
    ClearFlags();
    OnLogout();
}

// ---- searches -------------------------------------------------------------------------------

void DeviceListModel::OnMonthSearch() {
    Search(true);
}

void DeviceListModel::OnDaySearch() {
    Search(false);
}

void DeviceListModel::Search(bool month) {
    ClearFlags();
    if (!page_.LoggedIn())
        return;
    const auto enable = [&](bool on) { month ? page_.EnableMonthSearch(on) : page_.EnableDaySearch(on); };
    enable(false);
    playback_.StopAllAndClear();
    ClearRows();
    if (month) {
        ClearMarks();
        const std::optional<CalendarDate> date = page_.GetDate();
        searchedMonth_ = date ? std::optional(std::pair(date->year, date->month)) : std::nullopt;
    }
    for (int channel = 0; channel < kNetChannels; ++channel) {
        if (!page_.ChannelChecked(channel))
            continue;
        if (month)
            QueryRecords(kMonthQuery, channel);
        QueryRecords(kDayQuery, channel);
    }
    enable(true);
}

void DeviceListModel::OnCalendarDateChanged() {
    if (!page_.LoggedIn())
        return;
    const std::optional<CalendarDate> date = page_.GetDate();
    if (date && searchedMonth_ == std::pair(date->year, date->month))
        OnDaySearch();
    else
        OnMonthSearch();
}

void DeviceListModel::QueryRecords(int kind, int channel) {
    if (channel < 0 || channel >= kNetChannels)
        return;
    const std::optional<CalendarDate> date = page_.GetDate();
    const int year = date ? date->year : kUnknownYear;
    const int month = date ? date->month : kUnknownByte;
    const int day = date ? date->day : kUnknownByte;
    const bool monthQuery = kind == kMonthQuery;

    NetRecordQuery query{};
    query.start = MakeNetRecordTime(year, month, monthQuery ? 1 : day, 0, 0, 0);
    query.end =
        MakeNetRecordTime(year, month, monthQuery ? controls::GetDaysInMonth(month, year) : day, 23, 59, 59);
    query.reserved24 = -1;
    query.user = reinterpret_cast<uintptr_t>(this);
    playback_.SetPlayDay(channel, date);

    if (monthQuery) {
        query.command = VEKNET_QUERY_MONTH;
        query.channel = 1 << channel;
        query.monthCallback = &DeviceListModel::NetMonthRecordCallback;
        net_.QueryRecord(page_.LoginHandle(), query);
        return;
    }
    playback_.ClearRecords(channel);
    query.command = VEKNET_QUERY_DAY;
    query.channel = channel;
    query.dayCallback = &DeviceListModel::RecordQueryCallback;
    {
        std::lock_guard hold(lock_);
        ++rowEpoch_[channel];
        dayChannel_ = channel;
    }
    const int32_t found = net_.QueryRecord(page_.LoginHandle(), query);
    if (found != 0)
        paneHasRecords_[channel] = found;
}

// ---- records arriving -----------------------------------------------------------------------

void VEK_CALL DeviceListModel::NetMonthRecordCallback(const NetRecordItem* record, uintptr_t user) {
    if (user != 0 && record != nullptr)
        reinterpret_cast<DeviceListModel*>(user)->Arrive(true, *record);
}

void VEK_CALL DeviceListModel::RecordQueryCallback(const NetRecordItem* record, uintptr_t user) {
    if (user != 0 && record != nullptr)
        reinterpret_cast<DeviceListModel*>(user)->Arrive(false, *record);
}

void DeviceListModel::Arrive(bool month, const NetRecordItem& item) {
    {
        std::lock_guard hold(lock_);
        inbox_.push_back(Arrival{month, dayChannel_, month ? markEpoch_ : rowEpoch_[dayChannel_], item});
    }
    page_.PostRecordsArrived();
}

void DeviceListModel::OnRecordsArrived() {
    std::vector<Arrival> arrived;
    uint32_t markEpoch = 0;
    std::array<uint32_t, kNetChannels> rowEpoch{};
    {
        std::lock_guard hold(lock_);
        arrived.swap(inbox_);
        markEpoch = markEpoch_;
        rowEpoch = rowEpoch_;
    }
    bool added = false;
    for (const Arrival& a : arrived) {
        if (a.month) {
            const int day = a.item.start.day;
            if (a.epoch == markEpoch && day >= 1 && day <= controls::kCalendarDays)
                page_.SetDayMarked(day - 1);
        } else if (a.epoch == rowEpoch[a.row]) {
            playback_.AddTimebarRecord(a.row, TimebarRecordOf(a.item));
            added = true;
        }
    }
    if (added)
        playback_.PostRecordsChanged();
}

void DeviceListModel::ClearFlags() {
    std::fill(paneHasRecords_.begin(), paneHasRecords_.end(), 0);
}

void DeviceListModel::ClearMarks() {
    page_.ClearMarkedDays();
    std::lock_guard hold(lock_);
    ++markEpoch_;
}

void DeviceListModel::ClearRows() {
    std::lock_guard hold(lock_);
    for (uint32_t& epoch : rowEpoch_)
        ++epoch;
}

}  // namespace browse
