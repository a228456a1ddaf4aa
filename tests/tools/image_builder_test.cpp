// tests/tools/image_builder_test.cpp
//
// The image builder on a small hand-written recipe: every derived record checked
// against values worked out by hand, the self-check shown to catch each kind of
// fault, and the two sinks (in-memory disk, sparse file).
#include "tools/image_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include "media/frame_header.h"
#include "platform/le_bytes.h"
#include "platform/raw_device.h"
#include "reader/format.h"
#include "tests/common/built_images.h"
#include "tests/common/format_versions.h"
#include "tests/common/reader_profiles.h"
#include "tests/common/temp_image.h"
#include "tools/image_check.h"

namespace vektools {
namespace {

using vekfs::kDataFileSize;

constexpr uint64_t kPart0 = kMiB;
constexpr uint64_t kFile0 = kPart0 + 2 * kDataFileSize;  // data file at table position 0
constexpr uint64_t kFile2 = kPart0 + 4 * kDataFileSize;

using vektest::TraitsFor;

StreamParams Small() {
    StreamParams sp;
    sp.fps = 5;
    sp.gop = 5;
    sp.iMin = 100, sp.iMax = 200;
    sp.pMin = 10, sp.pMax = 30;
    return sp;
}

EventSpec Event(vekfs::packed_time start, int seconds, uint32_t typeBits) {
    EventSpec e;
    e.start = start;
    e.end = AddSeconds(start, seconds);
    e.typeBits = typeBits;
    e.stream = Small();
    return e;
}

// One partition of three entries: a closed file at 0 (channel 1, two events of
// three key frames each), a free entry at 1, and at 2 an open file (channel 3)
// with a closed event and an "EvWr".
ImageSpec SmallSpec(int version) {
    ImageSpec s;
    s.seed = 3;
    s.disk.version = version;
    PartitionSpec p;
    p.fileCount = 3;
    FileSpec f0;
    f0.position = 0;
    f0.channel = 1;
    f0.events = {Event(Packed(2024, 5, 1, 10, 0, 0), 3, 0x1), Event(Packed(2024, 5, 7, 10, 0, 0), 3, 0x6)};
    FileSpec f2;
    f2.position = 2;
    f2.channel = 3;
    f2.state = vekfs::kFileWriting;
    EventSpec w = Event(Packed(2024, 5, 2, 8, 1, 0), 2, 0x1);
    w.state = EventState::Writing;
    f2.events = {Event(Packed(2024, 5, 2, 8, 0, 0), 2, 0x1), w};
    p.files = {f0, f2};
    s.partitions = {p};
    return s;
}

using Built = vektest::BuiltImage;
using vektest::MakeImage;

uint32_t U32At(const platform::MemDisk& d, uint64_t at) {
    uint8_t b[4];
    d.Peek(at, b, 4);
    return platform::GetU32(b);
}

class SmallImage : public ::testing::TestWithParam<int> {};

TEST_P(SmallImage, RecordsAreWhatTheRecorderWrites) {
    const int v = GetParam();
    const vekfs::FormatTraits& f = TraitsFor(v);
    const Built b = MakeImage(SmallSpec(v));
    ASSERT_TRUE(b.disk);
    const platform::MemDisk& d = *b.disk;
    EXPECT_EQ(d.Size(), kPart0 + 5 * kDataFileSize);

    // Sector 0: MBR entry and signature around the parameter block.
    const std::vector<uint8_t> s0 = d.Bytes(0, 512);
    EXPECT_EQ(s0[510], 0x55);
    EXPECT_EQ(s0[511], 0xAA);
    EXPECT_EQ(s0[446 + 4], 0xDA);
    EXPECT_EQ(platform::GetU32(&s0[446 + 8]), 2048u);
    EXPECT_EQ(std::string(s0.begin() + 256, s0.begin() + 260), "Vkfs");
    const vekfs::disk_param p = vekfs::decode_disk_param(&s0[256]);
    EXPECT_EQ(p.version, v);
    EXPECT_EQ(p.version_again, v);
    EXPECT_EQ(p.check_sum, vekfs::disk_param_xor(&s0[256]));
    EXPECT_EQ(p.part_count, 1);
    EXPECT_EQ(p.part_start[0], kPart0);
    EXPECT_EQ(p.file_table_offset, 512u);
    EXPECT_EQ(p.event_area_offset, 4096u);
    EXPECT_EQ(p.copy_size, kMiB);
    EXPECT_EQ(p.valid_bits[0], 0x0F);
    EXPECT_EQ(p.valid_bits[1], 0);
    EXPECT_EQ(p.capacity, 1u + 5 * 256);
    EXPECT_EQ(p.channels, 128u);
    EXPECT_EQ(vekfs::disk_param_impossible(p, f), nullptr);

    // Four identical index copies.
    const size_t used = 4096 + 3 * f.EventBlockSize();
    const std::vector<uint8_t> copy = d.Bytes(kPart0, used);
    for (int k = 1; k < 4; k++)
        EXPECT_EQ(d.Bytes(kPart0 + k * kMiB, used), copy) << "copy " << k;

    const vekfs::part_info part = vekfs::decode_part_info(copy.data());
    EXPECT_EQ(part.magic, vekfs::kMagicPart);
    EXPECT_EQ(part.file_count, 3);
    EXPECT_EQ(part.free_count, 1);
    EXPECT_EQ(part.repair_flag, 0);
    EXPECT_EQ(part.type0_start, Packed(2024, 5, 1, 10, 0, 0));
    EXPECT_EQ(part.type0_end, Packed(2024, 5, 7, 10, 0, 3));
    EXPECT_EQ(part.type1_start, 0u);

    // The closed file: two events of three key frames (5 fps, GOP 5, 3 s).
    const vekfs::file_info e0 = vekfs::decode_file_info(&copy[512], f);
    EXPECT_EQ(e0.number, 1);
    EXPECT_EQ(e0.state, vekfs::kFileClosed);
    EXPECT_EQ(e0.channel, 1);
    EXPECT_EQ(e0.event_count, 2);
    EXPECT_EQ(e0.end_sequence, 1u);
    EXPECT_EQ(e0.start, Packed(2024, 5, 1, 10, 0, 0));
    EXPECT_EQ(e0.end, Packed(2024, 5, 7, 10, 0, 3));
    EXPECT_EQ(e0.index_end, kDataFileSize - 6 * 16);
    EXPECT_EQ(e0.day_bitmap[0], 0x1u);   // day 1, type bit 0
    EXPECT_EQ(e0.day_bitmap[1], 0x40u);  // day 7, type bits 1 and 2
    EXPECT_EQ(e0.day_bitmap[2], 0x40u);
    EXPECT_EQ(e0.day_bitmap[3], 0u);
    EXPECT_EQ(d.Bytes(kFile0, f.fileInfoSize),
              std::vector<uint8_t>(copy.begin() + 512, copy.begin() + 512 + f.fileInfoSize));

    const vekfs::file_info free = vekfs::decode_file_info(&copy[512 + f.fileInfoSize], f);
    EXPECT_EQ(free.magic, vekfs::kMagicFile);
    EXPECT_EQ(free.number, 2);
    EXPECT_EQ(free.state, vekfs::kFileFree);

    const uint8_t* block0 = &copy[4096];
    const vekfs::pevent_info ev0 = vekfs::decode_pevent_info(block0, f);
    const vekfs::pevent_info ev1 = vekfs::decode_pevent_info(block0 + f.eventSize, f);
    EXPECT_EQ(ev0.magic, vekfs::kMagicEvent);
    EXPECT_EQ(ev0.number, 1);
    EXPECT_EQ(ev0.data_start, kFirstDataStart);
    EXPECT_NE(ev0.data_start % 1024, 0u);
    EXPECT_EQ(ev0.index_start, kDataFileSize);
    EXPECT_EQ(ev0.index_end, kDataFileSize - 48);
    EXPECT_EQ(ev0.end, Packed(2024, 5, 1, 10, 0, 3));
    EXPECT_EQ(ev1.number, 2);
    EXPECT_EQ(ev1.data_start, ev0.data_start + ev0.data_length);
    EXPECT_EQ(ev1.index_start, ev0.index_end);
    EXPECT_EQ(ev1.index_end, kDataFileSize - 96);
    EXPECT_EQ(ev1.type_bits, 0x6u);
    EXPECT_EQ(e0.data_end, ev1.data_start + ev1.data_length);
    EXPECT_EQ(vekfs::decode_pevent_info(block0 + 2 * f.eventSize, f).magic, 0u);

    // Key-frame entries from the top down; frames 0, 5 and 10 of the first event.
    for (int k = 0; k < 3; k++) {
        const vekfs::kframe_entry ke =
            vekfs::decode_kframe_entry(d.Bytes(kFile0 + kDataFileSize - 16 * (k + 1), 16).data());
        const media::frame_header h = media::decode_frame_header(d.Bytes(kFile0 + ke.offset, 40).data());
        EXPECT_EQ(ke.marker, 0u);
        EXPECT_EQ(ke.time, Packed(2024, 5, 1, 10, 0, k));
        EXPECT_EQ(h.magic, media::kMagicFrame);
        EXPECT_EQ(h.type, 'I');
        EXPECT_EQ(h.channel, 1);
        EXPECT_EQ(ke.length, 40 + h.size);
        EXPECT_EQ(h.time_us, static_cast<uint64_t>(vekfs::packed_to_unix_seconds(ke.time)) * 1000000);
        if (k == 0) {
            EXPECT_EQ(ke.offset, kFirstDataStart);
        }
    }
    EXPECT_EQ(U32At(d, kFile0 + kDataFileSize - 7 * 16), vekfs::kMagicIend);

    // The open file: its entry tells the closed event only; the "EvWr" keeps
    // its end fields zero, and "Iend" lies below its two entries.
    const vekfs::file_info e2 = vekfs::decode_file_info(&copy[512 + 2 * f.fileInfoSize], f);
    EXPECT_EQ(e2.state, vekfs::kFileWriting);
    EXPECT_EQ(e2.end_sequence, vekfs::kOpenEndSequence);
    EXPECT_EQ(e2.event_count, 1);
    EXPECT_EQ(e2.end, Packed(2024, 5, 2, 8, 0, 2));
    const uint8_t* block2 = &copy[4096 + 2 * f.EventBlockSize()];
    const vekfs::pevent_info w = vekfs::decode_pevent_info(block2 + f.eventSize, f);
    EXPECT_EQ(w.magic, vekfs::kMagicEventWriting);
    EXPECT_EQ(w.start, Packed(2024, 5, 2, 8, 1, 0));
    EXPECT_EQ(w.index_start, kDataFileSize - 32);
    EXPECT_EQ(w.end, 0u);
    EXPECT_EQ(w.data_length, 0u);
    EXPECT_EQ(w.index_end, 0u);
    EXPECT_EQ(U32At(d, kFile2 + kDataFileSize - 5 * 16), vekfs::kMagicIend);
    const EventFact* wf = b.manifest.FindEvent(0, 2, 1);
    ASSERT_NE(wf, nullptr);
    EXPECT_EQ(wf->trueIndexEnd, kDataFileSize - 64);
    EXPECT_EQ(wf->trueEnd, Packed(2024, 5, 2, 8, 1, 2));
    EXPECT_EQ(b.manifest.FindFile(0, 2)->iendAt, static_cast<int64_t>(kDataFileSize - 80));

    EXPECT_TRUE(SelfCheck(MemDiskSource(b.disk), b.manifest).empty());
}

TEST_P(SmallImage, SelfCheckFindsEachKindOfFault) {
    const int v = GetParam();
    const vekfs::FormatTraits& f = TraitsFor(v);
    const Built b = MakeImage(SmallSpec(v));
    const EventFact* ev1 = b.manifest.FindEvent(0, 0, 1);
    ASSERT_NE(ev1, nullptr);
    const uint32_t keyOffset = ev1->kframes[1].frameOffset;

    struct Fault {
        const char* tag;
        std::function<void(platform::MemDisk&)> apply;
    };
    const auto everyCopy = [](platform::MemDisk& d, uint64_t inCopy, uint8_t value) {
        for (int k = 0; k < 4; k++)
            d.Poke(kPart0 + k * kMiB + inCopy, &value, 1);
    };
    const std::vector<Fault> faults = {
        {"param.xor", [](platform::MemDisk& d) { d.Poke(256 + 124, "\x01", 1); }},
        {"p0.copy1.differs", [&](platform::MemDisk& d) { d.Poke(kPart0 + kMiB + 512 + 9, "\x07", 1); }},
        {"p0.copy0.part_magic", [](platform::MemDisk& d) { d.Poke(kPart0, "part", 4); }},
        {"p0.part_info", [&](platform::MemDisk& d) { everyCopy(d, 6, 2); }},
        {"p0.f0.entry_copy", [](platform::MemDisk& d) { d.Poke(kFile0 + 9, "\x07", 1); }},
        {"p0.f0.entry",
         [&](platform::MemDisk& d) {
             everyCopy(d, 512 + 6, 3);  // event count
             d.Poke(kFile0 + 6, "\x03", 1);
         }},
        {"p0.f0.iend", [](platform::MemDisk& d) { d.Poke(kFile0 + kDataFileSize - 7 * 16, "\0\0\0\0", 4); }},
        {"p0.f0.e1.kframes", [&](platform::MemDisk& d) { d.Poke(kFile0 + keyOffset + 4, "P", 1); }},
        {"p0.f0.e1.frames", [&](platform::MemDisk& d) { d.Poke(kFile0 + keyOffset, "XXXX", 4); }},
        {"p0.f0.e1.number", [&](platform::MemDisk& d) { everyCopy(d, 4096 + f.eventSize + 20, 5); }},
        {"p0.f0.e1.chain", [&](platform::MemDisk& d) { everyCopy(d, 4096 + f.eventSize + 12, 0x10); }},
        {"p0.f2.e1.stale",
         [&](platform::MemDisk& d) {
             everyCopy(d, 4096 + 2 * f.EventBlockSize() + f.eventSize + (v == 1 ? 28 : 32), 9);
         }},
        {"p0.f2.e1.no_iend",
         [](platform::MemDisk& d) { d.Poke(kFile2 + kDataFileSize - 5 * 16, "\0\0\0\0", 4); }},
    };
    for (const Fault& fault : faults) {
        std::shared_ptr<platform::MemDisk> copy = b.disk->Clone();
        fault.apply(*copy);
        const std::vector<std::string> lines = SelfCheck(MemDiskSource(copy), b.manifest);
        bool found = false;
        for (const std::string& l : lines)
            found |= l.rfind(std::string("unexpected ") + fault.tag + ":", 0) == 0;
        std::ostringstream all;
        for (const std::string& l : lines)
            all << "\n  " << l;
        EXPECT_TRUE(found) << fault.tag << " not reported; got:" << all.str();
    }
}

TEST_P(SmallImage, SameSpecSameImage) {
    const ImageSpec recipe = SmallSpec(GetParam());
    const Built a = MakeImage(recipe);
    const Built b = MakeImage(recipe);
    std::ostringstream ta, tb;
    WriteManifestText(ta, a.manifest);
    WriteManifestText(tb, b.manifest);
    EXPECT_EQ(ta.str(), tb.str());
    EXPECT_EQ(a.disk->Bytes(0, 512), b.disk->Bytes(0, 512));
    for (const EventFact& e : a.manifest.events) {
        const uint64_t base = a.manifest.FindFile(e.partition, e.filePosition)->base;
        EXPECT_EQ(a.disk->Bytes(base + e.dataStart, e.trueDataLength),
                  b.disk->Bytes(base + e.dataStart, e.trueDataLength));
    }
}

VEK_INSTANTIATE_FOR_BOTH_FORMATS(SmallImage);

TEST(ImageBuilder, RefusesSpecsItCannotLayOut) {
    struct Case {
        const char* what;
        std::function<void(ImageSpec&)> change;
    };
    const std::vector<Case> cases = {
        {"version 3", [](ImageSpec& s) { s.disk.version = 3; }},
        {"position past the table", [](ImageSpec& s) { s.partitions[0].files[1].position = 3; }},
        {"position used twice", [](ImageSpec& s) { s.partitions[0].files[1].position = 0; }},
        {"complete event without key frame",
         [](ImageSpec& s) { s.partitions[0].files[0].events[0].stream.leadingP = 1000; }},
        {"frames into the index",
         [](ImageSpec& s) {
             s.partitions[0].files[0].firstDataStart = static_cast<uint32_t>(kDataFileSize - 1024);
         }},
        {"five partitions", [](ImageSpec& s) { s.partitions.resize(5, s.partitions[0]); }},
        {"copies past 512 MB", [](ImageSpec& s) { s.disk.copySize = 0x8000000 + 4096; }},
    };
    for (const Case& c : cases) {
        ImageSpec recipe = SmallSpec(2);
        c.change(recipe);
        std::shared_ptr<platform::MemDisk> disk;
        std::string error;
        EXPECT_FALSE(BuildImageInMemory(recipe, &disk, nullptr, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

// Bytes the file takes on its medium.
uint64_t AllocatedBytes(const std::string& path) {
#ifdef _WIN32
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    FILE_STANDARD_INFO info{};
    EXPECT_TRUE(GetFileInformationByHandleEx(h, FileStandardInfo, &info, sizeof info));
    CloseHandle(h);
    return static_cast<uint64_t>(info.AllocationSize.QuadPart);
#else
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0);
    return static_cast<uint64_t>(st.st_blocks) * 512;
#endif
}

TEST(ImageBuilder, SparseFileHoldsOnlyWhatWasWritten) {
    const vektest::TempImage file(0);
    const std::filesystem::path path = file.Path();
    const ImageSpec recipe = SmallSpec(2);
    Manifest manifest;
    std::string error;
    {
        FileSink sink(path.string());
        ASSERT_TRUE(BuildImage(recipe, sink, &manifest, &error)) << error;
    }
    EXPECT_EQ(std::filesystem::file_size(path), kPart0 + 5 * kDataFileSize);
    EXPECT_LT(AllocatedBytes(path.string()), 16 * kMiB);

    {
        const std::unique_ptr<FileSource> image = FileSource::Open(path.string(), &error);
        ASSERT_TRUE(image) << error;
        uint8_t magic[4];
        ASSERT_TRUE(image->ReadAt(256, magic, 4));
        EXPECT_EQ(std::string(magic, magic + 4), "Vkfs");
        EXPECT_TRUE(SelfCheck(*image, manifest).empty());
    }

    // The same image through the system's raw device, as the reader opens it.
    std::unique_ptr<platform::RawDevice> dev =
        platform::OpenRawDevice(path.string(), platform::DeviceAccess::ReadOnly, &error);
    ASSERT_TRUE(dev) << error;
    std::vector<uint8_t> sector(512);
    ASSERT_TRUE(dev->ReadAt(0, sector.data(), sector.size())) << dev->LastError();
    EXPECT_EQ(vekfs::decode_disk_param(&sector[256]).magic, vekfs::kMagicDisk);
    dev.reset();
}

TEST(ImageBuilder, InMemoryImageOpensThroughTheDeviceRegistry) {
    const Built b = MakeImage(SmallSpec(1));
    platform::ScopedMemDisk registered("tools_small_v1", b.disk);
    std::string error;
    std::unique_ptr<platform::RawDevice> dev =
        platform::OpenRawDevice(registered.Path(), platform::DeviceAccess::ReadOnly, &error);
    ASSERT_TRUE(dev) << error;
    std::vector<uint8_t> sectors(1024);
    ASSERT_TRUE(dev->ReadAt(kFile0 + kDataFileSize - 1024, sectors.data(), sectors.size()));
    EXPECT_EQ(platform::GetU32(&sectors[1024 - 7 * 16]), vekfs::kMagicIend);
}

}  // namespace
}  // namespace vektools
