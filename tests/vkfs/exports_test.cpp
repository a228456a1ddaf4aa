// The exported interface as a caller meets it: handles (0, removed, live), the
// reader probe and the lines it leaves in the log, and arguments the calls
// must ignore (slots outside 0..3, channels not in the export table, null
// callbacks).
#include <gtest/gtest.h>

#include <atomic>
#include <regex>
#include <thread>

#include "tests/vkfs/fake_reader.h"
#include "tests/vkfs/vkfs_fixture.h"
#include "tools/framestream.h"
#include "vkfs/process_log.h"
#include "vkfs/reader_ops.h"

namespace vkfs::testing {
namespace {

// "<year>-<month>-<day> <hour>:<minute>:<second> <text>" without leading zeros.
const std::regex& LogLine() {
    static const std::regex line(
        R"(^\d{4}-([1-9]|1[0-2])-([1-9]|[12]\d|3[01]) (\d|1\d|2[0-3]):(\d|[1-5]\d):(\d|[1-5]\d) (.*)$)");
    return line;
}

std::string TextOf(const std::string& line) {
    std::smatch m;
    return std::regex_match(line, m, LogLine()) ? m[6].str() : "<malformed: " + line + ">";
}

std::vector<uint8_t> SomeFrames(uint8_t channel, uint32_t frames = 20) {
    vektools::StreamSpec recipe;
    recipe.channel = channel;
    recipe.videoFrames = frames;
    return vektools::BuildStream(recipe).bytes;
}

class ExportsTest : public VkfsTest {};

TEST_F(ExportsTest, HandleZeroAndRemovedHandlesDoNothing) {
    FakeVekfs fake;
    fake.AddEvent(2, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), SomeFrames(2));
    ScopedReaderOverride readers(&fake, nullptr, nullptr);

    const FSDiskHandle live = Open(FakeVekfs::kPath);
    ASSERT_NE(live, 0u);
    const FSDiskHandle removed = Open(FakeVekfs::kPath);
    ASSERT_NE(removed, 0u);
    EXPECT_NE(removed, live);
    EXPECT_EQ(FSRemoveDisk(removed), 1);
    EXPECT_EQ(FSRemoveDisk(removed), 0);

    SearchLog search;
    StreamLog stream;
    const int channels[4] = {2, -1, -1, -1};
    const RecTime from = At(24, 5, 6, 0, 0, 0), to = At(24, 5, 6, 23, 59, 59);
    for (const FSDiskHandle h : {FSDiskHandle{0}, removed, FSDiskHandle{0xDEAD}}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(FSRemoveDisk(h), 0);
        FSSearchByMon(h, SearchMonTime{24, 1, 24, 12}, nullptr, &search);
        FSStopMonSearch(h);
        FSSearchByDay(h, from, to, nullptr, &SearchLog::Day, &search, 0, channels);
        FSStopDaySearch(h);
        FSPlay(h, from, to, 0, stream.User(), &StreamLog::OnData, &StreamLog::OnTime);
        FSSeekPlay(h, from, 0);
        FSRequestData(h, 0, 1);
        FSStopPlay(h, 0);
        FSExport(h, from, to, 2, stream.User(), &StreamLog::OnData);
        FSStopExport(h, 0);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(search.Calls().empty());
    EXPECT_TRUE(stream.Events().empty());
    EXPECT_EQ(fake.OpenReaderSlots(), 0);
    EXPECT_EQ(fake.OpenSearchHandles(), 0);
}

TEST_F(ExportsTest, DiskNoReaderAcceptsIsLoggedAndRefused) {
    const std::string path = Mount("vkfs-blank", std::make_shared<platform::MemDisk>(64 * 1024 * 1024));
    EXPECT_EQ(Open(path, 128), 0u);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(TextOf(lines[0]), "------------start-----------");
    EXPECT_EQ(TextOf(lines[1]), "vkfs add disk failed!---92");
    EXPECT_EQ(TextOf(lines[2]), "vkfs2 add disk failed!---108");
    // dvrfs starts with the 16 channels a dvrfs disk can hold, and does not know the disk.
    EXPECT_EQ(TextOf(lines[3]), "dvrfs add disk failed!---125");

    // Fewer channels go to dvrfs as they are.
    EXPECT_EQ(Open(path, 4), 0u);
    const auto again = LogLines();
    ASSERT_EQ(again.size(), 4u);  // a new disk object starts the log afresh
    EXPECT_EQ(TextOf(again[3]), "dvrfs add disk failed!---125");
}

TEST_F(ExportsTest, ReaderThatCannotStartEndsTheProbe) {
    FakeVekfs fake;
    fake.initResult = -1;
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    EXPECT_EQ(Open(FakeVekfs::kPath), 0u);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(TextOf(lines[1]), "vkfs init failed!---83");
}

TEST_F(ExportsTest, LogLinesStayWholeWithManyWriters) {
    ProcessLog log;
    log.Start();
    std::vector<std::thread> writers;
    for (int t = 0; t < 8; t++) {
        writers.emplace_back([&log, t] {
            for (int i = 0; i < 100; i++)
                log.Write("writer %d line %d---%d", t, i, kPlaceJumpFind);
        });
    }
    for (auto& w : writers)
        w.join();
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), 801u);
    const std::regex text(R"(writer \d line \d+---1804)");
    for (size_t i = 1; i < lines.size(); i++)
        EXPECT_TRUE(std::regex_match(TextOf(lines[i]), text)) << lines[i];
}

TEST_F(ExportsTest, ArgumentsOutsideTheirRangeAreIgnored) {
    FakeVekfs fake;
    fake.AddEvent(2, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), SomeFrames(2));
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    const FSDiskHandle h = Open(FakeVekfs::kPath);
    ASSERT_NE(h, 0u);

    // A day search with no callback still fills the tables.
    const int channels[4] = {2, -1, -1, -1};
    const RecTime from = At(24, 5, 6, 0, 0, 0), to = At(24, 5, 6, 23, 59, 59);
    FSSearchByDay(h, from, to, nullptr, nullptr, nullptr, 0, channels);
    FSSearchByDay(h, from, to, nullptr, nullptr, nullptr, 2, channels);  // no such group
    FSSearchByDay(h, from, to, nullptr, nullptr, nullptr, 0, nullptr);   // no channel table
    FSStopDaySearch(h);
    SearchLog exportSearch;
    FSSearchByDay(h, from, to, nullptr, &SearchLog::Day, &exportSearch, 1, channels);
    ASSERT_TRUE(exportSearch.WaitForFinal());
    FSStopDaySearch(h);

    StreamLog stream;
    for (const int slot : {-1, 4, 1000}) {
        FSPlay(h, from, to, slot, stream.User(), &StreamLog::OnData, &StreamLog::OnTime);
        FSSeekPlay(h, from, slot);
        FSRequestData(h, slot, 0);
        FSStopPlay(h, slot);
        FSStopExport(h, slot);
    }
    FSExport(h, from, to, 9, stream.User(), &StreamLog::OnData);  // channel 9 is in no slot
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_TRUE(stream.Events().empty());
    EXPECT_EQ(fake.OpenReaderSlots(), 0);

    // No data or time callback: the play runs and is stopped like any other.
    FSPlay(h, from, to, 0, 0, nullptr, nullptr);
    ASSERT_TRUE(WaitFor([&] { return fake.SeekCount() > 0; }));
    FSStopPlay(h, 0);
    EXPECT_EQ(fake.OpenReaderSlots(), 0);

    // The month search of a disk added without a month callback.
    const FSDiskHandle quiet = Open(FakeVekfs::kPath, 128, nullptr);
    ASSERT_NE(quiet, 0u);
    FSSearchByMon(quiet, SearchMonTime{24, 1, 24, 6}, nullptr, nullptr);
    FSStopMonSearch(quiet);
}

TEST_F(ExportsTest, StopOfASlotThatNeverPlayedStillResetsIt) {
    FakeVekfs fake;
    fake.AddEvent(2, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), SomeFrames(2, 10));
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    const FSDiskHandle h = Open(FakeVekfs::kPath);
    ASSERT_NE(h, 0u);
    const int channels[4] = {-1, -1, 2, -1};
    const RecTime from = At(24, 5, 6, 0, 0, 0), to = At(24, 5, 6, 23, 59, 59);
    SearchLog search;
    FSSearchByDay(h, from, to, nullptr, &SearchLog::Day, &search, 0, channels);
    ASSERT_TRUE(search.WaitForFinal());

    FSRequestData(h, 2, 0);
    FSSeekPlay(h, At(24, 5, 6, 12, 0, 0), 2);  // into no record
    FSStopPlay(h, 2);                          // nothing runs there; the slot is reset all the same
    StreamLog stream;
    FSPlay(h, from, to, 2, stream.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ASSERT_TRUE(stream.WaitForEnds(1));
    EXPECT_EQ(stream.DataCalls(), 10u);  // delivery on, no seek pending
}

// A callback that stops or removes its own disk would have its thread wait for
// itself: such calls are ignored, and the job goes on to its end.
TEST_F(ExportsTest, CallbackCannotStopItsOwnJob) {
    FakeVekfs fake;
    fake.AddEvent(2, At(24, 5, 6, 10, 0, 0), At(24, 5, 6, 10, 0, 30), SomeFrames(2, 30));
    ScopedReaderOverride readers(&fake, nullptr, nullptr);
    const FSDiskHandle h = Open(FakeVekfs::kPath);
    ASSERT_NE(h, 0u);
    const int channels[4] = {2, -1, -1, -1};
    const RecTime from = At(24, 5, 6, 0, 0, 0), to = At(24, 5, 6, 23, 59, 59);
    SearchLog search;
    FSSearchByDay(h, from, to, nullptr, &SearchLog::Day, &search, 0, channels);
    ASSERT_TRUE(search.WaitForFinal());

    StreamLog stream;
    std::atomic<int> removed{-1};
    stream.onData = [&](size_t n) {
        if (n != 3)
            return;
        FSStopPlay(h, 0);
        FSStopDaySearch(h);
        FSSearchByMon(h, SearchMonTime{24, 1, 24, 2}, nullptr, &search);
        removed = FSRemoveDisk(h);
    };
    FSPlay(h, from, to, 0, stream.User(), &StreamLog::OnData, &StreamLog::OnTime);
    ASSERT_TRUE(stream.WaitForEnds(1));
    EXPECT_EQ(removed.load(), 0);
    EXPECT_EQ(stream.DataCalls(), 30u);
    EXPECT_EQ(search.Finals(), 1u);  // no month search was started
    EXPECT_EQ(FSRemoveDisk(h), 1);
    opened_.clear();
}

}  // namespace
}  // namespace vkfs::testing
