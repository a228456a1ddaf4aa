// Month and day searches on generated recorder disks (both formats), and the
// search handles they keep, through the exported interface.
#include <gtest/gtest.h>

#include <future>
#include <set>

#include "tests/common/format_versions.h"
#include "tests/vkfs/fake_reader.h"
#include "tests/vkfs/vkfs_fixture.h"
#include "tools/framestream.h"
#include "tools/image_scenarios.h"
#include "vkfs/disk_registry.h"
#include "vkfs/reader_ops.h"

namespace vkfs::testing {
namespace {

const BuiltImage& Basic(int version) {
    return vektest::BuiltScenario("basic", version);
}

std::set<int> DaysWithRecordings(const FSMonthResult& m) {
    std::set<int> days;
    for (int d = 0; d < 31; d++)
        if (m.days[d])
            days.insert(d + 1);
    return days;
}

// Runs `start` (which must not block) and fails the test when it does.
void WithoutHanging(const std::function<void()>& start) {
    auto done = std::async(std::launch::async, start);
    if (done.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "the call did not return";
        std::fflush(nullptr);
        std::_Exit(1);  // the hung call cannot be unwound
    }
}

class SearchTest : public VkfsTest, public ::testing::WithParamInterface<int> {
  protected:
    FSReaderKind Kind() const { return GetParam() == 1 ? FS_READER_VEKFS : FS_READER_VEKFS2; }
};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(SearchTest);

TEST_P(SearchTest, MonthSearchReportsEveryMonthThenOnceWithoutRecord) {
    const FSDiskHandle h = Open(Mount("vkfs-basic", Basic(GetParam()).disk));
    ASSERT_NE(h, 0u);
    SearchLog log;
    FSHwnd windows[2] = {};
    FSSearchByMon(h, SearchMonTime{23, 1, 24, 3}, windows, &log);
    ASSERT_TRUE(log.WaitForFinal());
    FSStopMonSearch(h);

    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 16u);
    for (size_t i = 0; i < 15; i++) {
        const SearchCall& c = calls[i];
        SCOPED_TRACE(i);
        ASSERT_TRUE(c.hasRecord);
        EXPECT_EQ(c.kind, Kind());
        const int year = i < 12 ? 23 : 24, month = static_cast<int>(i % 12) + 1;
        EXPECT_EQ(c.month.year, year);
        EXPECT_EQ(c.month.month, month);
        EXPECT_EQ(c.param.monthRunning, 1);
        EXPECT_EQ(c.param.windows, windows);
        EXPECT_EQ(c.param.window, nullptr);
        EXPECT_TRUE(Same(c.param.start, At(year, month, 1, 0, 0, 0)));
        EXPECT_TRUE(Same(c.param.end, At(year, month, 31, 23, 59, 59)));
        const std::set<int> days = DaysWithRecordings(c.month);
        if (year == 23 && month == 12) {
            for (const int d : {1, 15, 20, 28, 31})
                EXPECT_TRUE(days.count(d)) << "day " << d;
        } else if (year == 24 && month == 1) {
            for (const int d : {10, 12, 13})
                EXPECT_TRUE(days.count(d)) << "day " << d;
        } else {
            EXPECT_TRUE(days.empty());
        }
    }
    EXPECT_FALSE(calls[15].hasRecord);
    EXPECT_EQ(calls[15].kind, Kind());
    EXPECT_EQ(calls[15].param.monthRunning, 0);
}

TEST_P(SearchTest, StartMonthThirteenSkipsTheStartYear) {
    const FSDiskHandle h = Open(Mount("vkfs-basic", Basic(GetParam()).disk));
    ASSERT_NE(h, 0u);
    SearchLog log;
    FSSearchByMon(h, SearchMonTime{23, 13, 24, 2}, nullptr, &log);
    ASSERT_TRUE(log.WaitForFinal());
    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].month.year, 24);
    EXPECT_EQ(calls[0].month.month, 1);
    EXPECT_EQ(calls[1].month.month, 2);
    EXPECT_FALSE(calls[2].hasRecord);
}

TEST_P(SearchTest, DaySearchReportsOnlyTheChosenChannelInStartOrder) {
    const BuiltImage& image = Built(PlayDaySpec(GetParam()));
    const FSDiskHandle h = Open(Mount("vkfs-play", image.disk));
    ASSERT_NE(h, 0u);
    SearchLog log;
    const int channels[4] = {3, -1, -1, -1};
    FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &log, 0,
                  channels);
    ASSERT_TRUE(log.WaitForFinal());
    FSStopDaySearch(h);

    const auto expected = EventsOfChannel(image.manifest, 3);
    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), expected.size() + 1);
    for (size_t i = 0; i < expected.size(); i++) {
        const SearchCall& c = calls[i];
        SCOPED_TRACE(i);
        ASSERT_TRUE(c.hasRecord);
        EXPECT_EQ(c.kind, Kind());
        EXPECT_EQ(c.param.channel, 3);
        EXPECT_EQ(c.record.channel, 3);
        EXPECT_EQ(c.param.recordIndex, static_cast<int>(i));
        EXPECT_EQ(c.param.dayRunning, 1);
        EXPECT_EQ(c.param.window, &window_);
        EXPECT_EQ(c.record.recordCount, static_cast<int>(expected.size()));
        EXPECT_TRUE(Same(c.record.start, FromPacked(expected[i]->start)));
        EXPECT_TRUE(Same(c.record.end, FromPacked(expected[i]->end)));
        EXPECT_EQ(c.record.dataStart, expected[i]->dataStart);
        EXPECT_EQ(static_cast<uint32_t>(c.record.dataLength), expected[i]->dataLength);
        EXPECT_EQ(c.record.typeBit, 1);
    }
    EXPECT_FALSE(calls.back().hasRecord);
    EXPECT_EQ(calls.back().param.dayRunning, 0);
}

// A search that has finished waits for its stop; a new search of its kind
// must not wait for that.
TEST_P(SearchTest, NewSearchStopsAFinishedOneItself) {
    const FSDiskHandle h = Open(Mount("vkfs-basic", Basic(GetParam()).disk));
    ASSERT_NE(h, 0u);
    SearchLog first, second;
    FSSearchByMon(h, SearchMonTime{23, 11, 23, 12}, nullptr, &first);
    ASSERT_TRUE(first.WaitForFinal());
    WithoutHanging([&] { FSSearchByMon(h, SearchMonTime{24, 1, 24, 1}, nullptr, &second); });
    ASSERT_TRUE(second.WaitForFinal());
    EXPECT_EQ(second.Calls().size(), 2u);

    SearchLog day1, day2;
    const int channels[4] = {0, 2, 5, -1};
    FSSearchByDay(h, At(24, 1, 10, 0, 0, 0), At(24, 1, 10, 23, 59, 59), nullptr, &SearchLog::Day, &day1, 0,
                  channels);
    ASSERT_TRUE(day1.WaitForFinal());
    EXPECT_EQ(day1.Calls().size(), 254u);  // 85 + 84 + 84 events, then the final call
    WithoutHanging([&] {
        FSSearchByDay(h, At(24, 1, 10, 0, 0, 0), At(24, 1, 10, 23, 59, 59), nullptr, &SearchLog::Day, &day2,
                      1, channels);
    });
    ASSERT_TRUE(day2.WaitForFinal());
    EXPECT_EQ(day2.Calls().size(), 254u);
}

TEST_F(VkfsTest, EachGroupKeepsItsOwnSearchAndRemovalFreesBoth) {
    FakeVekfs fake;
    vektools::StreamSpec recipe;
    fake.AddEvent(2, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), vektools::BuildStream(recipe).bytes);
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    const FSDiskHandle h = Open(FakeVekfs::kPath);
    ASSERT_NE(h, 0u);
    const auto disk = Disks().Find(h);

    const int channels[4] = {2, -1, -1, -1};
    const auto search = [&](int group) {
        SearchLog log;
        FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &log,
                      group, channels);
        EXPECT_TRUE(log.WaitForFinal());
        FSStopDaySearch(h);
    };
    search(0);
    const int play = disk->KeptSearchHandle(0);
    EXPECT_GE(play, 0);
    EXPECT_EQ(fake.OpenSearchHandles(), 1);
    search(1);  // the export group's search leaves the play group's lists alone
    EXPECT_EQ(disk->KeptSearchHandle(0), play);
    EXPECT_GE(disk->KeptSearchHandle(1), 0);
    EXPECT_EQ(fake.OpenSearchHandles(), 2);
    search(0);  // a new search of the play group replaces its own
    EXPECT_NE(disk->KeptSearchHandle(0), play);
    EXPECT_EQ(fake.OpenSearchHandles(), 2);

    EXPECT_EQ(FSRemoveDisk(h), 1);
    EXPECT_EQ(fake.OpenSearchHandles(), 0);
}

TEST_F(VkfsTest, FailedEventListIsNotRead) {
    FakeVekfs fake;
    vektools::StreamSpec recipe;
    fake.AddEvent(2, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), vektools::BuildStream(recipe).bytes);
    fake.AddEvent(2, At(24, 5, 6, 11, 0, 0), At(24, 5, 6, 11, 0, 30), vektools::BuildStream(recipe).bytes);
    fake.badEventChannels = {9};
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    const FSDiskHandle h = Open(FakeVekfs::kPath);
    ASSERT_NE(h, 0u);
    SearchLog log;
    const int channels[4] = {9, 2, -1, -1};
    FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &log, 0,
                  channels);
    ASSERT_TRUE(log.WaitForFinal());
    const auto calls = log.Calls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].param.channel, 2);
    EXPECT_EQ(calls[1].param.channel, 2);
    EXPECT_EQ(calls[1].param.recordIndex, 1);
}

TEST_F(VkfsTest, FailedDaySearchIsLoggedAndStillEnds) {
    FakeVekfs fake;
    fake.findStartResult = -14;
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    const FSDiskHandle h = Open(FakeVekfs::kPath);
    ASSERT_NE(h, 0u);
    SearchLog log;
    const int channels[4] = {2, -1, -1, -1};
    FSSearchByDay(h, At(24, 5, 6, 0, 0, 0), At(24, 5, 6, 23, 59, 59), nullptr, &SearchLog::Day, &log, 0,
                  channels);
    ASSERT_TRUE(log.WaitForFinal());
    EXPECT_EQ(log.Calls().size(), 1u);
    EXPECT_EQ(log.Calls()[0].param.dayRunning, 0);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find(" find failed by day!---593"), std::string::npos) << lines[1];
    EXPECT_EQ(Disks().Find(h)->KeptSearchHandle(0), -1);
}

}  // namespace
}  // namespace vkfs::testing
