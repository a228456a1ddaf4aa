// tests/tools/image_scenarios_test.cpp
//
// The scenario catalogue: every scenario, variant and version builds and shows
// exactly its intended damage, and each special case a reader test relies on is
// really on the disk where its mark says, read back through the codec.
#include "tools/image_scenarios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "reader/format.h"
#include "tests/common/built_images.h"
#include "tests/common/format_versions.h"
#include "tests/common/reader_profiles.h"
#include "tools/image_check.h"

namespace vektools {
namespace {

using vekfs::kDataFileSize;

using vektest::TraitsFor;

// Built once per process and scenario.
const ScenarioImage& Image(const std::string& name, int version, const std::string& variant = "") {
    return vektest::BuiltScenario(name, version, variant);
}

const Mark& MarkOf(const ScenarioImage& img, const std::string& name) {
    const Mark* m = img.manifest.FindMark(name);
    EXPECT_NE(m, nullptr) << name;
    static const Mark none;
    return m ? *m : none;
}

const EventFact& EventAt(const ScenarioImage& img, const Mark& m) {
    const EventFact* e = img.manifest.FindEvent(m.partition, m.filePosition, m.slot);
    EXPECT_NE(e, nullptr) << m.name;
    static const EventFact none;
    return e ? *e : none;
}

uint64_t Base(const ScenarioImage& img, int p, int pos) {
    return vekfs::data_file_offset(img.manifest.partitions[p].start, static_cast<uint32_t>(pos));
}

std::vector<uint8_t> Sector0(const ScenarioImage& img) {
    return img.disk->Bytes(0, 512);
}

vekfs::disk_param Param(const ScenarioImage& img) {
    return vekfs::decode_disk_param(&Sector0(img)[256]);
}

// The index copy k of partition p as read from the disk.
std::vector<uint8_t> Copy(const ScenarioImage& img, int p, int k) {
    const PartitionFact& pf = img.manifest.partitions[p];
    const size_t used =
        img.manifest.param.event_area_offset +
        static_cast<size_t>(pf.record.file_count) * TraitsFor(img.manifest.version).EventBlockSize();
    return img.disk->Bytes(pf.copyOffset[k], used);
}

vekfs::file_info Entry(const ScenarioImage& img, int p, int pos) {
    const vekfs::FormatTraits& f = TraitsFor(img.manifest.version);
    return vekfs::decode_file_info(
        &Copy(img, p, 1)[img.manifest.param.file_table_offset + pos * f.fileInfoSize], f);
}

vekfs::pevent_info Record(const ScenarioImage& img, int p, int pos, int slot) {
    const vekfs::FormatTraits& f = TraitsFor(img.manifest.version);
    const size_t at = img.manifest.param.event_area_offset + pos * f.EventBlockSize() + slot * f.eventSize;
    return vekfs::decode_pevent_info(&Copy(img, p, 1)[at], f);
}

vekfs::kframe_entry EntryAt(const ScenarioImage& img, int p, int pos, uint64_t at) {
    return vekfs::decode_kframe_entry(img.disk->Bytes(Base(img, p, pos) + at, 16).data());
}

// Offsets of "Iend" markers among the entries in [lo, hi) of a data file.
std::vector<uint64_t> IendsBetween(const ScenarioImage& img, int p, int pos, uint64_t lo, uint64_t hi) {
    const std::vector<uint8_t> bytes = img.disk->Bytes(Base(img, p, pos) + lo, static_cast<size_t>(hi - lo));
    std::vector<uint64_t> found;
    for (size_t i = 0; i + 16 <= bytes.size(); i += 16)
        if (platform::GetU32(&bytes[i]) == vekfs::kMagicIend)
            found.push_back(lo + i);
    return found;
}

// ---- every scenario -------------------------------------------------------------------

struct Combo {
    std::string scenario;
    std::string variant;
    int version;
};

std::vector<Combo> AllCombos() {
    std::vector<Combo> out;
    for (const ScenarioInfo& s : ScenarioCatalogue()) {
        const std::vector<std::string> variants =
            s.variants.empty() ? std::vector<std::string>{""} : s.variants;
        for (const std::string& v : variants)
            for (int version : {1, 2})
                out.push_back({s.name, v, version});
    }
    return out;
}

class EveryScenario : public ::testing::TestWithParam<Combo> {};

TEST_P(EveryScenario, ShowsExactlyItsIntendedDamage) {
    const Combo& c = GetParam();
    const ScenarioImage& img = Image(c.scenario, c.version, c.variant);
    ASSERT_TRUE(img.disk);
    EXPECT_EQ(img.manifest.version, c.version);
    EXPECT_EQ(img.disk->Size(), img.manifest.deviceSize);
    const std::vector<std::string> lines = SelfCheck(MemDiskSource(img.disk), img.manifest);
    std::string all;
    for (const std::string& l : lines)
        all += "\n  " + l;
    EXPECT_TRUE(lines.empty()) << all;

    // Whatever else is wrong, sector 0 stays an MBR.
    const std::vector<uint8_t> s0 = Sector0(img);
    EXPECT_EQ(s0[510], 0x55);
    EXPECT_EQ(s0[511], 0xAA);
}

INSTANTIATE_TEST_SUITE_P(Catalogue,
                         EveryScenario,
                         ::testing::ValuesIn(AllCombos()),
                         [](const ::testing::TestParamInfo<Combo>& i) {
                             std::string n = i.param.scenario +
                                             (i.param.variant.empty() ? "" : "_" + i.param.variant) + "_v" +
                                             std::to_string(i.param.version);
                             for (char& ch : n)
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return n;
                         });

TEST(ScenarioCatalogue, RefusesUnknownNamesVariantsAndVersions) {
    ImageSpec recipe;
    std::string error;
    EXPECT_FALSE(MakeScenario("nope", "", 2, &recipe, &error));
    EXPECT_FALSE(MakeScenario("bad-param", "nope", 2, &recipe, &error));
    EXPECT_FALSE(MakeScenario("basic", "xor", 2, &recipe, &error));
    EXPECT_FALSE(MakeScenario("basic", "", 3, &recipe, &error));
    ASSERT_TRUE(MakeScenario("bad-param", "", 1, &recipe, &error)) << error;
    EXPECT_EQ(recipe.variant, "xor");
}

class ScenarioCases : public ::testing::TestWithParam<int> {};
VEK_INSTANTIATE_FOR_BOTH_FORMATS(ScenarioCases);

// ---- basic ------------------------------------------------------------------------------

TEST_P(ScenarioCases, BasicHoldsTheSearchCases) {
    const int v = GetParam();
    const ScenarioImage& img = Image("basic", v);
    const Manifest& m = img.manifest;
    ASSERT_EQ(m.partitions.size(), 2u);
    EXPECT_EQ(Param(img).part_count, 2);

    // Tie on channels 2 and 5.
    const EventFact& t2 = EventAt(img, MarkOf(img, "tie-ch2"));
    const EventFact& t5 = EventAt(img, MarkOf(img, "tie-ch5"));
    EXPECT_EQ(t2.start, t5.start);
    EXPECT_EQ(t2.channel, 2);
    EXPECT_EQ(t5.channel, 5);

    // 10:15-11:05: half-hour slots 20 to 22.
    const vekfs::pevent_info hh = Record(img, 0, 0, 0);
    EXPECT_EQ(vekfs::halfhour_slot(hh.start), 20);
    EXPECT_EQ(vekfs::halfhour_slot(hh.end), 22);
    EXPECT_EQ(hh.type_bits, 1u << 2);

    // 253 events on 2024-01-10 over channels 0, 2, 5 (type-2 search capacity case).
    std::map<int, int> perChannel;
    for (const EventFact& e : m.events)
        if (vekfs::unpack_time(e.start).day == 10 && vekfs::unpack_time(e.start).month == 1 &&
            e.dataType == 0)
            perChannel[e.channel]++;
    EXPECT_EQ(perChannel, (std::map<int, int>{{0, 85}, {2, 84}, {5, 84}}));

    // Skip bytes, attributes, data type 1.
    EXPECT_EQ(Record(img, 0, 1, 1).skip, 1);
    EXPECT_EQ(Record(img, 0, 1, 2).skip, 2);
    const vekfs::pevent_info attrs = Record(img, 0, 1, 3);
    EXPECT_EQ(attrs.attr22, 0x5A);
    EXPECT_EQ(attrs.attr23, 0xA5);
    if (v == 1) {
        EXPECT_EQ(attrs.pass38, 0x1234);
    } else {
        EXPECT_EQ(attrs.media_first, 0x11223344u);
        EXPECT_EQ(attrs.media_last, 0x55667788u);
    }
    const vekfs::file_info dt1 = Entry(img, 0, 3);
    EXPECT_EQ(dt1.data_type, 1);
    const vekfs::part_info p0 = vekfs::decode_part_info(Copy(img, 0, 0).data());
    EXPECT_EQ(p0.type1_start, dt1.start);
    EXPECT_EQ(p0.type1_end, dt1.end);
    EXPECT_EQ(p0.free_count, 2);
    EXPECT_EQ(p0.repair_flag, 0);
    EXPECT_EQ(vekfs::decode_part_info(Copy(img, 1, 0).data()).free_count, 2);
    EXPECT_EQ(Entry(img, 0, 4).state, vekfs::kFileFree);

    // The file being written is not repaired here (flag 0) and has no close order.
    const vekfs::file_info open = Entry(img, 0, 5);
    EXPECT_EQ(open.state, vekfs::kFileWriting);
    EXPECT_EQ(open.end_sequence, vekfs::kOpenEndSequence);
    EXPECT_EQ(Record(img, 0, 5, 2).magic, vekfs::kMagicEventWriting);

    // Day bitmaps of file 0: day 15 bit 0, day 31 bit 1, day 1 bit 2.
    const vekfs::file_info f0 = Entry(img, 0, 0);
    EXPECT_EQ(f0.day_bitmap[0], 1u << 14);
    EXPECT_EQ(f0.day_bitmap[1], 1u << 30);
    EXPECT_EQ(f0.day_bitmap[2], 1u << 0);
    EXPECT_EQ(vekfs::unpack_time(f0.start).month, 12);

    // Type bits reach the version's last bitmap word.
    const uint32_t top = v == 1 ? 3 : 15;
    uint32_t bits = 0;
    for (const EventFact* e : m.EventsOf(1, 3))
        bits |= e->typeBits;
    EXPECT_EQ(bits, (2u << top) - 1);
    EXPECT_EQ(Entry(img, 1, 3).day_bitmap[top], 0x1800u);  // days 12 and 13

    // Closed files are numbered in close order within each partition.
    for (int p = 0; p < 2; p++) {
        std::set<uint32_t> seq;
        int closed = 0;
        for (const FileFact& f : m.files)
            if (f.partition == p && f.entry.state == vekfs::kFileClosed) {
                closed++;
                seq.insert(f.entry.end_sequence);
            }
        EXPECT_EQ(seq.size(), static_cast<size_t>(closed));
        EXPECT_EQ(*seq.rbegin(), static_cast<uint32_t>(closed));
    }
}

// ---- stream -------------------------------------------------------------------------------

TEST_P(ScenarioCases, StreamHoldsThePlaybackCases) {
    const ScenarioImage& img = Image("stream", GetParam());
    const Manifest& m = img.manifest;

    const EventFact& gop = EventAt(img, MarkOf(img, "gop25-audio"));
    ASSERT_EQ(gop.kframes.size(), 20u);
    for (size_t i = 1; i < gop.kframes.size(); i++)
        EXPECT_EQ(gop.kframes[i].timeUs - gop.kframes[i - 1].timeUs, 1000000u);
    size_t audio = 0, unaligned = 0;
    const uint64_t base = Base(img, 0, 0);
    for (const FrameRecord& f : gop.frames) {
        if (f.type != 'A')
            continue;
        if (audio++ == 0) {
            const media::frame_header h =
                media::decode_frame_header(img.disk->Bytes(base + f.offset, 40).data());
            EXPECT_EQ(h.audio_rate, 8000u);
            EXPECT_EQ(h.audio_bits2, 16);
            EXPECT_EQ(h.audio_block, 164);
            EXPECT_EQ(h.codec, 1);
        }
    }
    EXPECT_EQ(audio, 1000u);  // 20 ms blocks for 20 s
    for (const KframeFact& k : gop.kframes)
        unaligned += k.frameOffset % 1024 != 0;
    EXPECT_GT(unaligned, 10u);
    EXPECT_EQ(gop.dataStart, kFirstDataStart);

    const EventFact& two = EventAt(img, MarkOf(img, "two-keys-per-second"));
    EXPECT_EQ(two.kframes.size(), 40u);
    EXPECT_EQ(media::decode_frame_header(img.disk->Bytes(Base(img, 0, 1) + two.frames[1].offset, 40).data())
                  .ext_units,
              2);

    const EventFact& late = EventAt(img, MarkOf(img, "late-single-key"));
    ASSERT_EQ(late.kframes.size(), 1u);
    EXPECT_GT(late.kframes[0].time, late.start);
    EXPECT_EQ(late.frames[37].type, 'I');
    for (int i = 0; i < 37; i++)
        EXPECT_EQ(late.frames[i].type, 'P');

    const Mark& endMark = MarkOf(img, "near-device-end");
    const EventFact& end = EventAt(img, endMark);
    const uint64_t endBase = Base(img, 0, endMark.filePosition);
    EXPECT_EQ(endBase + kDataFileSize, m.deviceSize);
    const uint64_t dataEnd = endBase + end.dataStart + end.dataLength;
    EXPECT_LT(m.deviceSize - dataEnd, 0x50000u);
    EXPECT_NE(end.dataStart % 1024, 0u);
}

// ---- unclean ------------------------------------------------------------------------------

TEST_P(ScenarioCases, UncleanPlacesIendAsEachChannelNeeds) {
    const ScenarioImage& img = Image("unclean", GetParam());
    for (int k = 0; k < 4; k++)
        EXPECT_EQ(vekfs::decode_part_info(Copy(img, 0, k).data()).repair_flag, 1);
    for (const EventFact& e : img.manifest.events) {
        if (e.magic != vekfs::kMagicEventWriting)
            continue;
        const vekfs::pevent_info r = Record(img, 0, e.filePosition, e.slot);
        EXPECT_EQ(r.end, 0u);
        EXPECT_EQ(r.data_length, 0u);
        EXPECT_EQ(r.index_end, 0u);
    }

    {  // three entries, then "Iend"; P frames after the last key frame
        const Mark& mk = MarkOf(img, "evwr-3-kframes");
        const EventFact& e = EventAt(img, mk);
        EXPECT_EQ(Record(img, 0, mk.filePosition, mk.slot).magic, vekfs::kMagicEventWriting);
        ASSERT_EQ(e.kframes.size(), 3u);
        EXPECT_EQ(IendsBetween(img, 0, mk.filePosition, e.indexStart - 4 * 16, e.indexStart),
                  std::vector<uint64_t>{e.indexStart - 4 * 16});
        EXPECT_EQ(e.frames.back().type, 'P');
    }
    {  // "Iend" at the top of the second 8 KB window, none in the first
        const Mark& mk = MarkOf(img, "iend-window2-top");
        const EventFact& e = EventAt(img, mk);
        EXPECT_EQ(e.kframes.size(), 512u);
        EXPECT_EQ(IendsBetween(img, 0, mk.filePosition, e.indexStart - 0x4000, e.indexStart),
                  std::vector<uint64_t>{e.indexStart - 0x2000 - 16});
    }
    {  // "Iend" right below the index start
        const Mark& mk = MarkOf(img, "iend-at-index-start");
        const EventFact& e = EventAt(img, mk);
        EXPECT_TRUE(e.kframes.empty());
        EXPECT_EQ(EntryAt(img, 0, mk.filePosition, e.indexStart - 16).marker, vekfs::kMagicIend);
    }
    {  // no "Iend" in 65 windows
        const Mark& mk = MarkOf(img, "no-iend-in-65-windows");
        const EventFact& e = EventAt(img, mk);
        EXPECT_TRUE(e.indexOnly);
        EXPECT_GT(e.kframes.size(), 33280u);
        EXPECT_TRUE(IendsBetween(img, 0, mk.filePosition, e.indexStart - 65 * 0x2000, e.indexStart).empty());
        EXPECT_EQ(EntryAt(img, 0, mk.filePosition, e.indexStart - (e.kframes.size() + 1) * 16).marker,
                  vekfs::kMagicIend);
    }
    {
        const Mark& mk = MarkOf(img, "full-256");
        for (int s = 0; s < 256; s++)
            EXPECT_EQ(Record(img, 0, mk.filePosition, s).magic, vekfs::kMagicEvent) << s;
    }
    {
        const Mark& mk = MarkOf(img, "empty-slot-after-3");
        for (int s = 0; s < 3; s++)
            EXPECT_EQ(Record(img, 0, mk.filePosition, s).magic, vekfs::kMagicEvent);
        EXPECT_EQ(Record(img, 0, mk.filePosition, 3).magic, 0u);
    }
    {
        const Mark& mk = MarkOf(img, "number-conflict");
        const vekfs::pevent_info r = Record(img, 0, mk.filePosition, mk.slot);
        EXPECT_EQ(r.magic, vekfs::kMagicEventWriting);
        EXPECT_EQ(r.number, 9);
        EXPECT_EQ(mk.slot, 1);
    }
    {
        const Mark& mk = MarkOf(img, "open-no-events");
        const vekfs::file_info e = Entry(img, 0, mk.filePosition);
        EXPECT_EQ(e.state, vekfs::kFileWriting);
        EXPECT_EQ(e.event_count, 0);
        EXPECT_EQ(Record(img, 0, mk.filePosition, 0).magic, 0u);
    }
    // Every channel 0-7 has its newest file open; channel 8 has only closed ones.
    std::map<int, std::vector<uint8_t>> states;
    for (const FileFact& f : img.manifest.files)
        states[f.entry.channel].push_back(f.entry.state);
    for (int ch = 0; ch < 8; ch++)
        EXPECT_EQ(states[ch].back(), vekfs::kFileWriting) << ch;
    EXPECT_EQ(states[8], (std::vector<uint8_t>{vekfs::kFileClosed, vekfs::kFileClosed}));
}

// ---- damaged-index -----------------------------------------------------------------------

TEST_P(ScenarioCases, DamagedIndexVariants) {
    const int v = GetParam();
    for (const std::string variant : {"bits1111", "bits1111-garbage", "bits0011", "bits0001"}) {
        SCOPED_TRACE(variant);
        const ScenarioImage& img = Image("damaged-index", v, variant);
        const vekfs::disk_param p = Param(img);
        const uint8_t bits = variant == "bits0011" ? 0x3 : variant == "bits0001" ? 0x1 : 0xF;
        EXPECT_EQ(p.valid_bits[0], bits);
        EXPECT_EQ(p.valid_bits[1], 0xF);
        EXPECT_EQ(p.check_sum, vekfs::disk_param_xor(&Sector0(img)[256]));

        std::vector<uint8_t> c0 = Copy(img, 0, 0), c1 = Copy(img, 0, 1), c2 = Copy(img, 0, 2),
                             c3 = Copy(img, 0, 3);
        EXPECT_EQ(c3, c1);
        if (variant == "bits0001") {
            EXPECT_EQ(c0, c1);
            EXPECT_EQ(c2, c1);
            continue;
        }
        EXPECT_NE(platform::GetU32(c0.data()), vekfs::kMagicPart);
        EXPECT_TRUE(std::equal(c0.begin() + 40, c0.end(), c1.begin() + 40));  // only the record is broken
        if (variant == "bits0011") {
            EXPECT_EQ(c2, c1);
        } else {
            EXPECT_EQ(std::string(c2.begin() + 32, c2.begin() + 40), "STALECPY");
            std::copy(c1.begin() + 32, c1.begin() + 40, c2.begin() + 32);
            EXPECT_EQ(c2, c1);
        }
        for (int k = 1; k < 4; k++)
            EXPECT_EQ(Copy(img, 1, k), Copy(img, 1, 0));
    }
}

// ---- bad-param ----------------------------------------------------------------------------

TEST_P(ScenarioCases, BadParamVariantsAreBadInTheirOwnWay) {
    const int v = GetParam();
    const uint16_t other = v == 1 ? 2 : 1;
    const vekfs::FormatTraits& f = TraitsFor(v);
    for (const ScenarioInfo& s : ScenarioCatalogue()) {
        if (s.name != "bad-param")
            continue;
        for (const std::string& variant : s.variants) {
            SCOPED_TRACE(variant);
            const ScenarioImage& img = Image("bad-param", v, variant);
            const std::vector<uint8_t> s0 = Sector0(img);
            const vekfs::disk_param p = vekfs::decode_disk_param(&s0[256]);
            const uint32_t x = vekfs::disk_param_xor(&s0[256]);
            // The check word is right except where it is the fault.
            if (variant == "xor") {
                const uint32_t diff = x ^ p.check_sum;
                EXPECT_NE(diff, 0u);
                EXPECT_EQ(diff & (diff - 1), 0u);  // exactly one bit
            } else {
                EXPECT_EQ(x, p.check_sum);
            }
            EXPECT_EQ(p.magic == vekfs::kMagicDisk, variant != "magic");
            EXPECT_EQ(p.version, variant == "version-other" ? other : v);
            EXPECT_EQ(p.version_again,
                      variant == "version-other" || variant == "version-mismatch" ? other : v);
            EXPECT_EQ(p.fs_type, variant == "fstype3" ? 3 : variant == "fstype4" ? 4 : 0);
            EXPECT_EQ(p.disk_state, variant == "state3" ? 3 : 0);
            EXPECT_EQ(p.channels, variant == "channels16" ? 16u : 128u);
            EXPECT_EQ(p.part_count, variant == "parts5" ? 5 : 2);
            const char* impossible = vekfs::disk_param_impossible(p, f);
            EXPECT_EQ(impossible != nullptr, variant == "parts5" || variant == "copysize");
            if (variant == "copysize") {
                EXPECT_GT(static_cast<uint64_t>(p.copy_size) * 4, vekfs::kIndexAreaSize);
            }
            // The rest of the disk is a sound image.
            EXPECT_EQ(vekfs::decode_part_info(Copy(img, 0, 0).data()).magic, vekfs::kMagicPart);
        }
    }
}

}  // namespace
}  // namespace vektools
