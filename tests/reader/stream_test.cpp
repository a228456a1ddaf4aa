// Stream reading against images from the image builder: time seeks, block reads
// and key-frame steps, checked against the builder's manifest of every event,
// key-frame entry and frame it wrote. Every case runs on both format versions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/frame_header.h"
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

using media::decode_frame_header;
using media::frame_header;
using media::kFrameHeaderSize;
using media::kFrameKey;
using media::kMagicFrame;
using platform::FaultRule;
using platform::IoOp;
using platform::MemDisk;
using vektools::EventFact;
using vektools::KframeFact;

constexpr int kBlock = 0x50000;  // what the play and export threads read

using vektest::ProfileFor;

using Image = vektest::BuiltImage;

// The "stream" scenario of one version, built once.
const Image& StreamImage(int version) {
    return vektest::BuiltScenario("stream", version);
}

// One long event whose key-frame entries span three index pages: 600 seconds
// from 12:00:50, two key frames a second (so two entries share each second),
// crossing ten minute boundaries, where packed times jump and the proportional
// estimate lands both before and after the time sought. Also an event whose end
// equals its start, in the next file.
vektools::ImageSpec LongRecipe(int version) {
    vektools::ImageSpec recipe;
    recipe.scenario = "stream-long";
    recipe.disk.version = version;
    vektools::PartitionSpec part;
    part.fileCount = 2;

    vektools::StreamParams tiny;
    tiny.fps = 4;
    tiny.keysPerSecond = 2;
    tiny.iMin = 40, tiny.iMax = 120;
    tiny.pMin = 16, tiny.pMax = 40;

    vektools::FileSpec longFile;
    longFile.position = 0;
    longFile.channel = 0;
    vektools::EventSpec longEvent;
    longEvent.start = vektools::Packed(2024, 3, 5, 12, 0, 50);
    longEvent.end = vektools::AddSeconds(longEvent.start, 600);
    longEvent.stream = tiny;
    longFile.events.push_back(longEvent);
    part.files.push_back(longFile);

    vektools::FileSpec pointFile;
    pointFile.position = 1;
    pointFile.channel = 1;
    vektools::EventSpec point;
    point.start = vektools::Packed(2024, 3, 5, 12, 30, 0);
    point.end = point.start;
    point.stream = tiny;
    point.stream.seconds = 1;
    pointFile.events.push_back(point);
    part.files.push_back(pointFile);

    recipe.partitions.push_back(part);
    return recipe;
}

const Image& LongImage(int version) {
    return vektest::Built(LongRecipe(version));
}

uint32_t KframeNumber(const KframeFact& k) {
    return k.entryAt / static_cast<uint32_t>(kKframeEntrySize);
}

// Where a seek should land, as an index into the event's key frames (recording
// order): direction 0 the first key frame at or after the time (none when all
// are earlier); direction 1 a key frame exactly at the time, else the last one
// before it, else the first.
std::optional<size_t> ExpectedLanding(const EventFact& ev, packed_time t, int direction) {
    const auto& k = ev.kframes;
    const auto atOrAfter = std::find_if(k.begin(), k.end(), [&](const KframeFact& f) { return f.time >= t; });
    if (direction == 0) {
        if (atOrAfter == k.end())
            return std::nullopt;
        return static_cast<size_t>(atOrAfter - k.begin());
    }
    if (atOrAfter != k.end() && atOrAfter->time == t)
        return static_cast<size_t>(atOrAfter - k.begin());
    if (atOrAfter == k.begin())
        return 0;
    return static_cast<size_t>(atOrAfter - k.begin()) - 1;
}

// Blocks read from a slot until it returns 0 or fails.
struct ReadOutcome {
    int firstOffset = -1;
    std::vector<int> counts;
    std::vector<uint8_t> stream;  // the bytes from the first block's first offset on
    int last = 0;                 // the result that ended the reads
};

class StreamReading : public ::testing::TestWithParam<int> {
  protected:
    void TearDown() override {
        reader_.reset();
        registration_.reset();
    }

    // Mounts a private copy of `image` and runs a per-channel search over its day.
    void Mount(const Image& image) {
        source_ = &image;
        disk_ = image.disk->Clone();
        static int counter = 0;
        registration_ =
            std::make_unique<platform::ScopedMemDisk>("stream-test-" + std::to_string(++counter), disk_);
        reader_ = std::make_unique<Reader>(ProfileFor(GetParam()));
        ASSERT_EQ(reader_->init(16), 0);
        ASSERT_EQ(reader_->add_disk(0, registration_->Path().c_str()), 0) << diag_.Text();

        ASSERT_FALSE(image.manifest.events.empty());
        search_param p;
        p.search_type = kSearchPerChannel;
        p.type_mask = 0xffffffff;
        p.channel_mask = 0xffff;
        p.start = unpack_time(image.manifest.events.front().start);
        p.start.hour = p.start.minute = p.start.second = 0;
        p.end = p.start;
        p.end.hour = 23;
        p.end.minute = 59;
        p.end.second = 59;
        handle_ = reader_->find_start(&p, nullptr);
        ASSERT_GE(handle_, 0) << diag_.Text();
        ASSERT_LT(handle_, kMaxSearchHandles);
        slot_ = reader_->read_start(0);
        ASSERT_GE(slot_, 0);
    }

    const vektools::Manifest& manifest() const { return source_->manifest; }

    const EventFact& Marked(const std::string& name) const {
        const vektools::Mark* mark = manifest().FindMark(name);
        EXPECT_NE(mark, nullptr) << name;
        const EventFact* ev = manifest().FindEvent(mark->partition, mark->filePosition, mark->slot);
        EXPECT_NE(ev, nullptr) << name;
        return *ev;
    }

    const EventFact& EventIn(int filePosition, int slot) const {
        const EventFact* ev = manifest().FindEvent(0, filePosition, slot);
        EXPECT_NE(ev, nullptr);
        return *ev;
    }

    uint64_t Base(const EventFact& ev) const {
        return manifest().FindFile(ev.partition, ev.filePosition)->base;
    }

    // The handle's own descriptor of an event (a pointer into its list).
    event_desc* HandleCopy(const EventFact& ev) {
        event_list list;
        EXPECT_EQ(reader_->get_event(handle_, ev.channel, &list), 0);
        for (int i = 0; i < list.count; i++) {
            event_desc& d = list.events[i];
            if (location_file(d.location) == static_cast<uint32_t>(ev.filePosition) &&
                location_partition(d.location) == static_cast<uint32_t>(ev.partition) &&
                d.event_index == ev.slot)
                return &d;
        }
        ADD_FAILURE() << "no descriptor for file " << ev.filePosition << " slot " << ev.slot;
        return nullptr;
    }

    event_desc Desc(const EventFact& ev) {
        const event_desc* d = HandleCopy(ev);
        return d ? *d : event_desc{};
    }

    int Seek(event_desc d, packed_time t, int direction, int slot = -1) {
        vekfs_time when = unpack_time(t);
        return reader_->tseek(slot < 0 ? slot_ : slot, &when, direction, 1, &d);
    }

    ReadOutcome ReadAll(int length = kBlock) {
        ReadOutcome out;
        std::vector<uint8_t> block(static_cast<size_t>(length));
        for (int guard = 0; guard < 10000; guard++) {
            int first = -1;
            const int rc = reader_->read(slot_, block.data(), length, &first);
            if (rc <= 0) {
                out.last = rc;
                break;
            }
            out.counts.push_back(rc);
            const int from = out.counts.size() == 1 ? first : 0;
            if (out.counts.size() == 1)
                out.firstOffset = first;
            EXPECT_TRUE(out.counts.size() == 1 || first == 0) << "a later block starts inside";
            out.stream.insert(out.stream.end(), block.begin() + from, block.begin() + rc);
        }
        return out;
    }

    // The stream read from key frame `k` to the event's end is exactly the bytes
    // the builder wrote there, and its frames are the manifest's frames.
    void ExpectStreamFrom(const EventFact& ev, const KframeFact& k, const ReadOutcome& r) {
        EXPECT_EQ(r.firstOffset, static_cast<int>(k.frameOffset % 1024));
        EXPECT_EQ(r.last, 0);
        const uint64_t end = static_cast<uint64_t>(ev.dataStart) + ev.dataLength;
        ASSERT_EQ(r.stream.size(), end - k.frameOffset);
        EXPECT_TRUE(r.stream == source_->disk->Bytes(Base(ev) + k.frameOffset, r.stream.size()));
        size_t checked = 0;
        for (const vektools::FrameRecord& f : ev.frames) {
            if (f.offset < k.frameOffset)
                continue;
            const size_t at = static_cast<size_t>(f.offset - k.frameOffset);
            ASSERT_LE(at + kFrameHeaderSize, r.stream.size());
            const frame_header h = decode_frame_header(r.stream.data() + at);
            EXPECT_EQ(h.magic, kMagicFrame);
            EXPECT_EQ(h.type, static_cast<uint8_t>(f.type));
            EXPECT_EQ(h.size, f.size);
            EXPECT_EQ(h.time_us, f.timeUs);
            if (checked == 0) {
                EXPECT_EQ(h.type, kFrameKey);
            }
            checked++;
        }
        EXPECT_GT(checked, 0u);
    }

    // After a seek or step: a short read shows the key frame the slot stands on.
    // `first` is taken by reference: it is read after the call that sets it.
    void ExpectAtKframe(const KframeFact& k, int rc, const std::vector<uint8_t>& block, const int& first) {
        ASSERT_GT(rc, 0);
        EXPECT_EQ(first, static_cast<int>(k.frameOffset % 1024));
        ASSERT_LE(static_cast<size_t>(first) + kFrameHeaderSize, static_cast<size_t>(rc));
        const frame_header h = decode_frame_header(block.data() + first);
        EXPECT_EQ(h.magic, kMagicFrame);
        EXPECT_EQ(h.type, kFrameKey);
        EXPECT_EQ(h.time_us, k.timeUs);
    }

    void ExpectReadsAt(const KframeFact& k) {
        std::vector<uint8_t> block(2048);
        int first = -1;
        const int rc = reader_->read(slot_, block.data(), 2048, &first);
        ExpectAtKframe(k, rc, block, first);
    }

    size_t OpenCount() const {
        const auto log = disk_->Log();
        return static_cast<size_t>(std::count_if(
            log.begin(), log.end(), [](const platform::IoRecord& r) { return r.op == IoOp::Open; }));
    }

    testing::DiagCapture diag_;
    const Image* source_ = nullptr;
    std::shared_ptr<MemDisk> disk_;
    std::unique_ptr<platform::ScopedMemDisk> registration_;
    std::unique_ptr<Reader> reader_;
    int handle_ = -1;
    int slot_ = -1;
};

VEK_INSTANTIATE_FOR_BOTH_FORMATS(StreamReading);

// ---- seek and read a whole event --------------------------------------------------

TEST_P(StreamReading, SeekToEventStartReadsTheEventFromItsFirstKeyFrame) {
    Mount(StreamImage(GetParam()));
    for (const char* mark : {"unaligned-keys", "two-keys-per-second"}) {
        SCOPED_TRACE(mark);
        const EventFact& ev = Marked(mark);
        ASSERT_FALSE(ev.kframes.empty());
        const event_desc d = Desc(ev);
        EXPECT_EQ(d.index_start / kKframeEntrySize - 1, KframeNumber(ev.kframes.front()));
        ASSERT_EQ(Seek(d, ev.start, 0), 0) << diag_.Text();
        const ReadOutcome r = ReadAll();
        ExpectStreamFrom(ev, ev.kframes.front(), r);
        // Whole blocks until the last, which returns the remainder.
        ASSERT_GE(r.counts.size(), 2u);
        for (size_t i = 0; i + 1 < r.counts.size(); i++)
            EXPECT_EQ(r.counts[i], kBlock);
        EXPECT_LE(r.counts.back(), kBlock);
    }
}

TEST_P(StreamReading, UnalignedKeyFrameGivesItsOffsetWithinTheBlock) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("unaligned-keys");
    const KframeFact& k = ev.kframes.front();
    ASSERT_NE(k.frameOffset % 1024, 0u) << "the scenario should put key frames off 1024 boundaries";
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    ASSERT_EQ(reader_->read(slot_, block.data(), kBlock, &first), kBlock);
    EXPECT_EQ(first, static_cast<int>(k.frameOffset % 1024));
    // The block starts at the 1024-byte boundary below the key frame's header.
    EXPECT_TRUE(block == source_->disk->Bytes(Base(ev) + k.frameOffset / 1024 * 1024, kBlock));
}

TEST_P(StreamReading, AfterTheLastBlockReadsReturnZero) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);
    const ReadOutcome r = ReadAll();
    ASSERT_EQ(r.last, 0);
    const uint64_t end = static_cast<uint64_t>(ev.dataStart) + ev.dataLength;
    const uint64_t blockStart = ev.kframes.front().frameOffset / 1024 * 1024;
    EXPECT_EQ(static_cast<uint64_t>(r.counts.back()), (end - blockStart) % kBlock);
    diag_.Clear();
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    EXPECT_EQ(reader_->read(slot_, block.data(), kBlock, &first), 0);
    EXPECT_TRUE(diag_.Contains("read data end"));
}

TEST_P(StreamReading, ReadLengthsThatAreNotWholeKilobytesAreRefused) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    EXPECT_EQ(reader_->read(slot_, block.data(), 1000, &first), VEKFS_ERR_ALIGN);
    EXPECT_EQ(reader_->read(slot_, block.data(), -1024, &first), VEKFS_ERR_ALIGN);
    EXPECT_EQ(reader_->read(slot_, block.data(), 1025, &first), VEKFS_ERR_ALIGN);
    // The refusals moved nothing: the next read still starts at the key frame.
    ExpectReadsAt(ev.kframes.front());
}

TEST_P(StreamReading, EventEndingNearTheDeviceEndReadsOnlyWhatItHolds) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("near-device-end");
    const uint64_t dataEnd = Base(ev) + ev.dataStart + ev.dataLength;
    ASSERT_LE(dataEnd, disk_->Size());
    // From the last key frame, one whole 0x50000-byte block would run past the
    // device's end.
    const KframeFact& last = ev.kframes.back();
    ASSERT_GT(Base(ev) + last.frameOffset / 1024 * 1024 + kBlock, disk_->Size());
    for (const KframeFact& k : ev.kframes) {
        SCOPED_TRACE(k.frameOffset);
        ASSERT_EQ(Seek(Desc(ev), k.time, 0), 0);
        const ReadOutcome r = ReadAll();
        EXPECT_EQ(r.last, 0) << diag_.Text();
        ExpectStreamFrom(ev, k, r);
    }
}

// ---- where a seek lands --------------------------------------------------------------

TEST_P(StreamReading, SeekTimeOutsideTheEventIsARangeError) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    const event_desc d = Desc(ev);
    EXPECT_EQ(Seek(d, vektools::AddSeconds(ev.start, -1), 0), VEKFS_ERR_RANGE);
    EXPECT_TRUE(diag_.Contains("input seek_time param err"));
    EXPECT_EQ(Seek(d, vektools::AddSeconds(ev.end, 1), 0), VEKFS_ERR_RANGE);
    EXPECT_EQ(Seek(d, ev.end, 1), 0);
}

// Every second of the event, both directions, compared with where the key
// frames are. Both walks of the seek (estimate before and after the time) must
// occur, and a key frame exactly at the time is taken whichever way it is met.
TEST_P(StreamReading, EverySecondLandsOnTheRightKeyFrame) {
    Mount(LongImage(GetParam()));
    const EventFact& ev = EventIn(0, 0);
    ASSERT_GT(ev.kframes.size(), 2 * kKframesPerPage) << "the event should span three index pages";
    std::map<uint32_t, const KframeFact*> byNumber;
    for (const KframeFact& k : ev.kframes)
        byNumber[KframeNumber(k)] = &k;

    const event_desc d = Desc(ev);
    int estimateBefore = 0, estimateAfter = 0, exactFromBefore = 0, exactFromAfter = 0;
    for (int direction = 0; direction <= 1; direction++) {
        for (packed_time t = ev.start; t <= ev.end; t = vektools::AddSeconds(t, 1)) {
            SCOPED_TRACE(vektools::FormatPacked(t) + " direction " + std::to_string(direction));
            diag_.Clear();
            const int rc = Seek(d, t, direction);
            const std::optional<size_t> want = ExpectedLanding(ev, t, direction);
            if (!want) {
                EXPECT_EQ(rc, VEKFS_ERR_FAIL);
                continue;
            }
            ASSERT_EQ(rc, 0) << diag_.Text();
            // Where the proportional estimate fell.
            const size_t at = diag_.Text().find("estimate index pos:");
            ASSERT_NE(at, std::string::npos);
            const auto estimate =
                static_cast<uint32_t>(std::strtoul(diag_.Text().c_str() + at + 19, nullptr, 10));
            ASSERT_TRUE(byNumber.count(estimate));
            const bool exact = ev.kframes[*want].time == t;
            if (byNumber[estimate]->time < t) {
                estimateBefore++;
                exactFromBefore += exact;
            } else if (byNumber[estimate]->time > t) {
                estimateAfter++;
                exactFromAfter += exact;
            }
            ExpectReadsAt(ev.kframes[*want]);
        }
    }
    EXPECT_GT(estimateBefore, 0);
    EXPECT_GT(estimateAfter, 0);
    EXPECT_GT(exactFromBefore, 0);
    EXPECT_GT(exactFromAfter, 0);
}

TEST_P(StreamReading, ExactKeyFrameTimesInTheScenarioLandOnTheFirstKeyFrameOfThatSecond) {
    Mount(StreamImage(GetParam()));
    for (const char* mark : {"gop25-audio", "two-keys-per-second"}) {
        SCOPED_TRACE(mark);
        const EventFact& ev = Marked(mark);
        const event_desc d = Desc(ev);
        for (size_t i = 0; i < ev.kframes.size(); i++) {
            if (i > 0 && ev.kframes[i - 1].time == ev.kframes[i].time)
                continue;
            for (int direction = 0; direction <= 1; direction++) {
                SCOPED_TRACE("key frame " + std::to_string(i) + " direction " + std::to_string(direction));
                ASSERT_EQ(Seek(d, ev.kframes[i].time, direction), 0) << diag_.Text();
                ExpectReadsAt(ev.kframes[i]);
            }
        }
    }
}

TEST_P(StreamReading, DirectionOneTakesTheLastKeyFrameBeforeTheTime) {
    Mount(StreamImage(GetParam()));
    // The late key frame: events start at 12:00:00, the only key frame is 12:00:01.
    const EventFact& late = Marked("late-single-key");
    ASSERT_EQ(late.kframes.size(), 1u);
    ASSERT_GT(late.kframes.front().time, late.start);
    const event_desc d = Desc(late);
    // At the event's start both directions give the one key frame (the entry
    // below it belongs to no event).
    ASSERT_EQ(Seek(d, late.start, 0), 0) << diag_.Text();
    ExpectReadsAt(late.kframes.front());
    ASSERT_EQ(Seek(d, late.start, 1), 0);
    ExpectReadsAt(late.kframes.front());
    // After it: no key frame at or after the time; direction 1 still has it.
    const packed_time after = vektools::AddSeconds(late.kframes.front().time, 1);
    ASSERT_LE(after, late.end);
    EXPECT_EQ(Seek(d, after, 0), VEKFS_ERR_FAIL);
    ASSERT_EQ(Seek(d, after, 1), 0);
    ExpectReadsAt(late.kframes.front());

    // At the end of an event whose last key frame is a second earlier: direction
    // 1 gives that key frame, direction 0 has none.
    const EventFact& ev = Marked("gop25-audio");
    ASSERT_LT(ev.kframes.back().time, ev.end);
    EXPECT_EQ(Seek(Desc(ev), ev.end, 0), VEKFS_ERR_FAIL);
    ASSERT_EQ(Seek(Desc(ev), ev.end, 1), 0);
    ExpectReadsAt(ev.kframes.back());
}

TEST_P(StreamReading, EventWhoseEndEqualsItsStartSeeksToItsFirstKeyFrame) {
    Mount(LongImage(GetParam()));
    const EventFact& ev = EventIn(1, 0);
    ASSERT_EQ(ev.start, ev.end);
    ASSERT_FALSE(ev.kframes.empty());
    const event_desc d = Desc(ev);
    ASSERT_EQ(Seek(d, ev.start, 0), 0) << diag_.Text();
    ExpectReadsAt(ev.kframes.front());
    ASSERT_EQ(Seek(d, ev.start, 1), 0);
    ExpectReadsAt(ev.kframes.front());
}

// ---- key-frame steps -------------------------------------------------------------------

TEST_P(StreamReading, StepsMoveBetweenKeyFramesAndStopAtBothEnds) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    const auto& k = ev.kframes;
    ASSERT_GE(k.size(), 4u);
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);

    std::vector<uint8_t> block(kBlock);
    int first = -1;
    ExpectAtKframe(k[1], reader_->get_next_kframe(slot_, block.data(), kBlock, &first, 1), block, first);
    ExpectAtKframe(k[3], reader_->get_next_kframe(slot_, block.data(), kBlock, &first, 2), block, first);
    ExpectAtKframe(k[2], reader_->get_prev_kframe(slot_, block.data(), kBlock, &first, 1), block, first);
    ExpectAtKframe(k[2], reader_->get_current_kframe(slot_, block.data(), kBlock, &first), block, first);
    // Reads go on from the block the step returned.
    int next = -1;
    std::vector<uint8_t> following(kBlock);
    ASSERT_GT(reader_->read(slot_, following.data(), kBlock, &next), 0);
    EXPECT_EQ(next, 0);
    const uint64_t blockStart = k[2].frameOffset / 1024 * 1024;
    EXPECT_TRUE(following == source_->disk->Bytes(Base(ev) + blockStart + kBlock, kBlock));

    // Past the first key frame.
    diag_.Clear();
    EXPECT_EQ(reader_->get_prev_kframe(slot_, block.data(), kBlock, &first, 3), 0);
    EXPECT_TRUE(diag_.Contains("read kf end!"));
    ExpectAtKframe(k[0], reader_->get_next_kframe(slot_, block.data(), kBlock, &first, 1), block, first);

    // Past the last one.
    ASSERT_EQ(Seek(Desc(ev), k.back().time, 0), 0);
    diag_.Clear();
    EXPECT_EQ(reader_->get_next_kframe(slot_, block.data(), kBlock, &first, 1), 0);
    EXPECT_TRUE(diag_.Contains("read kf end!"));
    EXPECT_EQ(reader_->get_current_kframe(slot_, nullptr, kBlock, &first), VEKFS_ERR_NULL_PARAM);
    EXPECT_EQ(reader_->get_current_kframe(slot_, block.data(), kBlock, nullptr), VEKFS_ERR_NULL_PARAM);
}

TEST_P(StreamReading, StepsAcrossIndexPagesLoadThePage) {
    Mount(LongImage(GetParam()));
    const EventFact& ev = EventIn(0, 0);
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);
    std::vector<uint8_t> block(4096);
    int first = -1;
    const size_t far = kKframesPerPage + 44;
    ExpectAtKframe(ev.kframes[far],
                   reader_->get_next_kframe(slot_, block.data(), 4096, &first, static_cast<int>(far)), block,
                   first);
    ExpectAtKframe(ev.kframes[3],
                   reader_->get_prev_kframe(slot_, block.data(), 4096, &first, static_cast<int>(far - 3)),
                   block, first);
}

TEST_P(StreamReading, SlotNeverSoughtGivesNothing) {
    Mount(StreamImage(GetParam()));
    disk_->ClearLog();
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    EXPECT_EQ(reader_->get_next_kframe(slot_, block.data(), kBlock, &first, 1), 0);
    EXPECT_EQ(reader_->get_prev_kframe(slot_, block.data(), kBlock, &first, 1), 0);
    EXPECT_EQ(reader_->get_current_kframe(slot_, block.data(), kBlock, &first), 0);
    EXPECT_EQ(reader_->read(slot_, block.data(), kBlock, &first), 0);
    // Nothing was read from the device.
    for (const platform::IoRecord& r : disk_->Log())
        EXPECT_NE(r.op, IoOp::Read) << r.offset;
}

// ---- the device handle ----------------------------------------------------------------

TEST_P(StreamReading, DeviceIsKeptWithinAFileAndReopenedForAnother) {
    Mount(StreamImage(GetParam()));
    const EventFact& first = EventIn(0, 0);
    const EventFact& second = EventIn(0, 1);
    const EventFact& other = Marked("two-keys-per-second");
    ASSERT_NE(other.filePosition, first.filePosition);

    disk_->ClearLog();
    ASSERT_EQ(Seek(Desc(first), first.start, 0), 0);
    EXPECT_EQ(OpenCount(), 1u);
    ASSERT_EQ(Seek(Desc(second), second.start, 0), 0);
    EXPECT_EQ(OpenCount(), 1u);
    ExpectReadsAt(second.kframes.front());
    ASSERT_EQ(Seek(Desc(other), other.start, 0), 0);
    EXPECT_EQ(OpenCount(), 2u);
    EXPECT_TRUE(diag_.Contains("iframe_hHDD"));
    const ReadOutcome r = ReadAll();
    ExpectStreamFrom(other, other.kframes.front(), r);
    // Back to the first file: a third open.
    ASSERT_EQ(Seek(Desc(first), first.start, 0), 0);
    EXPECT_EQ(OpenCount(), 3u);
}

// ---- descriptors that name nothing real -------------------------------------------------

TEST_P(StreamReading, HostileDescriptorsAreRefusedWithTheirCodes) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    ASSERT_GE(ev.kframes.size(), 2u);
    ASSERT_GT(ev.kframes[1].frameOffset, ev.dataStart + 16);
    const event_desc good = Desc(ev);
    const auto seek = [&](auto change, packed_time t) {
        event_desc d = good;
        change(d);
        return Seek(d, t, 0);
    };
    const packed_time t = ev.start;
    ASSERT_EQ(Seek(good, t, 0), 0);

    // Refused before the slot is touched: the slot keeps its position.
    EXPECT_EQ(seek([](event_desc& d) { d.handle = 200; }, t), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(seek([](event_desc& d) { d.handle = kMaxSearchHandles; }, t), VEKFS_ERR_BAD_HANDLE);
    EXPECT_EQ(seek([&](event_desc& d) { d.handle = static_cast<uint8_t>(handle_ + 1); }, t),
              VEKFS_ERR_BAD_HANDLE);
    EXPECT_TRUE(diag_.Contains("handle isn't exist"));
    EXPECT_EQ(seek([](event_desc& d) { d.list_channel = 200; }, t), VEKFS_ERR_CHANNEL);
    EXPECT_EQ(seek([](event_desc& d) { d.list_channel = 15; }, t), VEKFS_ERR_EVENT_NOT_LOADED);
    EXPECT_EQ(seek([](event_desc& d) { d.list_pos = 2; }, t), VEKFS_ERR_EVENT_NOT_LOADED);
    EXPECT_EQ(seek([](event_desc& d) { d.list_pos = 0xffffffff; }, t), VEKFS_ERR_EVENT_NOT_LOADED);
    EXPECT_TRUE(diag_.Contains("the event is not in memory"));

    // Locations: a disk number beyond the table, an unmounted disk, a partition
    // and a file the disk does not have.
    EXPECT_EQ(seek([](event_desc& d) { d.location = make_location(0, 0, 200); }, t), VEKFS_ERR_RANGE);
    EXPECT_EQ(seek([](event_desc& d) { d.location = make_location(0, 0, 3); }, t), VEKFS_ERR_FAIL);
    EXPECT_EQ(seek([](event_desc& d) { d.location = make_location(0, 1, 0); }, t), VEKFS_ERR_FAIL);
    EXPECT_EQ(seek([](event_desc& d) { d.location = make_location(0, 255, 0); }, t), VEKFS_ERR_FAIL);
    EXPECT_EQ(seek([](event_desc& d) { d.location = make_location(4, 0, 0); }, t), VEKFS_ERR_FAIL);
    EXPECT_EQ(seek([](event_desc& d) { d.location = make_location(0xffff, 0, 0); }, t), VEKFS_ERR_FAIL);

    // Index ranges that are not whole entries of the file, or run backwards.
    EXPECT_EQ(seek([](event_desc& d) { d.index_start += 8; }, t), VEKFS_ERR_RANGE);
    EXPECT_EQ(seek([](event_desc& d) { d.index_end += 4; }, t), VEKFS_ERR_RANGE);
    EXPECT_EQ(seek([](event_desc& d) { d.index_start = 0x10000010; }, t), VEKFS_ERR_RANGE);
    EXPECT_EQ(seek([](event_desc& d) { d.index_start = 0xfffffff0; }, t), VEKFS_ERR_RANGE);
    EXPECT_EQ(seek([](event_desc& d) { d.index_end = d.index_start; }, t), VEKFS_ERR_RANGE);
    EXPECT_EQ(seek(
                  [](event_desc& d) {
                      d.index_start = 0;
                      d.index_end = 0;
                  },
                  t),
              VEKFS_ERR_RANGE);
    EXPECT_TRUE(diag_.Contains("write ifram offse or time err"));
    ExpectReadsAt(ev.kframes.front());

    // Key frames outside the data range, and a data range past the file: found
    // only after the slot was moved, so it is left with no position.
    EXPECT_EQ(seek([](event_desc& d) { d.data_start += 0x100000; }, t), VEKFS_ERR_FAIL);
    EXPECT_EQ(seek([](event_desc& d) { d.data_length = 16; }, ev.kframes[1].time), VEKFS_ERR_FAIL);
    EXPECT_EQ(seek([](event_desc& d) { d.data_length = 0xffffffff; }, t), VEKFS_ERR_FAIL);
    EXPECT_TRUE(diag_.Contains("write data err"));
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    EXPECT_EQ(reader_->read(slot_, block.data(), kBlock, &first), 0);
    EXPECT_EQ(reader_->get_current_kframe(slot_, block.data(), kBlock, &first), 0);

    // The good descriptor still works.
    ASSERT_EQ(Seek(good, t, 0), 0);
    ExpectReadsAt(ev.kframes.front());

    // A stopped search takes its lists with it.
    ASSERT_EQ(reader_->find_stop(handle_), 0);
    EXPECT_EQ(Seek(good, t, 0), VEKFS_ERR_BAD_HANDLE);
}

TEST_P(StreamReading, OverwrittenEventIsRefused) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    event_desc* own = HandleCopy(ev);
    ASSERT_NE(own, nullptr);
    const event_desc d = *own;  // the caller's copy still says 0
    own->overwritten = 1;
    EXPECT_EQ(Seek(d, ev.start, 0), VEKFS_ERR_OVERWRITTEN);
    EXPECT_TRUE(diag_.Contains("the event had been covered"));
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    EXPECT_EQ(reader_->read(slot_, block.data(), kBlock, &first), VEKFS_ERR_OVERWRITTEN);
    EXPECT_EQ(reader_->get_current_kframe(slot_, block.data(), kBlock, &first), VEKFS_ERR_OVERWRITTEN);
    own->overwritten = 0;
    ASSERT_EQ(Seek(d, ev.start, 0), 0);
    ExpectReadsAt(ev.kframes.front());
}

// ---- device faults -------------------------------------------------------------------------

TEST_P(StreamReading, DataReadFaultIsAReadError) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);
    const uint64_t at = Base(ev) + ev.kframes.front().frameOffset;
    disk_->AddFault(FaultRule{IoOp::Read, at, at + 1, 1, false});
    std::vector<uint8_t> block(kBlock);
    int first = -1;
    EXPECT_EQ(reader_->read(slot_, block.data(), kBlock, &first), VEKFS_ERR_READ);
    EXPECT_TRUE(diag_.Contains("read data err"));
}

TEST_P(StreamReading, IndexPageFaultsFailTheSeekAndTheStep) {
    Mount(LongImage(GetParam()));
    const EventFact& ev = EventIn(0, 0);
    const event_desc d = Desc(ev);
    const uint64_t base = Base(ev);
    const auto pageOf = [&](const KframeFact& k) {
        const uint64_t first = KframeNumber(k) / kKframesPerPage * kKframesPerPage;
        return base + first * kKframeEntrySize;
    };

    // Stepping into a page that cannot be read.
    ASSERT_EQ(Seek(d, ev.start, 0), 0);
    const size_t far = kKframesPerPage + 10;
    ASSERT_NE(pageOf(ev.kframes[far]), pageOf(ev.kframes[0]));
    disk_->AddFault(FaultRule{IoOp::Read, pageOf(ev.kframes[far]), pageOf(ev.kframes[far]) + 1, 1, false});
    std::vector<uint8_t> block(4096);
    int first = -1;
    EXPECT_EQ(reader_->get_next_kframe(slot_, block.data(), 4096, &first, static_cast<int>(far)),
              VEKFS_ERR_KFRAME_READ);
    // The fault is gone: the same key frame reads now.
    ExpectAtKframe(ev.kframes[far], reader_->get_current_kframe(slot_, block.data(), 4096, &first), block,
                   first);

    // A seek whose page cannot be read fails, and leaves no position behind.
    ASSERT_EQ(Seek(d, ev.start, 0), 0);
    disk_->AddFault(
        FaultRule{IoOp::Read, pageOf(ev.kframes.back()), pageOf(ev.kframes.back()) + 1, 1, false});
    EXPECT_EQ(Seek(d, ev.kframes.back().time, 0), VEKFS_ERR_READ);
    EXPECT_EQ(reader_->read(slot_, block.data(), 4096, &first), 0);
    EXPECT_EQ(reader_->get_current_kframe(slot_, block.data(), 4096, &first), 0);
}

TEST_P(StreamReading, DeviceThatCannotBeOpenedFailsTheSeek) {
    Mount(StreamImage(GetParam()));
    const EventFact& ev = Marked("gop25-audio");
    disk_->AddFault(FaultRule{IoOp::Open, 0, 0, 1, false});
    EXPECT_EQ(Seek(Desc(ev), ev.start, 0), VEKFS_ERR_OPEN);
    EXPECT_TRUE(diag_.Contains("open file"));
    ASSERT_EQ(Seek(Desc(ev), ev.start, 0), 0);
    ExpectReadsAt(ev.kframes.front());
}

}  // namespace
}  // namespace vekfs
