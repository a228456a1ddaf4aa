// Logins, device information and record queries against the simulated
// recorder.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "tests/veknet/veknet_test_support.h"
#include "veknet/socket.h"

namespace veknet::testing {
namespace {

struct LoginCase {
    const char* name;
    const char* user;
    const char* password;
    uint32_t refuse;
    uint32_t status;
};

class LoginStatus : public VekNetTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(LoginStatus, IsPostedOnceAndAlone) {
    const LoginCase& c = GetParam();
    simrecorder::SimOptions options;
    options.user = "admin";
    options.password = "1234";
    options.refuseStatus = c.refuse;
    StartRecorder(options);
    const uint32_t login = StartLogin(c.user, c.password);
    ASSERT_NE(login, 0u);
    EXPECT_EQ(FirstStatus(login), c.status);
    // A refused login ends there: nothing else follows.
    platform::SleepMs(c.status == VEKNET_STATUS_LOGGED_IN ? 0 : 300);
    EXPECT_EQ(statuses_.Of(WindowOf(login)).size(), 1u);
    char info[VEKNET_DEVINFO_SIZE];
    EXPECT_EQ(VekNetGetDevInfo(login, info, sizeof info) != nullptr, c.status == VEKNET_STATUS_LOGGED_IN);
}

INSTANTIATE_TEST_SUITE_P(
    Recorder,
    LoginStatus,
    ::testing::Values(LoginCase{"accepted", "admin", "1234", 0, VEKNET_STATUS_LOGGED_IN},
                      LoginCase{"unknown_user", "guest", "1234", 0, VEKNET_STATUS_NO_USER},
                      LoginCase{"wrong_password", "admin", "12345", 0, VEKNET_STATUS_BAD_PASSWORD},
                      LoginCase{"refused_103", "admin", "1234", 103, VEKNET_STATUS_NO_USER},
                      LoginCase{"refused_104", "admin", "1234", 104, VEKNET_STATUS_BAD_PASSWORD},
                      LoginCase{"no_permission", "admin", "1234", 106, VEKNET_STATUS_NO_PERMISSION},
                      LoginCase{"unanswered", "admin", "1234", 105, VEKNET_STATUS_CONNECT_FAILED}),
    [](const ::testing::TestParamInfo<LoginCase>& p) { return std::string(p.param.name); });

TEST_F(VekNetTest, ClosedPortGives105) {
    // A port that was just listened on and closed again: nobody is there.
    uint16_t port = 0;
    {
        auto listener = Socket::ListenLoopback(0);
        ASSERT_TRUE(listener);
        port = listener->LocalPort();
    }
    const uint32_t login = StartLogin("admin", "admin", "127.0.0.1", port);
    ASSERT_NE(login, 0u);
    EXPECT_EQ(FirstStatus(login), uint32_t{VEKNET_STATUS_CONNECT_FAILED});
}

TEST_F(VekNetTest, AddressesThatCannotNameAFolderGive105) {
    StartRecorder();
    for (const char* ip : {"127.0.0.1/..", "..", "127.0.0.1\\x"}) {
        const uint32_t login = StartLogin("admin", "admin", ip);
        ASSERT_NE(login, 0u) << ip;
        EXPECT_EQ(FirstStatus(login), uint32_t{VEKNET_STATUS_CONNECT_FAILED}) << ip;
    }
    EXPECT_EQ(Recorder().Accepted(), 0u);
}

TEST_F(VekNetTest, UnusableRequestsGetNoHandle) {
    NetLoginRequest request{};
    EXPECT_EQ(VekNetConnectionStart(nullptr), 0u);
    EXPECT_EQ(VekNetConnectionStart(&request), 0u) << "no address, no window";
    request.ip = "127.0.0.1";
    request.window = reinterpret_cast<NetHwnd>(uintptr_t{1});
    request.port = 70000;
    EXPECT_EQ(VekNetConnectionStart(&request), 0u);
    uint32_t none = 0;
    EXPECT_EQ(VekNetConnectionStop(&none), -1);
    EXPECT_EQ(VekNetConnectionStop(nullptr), -1);
}

TEST_F(VekNetTest, KilledRecorderGives2Once) {
    StartRecorder();
    const uint32_t login = LogIn();
    StopRecorder();
    ASSERT_TRUE(statuses_.WaitCount(WindowOf(login), 2));
    platform::SleepMs(300);
    EXPECT_EQ(statuses_.Of(WindowOf(login)), (std::vector<uint32_t>{101, 2}));
    NetRecordQuery query{};
    query.command = VEKNET_QUERY_DAY;
    query.start = Time(2024, 3, 5);
    query.end = Time(2024, 3, 5, 23, 59, 59);
    EXPECT_EQ(VekNetQueryRecord(login, &query), 0) << "no query on a lost link";
}

TEST_F(VekNetTest, StopPostsNothingMore) {
    StartRecorder();
    uint32_t login = LogIn();
    const uintptr_t window = WindowOf(login);
    EXPECT_EQ(VekNetConnectionStop(&login), 0);
    EXPECT_EQ(login, 0u);
    StopRecorder();  // would be a lost link, had the login still been there
    platform::SleepMs(300);
    EXPECT_EQ(statuses_.Of(window).size(), 1u);
}

TEST_F(VekNetTest, DeviceInformationFillsTheBuffer) {
    simrecorder::SimOptions options;
    options.deviceName = "Bus 42 front";
    StartRecorder(options);
    const uint32_t login = LogIn();
    uint8_t info[VEKNET_DEVINFO_SIZE];
    std::memset(info, 0xEE, sizeof info);
    const char* name = VekNetGetDevInfo(login, info, sizeof info);
    ASSERT_EQ(name, reinterpret_cast<const char*>(info + VEKNET_DEVINFO_NAME));
    EXPECT_STREQ(name, "Bus 42 front");
    EXPECT_EQ(info[VEKNET_DEVINFO_CHANNELS], 4);
    EXPECT_EQ(info[0], 0);
    EXPECT_EQ(VekNetGetDevInfo(login, info, VEKNET_DEVINFO_SIZE - 1), nullptr);
    EXPECT_EQ(VekNetGetDevInfo(login + 1000, info, sizeof info), nullptr);
}

// ---- queries -------------------------------------------------------------------------

struct QueryLog {
    std::vector<NetRecordItem> items;
    static void VEK_CALL Add(const NetRecordItem* item, uintptr_t user) {
        reinterpret_cast<QueryLog*>(user)->items.push_back(*item);
    }
};

NetRecordQuery Query(int command, int channel, NetRecordTime start, NetRecordTime end, QueryLog* log) {
    NetRecordQuery q{};
    q.command = command;
    q.channel = channel;
    q.start = start;
    q.end = end;
    q.reserved24 = -1;
    q.dayCallback = command == VEKNET_QUERY_DAY ? &QueryLog::Add : nullptr;
    q.monthCallback = command == VEKNET_QUERY_MONTH ? &QueryLog::Add : nullptr;
    q.user = reinterpret_cast<uintptr_t>(log);
    return q;
}

TEST_F(VekNetTest, MonthQueryReportsExactlyTheDaysWithRecords) {
    StartRecorder();
    const uint32_t login = LogIn();
    QueryLog log;
    NetRecordQuery q =
        Query(VEKNET_QUERY_MONTH, 1 << 2, Time(2024, 3, 1), Time(2024, 3, 31, 23, 59, 59), &log);
    // Every callback has run when the call returns.
    EXPECT_EQ(VekNetQueryRecord(login, &q), 2);
    ASSERT_EQ(log.items.size(), 2u);
    EXPECT_EQ(log.items[0].start.day, 5);
    EXPECT_EQ(log.items[1].start.day, 12);
    for (const NetRecordItem& day : log.items) {
        EXPECT_EQ(day.word, 1u << 2);
        EXPECT_EQ(day.type, 4 | 8 | 1) << "the types of channel 2's three records";
        EXPECT_EQ(day.end.hour, 23);
    }
    // The byte the program reads is the start day at offset 7.
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(&log.items[1])[7], 12);

    QueryLog april;
    q = Query(VEKNET_QUERY_MONTH, 0xF, Time(2024, 4, 1), Time(2024, 4, 30, 23, 59, 59), &april);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 1);
    ASSERT_EQ(april.items.size(), 1u);
    EXPECT_EQ(april.items[0].word, 0xFu);

    QueryLog none;
    q = Query(VEKNET_QUERY_MONTH, 1 << 2, Time(2024, 5, 1), Time(2024, 5, 31, 23, 59, 59), &none);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    EXPECT_TRUE(none.items.empty());
}

TEST_F(VekNetTest, DayQueryReportsTheChannelsRecords) {
    StartRecorder();
    const uint32_t login = LogIn();
    QueryLog log;
    NetRecordQuery q = Query(VEKNET_QUERY_DAY, 3, Time(2024, 3, 12), Time(2024, 3, 12, 23, 59, 59), &log);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 3);
    ASSERT_EQ(log.items.size(), 3u);
    const std::vector<simrecorder::RecordEntry> records = table_->Records(3);
    for (size_t i = 0; i < 3; i++) {
        const simrecorder::RecordEntry& r = records[3 + i];  // the second day's
        EXPECT_EQ(log.items[i].word, 3u);
        EXPECT_EQ(log.items[i].start.day, 12);
        EXPECT_EQ(log.items[i].start.hour, r.start.hour);
        EXPECT_EQ(log.items[i].start.minute, 15) << "channel 3 starts 15 minutes later";
        EXPECT_EQ(log.items[i].end.second, 10);
        EXPECT_EQ(log.items[i].type, r.type);
        EXPECT_EQ(log.items[i].length, table_->Frames(3, 3 + i)->TotalBytes());
        EXPECT_GT(log.items[i].length, 0u);
    }
    // A day without records, a channel the recorder does not have, and the
    // program's "no date" (65535-255-255) find nothing.
    QueryLog none;
    q = Query(VEKNET_QUERY_DAY, 3, Time(2024, 3, 6), Time(2024, 3, 6, 23, 59, 59), &none);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    q = Query(VEKNET_QUERY_DAY, 9, Time(2024, 3, 12), Time(2024, 3, 12, 23, 59, 59), &none);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    q = Query(VEKNET_QUERY_DAY, 3, Time(65535, 255, 255), Time(65535, 255, 255, 23, 59, 59), &none);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    q = Query(77, 3, Time(2024, 3, 12), Time(2024, 3, 12, 23, 59, 59), &none);
    EXPECT_EQ(VekNetQueryRecord(login, &q), 0);
    EXPECT_TRUE(none.items.empty());
    EXPECT_EQ(VekNetQueryRecord(0, &q), 0);
}

TEST_F(VekNetTest, QueriesFromSeveralThreadsGetTheirOwnAnswers) {
    StartRecorder();
    const uint32_t login = LogIn();
    std::vector<std::thread> threads;
    std::atomic<int> right{0};
    for (int channel = 0; channel < 4; channel++) {
        threads.emplace_back([&, channel] {
            for (int i = 0; i < 10; i++) {
                QueryLog log;
                NetRecordQuery q =
                    Query(VEKNET_QUERY_DAY, channel, Time(2024, 3, 5), Time(2024, 3, 5, 23, 59, 59), &log);
                if (VekNetQueryRecord(login, &q) == 3 &&
                    std::all_of(log.items.begin(), log.items.end(), [&](const NetRecordItem& r) {
                        return r.word == static_cast<uint32_t>(channel);
                    }))
                    right++;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(right.load(), 40);
}

}  // namespace
}  // namespace veknet::testing
