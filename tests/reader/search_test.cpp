// Searches over images built by the image builder: month, half-hour and event
// searches in both format versions, compared with hand-written expectations for
// the "basic" scenario (see tools/image_scenarios.cpp) and with small images
// made here for the cases the scenario does not hold. Damage the builder does
// not make (impossible channels, counts and numbers in the index) is poked into
// the image with the codec.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "reader/format.h"
#include "reader/reader.h"
#include "tests/common/built_images.h"
#include "tests/common/format_versions.h"
#include "tests/common/reader_profiles.h"
#include "tests/reader/diag_capture.h"
#include "tools/image_builder.h"
#include "tools/image_scenarios.h"

namespace vekfs {
namespace {

using platform::IoOp;
using platform::MemDisk;
using platform::ScopedMemDisk;
using testing::DiagCapture;
using vektools::Packed;

using vektest::ProfileFor;
using vektest::TraitsFor;

constexpr vekfs_time Time(int year, int month, int day, int hour, int minute, int second) {
    return calendar_time(year, month, day, hour, minute, second);
}

search_param Param(uint8_t type,
                   vekfs_time from,
                   vekfs_time to,
                   uint32_t type_mask = 0xffffffff,
                   uint32_t channel_mask = 0xffffffff,
                   uint8_t data_type = 0,
                   uint8_t exact = 0) {
    search_param p;
    p.data_type = data_type;
    p.search_type = type;
    p.exact = exact;
    p.type_mask = type_mask;
    p.channel_mask = channel_mask;
    p.start = from;
    p.end = to;
    return p;
}

search_param MonthParam(int year,
                        int month,
                        uint32_t type_mask = 0xffffffff,
                        uint32_t channel_mask = 0xffff,
                        uint8_t data_type = 0) {
    return Param(kSearchMonth, Time(year, month, 1, 0, 0, 0), Time(year, month, 31, 23, 59, 59), type_mask,
                 channel_mask, data_type);
}

search_param DayParam(uint8_t type,
                      int year,
                      int month,
                      int day,
                      uint32_t type_mask = 0xffffffff,
                      uint32_t channel_mask = 0xffffffff,
                      uint8_t data_type = 0,
                      uint8_t exact = 0) {
    return Param(type, Time(year, month, day, 0, 0, 0), Time(year, month, day, 23, 59, 59), type_mask,
                 channel_mask, data_type, exact);
}

// An image in a MemDisk registered under a name, mounted as disk 0 of a reader.
struct Mounted {
    vektools::Manifest manifest;
    std::shared_ptr<MemDisk> disk;
    std::unique_ptr<ScopedMemDisk> name;
    std::unique_ptr<Reader> reader;
    int version = 0;

    // Rewrites the file entry at (partition, position) in every index copy.
    void EditFile(int partition, int position, const std::function<void(file_info&)>& edit) {
        const FormatTraits& f = TraitsFor(version);
        for (uint64_t copy : manifest.partitions[static_cast<size_t>(partition)].copyOffset) {
            const uint64_t at =
                copy + manifest.param.file_table_offset + static_cast<uint64_t>(position) * f.fileInfoSize;
            std::vector<uint8_t> bytes = disk->Bytes(at, f.fileInfoSize);
            file_info e = decode_file_info(bytes.data(), f);
            edit(e);
            encode_file_info(e, f, bytes.data());
            disk->Poke(at, bytes.data(), bytes.size());
        }
    }

    // Writes `events` into slots 0.. of the event block of (partition, position)
    // in every index copy.
    void WriteEvents(int partition, int position, const std::vector<pevent_info>& events) {
        const FormatTraits& f = TraitsFor(version);
        std::vector<uint8_t> block(f.EventBlockSize(), 0);
        for (size_t k = 0; k < events.size(); k++)
            encode_pevent_info(events[k], f, block.data() + k * f.eventSize);
        for (uint64_t copy : manifest.partitions[static_cast<size_t>(partition)].copyOffset) {
            disk->Poke(
                copy + manifest.param.event_area_offset + static_cast<uint64_t>(position) * block.size(),
                block.data(), block.size());
        }
    }

    uint64_t CopyOffset(int partition) const {
        return manifest.partitions[static_cast<size_t>(partition)].copyOffset[0];
    }
};

// Builds `recipe` and mounts it with the given channel maximum; `edit` runs on
// the image before the mount.
std::unique_ptr<Mounted> MountSpec(const vektools::ImageSpec& recipe,
                                   const std::string& name,
                                   int max_channels = 128,
                                   const std::function<void(Mounted&)>& edit = {}) {
    auto m = std::make_unique<Mounted>();
    m->version = recipe.disk.version;
    vektest::BuiltImage image = vektest::MakeImage(recipe);
    m->manifest = std::move(image.manifest);
    m->disk = image.disk;
    if (edit)
        edit(*m);
    m->name = std::make_unique<ScopedMemDisk>(name, m->disk);
    m->reader = std::make_unique<Reader>(ProfileFor(recipe.disk.version));
    EXPECT_EQ(m->reader->init(max_channels), 0);
    EXPECT_EQ(m->reader->add_disk(0, m->name->Path().c_str()), 0);
    return m;
}

vektools::ImageSpec BasicSpec(int version) {
    return vektest::ScenarioRecipe("basic", version);
}

std::unique_ptr<Mounted> MountBasic(int version,
                                    const std::string& name,
                                    const std::function<void(Mounted&)>& edit = {}) {
    return MountSpec(BasicSpec(version), name, 128, edit);
}

std::array<uint32_t, 31> Month(Reader& r, search_param p) {
    std::array<uint32_t, 31> out;
    out.fill(0xdeadbeef);
    EXPECT_EQ(r.find_start(&p, out.data()), kNoSearchHandle);
    return out;
}

std::array<uint32_t, 48> HalfHours(Reader& r, search_param p) {
    std::array<uint32_t, 48> out;
    out.fill(0xffffffff);
    EXPECT_EQ(r.find_start(&p, out.data()), kNoSearchHandle);
    return out;
}

// The month words that are not zero, by day.
std::vector<std::pair<int, uint32_t>> Days(const std::array<uint32_t, 31>& words) {
    std::vector<std::pair<int, uint32_t>> out;
    for (size_t d = 0; d < words.size(); d++)
        if (words[d] != 0)
            out.emplace_back(static_cast<int>(d) + 1, words[d]);
    return out;
}

std::vector<event_desc> ListOf(Reader& r, int handle, int list_channel) {
    event_list list;
    EXPECT_EQ(r.get_event(handle, list_channel, &list), 0);
    if (list.count <= 0)
        return {};
    return {list.events, list.events + list.count};
}

// One-list event search; the handle is stopped before returning.
std::vector<event_desc> OneList(Reader& r, search_param p) {
    event_list list;
    const int h = r.find_start(&p, &list);
    EXPECT_GE(h, 0);
    EXPECT_LT(h, kMaxSearchHandles);
    std::vector<event_desc> out;
    if (h >= 0 && list.count > 0)
        out.assign(list.events, list.events + list.count);
    r.find_stop(h);
    return out;
}

packed_time StartOf(const event_desc& d) {
    return pack_time(d.start);
}

// Reads of the sector layer that start in [begin, end): each positions the
// device once, whatever number of sector transfers follow.
size_t ReadsAt(const MemDisk& disk, uint64_t begin, uint64_t end) {
    size_t n = 0;
    for (const platform::IoRecord& rec : disk.Log())
        if (rec.op == IoOp::Seek && rec.offset >= begin && rec.offset < end)
            n++;
    return n;
}

class SearchTest : public ::testing::TestWithParam<int> {
  protected:
    int V() const { return GetParam(); }
    std::string Name(const char* what) const { return std::string(what) + "-v" + std::to_string(V()); }
};

VEK_INSTANTIATE_FOR_BOTH_FORMATS(SearchTest);

// ---- month search ------------------------------------------------------------------

TEST_P(SearchTest, MonthSetsTheDayBitsOfClosedFilesOfTheMonth) {
    auto m = MountBasic(V(), Name("month"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    // December 2023, data type 0: day 1 type bit 2 and day 31 type bit 1 (bitmap
    // bits 0 and 30), day 15 normal (the skip-1 event is not in the bitmaps),
    // day 16 bit 3, day 20 the version's last bit, day 28 every bit. The data-type-1
    // file (day 10) and the file being written (January) do not show.
    const uint32_t lastBit = V() == 1 ? 1u << 3 : 1u << 15;
    const uint32_t allBits = V() == 1 ? 0xfu : 0xffffu;
    using Day = std::pair<int, uint32_t>;
    EXPECT_THAT(Days(Month(r, MonthParam(2023, 12))),
                ::testing::ElementsAre(Day{1, 1u << 2}, Day{15, 1u << 0}, Day{16, 1u << 3}, Day{20, lastBit},
                                       Day{28, allBits}, Day{31, 1u << 1}));

    // Channel 0 only (file 0): days 1, 15, 31.
    EXPECT_THAT(Days(Month(r, MonthParam(2023, 12, 0xffffffff, 0x1))),
                ::testing::ElementsAre(Day{1, 1u << 2}, Day{15, 1u << 0}, Day{31, 1u << 1}));

    // Data type 1 goes by the file's start month: December shows day 10; January,
    // where the file's second event lies, shows nothing.
    EXPECT_THAT(Days(Month(r, MonthParam(2023, 12, 0xffffffff, 0xffff, 1))),
                ::testing::ElementsAre(Day{10, 1u}));
    EXPECT_THAT(Days(Month(r, MonthParam(2024, 1, 0xffffffff, 0xffff, 1))), ::testing::IsEmpty());

    // January 2024 data type 0: partition 1's days 10, 12 and 13; the file being
    // written on day 20 is invisible.
    const auto jan = Days(Month(r, MonthParam(2024, 1)));
    ASSERT_EQ(jan.size(), 3u);
    EXPECT_EQ(jan[0].first, 10);
    EXPECT_EQ(jan[1].first, 12);
    EXPECT_EQ(jan[2].first, 13);
    EXPECT_EQ(jan[1].second, allBits);
    EXPECT_EQ(jan[2].second, allBits);

    // A month with no partition in range: every word cleared, the caller's
    // garbage included.
    EXPECT_THAT(Days(Month(r, MonthParam(2022, 6))), ::testing::IsEmpty());
}

TEST_P(SearchTest, MonthTypeMaskSelectsBitsInVersionTwoOnly) {
    auto m = MountBasic(V(), Name("monthmask"));
    ASSERT_TRUE(m);
    const auto words = Month(*m->reader, MonthParam(2023, 12, (1u << 2) | (1u << 15)));
    using Day = std::pair<int, uint32_t>;
    if (V() == 1) {
        // Version 1 ignores the type mask.
        EXPECT_THAT(Days(words), ::testing::ElementsAre(Day{1, 4}, Day{15, 1}, Day{16, 8}, Day{20, 8},
                                                        Day{28, 0xf}, Day{31, 2}));
    } else {
        EXPECT_THAT(Days(words), ::testing::ElementsAre(Day{1, 1u << 2}, Day{20, 1u << 15},
                                                        Day{28, (1u << 2) | (1u << 15)}));
    }
}

TEST_P(SearchTest, MonthWithoutOutputIsRefused) {
    auto m = MountBasic(V(), Name("monthnull"));
    ASSERT_TRUE(m);
    DiagCapture diag;
    search_param p = MonthParam(2023, 12);
    EXPECT_EQ(m->reader->find_start(&p, nullptr), VEKFS_ERR_NULL_PARAM);
    EXPECT_TRUE(diag.Contains("invalid param output mon"));
}

// ---- half-hour search --------------------------------------------------------------

TEST_P(SearchTest, HalfHourSlotsOfAnEventSpanningThreeSlots) {
    auto m = MountBasic(V(), Name("halfhour"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    // 10:15:00-11:05:00, type bit 2: slots 20, 21, 22 exactly; the caller's array
    // is cleared first.
    const auto slots = HalfHours(r, DayParam(kSearchHalfHour, 2023, 12, 1));
    for (int s = 0; s < 48; s++)
        EXPECT_EQ(slots[static_cast<size_t>(s)], (s >= 20 && s <= 22) ? 4u : 0u) << s;

    // A type mask without bit 2 finds nothing that day.
    const auto none = HalfHours(r, DayParam(kSearchHalfHour, 2023, 12, 1, 0x3));
    EXPECT_TRUE(std::all_of(none.begin(), none.end(), [](uint32_t w) { return w == 0; }));

    // Clipped to the request: 10:40-10:50 touches slot 21 only.
    const auto clipped =
        HalfHours(r, Param(kSearchHalfHour, Time(2023, 12, 1, 10, 40, 0), Time(2023, 12, 1, 10, 50, 0)));
    for (int s = 0; s < 48; s++)
        EXPECT_EQ(clipped[static_cast<size_t>(s)], s == 21 ? 4u : 0u) << s;
}

TEST_P(SearchTest, HalfHourLeavesOutSkippedEvents) {
    auto m = MountBasic(V(), Name("halfskip"));
    ASSERT_TRUE(m);
    // 2023-12-15: channel 0 at 08:00 (slot 16), channels 2 and 5 at 09:00 (slot 18),
    // all normal recordings; the skipped 09:10 event with bits 0 and 1 and the
    // skipped 09:20 event add nothing.
    const auto slots = HalfHours(*m->reader, DayParam(kSearchHalfHour, 2023, 12, 15));
    for (int s = 0; s < 48; s++)
        EXPECT_EQ(slots[static_cast<size_t>(s)], (s == 16 || s == 18) ? 1u : 0u) << s;
}

// ---- event searches ----------------------------------------------------------------

TEST_P(SearchTest, OneListOverThreeChannelsGrowsFrom252To552) {
    auto m = MountBasic(V(), Name("grow"));
    ASSERT_TRUE(m);
    DiagCapture diag;
    const auto list = OneList(
        *m->reader, DayParam(kSearchOneList, 2024, 1, 10, 0xffffffff, (1u << 0) | (1u << 2) | (1u << 5)));
    ASSERT_EQ(list.size(), 253u);
    EXPECT_TRUE(diag.Contains("malloc:buf:0, buf_len:252, data_len:0")) << diag.Text();
    EXPECT_TRUE(diag.Contains("realloc:buf:0, buf_len:552, data_len:252")) << diag.Text();
    for (size_t i = 0; i < list.size(); i++) {
        EXPECT_EQ(list[i].list_pos, i);
        EXPECT_EQ(list[i].list_channel, 0);
        if (i > 0) {
            EXPECT_LE(StartOf(list[i - 1]), StartOf(list[i]));
        }
    }
}

TEST_P(SearchTest, PerChannelListsStartWith200AndHoldTheirChannelsEvents) {
    auto m = MountBasic(V(), Name("perchannel"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    DiagCapture diag;
    search_param p = DayParam(kSearchPerChannel, 2024, 1, 10);
    const int h = r.find_start(&p, nullptr);
    ASSERT_GE(h, 0);
    EXPECT_TRUE(diag.Contains("malloc:buf:2, buf_len:200, data_len:0"));
    const auto ch0 = ListOf(r, h, 0);
    const auto ch2 = ListOf(r, h, 2);
    const auto ch5 = ListOf(r, h, 5);
    EXPECT_EQ(ch0.size(), 85u);
    EXPECT_EQ(ch2.size(), 84u);
    EXPECT_EQ(ch5.size(), 84u);
    EXPECT_TRUE(ListOf(r, h, 7).empty());
    for (const auto* list : {&ch0, &ch2, &ch5}) {
        for (size_t i = 0; i < list->size(); i++) {
            const event_desc& d = (*list)[i];
            EXPECT_EQ(d.handle, h);
            EXPECT_EQ(d.list_channel, d.channel);
            EXPECT_EQ(d.list_pos, i);
            EXPECT_EQ(location_disk(d.location), 0u);
            EXPECT_EQ(location_partition(d.location), 1u);
        }
    }
    r.find_stop(h);
}

TEST_P(SearchTest, DescriptorCarriesTheEventRecord) {
    auto m = MountBasic(V(), Name("desc"));
    ASSERT_TRUE(m);
    const vektools::Mark* mark = m->manifest.FindMark("attrs");
    ASSERT_NE(mark, nullptr);
    const vektools::EventFact* ev = m->manifest.FindEvent(mark->partition, mark->filePosition, mark->slot);
    ASSERT_NE(ev, nullptr);
    const auto list = OneList(*m->reader, DayParam(kSearchOneList, 2023, 12, 16));
    ASSERT_EQ(list.size(), 1u);
    const event_desc& d = list[0];
    EXPECT_EQ(d.overwritten, 0);
    EXPECT_EQ(d.event_index, mark->slot);
    EXPECT_EQ(d.list_pos, 0u);
    EXPECT_EQ(d.location, make_location(static_cast<uint32_t>(mark->filePosition), 0, 0));
    EXPECT_EQ(d.type_bits, 1u << 3);
    EXPECT_EQ(d.channel, 2);
    EXPECT_EQ(d.attr22, 0x5A);
    EXPECT_EQ(d.attr23, 0xA5);
    EXPECT_EQ(d.start, Time(2023, 12, 16, 7, 30, 0));
    EXPECT_EQ(d.end, Time(2023, 12, 16, 7, 30, 30));
    EXPECT_EQ(d.data_start, ev->dataStart);
    EXPECT_EQ(d.data_length, ev->dataLength);
    EXPECT_EQ(d.index_start, ev->indexStart);
    EXPECT_EQ(d.index_end, ev->indexEnd);
    if (V() == 1) {
        EXPECT_EQ(d.media_first, 0x1234u);
        EXPECT_EQ(d.media_last, 0u);
    } else {
        EXPECT_EQ(d.media_first, 0x11223344u);
        EXPECT_EQ(d.media_last, 0x55667788u);
    }
}

TEST_P(SearchTest, SkipByteDataTypeAndExactFlagAreHonoured) {
    auto m = MountBasic(V(), Name("filters"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    // 2023-12-15: the two skipped events of channel 2 are left out.
    const auto day15 = OneList(r, DayParam(kSearchOneList, 2023, 12, 15));
    ASSERT_EQ(day15.size(), 3u);
    EXPECT_EQ(day15[0].start, Time(2023, 12, 15, 8, 0, 0));
    for (const event_desc& d : day15)
        EXPECT_EQ(d.type_bits, 1u);

    // Data type: the data-type-1 file's event of 2023-12-10 is found only when
    // data type 1 is asked for.
    EXPECT_TRUE(OneList(r, DayParam(kSearchOneList, 2023, 12, 10)).empty());
    const auto dt1 = OneList(r, DayParam(kSearchOneList, 2023, 12, 10, 0xffffffff, 0xffffffff, 1));
    ASSERT_EQ(dt1.size(), 1u);
    EXPECT_EQ(dt1[0].channel, 7);

    // 2023-12-28, channel 2: one event with bits 1 and 3, one with every bit.
    const uint32_t allBits = V() == 1 ? 0xfu : 0xffffu;
    EXPECT_EQ(OneList(r, DayParam(kSearchOneList, 2023, 12, 28, 0x3)).size(), 2u);
    const auto exact3 = OneList(r, DayParam(kSearchOneList, 2023, 12, 28, 0x3, 0xffffffff, 0, 1));
    ASSERT_EQ(exact3.size(), 1u);
    EXPECT_EQ(exact3[0].type_bits, allBits);
    EXPECT_EQ(OneList(r, DayParam(kSearchOneList, 2023, 12, 28, 0xA, 0xffffffff, 0, 1)).size(), 2u);
    EXPECT_EQ(OneList(r, DayParam(kSearchOneList, 2023, 12, 28, 0x4)).size(), 1u);
}

TEST_P(SearchTest, FileBeingWrittenIsInvisible) {
    auto m = MountBasic(V(), Name("open"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    EXPECT_TRUE(OneList(r, DayParam(kSearchOneList, 2024, 1, 20)).empty());
    const auto slots = HalfHours(r, DayParam(kSearchHalfHour, 2024, 1, 20));
    EXPECT_TRUE(std::all_of(slots.begin(), slots.end(), [](uint32_t w) { return w == 0; }));
}

TEST_P(SearchTest, EqualStartsAreOrderedByChannel) {
    // Channel 5's file comes first in the table, so only the sort puts channel 2
    // ahead of it.
    vektools::ImageSpec recipe;
    recipe.disk.version = V();
    vektools::PartitionSpec part;
    part.fileCount = 3;
    const uint8_t channels[3] = {5, 2, 3};
    const packed_time starts[3] = {Packed(2024, 5, 1, 9, 0, 0), Packed(2024, 5, 1, 9, 0, 0),
                                   Packed(2024, 5, 1, 8, 59, 59)};
    for (uint16_t j = 0; j < 3; j++) {
        vektools::FileSpec f;
        f.position = j;
        f.channel = channels[j];
        vektools::EventSpec e;
        e.start = starts[j];
        e.end = vektools::AddSeconds(e.start, 2);
        e.stream.fps = 1;
        e.stream.gop = 1;
        f.events.push_back(e);
        part.files.push_back(f);
    }
    recipe.partitions.push_back(part);
    auto m = MountSpec(recipe, Name("ties"));
    ASSERT_TRUE(m);
    const auto list = OneList(*m->reader, DayParam(kSearchOneList, 2024, 5, 1));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].channel, 3);
    EXPECT_EQ(list[1].channel, 2);
    EXPECT_EQ(list[2].channel, 5);
    EXPECT_EQ(location_file(list[1].location), 1u);
    EXPECT_EQ(location_file(list[2].location), 0u);
}

TEST_P(SearchTest, UnusableDiskAndPartitionAreSkipped) {
    {
        vektools::ImageSpec recipe = BasicSpec(V());
        recipe.disk.diskState = 3;
        auto m = MountSpec(recipe, Name("disk3"));
        ASSERT_TRUE(m);
        DiagCapture diag;
        EXPECT_THAT(Days(Month(*m->reader, MonthParam(2023, 12))), ::testing::IsEmpty());
        EXPECT_TRUE(diag.Contains("disk0 is err"));
        EXPECT_TRUE(OneList(*m->reader, DayParam(kSearchOneList, 2024, 1, 10)).empty());
    }
    {
        vektools::ImageSpec recipe = BasicSpec(V());
        recipe.partitions[0].state = 2;
        auto m = MountSpec(recipe, Name("part2"));
        ASSERT_TRUE(m);
        DiagCapture diag;
        EXPECT_THAT(Days(Month(*m->reader, MonthParam(2023, 12))), ::testing::IsEmpty());
        EXPECT_TRUE(diag.Contains("disk0 part0 is err"));
        // Partition 1 is still searched.
        EXPECT_EQ(Days(Month(*m->reader, MonthParam(2024, 1))).size(), 3u);
        EXPECT_EQ(OneList(*m->reader, DayParam(kSearchOneList, 2024, 1, 10)).size(), 253u);
    }
}

TEST_P(SearchTest, NoDisksMountedGivesEmptyResults) {
    Reader r(ProfileFor(V()));
    ASSERT_EQ(r.init(16), 0);
    EXPECT_THAT(Days(Month(r, MonthParam(2023, 12))), ::testing::IsEmpty());
    const auto slots = HalfHours(r, DayParam(kSearchHalfHour, 2023, 12, 1));
    EXPECT_TRUE(std::all_of(slots.begin(), slots.end(), [](uint32_t w) { return w == 0; }));
    search_param p = DayParam(kSearchPerChannel, 2023, 12, 1);
    const int h = r.find_start(&p, nullptr);
    ASSERT_EQ(h, 0);
    EXPECT_TRUE(ListOf(r, h, 0).empty());
    r.find_stop(h);
}

// ---- handles -------------------------------------------------------------------------

TEST_P(SearchTest, SeventeenthHandleIsRefusedAndStopFreesIt) {
    auto m = MountBasic(V(), Name("handles"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    search_param p = DayParam(kSearchPerChannel, 2024, 1, 10);
    for (int i = 0; i < kMaxSearchHandles; i++)
        ASSERT_EQ(r.find_start(&p, nullptr), i);
    DiagCapture diag;
    EXPECT_EQ(r.find_start(&p, nullptr), VEKFS_ERR_NO_SEARCH_SLOT);
    EXPECT_TRUE(diag.Contains("have no g_output"));
    EXPECT_EQ(r.find_stop(7), 0);
    event_list list;
    EXPECT_EQ(r.get_event(7, 0, &list), VEKFS_ERR_NO_SEARCH);
    EXPECT_EQ(r.find_start(&p, nullptr), 7);
    EXPECT_EQ(ListOf(r, 7, 0).size(), 85u);
    // The rest are freed by the stops (and by the reader for whatever is left;
    // the leak checker sees both).
    for (int i = 0; i < kMaxSearchHandles; i += 2)
        EXPECT_EQ(r.find_stop(i), 0);
}

// ---- failures ------------------------------------------------------------------------

TEST_P(SearchTest, ReadFailuresEndTheSearchAndFreeTheHandle) {
    auto m = MountBasic(V(), Name("faults"));
    ASSERT_TRUE(m);
    Reader& r = *m->reader;
    const uint64_t copy1 = m->CopyOffset(1);
    const uint64_t events1 = copy1 + m->manifest.param.event_area_offset;
    {
        DiagCapture diag;
        platform::FaultRule rule;
        rule.op = IoOp::Read;
        rule.begin = events1;
        rule.end = events1 + 1;
        m->disk->AddFault(rule);
        search_param p = DayParam(kSearchPerChannel, 2024, 1, 10);
        EXPECT_EQ(r.find_start(&p, nullptr), VEKFS_ERR_SEARCH_READ);
        EXPECT_TRUE(diag.Contains("read event err"));
        event_list list;
        EXPECT_EQ(r.get_event(0, 0, &list), VEKFS_ERR_NO_SEARCH);
        m->disk->ClearFaults();
    }
    {
        DiagCapture diag;
        platform::FaultRule rule;
        rule.op = IoOp::Read;
        rule.begin = copy1 + m->manifest.param.file_table_offset;
        rule.end = rule.begin + 1;
        m->disk->AddFault(rule);
        auto words = std::array<uint32_t, 31>{};
        search_param p = MonthParam(2024, 1);
        EXPECT_EQ(r.find_start(&p, words.data()), VEKFS_ERR_SEARCH_READ);
        EXPECT_TRUE(diag.Contains("read mem:" + Name("faults") + " err"));
        m->disk->ClearFaults();
    }
    {
        DiagCapture diag;
        platform::FaultRule rule;
        rule.op = IoOp::Open;
        m->disk->AddFault(rule);
        search_param p = DayParam(kSearchOneList, 2024, 1, 10);
        event_list list;
        EXPECT_EQ(r.find_start(&p, &list), VEKFS_ERR_OPEN);
        EXPECT_TRUE(diag.Contains("open mem:" + Name("faults") + " err"));
        m->disk->ClearFaults();
    }
    // Nothing is left behind: a search after the faults gets handle 0 again.
    search_param p = DayParam(kSearchPerChannel, 2024, 1, 10);
    EXPECT_EQ(r.find_start(&p, nullptr), 0);
}

// ---- hostile index values ------------------------------------------------------------

TEST_P(SearchTest, ImpossibleChannelsCountsAndNumbersAreSkipped) {
    // Partition 1 of the basic image: files 0, 1, 2 hold channels 0, 2, 5 with
    // 85, 84 and 84 events on 2024-01-10; file 3 is channel 7.
    auto m = MountBasic(V(), Name("hostile"));
    ASSERT_TRUE(m);
    Mounted& img = *m;
    img.EditFile(1, 0, [](file_info& e) { e.channel = 40; });
    img.EditFile(1, 1, [](file_info& e) { e.event_count = 300; });  // the next block holds channel 5's events
    img.EditFile(1, 2, [](file_info& e) { e.number = 0; });         // its block would lie before the area
    img.EditFile(1, 3, [](file_info& e) { e.channel = 200; });
    Reader& r = *m->reader;

    DiagCapture diag;
    search_param p = DayParam(kSearchPerChannel, 2024, 1, 10);
    const int h = r.find_start(&p, nullptr);
    ASSERT_GE(h, 0);
    EXPECT_TRUE(ListOf(r, h, 0).empty());    // channel 40 is no channel of the mask
    EXPECT_EQ(ListOf(r, h, 2).size(), 84u);  // capped at the block's 256 slots
    EXPECT_TRUE(ListOf(r, h, 5).empty());    // wrong number: skipped
    EXPECT_TRUE(diag.Contains("file2 event count 300 err")) << diag.Text();
    EXPECT_TRUE(diag.Contains("file3 holds number 0")) << diag.Text();
    EXPECT_TRUE(diag.Contains("file4 chn200 err")) << diag.Text();
    r.find_stop(h);

    // The month search skips the same entries.
    const auto jan = Days(Month(r, MonthParam(2024, 1)));
    ASSERT_EQ(jan.size(), 1u);
    EXPECT_EQ(jan[0].first, 10);
}

TEST_P(SearchTest, ChannelThirtyOneIsSearchedWithAMaximumOfThirtyOne) {
    // With a maximum of 31 the mask is not cut: bit 31 is set, so channel 31 is
    // searched. Channels 32 and up are in no 32-bit mask.
    vektools::ImageSpec recipe;
    recipe.disk.version = V();
    recipe.disk.channels = 64;
    vektools::PartitionSpec part;
    part.fileCount = 3;
    const uint8_t channels[3] = {31, 33, 30};
    for (uint16_t j = 0; j < 3; j++) {
        vektools::FileSpec f;
        f.position = j;
        f.channel = channels[j];
        vektools::EventSpec e;
        e.start = Packed(2024, 6, 2, 12, 0, j);
        e.end = vektools::AddSeconds(e.start, 2);
        e.stream.fps = 1;
        e.stream.gop = 1;
        f.events.push_back(e);
        part.files.push_back(f);
    }
    recipe.partitions.push_back(part);
    auto m = MountSpec(recipe, Name("maxch"), 31);
    ASSERT_TRUE(m);
    const auto list = OneList(*m->reader, DayParam(kSearchOneList, 2024, 6, 2));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].channel, 31);
    EXPECT_EQ(list[1].channel, 30);
    EXPECT_EQ(Days(Month(*m->reader, MonthParam(2024, 6, 0xffffffff, 1u << 31))).size(), 1u);
}

// ---- sorting and reads ---------------------------------------------------------------

// One partition of `files` files with one small event each; the event blocks are
// then filled with 256 events a file, in ascending time over the whole table.
std::unique_ptr<Mounted> MountManyEvents(int version, const std::string& name, uint16_t files) {
    vektools::ImageSpec recipe;
    recipe.disk.version = version;
    vektools::PartitionSpec part;
    part.fileCount = files;
    const packed_time base = Packed(2024, 7, 1, 0, 0, 0);
    for (uint16_t j = 0; j < files; j++) {
        vektools::FileSpec f;
        f.position = j;
        f.channel = static_cast<uint8_t>(j % 4);
        vektools::EventSpec e;
        e.start = vektools::AddSeconds(base, static_cast<int64_t>(j) * 256);
        e.end = vektools::AddSeconds(e.start, 1);
        e.stream.fps = 1;
        e.stream.gop = 1;
        f.events.push_back(e);
        part.files.push_back(f);
    }
    recipe.partitions.push_back(part);
    return MountSpec(recipe, name, 128, [&](Mounted& img) {
        for (uint16_t j = 0; j < files; j++) {
            std::vector<pevent_info> events(kEventsPerBlock);
            for (int k = 0; k < kEventsPerBlock; k++) {
                pevent_info& e = events[static_cast<size_t>(k)];
                e.magic = kMagicEvent;
                e.start = vektools::AddSeconds(base, static_cast<int64_t>(j) * 256 + k);
                e.end = e.start;
                e.type_bits = 1;
                e.number = static_cast<uint16_t>(k + 1);
            }
            img.WriteEvents(0, j, events);
            img.EditFile(0, j, [&](file_info& e) {
                e.event_count = kEventsPerBlock;
                e.start = events.front().start;
                e.end = events.back().end;
            });
        }
    });
}

TEST_P(SearchTest, SortedInputOfManyEventsIsSortedWithoutDeepRecursion) {
    // 65,536 events already in order: a quicksort taking the first element as
    // pivot would recurse once per event.
    constexpr uint16_t kFiles = 256;
    auto m = MountManyEvents(V(), Name("many"), kFiles);
    ASSERT_TRUE(m);
    search_param p = Param(kSearchOneList, Time(2024, 7, 1, 0, 0, 0), Time(2024, 7, 31, 23, 59, 59));
    const auto list = OneList(*m->reader, p);
    ASSERT_EQ(list.size(), static_cast<size_t>(kFiles) * kEventsPerBlock);
    for (size_t i = 0; i < list.size(); i++) {
        ASSERT_EQ(list[i].list_pos, i);
        ASSERT_EQ(location_file(list[i].location), i / kEventsPerBlock);
        ASSERT_EQ(list[i].event_index, i % kEventsPerBlock);
    }
}

TEST_P(SearchTest, FileTableIsReadOncePerPartitionAndEventsFortyBlocksAtATime) {
    {
        auto m = MountBasic(V(), Name("reads"));
        ASSERT_TRUE(m);
        m->disk->ClearLog();
        search_param p = Param(kSearchPerChannel, Time(2023, 12, 1, 0, 0, 0), Time(2024, 1, 31, 23, 59, 59));
        const int h = m->reader->find_start(&p, nullptr);
        ASSERT_GE(h, 0);
        m->reader->find_stop(h);
        for (int part = 0; part < 2; part++) {
            const uint64_t copy = m->CopyOffset(part);
            const uint64_t table = copy + m->manifest.param.file_table_offset;
            const uint64_t events = copy + m->manifest.param.event_area_offset;
            EXPECT_EQ(ReadsAt(*m->disk, table, table + 1), 1u) << part;
            EXPECT_EQ(ReadsAt(*m->disk, events, copy + m->manifest.copySize), 1u) << part;
        }
        EXPECT_EQ(ReadsAt(*m->disk, 0, m->disk->Size()), 4u);  // per partition: its table, its event window
    }
    {
        // 100 files need windows from files 0, 40 and 80.
        auto m = MountManyEvents(V(), Name("window"), 100);
        ASSERT_TRUE(m);
        DiagCapture diag;
        m->disk->ClearLog();
        search_param p = Param(kSearchPerChannel, Time(2024, 7, 1, 0, 0, 0), Time(2024, 7, 31, 23, 59, 59));
        const int h = m->reader->find_start(&p, nullptr);
        ASSERT_GE(h, 0);
        EXPECT_EQ(ListOf(*m->reader, h, 0).size(), 25u * kEventsPerBlock);
        m->reader->find_stop(h);
        const uint64_t copy = m->CopyOffset(0);
        const uint64_t events = copy + m->manifest.param.event_area_offset;
        EXPECT_EQ(ReadsAt(*m->disk, events, copy + m->manifest.copySize), 3u);
        EXPECT_TRUE(diag.Contains("read_event:buf:0-40,now:40")) << diag.Text();
        EXPECT_TRUE(diag.Contains("read_event:buf:40-80,now:80")) << diag.Text();
    }
}

}  // namespace
}  // namespace vekfs
