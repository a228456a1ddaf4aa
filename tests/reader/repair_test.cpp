// Index repair on mount, in both format versions, over the "unclean" image of
// the image builder (tools/image_scenarios.cpp: one case per channel, found by
// its mark) and over copies of it with damage poked in with the codec. Every
// check decodes what the repair left on the in-memory disk and compares it with
// the key-frame facts of the manifest; the device's transfer log shows which
// bytes the repair read and wrote.
//
// The unclean image: partition 0, 12 entries, repair flag 1, channels formatted
// 128. Closed files 0 (ch0), 1 (ch8) and 10 (ch8) hold end sequences 1..3;
// open files 2..9 belong to channels 0..7, one case each; entry 11 is free.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
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

using platform::FaultRule;
using platform::IoOp;
using platform::IoRecord;
using platform::MemDisk;
using platform::ScopedMemDisk;
using testing::DiagCapture;
using vektools::Packed;

using vektest::ProfileFor;
using vektest::TraitsFor;

// Positions of the unclean image's files (see the file comment).
constexpr int kChannelsRepaired = 8;  // channels 0..7 have an open last file, at position channel + 2

uint64_t Fnv(const std::vector<uint8_t>& bytes, uint64_t h = 1469598103934665603ull) {
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

bool Touches(const IoRecord& r, uint64_t begin, uint64_t end) {
    return r.offset < end && begin < r.offset + r.length;
}

// An unclean image in a MemDisk under its own name, with the bytes it had when
// built kept aside.
struct Image {
    int version = 0;
    const FormatTraits* f = nullptr;
    vektools::Manifest m;
    std::shared_ptr<MemDisk> disk;
    std::shared_ptr<MemDisk> pristine;
    std::unique_ptr<ScopedMemDisk> name;

    std::string Path() const { return name->Path(); }
    uint64_t CopyAt(int k) const { return m.partitions[0].copyOffset[static_cast<size_t>(k)]; }
    uint64_t EntryAt(int copy, int pos) const {
        return CopyAt(copy) + m.param.file_table_offset + static_cast<uint64_t>(pos) * f->fileInfoSize;
    }
    uint64_t BlockAt(int copy, int pos) const {
        return CopyAt(copy) + m.param.event_area_offset + static_cast<uint64_t>(pos) * f->EventBlockSize();
    }
    uint64_t EventAt(int copy, int pos, int slot) const {
        return BlockAt(copy, pos) + static_cast<uint64_t>(slot) * f->eventSize;
    }
    uint64_t Base(int pos) const {
        return data_file_offset(m.partitions[0].start, static_cast<uint32_t>(pos));
    }

    file_info Entry(int copy, int pos) const {
        return decode_file_info(disk->Bytes(EntryAt(copy, pos), f->fileInfoSize).data(), *f);
    }
    file_info DataEntry(int pos) const {
        return decode_file_info(disk->Bytes(Base(pos), f->fileInfoSize).data(), *f);
    }
    pevent_info Event(int copy, int pos, int slot) const {
        return decode_pevent_info(disk->Bytes(EventAt(copy, pos, slot), f->eventSize).data(), *f);
    }
    part_info Part(int copy) const {
        return decode_part_info(disk->Bytes(CopyAt(copy), kPartInfoSize).data());
    }
    std::vector<uint8_t> Now(uint64_t at, size_t n) const { return disk->Bytes(at, n); }
    std::vector<uint8_t> Before(uint64_t at, size_t n) const { return pristine->Bytes(at, n); }

    // Every byte of the disk.
    uint64_t Hash() const { return disk->ContentHash(); }

    // Rewrites an entry or an event in every index copy, as if the recorder had
    // written it so.
    void EditEntry(int pos, const std::function<void(file_info&)>& edit) {
        for (int k = 0; k < kIndexCopies; k++) {
            file_info e = Entry(k, pos);
            edit(e);
            std::vector<uint8_t> bytes(f->fileInfoSize);
            encode_file_info(e, *f, bytes.data());
            disk->Poke(EntryAt(k, pos), bytes.data(), bytes.size());
        }
        pristine = disk->Clone();
    }
    void EditEvent(int pos, int slot, const std::function<void(pevent_info&)>& edit) {
        for (int k = 0; k < kIndexCopies; k++) {
            pevent_info e = Event(k, pos, slot);
            edit(e);
            std::vector<uint8_t> bytes(f->eventSize);
            encode_pevent_info(e, *f, bytes.data());
            disk->Poke(EventAt(k, pos, slot), bytes.data(), bytes.size());
        }
        pristine = disk->Clone();
    }
    void EditPart(const std::function<void(part_info&)>& edit) {
        for (int k = 0; k < kIndexCopies; k++) {
            part_info p = Part(k);
            edit(p);
            uint8_t bytes[kPartInfoSize];
            encode_part_info(p, bytes);
            disk->Poke(CopyAt(k), bytes, sizeof bytes);
        }
        pristine = disk->Clone();
    }

    std::vector<IoRecord> Writes() const {
        std::vector<IoRecord> out;
        for (const IoRecord& r : disk->Log())
            if (r.op == IoOp::Write)
                out.push_back(r);
        return out;
    }
    std::vector<IoRecord> Reads() const {
        std::vector<IoRecord> out;
        for (const IoRecord& r : disk->Log())
            if (r.op == IoOp::Read)
                out.push_back(r);
        return out;
    }
};

std::string NextName() {
    static int counter = 0;
    return "repair-" + std::to_string(++counter);
}

std::unique_ptr<Image> Register(int version, const vektools::Manifest& m, std::shared_ptr<MemDisk> disk) {
    auto img = std::make_unique<Image>();
    img->version = version;
    img->f = &TraitsFor(version);
    img->m = m;
    img->disk = std::move(disk);
    img->pristine = img->disk->Clone();
    img->name = std::make_unique<ScopedMemDisk>(NextName(), img->disk);
    return img;
}

std::unique_ptr<Image> BuildUnclean(int version,
                                    const std::function<void(vektools::ImageSpec&)>& tweak = {}) {
    vektools::ImageSpec recipe = vektest::ScenarioRecipe("unclean", version);
    if (tweak)
        tweak(recipe);
    vektools::BuildOptions options;
    options.recordFrames = false;
    vektest::BuiltImage image = vektest::MakeImage(recipe, options);
    return Register(version, image.manifest, std::move(image.disk));
}

// A fresh copy of an image under a new name.
std::unique_ptr<Image> Fork(const Image& from) {
    return Register(from.version, from.m, from.pristine->Clone());
}

// The position and slot a mark names.
struct Case {
    int pos = -1;
    int slot = -1;
};
Case Marked(const Image& img, const char* mark) {
    const vektools::Mark* mk = img.m.FindMark(mark);
    if (mk == nullptr) {
        ADD_FAILURE() << "no mark " << mark;
        return {};
    }
    return {mk->filePosition, mk->slot};
}

int Mount(Image& img, Reader& r, int max_channels = 16) {
    EXPECT_EQ(r.init(max_channels), 0);
    img.disk->ClearLog();
    return r.add_disk(0, img.Path().c_str());
}

uint32_t DataEnd(const vektools::EventFact& ev) {
    return ev.dataStart + ev.dataLength;
}

// Searches one month of events per channel (type 3) and returns the counts of
// channels 0..8 and the descriptors of one channel.
struct Found {
    std::vector<int> counts;
    std::vector<event_desc> events;
};
Found SearchFebruary(Reader& r, int channel) {
    search_param p;
    p.search_type = kSearchPerChannel;
    p.type_mask = 0xffffffff;
    p.channel_mask = 0x1ff;
    p.start = unpack_time(Packed(2024, 2, 1, 0, 0, 0));
    p.end = unpack_time(Packed(2024, 2, 29, 23, 59, 59));
    Found out;
    const int h = r.find_start(&p, nullptr);
    EXPECT_GE(h, 0);
    if (h < 0)
        return out;
    for (int ch = 0; ch <= 8; ch++) {
        event_list list;
        EXPECT_EQ(r.get_event(h, ch, &list), 0);
        out.counts.push_back(list.count);
        if (ch == channel)
            out.events.assign(list.events, list.events + list.count);
    }
    r.find_stop(h);
    return out;
}

class Repair : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        img_ = BuildUnclean(GetParam());
        ASSERT_NE(img_, nullptr);
    }
    std::unique_ptr<Image> img_;
};

VEK_INSTANTIATE_FOR_BOTH_FORMATS(Repair);

// ---- the event being written -----------------------------------------------------------------

TEST_P(Repair, EvWrWithThreeKeyFramesIsClosedAtTheThird) {
    Image& img = *img_;
    const Case c = Marked(img, "evwr-3-kframes");
    const vektools::EventFact* ev = img.m.FindEvent(0, c.pos, c.slot);
    const vektools::EventFact* first = img.m.FindEvent(0, c.pos, 0);
    ASSERT_TRUE(ev && first);
    ASSERT_EQ(ev->kframes.size(), 3u);
    ASSERT_EQ(ev->magic, kMagicEventWriting);
    const vektools::KframeFact& k = ev->kframes[2];
    ASSERT_EQ(img.m.FindFile(0, c.pos)->iendAt, int64_t{k.entryAt} - 16);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const pevent_info e = img.Event(0, c.pos, c.slot);
    EXPECT_EQ(e.magic, kMagicEvent);
    EXPECT_EQ(e.end, k.time);
    EXPECT_EQ(e.data_length, k.frameOffset + k.length - ev->dataStart);
    EXPECT_EQ(e.index_end, k.entryAt);
    EXPECT_EQ(e.skip, 0);
    EXPECT_EQ(e.number, c.slot + 1);
    EXPECT_EQ(e.start, ev->start);
    EXPECT_EQ(e.data_start, ev->dataStart);
    EXPECT_EQ(e.index_start, ev->indexStart);

    const file_info fe = img.Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 2);
    EXPECT_EQ(fe.data_end, ev->dataStart + e.data_length);
    EXPECT_EQ(fe.index_end, k.entryAt);
    EXPECT_EQ(fe.start, first->start);
    EXPECT_EQ(fe.end, k.time);
    EXPECT_EQ(fe.day_bitmap[0], 1u << 1);  // both events start on day 2, type bit 0
    for (int w = 1; w < img.f->dayBitmapWords; w++)
        EXPECT_EQ(fe.day_bitmap[static_cast<size_t>(w)], 0u) << w;

    EXPECT_TRUE(diag.Contains("[vekfs]:chn0 repair last file3, eseq=4294967295, num=2\n"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn0 repair begin\n"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn0 repair pevent2\n"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn0 repair success\n"));
    EXPECT_FALSE(diag.Contains("chn0 Warning pevent nr conflict"));
}

TEST_P(Repair, IendAtTheTopOfTheSecondWindowRereadsTheFirst) {
    Image& img = *img_;
    const Case c = Marked(img, "iend-window2-top");
    const vektools::EventFact* ev = img.m.FindEvent(0, c.pos, c.slot);
    ASSERT_NE(ev, nullptr);
    ASSERT_EQ(ev->kframes.size(), 512u);
    const vektools::KframeFact& k = ev->kframes.back();
    ASSERT_EQ(k.entryAt, ev->indexStart - 0x2000);
    ASSERT_EQ(img.m.FindFile(0, c.pos)->iendAt, int64_t{ev->indexStart} - 0x2010);  // entry 513

    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const pevent_info e = img.Event(0, c.pos, c.slot);
    EXPECT_EQ(e.magic, kMagicEvent);
    EXPECT_EQ(e.index_end, k.entryAt);
    EXPECT_EQ(e.end, k.time);
    EXPECT_EQ(e.data_length, k.frameOffset + k.length - ev->dataStart);
    EXPECT_EQ(img.Entry(0, c.pos).index_end, k.entryAt);

    // The first window (holding the event's first entry at index start - 16) is
    // read once by the scan and once more for its lowest entry.
    const uint64_t top = img.Base(c.pos) + ev->indexStart - 16;
    int reads = 0;
    for (const IoRecord& rec : img.Reads())
        if (Touches(rec, top, top + 16))
            reads++;
    EXPECT_EQ(reads, 2);
}

TEST_P(Repair, IendJustBelowTheIndexStartDropsTheEvent) {
    Image& img = *img_;
    const Case c = Marked(img, "iend-at-index-start");
    const vektools::EventFact* ev = img.m.FindEvent(0, c.pos, c.slot);
    const vektools::EventFact* first = img.m.FindEvent(0, c.pos, 0);
    ASSERT_TRUE(ev && first);
    ASSERT_TRUE(ev->kframes.empty());
    ASSERT_EQ(img.m.FindFile(0, c.pos)->iendAt, int64_t{ev->indexStart} - 16);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    // Only the magic changes: the record stays as the recorder left it otherwise.
    std::vector<uint8_t> expected = img.Before(img.EventAt(0, c.pos, c.slot), img.f->eventSize);
    std::fill(expected.begin(), expected.begin() + 4, uint8_t{0});
    EXPECT_EQ(img.Now(img.EventAt(0, c.pos, c.slot), img.f->eventSize), expected);

    const file_info fe = img.Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 1);
    EXPECT_EQ(fe.data_end, DataEnd(*first));
    EXPECT_EQ(fe.index_end, first->indexEnd);
    EXPECT_EQ(fe.start, first->start);
    EXPECT_EQ(fe.end, first->end);
    EXPECT_TRUE(diag.Contains("this is impossible,bad luck!"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn2 repair success"));
}

TEST_P(Repair, NoIendWithinSixtyFiveWindowsDropsTheEvent) {
    Image& img = *img_;
    const Case c = Marked(img, "no-iend-in-65-windows");
    const vektools::EventFact* ev = img.m.FindEvent(0, c.pos, c.slot);
    const vektools::EventFact* first = img.m.FindEvent(0, c.pos, 0);
    ASSERT_TRUE(ev && first);
    ASSERT_EQ(ev->kframes.size(), 33281u);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const pevent_info e = img.Event(0, c.pos, c.slot);
    EXPECT_EQ(e.magic, 0u);
    const file_info fe = img.Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 1);
    EXPECT_EQ(fe.data_end, DataEnd(*first));
    EXPECT_EQ(fe.index_end, first->indexEnd);
    EXPECT_TRUE(diag.Contains("can't find last iframe"));

    // 65 windows of 8 KB, and not one entry further. (The only other read of
    // the file is the sector at its start, rewritten with the entry copy.)
    const uint64_t base = img.Base(c.pos);
    const uint64_t lowest = base + ev->indexStart - 65 * 0x2000;
    uint64_t low = UINT64_MAX;
    for (const IoRecord& rec : img.Reads())
        if (rec.offset > base && rec.offset < base + kDataFileSize)
            low = std::min(low, rec.offset);
    EXPECT_EQ(low, lowest / 512 * 512);
}

TEST_P(Repair, NumberConflictIsReportedAndOverwritten) {
    Image& img = *img_;
    const Case c = Marked(img, "number-conflict");
    const vektools::EventFact* ev = img.m.FindEvent(0, c.pos, c.slot);
    ASSERT_NE(ev, nullptr);
    ASSERT_EQ(ev->number, 9);
    ASSERT_FALSE(ev->kframes.empty());

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const pevent_info e = img.Event(0, c.pos, c.slot);
    EXPECT_EQ(e.number, c.slot + 1);
    EXPECT_EQ(e.magic, kMagicEvent);
    EXPECT_EQ(e.index_end, ev->kframes.back().entryAt);
    EXPECT_EQ(img.Entry(0, c.pos).event_count, c.slot + 1);
    EXPECT_TRUE(diag.Contains("-->chn6 Warning pevent nr conflict!!!\n"));
    EXPECT_FALSE(diag.Contains("chn0 Warning"));
}

// ---- open files whose last event is complete -----------------------------------------------------

TEST_P(Repair, FullEventBlockIsClosedWith256Events) {
    Image& img = *img_;
    const Case c = Marked(img, "full-256");
    const std::vector<const vektools::EventFact*> events = img.m.EventsOf(0, c.pos);
    ASSERT_EQ(events.size(), 256u);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const file_info fe = img.Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 256);
    EXPECT_EQ(fe.data_end, DataEnd(*events.back()));
    EXPECT_EQ(fe.index_end, events.back()->indexEnd);
    EXPECT_EQ(fe.start, events.front()->start);
    EXPECT_EQ(fe.end, events.back()->end);
    EXPECT_EQ(fe.day_bitmap[0], 1u << 2);  // all on day 3
    EXPECT_EQ(img.Now(img.BlockAt(0, c.pos), img.f->EventBlockSize()),
              img.Before(img.BlockAt(0, c.pos), img.f->EventBlockSize()));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn4 repair last pevent256 is ok\n"));
    EXPECT_FALSE(diag.Contains("chn4 repair begin"));
}

TEST_P(Repair, EmptySlotAfterCompleteEventsEndsTheFile) {
    Image& img = *img_;
    const Case c = Marked(img, "empty-slot-after-3");
    const std::vector<const vektools::EventFact*> events = img.m.EventsOf(0, c.pos);
    ASSERT_EQ(events.size(), 3u);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const file_info fe = img.Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 3);
    EXPECT_EQ(fe.data_end, DataEnd(*events.back()));
    EXPECT_EQ(fe.index_end, events.back()->indexEnd);
    EXPECT_EQ(fe.start, events.front()->start);
    EXPECT_EQ(fe.end, events.back()->end);
    EXPECT_EQ(img.Now(img.BlockAt(0, c.pos), img.f->EventBlockSize()),
              img.Before(img.BlockAt(0, c.pos), img.f->EventBlockSize()));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn5 repair last pevent3 is ok\n"));
}

TEST_P(Repair, OpenFileWithoutEventsIsClosedEmpty) {
    Image& img = *img_;
    const Case c = Marked(img, "open-no-events");
    const file_info before =
        decode_file_info(img.Before(img.EntryAt(0, c.pos), img.f->fileInfoSize).data(), *img.f);
    ASSERT_EQ(before.state, kFileWriting);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const file_info fe = img.Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 0);
    EXPECT_EQ(fe.start, 0u);
    EXPECT_EQ(fe.end, 0u);
    EXPECT_EQ(fe.data_end, before.data_end);
    EXPECT_EQ(fe.index_end, before.index_end);
    for (int w = 0; w < img.f->dayBitmapWords; w++)
        EXPECT_EQ(fe.day_bitmap[static_cast<size_t>(w)], 0u);
    EXPECT_EQ(fe.end_sequence, 11u);
    EXPECT_EQ(img.Now(img.BlockAt(0, c.pos), img.f->EventBlockSize()),
              img.Before(img.BlockAt(0, c.pos), img.f->EventBlockSize()));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn7 repair last pevent0 is ok\n"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn7 repair success\n"));
}

TEST_P(Repair, ClosedLastFileIsNotTouched) {
    Image& img = *img_;
    const Case c = Marked(img, "last-file-closed");
    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    // Channel 8 (files 1 and 10) and channel 0's closed file 0: every copy of
    // their entries and event blocks, and the entry copy in their data files.
    for (int pos : {0, 1, c.pos}) {
        for (int k = 0; k < kIndexCopies; k++) {
            EXPECT_EQ(img.Now(img.EntryAt(k, pos), img.f->fileInfoSize),
                      img.Before(img.EntryAt(k, pos), img.f->fileInfoSize))
                << pos << " copy " << k;
            EXPECT_EQ(img.Now(img.BlockAt(k, pos), img.f->EventBlockSize()),
                      img.Before(img.BlockAt(k, pos), img.f->EventBlockSize()))
                << pos << " copy " << k;
        }
        EXPECT_EQ(img.Now(img.Base(pos), 512), img.Before(img.Base(pos), 512)) << pos;
    }
    EXPECT_TRUE(diag.Contains("[vekfs]:chn8 repair last file11, eseq=3, num=2\n"));
    EXPECT_FALSE(diag.Contains("chn8 repair begin"));
    EXPECT_FALSE(diag.Contains("chn8 repair success"));
}

TEST_P(Repair, OfTwoOpenFilesTheSelectionOrderPicksWhichIsRepaired) {
    // Channel 0 holds, in table order, open file 1, open file 3 and closed file
    // 11 (end sequence 3). Ordering by end sequence with a selection sort gives
    // 11, 3, 1: file 1 is the channel's last file and file 3 stays open.
    auto img = Fork(*img_);
    img->EditEntry(0, [](file_info& e) {
        e.state = kFileWriting;
        e.end_sequence = kOpenEndSequence;
    });
    img->EditEntry(10, [](file_info& e) { e.channel = 0; });
    DiagCapture diag;
    Reader r(ProfileFor(img->version));
    ASSERT_EQ(Mount(*img, r), 0);

    EXPECT_TRUE(diag.Contains("[vekfs]:chn0 repair last file1, eseq=4294967295, num=3\n"));
    EXPECT_EQ(img->Entry(0, 0).state, kFileClosed);
    EXPECT_EQ(img->Entry(0, 0).event_count, 2);
    EXPECT_EQ(img->Entry(0, 0).end_sequence, 4u);  // closed files 2 and 11 hold 2 and 3
    EXPECT_EQ(img->Entry(0, 2).state, kFileWriting);
    EXPECT_EQ(img->Entry(0, 2).end_sequence, kOpenEndSequence);
}

// ---- numbering, copies and the partition record -------------------------------------------------

TEST_P(Repair, EndSequencesContinueInChannelOrder) {
    Image& img = *img_;
    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    EXPECT_TRUE(diag.Contains("[vekfs]:min end_sequence=1, max end_sequence=3\n"));
    for (int ch = 0; ch < kChannelsRepaired; ch++) {
        const file_info fe = img.Entry(0, ch + 2);
        EXPECT_EQ(fe.channel, ch);
        EXPECT_EQ(fe.end_sequence, static_cast<uint32_t>(4 + ch)) << "channel " << ch;
        EXPECT_EQ(fe.state, kFileClosed);
    }
    EXPECT_EQ(img.Entry(0, 10).end_sequence, 3u);
}

TEST_P(Repair, MirrorAndDataAreaCopyFollowTheWorkingCopy) {
    Image& img = *img_;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    EXPECT_EQ(Fnv(img.Now(img.CopyAt(0), img.m.copySize)), Fnv(img.Now(img.CopyAt(1), img.m.copySize)));
    EXPECT_NE(Fnv(img.Now(img.CopyAt(0), img.m.copySize)), Fnv(img.Before(img.CopyAt(0), img.m.copySize)));
    for (int k : {2, 3})
        EXPECT_EQ(Fnv(img.Now(img.CopyAt(k), img.m.copySize)), Fnv(img.Before(img.CopyAt(k), img.m.copySize)))
            << "spare copy " << k;
    for (int pos = 0; pos <= 10; pos++)
        EXPECT_EQ(img.Now(img.Base(pos), img.f->fileInfoSize),
                  img.Now(img.EntryAt(0, pos), img.f->fileInfoSize))
            << pos;
}

TEST_P(Repair, WritesStayInsideTheRebuiltRecords) {
    Image& img = *img_;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    // Bytes of the working copy that may differ: the partition record, the
    // entries of the open files, and the records of the events being written.
    struct Range {
        uint64_t begin, end;
    };
    std::vector<Range> allowed{{0, kPartInfoSize}};
    for (int pos = 2; pos <= 9; pos++) {
        const uint64_t at = img.EntryAt(0, pos) - img.CopyAt(0);
        allowed.push_back({at, at + img.f->fileInfoSize});
    }
    for (int pos : {2, 3, 4, 5, 8}) {
        const uint64_t at = img.EventAt(0, pos, 1) - img.CopyAt(0);
        allowed.push_back({at, at + img.f->eventSize});
    }
    const std::vector<uint8_t> now = img.Now(img.CopyAt(0), img.m.copySize);
    const std::vector<uint8_t> before = img.Before(img.CopyAt(0), img.m.copySize);
    int stray = 0;
    for (size_t i = 0; i < now.size(); i++) {
        if (now[i] == before[i])
            continue;
        const bool ok = std::any_of(allowed.begin(), allowed.end(),
                                    [&](const Range& a) { return i >= a.begin && i < a.end; });
        if (!ok && stray++ < 5)
            ADD_FAILURE() << "working copy byte " << i << " changed";
    }
    EXPECT_EQ(stray, 0);

    // Every write went to the working copy, the mirror, or the sector holding
    // an open file's entry copy.
    for (const IoRecord& w : img.Writes()) {
        bool ok = false;
        for (int k : {0, 1})
            ok = ok || (w.offset >= img.CopyAt(k) && w.offset + w.length <= img.CopyAt(k) + img.m.copySize);
        for (int pos = 2; pos <= 9; pos++)
            ok = ok || (w.offset == img.Base(pos) && w.length == 512);
        EXPECT_TRUE(ok) << "write at " << w.offset << " length " << w.length;
    }
    // Nothing in the data area but the entry copies.
    for (int pos = 0; pos <= 10; pos++)
        EXPECT_EQ(img.Now(img.Base(pos) + 512, 4096), img.Before(img.Base(pos) + 512, 4096)) << pos;
}

TEST_P(Repair, PartitionRecordGetsRangeFreeCountAndFlag) {
    Image& img = *img_;
    // Stale values the repair must replace.
    img.EditPart([](part_info& p) {
        p.type0_start = 0;
        p.type0_end = 0;
        p.free_count = 7;
    });
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    for (int k : {0, 1}) {
        const part_info p = img.Part(k);
        EXPECT_EQ(p.repair_flag, 0) << k;
        EXPECT_EQ(p.free_count, 1) << k;
        EXPECT_EQ(p.state, 0) << k;
        EXPECT_EQ(p.file_count, 12) << k;
        EXPECT_EQ(p.type0_start, Packed(2024, 2, 1, 8, 0, 0)) << k;
        EXPECT_EQ(p.type0_end, Packed(2024, 2, 4, 9, 0, 10)) << k;
    }
    // The rest of the record as it was.
    std::vector<uint8_t> before = img.Before(img.CopyAt(0), kPartInfoSize);
    std::vector<uint8_t> now = img.Now(img.CopyAt(0), kPartInfoSize);
    for (size_t i : {6u, 7u, 11u, 16u, 17u, 18u, 19u, 20u, 21u, 22u, 23u})
        before[i] = now[i] = 0;
    EXPECT_EQ(now, before);

    disk_info_t info;
    ASSERT_TRUE(r.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].repair_flag, 0);
    EXPECT_EQ(info.parts[0].free_count, 1);
    EXPECT_EQ(info.parts[0].state, 0);
    EXPECT_EQ(info.parts[0].type0_end, Packed(2024, 2, 4, 9, 0, 10));
}

TEST_P(Repair, SearchesFindTheRepairedEvents) {
    Image& img = *img_;
    const Case c = Marked(img, "evwr-3-kframes");
    const vektools::KframeFact k = img.m.FindEvent(0, c.pos, c.slot)->kframes[2];
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    const Found found = SearchFebruary(r, 0);
    EXPECT_EQ(found.counts, (std::vector<int>{4, 2, 1, 1, 256, 3, 2, 0, 2}));
    ASSERT_EQ(found.events.size(), 4u);
    const event_desc& last = found.events.back();  // sorted by start
    EXPECT_EQ(location_file(last.location), static_cast<uint32_t>(c.pos));
    EXPECT_EQ(last.event_index, c.slot);
    EXPECT_EQ(last.end, unpack_time(k.time));
    EXPECT_EQ(last.index_end, k.entryAt);
}

// ---- when nothing may be written ------------------------------------------------------------------

TEST_P(Repair, RepairFlagZeroReadsButWritesNothing) {
    auto img = BuildUnclean(GetParam(), [](vektools::ImageSpec& s) { s.partitions[0].repairFlag = 0; });
    ASSERT_NE(img, nullptr);
    const uint64_t before = img->Hash();
    DiagCapture diag;
    Reader r(ProfileFor(img->version));
    ASSERT_EQ(Mount(*img, r), 0);

    EXPECT_TRUE(img->Writes().empty());
    EXPECT_FALSE(img->Reads().empty());
    EXPECT_EQ(img->Hash(), before);
    EXPECT_FALSE(diag.Contains("repair last file"));
    // The open files stay invisible to searches.
    EXPECT_EQ(SearchFebruary(r, 0).counts, (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 2}));
}

TEST_P(Repair, SecondMountChangesNoByte) {
    Image& img = *img_;
    {
        Reader r(ProfileFor(img.version));
        ASSERT_EQ(Mount(img, r), 0);
    }
    const uint64_t after = img.Hash();
    ASSERT_EQ(img.Part(0).repair_flag, 0);
    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);
    EXPECT_TRUE(img.Writes().empty());
    EXPECT_EQ(img.Hash(), after);
    EXPECT_FALSE(diag.Contains("repair last file"));
}

// ---- failures while repairing ---------------------------------------------------------------------

TEST_P(Repair, FailedMirrorWritesAreReportedAndTheDiskMounts) {
    Image& img = *img_;
    FaultRule rule;
    rule.op = IoOp::Write;
    rule.begin = img.CopyAt(1);
    rule.end = img.CopyAt(1) + img.m.copySize;
    img.disk->AddFault(rule);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    EXPECT_TRUE(diag.Contains("chn0 pevent2 to index1 failed ret=-3"));
    EXPECT_TRUE(diag.Contains("chn0 file3 to index1 failed ret=-3"));
    EXPECT_TRUE(diag.Contains("part info to index1 failed ret=-3"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn7 repair success"));
    disk_info_t info;
    ASSERT_TRUE(r.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 0);
    // The working copy is repaired and searches read it; the mirror is as it was.
    EXPECT_EQ(img.Entry(0, 2).state, kFileClosed);
    EXPECT_EQ(Fnv(img.Now(img.CopyAt(1), img.m.copySize)), Fnv(img.Before(img.CopyAt(1), img.m.copySize)));
    EXPECT_EQ(SearchFebruary(r, 0).counts[0], 4);
}

TEST_P(Repair, ShortWriteOfTheDataAreaCopyIsReported) {
    Image& img = *img_;
    FaultRule rule;
    rule.op = IoOp::Write;
    rule.begin = img.Base(2);
    rule.end = img.Base(2) + 512;
    rule.shortTransfer = true;
    img.disk->AddFault(rule);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);
    EXPECT_TRUE(diag.Contains("chn0 file3 to data area failed ret=-3"));
    EXPECT_TRUE(diag.Contains("[vekfs]:chn0 repair success"));
    EXPECT_EQ(img.Entry(1, 2).state, kFileClosed);
}

TEST_P(Repair, WriteProtectedDiskMountsUnchanged) {
    Image& img = *img_;
    const uint64_t before = img.Hash();
    FaultRule rule;
    rule.op = IoOp::Write;
    img.disk->AddFault(rule);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);
    EXPECT_EQ(img.Hash(), before);
    EXPECT_TRUE(diag.Contains("part info to index0 failed"));
    EXPECT_TRUE(diag.Contains("chn7 file10 to data area failed"));
    disk_info_t info;
    ASSERT_TRUE(r.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 0);
    EXPECT_EQ(SearchFebruary(r, 0).counts, (std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 2}));
}

TEST_P(Repair, UnreadableEventBlockRecoversTheIndexAndRepairsTheNewCopies) {
    Image& img = *img_;
    FaultRule rule;
    rule.op = IoOp::Read;
    rule.begin = img.BlockAt(0, 2);
    rule.end = img.BlockAt(0, 2) + img.f->EventBlockSize();
    img.disk->AddFault(rule);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);

    EXPECT_TRUE(diag.Contains("read chn0 pevent info failed"));
    EXPECT_TRUE(diag.Contains("[vekfs]:deal with index error sucess"));
    disk_info_t info;
    ASSERT_TRUE(r.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 0);
    EXPECT_EQ(info.param.valid_bits[0], 0x0e);
    // Copy 1 is the working copy now and copy 2 its mirror; copy 0 is dropped.
    EXPECT_EQ(img.Entry(1, 2).state, kFileClosed);
    EXPECT_EQ(img.Event(1, 2, 1).magic, kMagicEvent);
    EXPECT_EQ(img.Part(1).repair_flag, 0);
    EXPECT_EQ(Fnv(img.Now(img.CopyAt(1), img.m.copySize)), Fnv(img.Now(img.CopyAt(2), img.m.copySize)));
    EXPECT_EQ(Fnv(img.Now(img.CopyAt(0), img.m.copySize)), Fnv(img.Before(img.CopyAt(0), img.m.copySize)));
}

TEST_P(Repair, UnreadableKeyFrameIndexFailsThePartitionAndKeepsTheFlag) {
    Image& img = *img_;
    const Case c = Marked(img, "iend-window2-top");  // channel 1
    const vektools::EventFact* ev = img.m.FindEvent(0, c.pos, c.slot);
    ASSERT_NE(ev, nullptr);
    FaultRule rule;
    rule.op = IoOp::Read;
    rule.begin = img.Base(c.pos) + ev->indexStart - 0x4000;
    rule.end = img.Base(c.pos) + ev->indexStart;
    img.disk->AddFault(rule);

    DiagCapture diag;
    Reader r(ProfileFor(img.version));
    ASSERT_EQ(Mount(img, r), 0);
    EXPECT_TRUE(diag.Contains("read iframe failed"));
    EXPECT_TRUE(diag.Contains("part:0 failed! ret=-1"));
    disk_info_t info;
    ASSERT_TRUE(r.disk_info(0, &info));
    EXPECT_EQ(info.parts[0].state, 2);
    // Channel 0 was repaired before; the record still asks for a repair.
    EXPECT_EQ(img.Entry(0, 2).state, kFileClosed);
    EXPECT_EQ(img.Entry(0, c.pos).state, kFileWriting);
    EXPECT_EQ(img.Part(0).repair_flag, 1);
}

// ---- damaged records: the file is left as it is -----------------------------------------------------

struct Damage {
    const char* name;
    int pos;  // the file left untouched
    std::function<void(Image&)> poke;
    const char* line;  // the error line printed
};

TEST_P(Repair, DamagedRecordsLeaveTheirFileUntouched) {
    const Image& base = *img_;
    const Case evwr = Marked(base, "evwr-3-kframes");      // position 2, channel 0
    const Case window = Marked(base, "iend-window2-top");  // position 3, channel 1
    const vektools::EventFact* evwrFact = base.m.FindEvent(0, evwr.pos, evwr.slot);
    ASSERT_NE(evwrFact, nullptr);
    ASSERT_EQ(evwr.pos, 2);  // the lines below name file 3 on channel 0
    ASSERT_EQ(window.pos, 3);

    const std::vector<Damage> cases = {
        {"file number", evwr.pos, [](Image& i) { i.EditEntry(2, [](file_info& e) { e.number = 7; }); },
         "chn0 file3 number 7 err, file not repaired"},
        {"event count", evwr.pos, [](Image& i) { i.EditEntry(2, [](file_info& e) { e.event_count = 300; }); },
         "chn0 file3 event count 300 err, file not repaired"},
        {"index start not on an entry", window.pos,
         [&](Image& i) { i.EditEvent(window.pos, window.slot, [](pevent_info& e) { e.index_start += 4; }); },
         "chn1 pevent2 index start"},
        {"index start past the file", window.pos,
         [&](Image& i) {
             i.EditEvent(window.pos, window.slot, [](pevent_info& e) { e.index_start = 0x10000010; });
         },
         "chn1 pevent2 index start 0x10000010"},
        {"index start below the data", window.pos,
         [&](Image& i) {
             i.EditEvent(window.pos, window.slot,
                         [](pevent_info& e) { e.index_start = e.data_start & ~15u; });
         },
         "chn1 pevent2 index start"},
        {"key frame before the data start", evwr.pos,
         [&](Image& i) {
             // The last key-frame entry points below the event's first frame.
             uint8_t low[8] = {0, 0, 0, 0, 16, 0, 0, 0};  // offset 0, length 16
             i.disk->Poke(i.Base(evwr.pos) + evwrFact->kframes[2].entryAt + 8, low, sizeof low);
             i.pristine = i.disk->Clone();
         },
         "chn0 pevent2 last iframe offset 0"},
        {"last complete event past the file", 7,
         [](Image& i) { i.EditEvent(7, 2, [](pevent_info& e) { e.data_length = 0xfffffff0u; }); },
         "chn5 pevent3 data start"},
        {"broken entry magic", evwr.pos,
         [](Image& i) { i.EditEntry(2, [](file_info& e) { e.magic = platform::FourCC("Fxle"); }); },
         "[vekfs]:chn0 repair last file1, eseq=1, num=1"},
        {"channel beyond the formatted count", evwr.pos,
         [](Image& i) { i.EditEntry(2, [](file_info& e) { e.channel = 200; }); },
         "[vekfs]:chn0 repair last file1, eseq=1, num=1"},
    };

    for (const Damage& d : cases) {
        SCOPED_TRACE(d.name);
        auto img = Fork(base);
        d.poke(*img);
        DiagCapture diag;
        Reader r(ProfileFor(img->version));
        ASSERT_EQ(Mount(*img, r), 0);

        EXPECT_TRUE(diag.Contains(d.line)) << diag.Text();
        for (int k = 0; k < kIndexCopies; k++) {
            EXPECT_EQ(img->Now(img->EntryAt(k, d.pos), img->f->fileInfoSize),
                      img->Before(img->EntryAt(k, d.pos), img->f->fileInfoSize));
            EXPECT_EQ(img->Now(img->BlockAt(k, d.pos), img->f->EventBlockSize()),
                      img->Before(img->BlockAt(k, d.pos), img->f->EventBlockSize()));
        }
        EXPECT_EQ(img->Now(img->Base(d.pos), 512), img->Before(img->Base(d.pos), 512));
        // The others are repaired, and the skipped file takes no end sequence.
        const int other = d.pos == 2 ? 3 : 2;
        EXPECT_EQ(img->Entry(0, other).state, kFileClosed);
        EXPECT_EQ(img->Entry(0, other).end_sequence, 4u);
        EXPECT_EQ(img->Entry(0, 9).end_sequence, 10u);
        EXPECT_EQ(img->Part(0).repair_flag, 0);
    }
}

TEST_P(Repair, SlotsWithoutTheEventMagicAreCountedButGiveNoTimes) {
    // A slot before the first empty one that holds neither "Even" nor "EvWr"
    // still counts as an event, but lends the file no start, end or day: only
    // events marked "Even" (and not skipped) give the repaired file its times
    // and day bits, so garbage in a slot cannot.
    auto img = Fork(*img_);
    const Case c = Marked(*img, "empty-slot-after-3");
    const std::vector<const vektools::EventFact*> events = img->m.EventsOf(0, c.pos);
    ASSERT_EQ(events.size(), 3u);
    img->EditEvent(c.pos, 0, [](pevent_info& e) {
        e.magic = platform::FourCC("Junk");
        e.start = Packed(2024, 2, 20, 0, 0, 0);
        e.end = Packed(2024, 2, 21, 0, 0, 0);
        e.skip = 0;
    });
    Reader r(ProfileFor(img->version));
    ASSERT_EQ(Mount(*img, r), 0);

    const file_info fe = img->Entry(0, c.pos);
    EXPECT_EQ(fe.state, kFileClosed);
    EXPECT_EQ(fe.event_count, 3);
    EXPECT_EQ(fe.start, events[1]->start);
    EXPECT_EQ(fe.end, std::max(events[1]->end, events[2]->end));
    EXPECT_EQ(fe.day_bitmap[0], 1u << 2);  // day 3 only
}

TEST_P(Repair, NoEndSequenceLeftLeavesOpenFilesOpen) {
    auto img = Fork(*img_);
    img->EditEntry(10, [](file_info& e) { e.end_sequence = 0xfffffffe; });
    DiagCapture diag;
    Reader r(ProfileFor(img->version));
    ASSERT_EQ(Mount(*img, r), 0);
    EXPECT_TRUE(diag.Contains("chn0 file3 no end_sequence left after 4294967294, file not repaired"));
    for (int pos = 2; pos <= 9; pos++) {
        EXPECT_EQ(img->Entry(0, pos).end_sequence, kOpenEndSequence) << pos;
        EXPECT_EQ(img->Now(img->BlockAt(0, pos), img->f->EventBlockSize()),
                  img->Before(img->BlockAt(0, pos), img->f->EventBlockSize()));
    }
}

TEST_P(Repair, LowIndexStartScanStopsAtTheFileStart) {
    // An event whose index starts 2 KB into its file: the scan reads the one
    // window above byte 0 and nothing of the file below.
    auto img = Fork(*img_);
    const Case c = Marked(*img, "evwr-3-kframes");
    img->EditEvent(c.pos, c.slot, [](pevent_info& e) {
        e.data_start = 0x400;
        e.index_start = 0x800;
    });
    DiagCapture diag;
    Reader r(ProfileFor(img->version));
    ASSERT_EQ(Mount(*img, r), 0);

    EXPECT_TRUE(diag.Contains("can't find last iframe"));
    EXPECT_EQ(img->Event(0, c.pos, c.slot).magic, 0u);
    EXPECT_EQ(img->Entry(0, c.pos).event_count, 1);
    EXPECT_EQ(img->Entry(0, c.pos).state, kFileClosed);
    const uint64_t base = img->Base(c.pos);
    for (const IoRecord& rec : img->Reads())
        EXPECT_FALSE(Touches(rec, img->Base(c.pos - 1), base)) << "read at " << rec.offset;
}

}  // namespace
}  // namespace vekfs
