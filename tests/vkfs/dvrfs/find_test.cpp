// Finds: checking the query, walking a channel's index by range and by month,
// merging several disks, class and type masks, and the damage a walk meets.
#include <gtest/gtest.h>

#include "platform/le_bytes.h"
#include "tests/vkfs/dvrfs/dvrfs_fixture.h"
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"

namespace vkfs::testing {
namespace {

using namespace vkfs::dvrfs;

constexpr uint32_t kHour = 3600;

class DvrfsFindTest : public DvrfsTest {
  protected:
    // Every result of a range find on `h`, and the code that ended it.
    std::vector<dvrfs_find_result> All(int h,
                                       dvrfs_find_query q,
                                       int* last = nullptr,
                                       std::vector<int>* codes = nullptr) {
        std::vector<dvrfs_find_result> results;
        dvrfs_find_result r;
        int rc = dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0);
        while (rc == 0 || rc == kIndexChanged) {
            if (codes)
                codes->push_back(rc);
            results.push_back(r);
            rc = dvrfs_find_next(static_cast<unsigned>(h), &r);
        }
        if (last)
            *last = rc;
        dvrfs_find_stop(static_cast<unsigned>(h));
        return results;
    }
    static int Hour(const dvrfs_find_result& r) { return r.start[3] * 3600 + r.start[4] * 60 + r.start[5]; }
};

struct QueryCase {
    const char* name;
    dvrfs_find_query query;
    int rc;
    const char* message;
};

class DvrfsQueryTest : public DvrfsTest, public ::testing::WithParamInterface<QueryCase> {};

TEST_P(DvrfsQueryTest, IsCheckedBeforeAnyDiskIsRead) {
    const int h = StartWith(BasicDisk(), 0);
    dvrfs_find_query q = GetParam().query;
    dvrfs_find_result r;
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), GetParam().rc);
    if (GetParam().message) {
        EXPECT_TRUE(Logged(GetParam().message)) << GetParam().message;
    }
    dvrfs_find_stop(static_cast<unsigned>(h));
}

dvrfs_find_query With(dvrfs_find_query q, int kind) {
    q.kind = kind;
    return q;
}

const Six kDayStart = At6(24, 5, 6, 0, 0, 0), kDayEnd = At6(24, 5, 6, 23, 59, 59);

INSTANTIATE_TEST_SUITE_P(
    Queries,
    DvrfsQueryTest,
    ::testing::Values(
        QueryCase{"NoTypeBelowBit28", RangeQuery(kDayStart, kDayEnd, 0x70000000), -8, " bad record type!"},
        QueryCase{"KindTwo", With(RangeQuery(kDayStart, kDayEnd), 2), -8, " bad date type!"},
        QueryCase{"Hour24", RangeQuery(kDayStart, At6(24, 5, 6, 24, 0, 0)), -8, "bad time,input again!"},
        QueryCase{"Month13", RangeQuery(At6(24, 13, 1, 0, 0, 0), kDayEnd), -8, "bad time,input again!"},
        QueryCase{"Year100", RangeQuery(kDayStart, At6(100, 1, 1, 0, 0, 0)), -8, "bad time,input again!"},
        QueryCase{"StartAfterEnd", RangeQuery(kDayEnd, kDayStart), -8, "bad time,input again!"},
        // The index has 31 days in every month.
        QueryCase{"February31", RangeQuery(At6(24, 2, 31, 0, 0, 0), At6(24, 2, 31, 23, 59, 59)), -2, nullptr},
        QueryCase{"OnlyBit27", RangeQuery(kDayStart, kDayEnd, 0x08000000), -2, nullptr}),
    CaseName<QueryCase>);

TEST_F(DvrfsFindTest, HandlesAndArgumentsAreChecked) {
    dvrfs_find_query q = RangeQuery(kDayStart, kDayEnd);
    dvrfs_find_result r;
    EXPECT_EQ(dvrfs_find_start(0, &q, &r, 0), -1);
    EXPECT_TRUE(Printed("invalid param!"));
    const int h = StartWith(BasicDisk(), 0);
    const auto u = static_cast<unsigned>(h);
    EXPECT_EQ(dvrfs_find_start(kMaxHandles, &q, &r, 0), -8);
    EXPECT_EQ(dvrfs_find_start(u, nullptr, &r, 0), -8);
    EXPECT_EQ(dvrfs_find_start(u, &q, nullptr, 0), -8);
    EXPECT_EQ(dvrfs_find_start(u, &q, &r, -1), -8);
    EXPECT_EQ(dvrfs_find_start(u, &q, &r, 1), -2);  // no disk belongs to another set
    EXPECT_EQ(dvrfs_find_start(u + 1, &q, &r, 0), -5);
    EXPECT_TRUE(Logged("handle null!"));
    EXPECT_EQ(dvrfs_find_next(u, &r), -6);
    ASSERT_EQ(dvrfs_find_start(u, &q, &r, 0), 0);
    EXPECT_EQ(dvrfs_find_start(u, &q, &r, 0), -6);
    EXPECT_EQ(dvrfs_find_next(u, nullptr), -8);
    EXPECT_EQ(dvrfs_find_next(u + 1, &r), -5);
    EXPECT_EQ(dvrfs_find_stop(u), 0);
    EXPECT_EQ(dvrfs_find_next(u, &r), -6);
    EXPECT_EQ(dvrfs_find_stop(kMaxHandles), -8);
    EXPECT_EQ(dvrfs_find_stop(u + 1), -5);
}

TEST_F(DvrfsFindTest, RangeTakesWhatTouchesItAndStopsPastItsEnd) {
    // 09:30:00-10:00:00, 10:20:00-10:30:00, 11:00:01-11:00:11, 12:00:00-12:00:10
    vektools::DvrfsRecipe recipe =
        SmallRecipe({9 * kHour + 1800, 10 * kHour + 1200, 11 * kHour + 1, 12 * kHour});
    recipe.recordings[0].seconds = 1800;
    recipe.recordings[1].seconds = 600;
    recipe.stream.fps = 1;
    recipe.stream.gop = 1;
    recipe.stream.iMin = 300, recipe.stream.iMax = 600;
    const DvrfsDisk disk = BuildDisk(recipe);
    const int h = StartWith(disk);
    int last = 0;
    const auto found = All(h, RangeQuery(At6(24, 5, 6, 10, 0, 0), At6(24, 5, 6, 11, 0, 0)), &last);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(Hour(found[0]), 9 * 3600 + 1800);
    EXPECT_EQ(found[0].end[3], 10);
    EXPECT_EQ(found[0].end[4], 0);
    EXPECT_EQ(Hour(found[1]), 10 * 3600 + 1200);
    EXPECT_EQ(last, -2);

    // The result as the entry and the disk give it.
    const dvrfs_find_result& r = found[0];
    const auto& f = disk.facts.recordings[0];
    EXPECT_EQ(r.lengthLow, f.sectors * 512);
    EXPECT_EQ(r.lengthHigh, 0u);
    EXPECT_EQ(r.recordType, 0x40000001u);
    EXPECT_EQ(r.channel, 1);
    EXPECT_EQ(r.lastSector, f.lastSector);
    EXPECT_EQ(std::string(r.diskPath), mounted_[0]);
    EXPECT_EQ(r.start[0], 24);
    EXPECT_EQ(r.end[2], 6);

    // Past the last result the find stays, saying -2 each time.
    dvrfs_find_query q = RangeQuery(At6(24, 5, 6, 11, 0, 0), At6(24, 5, 6, 12, 0, 5));
    dvrfs_find_result next;
    ASSERT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &next, 0), 0);
    EXPECT_EQ(Hour(next), 11 * 3600 + 1);
    ASSERT_EQ(dvrfs_find_next(static_cast<unsigned>(h), &next), 0);
    EXPECT_EQ(Hour(next), 12 * 3600);
    EXPECT_EQ(dvrfs_find_next(static_cast<unsigned>(h), &next), -2);
    EXPECT_EQ(dvrfs_find_next(static_cast<unsigned>(h), &next), -2);
    dvrfs_find_stop(static_cast<unsigned>(h));
}

TEST_F(DvrfsFindTest, DisksAreMergedByStartAndTiesGoToTheLaterDisk) {
    const DvrfsDisk a = BuildDisk(SmallRecipe({8 * kHour, 10 * kHour}, 10));
    vektools::DvrfsRecipe second = SmallRecipe({9 * kHour, 10 * kHour}, 20);
    second.recordings[0].seed = 90;
    const DvrfsDisk b = BuildDisk(second);
    const int h = StartWith(a);
    const std::string path = Device("second", b.disk);
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);
    int last = 0;
    const auto found = All(h, RangeQuery(kDayStart, kDayEnd), &last);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(Hour(found[0]), 8 * 3600);
    EXPECT_EQ(Hour(found[1]), 9 * 3600);
    EXPECT_EQ(Hour(found[2]), 10 * 3600);
    EXPECT_EQ(std::string(found[2].diskPath), path);  // the disk mounted later
    EXPECT_EQ(found[2].end[5], 20);
    EXPECT_EQ(Hour(found[3]), 10 * 3600);
    EXPECT_EQ(std::string(found[3].diskPath), mounted_[0]);
    EXPECT_NE(found[2].diskId, found[3].diskId);
    EXPECT_EQ(last, -2);
}

TEST_F(DvrfsFindTest, MonthFindsSummariseDaysAcrossDisks) {
    vektools::DvrfsRecipe first = SmallRecipe({36000});
    vektools::DvrfsRecipe second = SmallRecipe({36000, 40000});
    second.recordings[1].day = 20;
    second.recordings[1].types = 4;
    vektools::DvrfsRecording june = second.recordings[0];
    june.month = 6;
    june.day = 2;
    second.recordings.push_back(june);
    const int h = StartWith(BuildDisk(first));
    const std::string path = Device("second", BuildDisk(second).disk);
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);

    dvrfs_find_query q = MonthQuery(24, 5);
    q.end[1] = 12;
    dvrfs_month_result m;
    const auto u = static_cast<unsigned>(h);
    ASSERT_EQ(dvrfs_find_start(u, &q, &m, 0), 0);
    EXPECT_EQ(m.month[0], 24);
    EXPECT_EQ(m.month[1], 5);
    // Day flags of class-0 records (bit 31) give bit 30 in the day word.
    EXPECT_EQ(m.days[5], 0x40000001u);  // day 6 on both disks
    EXPECT_EQ(m.days[19], 0x40000004u);
    for (int d : {0, 1, 6, 30})
        EXPECT_EQ(m.days[d], 0u) << d;
    ASSERT_EQ(dvrfs_find_next(u, &m), 0);
    EXPECT_EQ(m.month[1], 6);
    EXPECT_NE(m.days[1], 0u);
    EXPECT_EQ(dvrfs_find_next(u, &m), -2);
    EXPECT_EQ(dvrfs_find_next(u, &m), -2);
    dvrfs_find_stop(u);

    // A channel with no month at all.
    const int empty = Open(5);
    dvrfs_find_query may = MonthQuery(24, 5);
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(empty), &may, &m, 0), -2);
    EXPECT_TRUE(Printed("find by month has no record!"));
}

TEST_F(DvrfsFindTest, ClassBitsAndTheMaskSelectRecords) {
    // Day 6: class 1; day 7: class 0; day 8: type 4 only; day 9: passed over by every find.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000, 36000, 36000, 36000});
    recipe.recordings[0].classByte = 1;
    recipe.recordings[1].day = 7;
    recipe.recordings[2].day = 8;
    recipe.recordings[2].types = 4;
    recipe.recordings[3].day = 9;
    recipe.recordings[3].skip = 1;
    const int h = StartWith(BuildDisk(recipe));
    const Six from = At6(24, 5, 1, 0, 0, 0), to = At6(24, 5, 31, 23, 59, 59);

    auto all = All(h, RangeQuery(from, to));
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].recordType, 0x80000001u);  // class byte 1: bit 31
    EXPECT_EQ(all[1].recordType, 0x40000001u);
    EXPECT_EQ(all[2].recordType, 0x40000004u);

    const auto noClass1 = All(h, RangeQuery(from, to, 0x7FFFFFFF));  // top bits 01
    ASSERT_EQ(noClass1.size(), 2u);
    EXPECT_EQ(noClass1[0].start[2], 7);
    const auto noClass0 = All(h, RangeQuery(from, to, static_cast<int32_t>(0xBFFFFFFFu)));  // top bits 10
    ASSERT_EQ(noClass0.size(), 1u);
    EXPECT_EQ(noClass0[0].start[2], 6);
    const auto type4 = All(h, RangeQuery(from, to, 4));
    ASSERT_EQ(type4.size(), 1u);
    EXPECT_EQ(type4[0].start[2], 8);

    dvrfs_month_result m;
    dvrfs_find_query q = MonthQuery(24, 5, 0x7FFFFFFF);
    ASSERT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &m, 0), 0);
    EXPECT_EQ(m.days[5], 0u);
    EXPECT_EQ(m.days[6], 0x40000001u);
    EXPECT_EQ(m.days[7], 0x40000004u);
    dvrfs_find_stop(static_cast<unsigned>(h));
}

TEST_F(DvrfsFindTest, CountsLargerThanTheirSectorsAreSoftwareErrors) {
    vektools::DvrfsRecipe months = SmallRecipe({36000});
    months.damage.monthCountChannel = 1;
    months.damage.monthCount = 14;
    int h = StartWith(BuildDisk(months));
    dvrfs_find_query q = RangeQuery(kDayStart, kDayEnd);
    dvrfs_find_result r;
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), -16);
    EXPECT_TRUE(Logged("software error!"));
    dvrfs_find_query mq = MonthQuery(24, 5);
    dvrfs_month_result m;
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &mq, &m, 0), -16);

    vektools::DvrfsRecipe entries = SmallRecipe({36000, 37000});
    entries.damage.dayCountRecording = 0;
    entries.damage.dayCount = 12;
    const std::string path = Device("entries", BuildDisk(entries).disk);
    ASSERT_EQ(dvrfs_remove_disk(mounted_[0].c_str(), 0, 0), -1);  // a handle is open
    EXPECT_EQ(dvrfs_close(h, 0), 0);
    handles_.clear();
    ASSERT_EQ(dvrfs_remove_disk(mounted_[0].c_str(), 0, 0), 0);
    mounted_.clear();
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);
    h = Open(1);
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), -16);
}

struct ChainCase {
    const char* name;
    bool broken;  // else free
};

class DvrfsChainTest : public DvrfsFindTest, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(DvrfsChainTest, ABadLinkSkipsTheRestOfItsDayAndTheResultSaysSo) {
    // Day 6: six recordings, four to a link: the second link holds 4 and 5.
    vektools::DvrfsRecipe recipe = SmallRecipe({36000, 36100, 36200, 36300, 36400, 36500, 36000});
    recipe.recordings[6].day = 7;
    if (GetParam().broken)
        recipe.damage.brokenBackLink = 4;
    else
        recipe.damage.freeLink = 4;
    const int h = StartWith(BuildDisk(recipe));
    int last = 0;
    std::vector<int> codes;
    const auto found = All(h, RangeQuery(kDayStart, At6(24, 5, 7, 23, 59, 59)), &last, &codes);
    ASSERT_EQ(found.size(), 5u);
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(Hour(found[static_cast<size_t>(k)]), 36000 + 100 * k);
    EXPECT_EQ(found[4].start[2], 7);
    EXPECT_EQ(codes, (std::vector<int>{0, 0, 0, 0, -23}));
    EXPECT_EQ(last, -2);
    EXPECT_TRUE(Logged("software error!"));
}

INSTANTIATE_TEST_SUITE_P(Links,
                         DvrfsChainTest,
                         ::testing::Values(ChainCase{"BrokenBackLink", true}, ChainCase{"FreeLink", false}),
                         CaseName<ChainCase>);

TEST_F(DvrfsFindTest, AddingADiskEndsRunningFinds) {
    const int h = StartWith(BuildDisk(SmallRecipe({36000, 37000})));
    dvrfs_find_query q = RangeQuery(kDayStart, kDayEnd);
    dvrfs_find_result r;
    const auto u = static_cast<unsigned>(h);
    ASSERT_EQ(dvrfs_find_start(u, &q, &r, 0), 0);
    const std::string path = Device("late", BuildDisk(SmallRecipe({38000})).disk);
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);
    EXPECT_EQ(dvrfs_find_next(u, &r), -3);
    EXPECT_TRUE(Logged("disk_changed!"));
    EXPECT_EQ(dvrfs_find_next(u, &r), -6);
    EXPECT_EQ(All(h, q).size(), 3u);
}

TEST_F(DvrfsFindTest, ADiskThatCannotBePositionedIsLost) {
    const DvrfsDisk disk = BuildDisk(SmallRecipe({36000}));
    const int h = StartWith(disk);
    // Positioning on its day_channel link fails from now on.
    const uint64_t link = uint64_t{disk.facts.recordings[0].link} * 512;
    disk.disk->AddFault(platform::FaultRule{platform::IoOp::Seek, link, link + 512});
    dvrfs_find_query q = RangeQuery(kDayStart, kDayEnd);
    dvrfs_find_result r;
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), -13);
    disk.disk->ClearFaults();
    // Passed over until it is removed.
    EXPECT_EQ(dvrfs_find_start(static_cast<unsigned>(h), &q, &r, 0), -2);
}

TEST_F(DvrfsFindTest, ChangesUnderAWaitingCandidateAreFollowed) {
    const DvrfsDisk a = BuildDisk(SmallRecipe({8 * kHour, 12 * kHour}));
    const DvrfsDisk b = BuildDisk(SmallRecipe({9 * kHour, 13 * kHour}));
    const int h = StartWith(a);
    const std::string path = Device("second", b.disk);
    ASSERT_EQ(dvrfs_add_disk(path.c_str()), 0);
    mounted_.push_back(path);
    dvrfs_find_query q = RangeQuery(kDayStart, kDayEnd);
    dvrfs_find_result r;
    const auto u = static_cast<unsigned>(h);
    ASSERT_EQ(dvrfs_find_start(u, &q, &r, 0), 0);
    EXPECT_EQ(Hour(r), 8 * 3600);
    // Disk b waits with 09:00; the recorder rewrites that entry to start at 09:05.
    const auto& f = b.facts.recordings[0];
    const uint32_t packed = 9 | 5u << 8;
    uint8_t bytes[4];
    platform::PutU32(bytes, packed);
    b.disk->Poke(uint64_t{f.link} * 512 + 40 + 40 * f.entryIndex, bytes, 4);
    ASSERT_EQ(dvrfs_find_next(u, &r), 0);
    EXPECT_EQ(Hour(r), 9 * 3600 + 300);  // the end still matches: the place stands, the start follows
    ASSERT_EQ(dvrfs_find_next(u, &r), 0);
    EXPECT_EQ(Hour(r), 12 * 3600);
    dvrfs_find_stop(u);
}

}  // namespace
}  // namespace vkfs::testing
