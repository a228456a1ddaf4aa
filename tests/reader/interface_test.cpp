// The reader interface through its exported functions, both builds in one
// binary: argument checks, the channel table, search handles and reader slots.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "reader/vekfs_api.h"
#include "tests/reader/diag_capture.h"

namespace vekfs {
namespace {

using testing::DiagCapture;

// The Windows reader DLLs link their own copy of the diagnostics, which the
// test's capture does not reach: there, the console lines are not checked.
#ifdef _WIN32
#define EXPECT_DIAG(diag, text) (void)(diag)
#else
#define EXPECT_DIAG(diag, text) EXPECT_TRUE((diag).Contains(text)) << (diag).Text()
#endif

class Interface : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(vekfs_init(16), 0);
        ASSERT_EQ(vekfs2_init(16), 0);
    }
};

TEST_F(Interface, InitPrintsTheBannerOfEachBuild) {
    DiagCapture diag;
    ASSERT_EQ(vekfs_init(8), 0);
    EXPECT_DIAG(diag, "\n========vekfs version:1.1 release date:2013-11-18========\n\n");
    EXPECT_DIAG(diag, "[vekfs]:vekfs max rec channel is 8");
    diag.Clear();
    ASSERT_EQ(vekfs2_init(8), 0);
    EXPECT_DIAG(diag, "========vekfs version:2.2 release date:2013-11-18========");
    EXPECT_FALSE(diag.Contains("max rec channel"));
}

TEST_F(Interface, InitOutsideOneTo128KeepsThePreviousMaximum) {
    DiagCapture diag;
    EXPECT_EQ(vekfs_init(0), -1);
    EXPECT_EQ(vekfs_init(129), -1);
    EXPECT_EQ(vekfs_init(-5), -1);
    EXPECT_DIAG(diag, "invalid rec channel! init vekfs failed!");
    // Still 16: channel 15 opens, 16 does not.
    EXPECT_EQ(vekfs_channel_open(15), 15);
    EXPECT_EQ(vekfs_channel_open(16), VEKFS_ERR_CHANNEL);
    EXPECT_EQ(vekfs_init(128), 0);
    EXPECT_EQ(vekfs_channel_open(127), 127);
}

TEST_F(Interface, ChannelTable) {
    DiagCapture diag;
    EXPECT_EQ(vekfs_channel_open(3), 3);
    EXPECT_EQ(vekfs_channel_open(3), VEKFS_ERR_FAIL);
    EXPECT_DIAG(diag, "vekfs open chn3 state=1 failed");
    EXPECT_EQ(vekfs_channel_open(-1), VEKFS_ERR_CHANNEL);
    EXPECT_EQ(vekfs_channel_close(4), VEKFS_ERR_FAIL);  // never opened
    EXPECT_DIAG(diag, "chn4 there is not record");
    EXPECT_EQ(vekfs_channel_close(3), 0);
    EXPECT_EQ(vekfs_channel_close(3), VEKFS_ERR_FAIL);
    EXPECT_EQ(vekfs_channel_close(20), 0);  // above the maximum, inside the table
    EXPECT_EQ(vekfs_channel_close(128), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_channel_close(-1), VEKFS_ERR_BAD_HANDLE);
    // Version 2 takes a further argument that it ignores.
    EXPECT_EQ(vekfs2_channel_open(3, 0xdeadu), 3);
    EXPECT_EQ(vekfs2_channel_close(3), 0);
}

TEST_F(Interface, DiskStatusLeavesTheResultAloneOnFailure) {
    DiagCapture diag;
    disk_status_t status;
    int result = 77;
    EXPECT_LT(vekfs_get_disk_status(-1, &status, &result), 0);
    EXPECT_LT(vekfs_get_disk_status(8, &status, &result), 0);
    EXPECT_DIAG(diag, "invalid id");
    EXPECT_LT(vekfs_get_disk_status(3, &status, &result), 0);  // not mounted
    EXPECT_LT(vekfs_get_disk_status(3, nullptr, &result), 0);
    EXPECT_EQ(result, 77);
}

TEST_F(Interface, DiskNumbersOutsideTheTable) {
    DiagCapture diag;
    EXPECT_EQ(vekfs_add_disk(8, "mem:none"), VEKFS_ERR_RANGE);
    EXPECT_EQ(vekfs_add_disk(-1, "mem:none"), VEKFS_ERR_RANGE);
    EXPECT_DIAG(diag, "hdd num > max hdd num");
    EXPECT_EQ(vekfs_add_disk(0, nullptr), VEKFS_ERR_NULL_PARAM);
    EXPECT_EQ(vekfs_add_disk(0, "mem:none"), VEKFS_ERR_FAIL);
    EXPECT_EQ(vekfs_remove_disk(5), 0);
    EXPECT_EQ(vekfs_remove_disk(-1), 0);
    EXPECT_EQ(vekfs_remove_disk(99), 0);
    EXPECT_DIAG(diag, "[vekfs]:disk 5 not added");
}

TEST_F(Interface, SearchHandleArguments) {
    DiagCapture diag;
    event_list list;
    EXPECT_EQ(vekfs_get_event(16, 0, &list), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_get_event(-1, 0, &list), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_get_event(0, 16, &list), VEKFS_ERR_CHANNEL);
    EXPECT_EQ(vekfs_get_event(0, -1, &list), VEKFS_ERR_CHANNEL);
    EXPECT_EQ(vekfs_get_event(0, 0, nullptr), VEKFS_ERR_NULL_PARAM);
    EXPECT_EQ(vekfs_get_event(0, 0, &list), VEKFS_ERR_NO_SEARCH);
    EXPECT_DIAG(diag, "0 handle isn't exist");

    EXPECT_EQ(vekfs_find_start(nullptr, &list), VEKFS_ERR_NULL_PARAM);
    search_param p;
    p.search_type = kSearchHalfHour;
    EXPECT_EQ(vekfs_find_start(&p, nullptr), VEKFS_ERR_NULL_PARAM);
    p.search_type = kSearchOneList;
    EXPECT_EQ(vekfs_find_start(&p, nullptr), VEKFS_ERR_NULL_PARAM);
    EXPECT_DIAG(diag, "param which input is err");
    p.search_type = 4;
    EXPECT_EQ(vekfs_find_start(&p, &list), VEKFS_ERR_SEARCH_TYPE);
    EXPECT_DIAG(diag, "find type err");

    EXPECT_EQ(vekfs_find_stop(16), 0);
    EXPECT_EQ(vekfs_find_stop(-3), 0);
    EXPECT_EQ(vekfs_find_stop(5), 0);
}

TEST_F(Interface, MonthAndHalfHourSearchesTakeNoHandle) {
    uint32_t days[31];
    std::fill(std::begin(days), std::end(days), 0xffffffffu);
    search_param p;
    p.search_type = kSearchMonth;
    p.channel_mask = 0xffff;
    p.type_mask = 0xffff;
    p.start = {13, 6, 1, 0, 0, 0, 0};
    p.end = {13, 6, 30, 23, 59, 59, 0};
    EXPECT_EQ(vekfs_find_start(&p, days), kNoSearchHandle);
    EXPECT_TRUE(std::all_of(std::begin(days), std::end(days), [](uint32_t d) { return d == 0; }));
    uint32_t slots[48] = {};
    p.search_type = kSearchHalfHour;
    EXPECT_EQ(vekfs_find_start(&p, slots), kNoSearchHandle);
    EXPECT_EQ(vekfs_find_stop(kNoSearchHandle), 0);
    p.search_type = kSearchMonth;
    EXPECT_EQ(vekfs_find_start(&p, nullptr), VEKFS_ERR_NULL_PARAM);
}

TEST_F(Interface, SixtyFourReaderSlots) {
    std::vector<int> taken;
    for (int i = 0; i < kMaxReaderSlots; i++)
        taken.push_back(vekfs_read_start(0));
    for (int i = 0; i < kMaxReaderSlots; i++)
        EXPECT_EQ(taken[static_cast<size_t>(i)], i);
    DiagCapture diag;
    EXPECT_EQ(vekfs_read_start(0), VEKFS_ERR_NO_READER);
    EXPECT_EQ(vekfs_read_stop(40), 0);
    EXPECT_EQ(vekfs_read_stop(7), 0);
    EXPECT_EQ(vekfs_read_start(1), 7);  // the lowest free slot
    EXPECT_EQ(vekfs_read_start(1), 40);
    EXPECT_EQ(vekfs_read_stop(64), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_read_stop(-1), VEKFS_ERR_BAD_HANDLE);
    for (int i = 0; i < kMaxReaderSlots; i++)
        EXPECT_EQ(vekfs_read_stop(i), 0);
    EXPECT_EQ(vekfs_read_stop(3), 0);  // not in use
}

TEST_F(Interface, StreamCallArguments) {
    DiagCapture diag;
    std::vector<uint8_t> buf(1024);
    int first = 0;
    vekfs_time t{};
    event_desc d{};
    EXPECT_EQ(vekfs_tseek(64, &t, 0, 1, &d), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_tseek(-1, &t, 0, 1, &d), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_read(64, buf.data(), 1024, &first), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_read(-2, buf.data(), 1024, &first), VEKFS_ERR_BAD_HANDLE);
    EXPECT_DIAG(diag, "fs read start invalid fd!fd:64");
    const int slot = vekfs_read_start(0);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(vekfs_tseek(slot, nullptr, 0, 1, &d), VEKFS_ERR_NULL_PARAM);
    EXPECT_EQ(vekfs_tseek(slot, &t, 0, 1, nullptr), VEKFS_ERR_NULL_PARAM);
    EXPECT_EQ(vekfs_read(slot, nullptr, 1024, &first), VEKFS_ERR_NULL_PARAM);
    EXPECT_DIAG(diag, "buf err!");
    EXPECT_EQ(vekfs_get_next_kframe(slot, buf.data(), 1024, &first, 0), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_get_prev_kframe(slot, buf.data(), 1024, &first, -1), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_get_next_kframe(64, buf.data(), 1024, &first, 1), VEKFS_ERR_BAD_HANDLE);
    // A slot never sought has nothing to read or step through.
    EXPECT_EQ(vekfs_read(slot, buf.data(), 1024, &first), 0);
    EXPECT_EQ(vekfs_get_next_kframe(slot, buf.data(), 1024, &first, 1), 0);
    EXPECT_EQ(vekfs_get_current_kframe(slot, buf.data(), 1024, &first), 0);
    EXPECT_EQ(vekfs_read_stop(slot), 0);
    // A slot that is not in use is refused.
    EXPECT_EQ(vekfs_read(slot, buf.data(), 1024, &first), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(vekfs_tseek(slot, &t, 0, 1, &d), VEKFS_ERR_BAD_HANDLE);
}

TEST_F(Interface, TheTwoBuildsKeepSeparateState) {
    ASSERT_EQ(vekfs_init(4), 0);
    ASSERT_EQ(vekfs2_init(32), 0);
    EXPECT_EQ(vekfs_channel_open(2), 2);
    EXPECT_EQ(vekfs2_channel_open(2, 0), 2);  // its own table
    EXPECT_EQ(vekfs_channel_open(10), VEKFS_ERR_CHANNEL);
    EXPECT_EQ(vekfs2_channel_open(10, 0), 10);
    EXPECT_EQ(vekfs_read_start(0), 0);
    EXPECT_EQ(vekfs2_read_start(0), 0);
    EXPECT_EQ(vekfs_read_start(0), 1);
    EXPECT_EQ(vekfs2_read_stop(0), 0);
    EXPECT_EQ(vekfs2_read_start(0), 0);
    EXPECT_EQ(vekfs_read_start(0), 2);
}

TEST_F(Interface, InitFreesWhatThePreviousRunLeft) {
    for (int i = 0; i < 10; i++)
        ASSERT_GE(vekfs_read_start(0), 0);
    ASSERT_EQ(vekfs_channel_open(1), 1);
    ASSERT_EQ(vekfs_init(16), 0);
    EXPECT_EQ(vekfs_read_start(0), 0);    // every slot free again
    EXPECT_EQ(vekfs_channel_open(1), 1);  // the channel table cleared
}

TEST_F(Interface, ConcurrentReadStartsNeverShareASlot) {
    for (int round = 0; round < 50; round++) {
        ASSERT_EQ(vekfs2_init(16), 0);
        std::vector<int> got(8, -100);
        std::atomic<int> ready{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; t++) {
            threads.emplace_back([&, t] {
                ready++;
                while (ready.load() < 8)
                    std::this_thread::yield();
                got[static_cast<size_t>(t)] = vekfs2_read_start(t);
            });
        }
        for (auto& th : threads)
            th.join();
        const std::set<int> distinct(got.begin(), got.end());
        ASSERT_EQ(distinct.size(), 8u) << "round " << round;
        EXPECT_EQ(*distinct.begin(), 0);
        EXPECT_EQ(*distinct.rbegin(), 7);
    }
}

}  // namespace
}  // namespace vekfs
