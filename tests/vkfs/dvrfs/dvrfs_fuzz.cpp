// libFuzzer target: the dvrfs reader mounts and walks mutated disks written
// by mkdvrfs.
//
// One disk is built once (three channels over two days, a chain of several
// day_channel links, a recording running from one block into the next). The
// input carries patches, each aimed at one structure the reader trusts: the
// format block, the stat block and data info header, a channel's month index,
// a day_channel link, a per-second index sector, a bitmap sector, the first
// data sector of a recording. Words get values that matter to the reader
// (0, all ones, counts around their limits, sector numbers nearby) or the
// input's own. The reader then starts, mounts the disk, runs month and range
// finds on every channel, seeks into what it finds and reads on; then it
// closes, removes and stops. The patches are undone after each input.
//
// Checked besides crashes and sanitizer reports: every call ends; stopping
// succeeds, with no raw device and no cached sector left behind.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/le_bytes.h"
#include "platform/mem_device.h"
#include "tests/common/fuzz_input.h"
#include "tools/mkdvrfs/dvrfs_image.h"
#include "vkfs/dvrfs/layout.h"
#include "vkfs/dvrfs/library.h"
#include "vkfs/dvrfs/log.h"
#include "vkfs/dvrfs/raw_disk.h"
#include "vkfs/dvrfs_entry.h"

namespace {

namespace df = vkfs::dvrfs;

constexpr char kName[] = "dvrfs-fuzz";
constexpr int kChannels = 4;
constexpr int kReadLength = 0x10000;

using Input = vektest::FuzzInput;

constexpr auto Check = vektest::FuzzCheck;

struct Base {
    std::shared_ptr<platform::MemDisk> disk;
    vektools::DvrfsImage facts;
    std::vector<uint64_t> sectors;  // partition-relative sectors worth patching
};

vektools::DvrfsRecipe Recipe() {
    vektools::DvrfsRecipe r;
    r.stream.fps = 4;
    r.stream.gop = 4;
    r.stream.iMin = 600, r.stream.iMax = 1500;
    r.stream.pMin = 100, r.stream.pMax = 400;
    r.entriesPerLink = 3;
    r.indexChannels = kChannels;
    uint32_t seed = 3;
    const auto add = [&](int channel, int day, uint32_t start, uint32_t seconds) {
        vektools::DvrfsRecording rec;
        rec.channel = channel;
        rec.day = day;
        rec.start = start;
        rec.seconds = seconds;
        rec.seed = seed++;
        rec.types = 1u << (seed % 3);
        rec.classByte = static_cast<uint8_t>(seed % 2);
        r.recordings.push_back(rec);
    };
    for (uint32_t k = 0; k < 7; k++)
        add(0, 6, 36000 + k * 100, 8);
    add(0, 7, 36000, 6);
    add(1, 6, 40000, 12);
    r.recordings.back().blockOffset = static_cast<uint32_t>(df::kBlockSectors - 20);
    add(1, 6, 41000, 6);
    add(2, 7, 50000, 5);
    return r;
}

const Base& TheBase() {
    static Base base = [] {
        Base b;
        std::string error;
        if (!vektools::BuildDvrfsInMemory(Recipe(), &b.disk, &b.facts, &error))
            std::abort();
        const std::vector<uint64_t> fixed = {0, 8, 9};
        b.sectors = fixed;
        for (uint64_t s = 16; s < 16 + 7 * kChannels; s++)
            b.sectors.push_back(s);
        for (const auto& f : b.facts.recordings) {
            b.sectors.push_back(f.link);
            b.sectors.push_back(f.firstSector);
            for (uint32_t block : f.blocks)
                b.sectors.push_back(df::BitmapSector(b.facts.bitmapBase, block));
            // The per-second index sector of the recording's start, from the
            // first link of its day (the previous links, when there are any).
            uint32_t first = f.link;
            for (int guard = 0; guard < 8; guard++) {
                uint8_t s[512];
                b.disk->Peek(uint64_t{first} * 512, s, sizeof s);
                const uint32_t prev = df::DecodeDayChannel(s).prev;
                if (prev == 0) {
                    const uint32_t index = df::DecodeDayChannel(s).secondIndex;
                    const uint32_t e =
                        static_cast<uint32_t>(f.start[3] * 3600 + f.start[4] * 60 + f.start[5]);
                    b.sectors.push_back(uint64_t{index} + df::SecondEntrySector(e));
                    break;
                }
                first = prev;
            }
        }
        return b;
    }();
    return base;
}

// Patches the base, remembering what was there.
struct Patch {
    uint64_t offset;
    std::vector<uint8_t> old;
};

uint32_t InterestingWord(Input& in, const Base& b) {
    switch (in.U8() % 10) {
        case 0:
            return 0;
        case 1:
            return 0xFFFFFFFFu;
        case 2:
            return 11 + in.U8() % 4;  // around the entry and month limits
        case 3:
            return in.U8();
        case 4:
            return b.facts.dataBase + in.U32() % (4 * df::kBlockSectors);
        case 5:
            return static_cast<uint32_t>(b.sectors[in.U8() % b.sectors.size()] + in.U8() % 3);
        case 6:
            return df::PackTime(in.U8() % 26, in.U8() % 61, in.U8() % 61);
        default:
            return in.U32();
    }
}

std::vector<Patch> ApplyPatches(Input& in, const Base& b) {
    std::vector<Patch> patches;
    for (int n = 1 + in.U8() % 12; n > 0 && !in.Empty(); n--) {
        const uint64_t sector = b.sectors[in.U16() % b.sectors.size()];
        const uint64_t offset = (sector + b.facts.partitionOffset) * 512 + in.U16() % 509;
        Patch p{offset, b.disk->Bytes(offset, 4)};
        uint8_t bytes[4];
        if (in.U8() % 3 == 0) {
            for (uint8_t& x : bytes)
                x = in.U8();
        } else {
            platform::PutU32(bytes, InterestingWord(in, b));
        }
        b.disk->Poke(offset, bytes, sizeof bytes);
        patches.push_back(std::move(p));
    }
    return patches;
}

void Undo(const std::vector<Patch>& patches, const Base& b) {
    for (auto it = patches.rbegin(); it != patches.rend(); ++it)
        b.disk->Poke(it->offset, it->old.data(), 4);
}

void ReadRecord(int h, const vkfs::dvrfs_find_result& r, int secondsIn, std::vector<uint8_t>& buffer) {
    int t[6];
    std::memcpy(t, r.start, sizeof t);
    const int at = t[3] * 3600 + t[4] * 60 + t[5] + secondsIn;
    if (at < 86400) {
        t[3] = at / 3600, t[4] = at / 60 % 60, t[5] = at % 60;
    }
    if (dvrfs_tseek(static_cast<unsigned>(h), t, secondsIn % 2, 1 + secondsIn % 3, &r) != 0)
        return;
    for (int n = 0; n < 8; n++)
        if (dvrfs_read(h, buffer.data(), kReadLength, nullptr) <= 0)
            break;
}

void Walk(int channel, std::vector<uint8_t>& buffer) {
    const int h = dvrfs_open(channel, 0);
    Check(h >= 0);
    const auto u = static_cast<unsigned>(h);
    vkfs::dvrfs_find_query month;
    month.kind = vkfs::kDvrfsFindMonth;
    const int32_t from[6] = {24, 1, 1, 0, 0, 0}, to[6] = {24, 12, 31, 23, 59, 59};
    std::memcpy(month.start, from, sizeof from);
    std::memcpy(month.end, to, sizeof to);
    vkfs::dvrfs_month_result m;
    int rc = dvrfs_find_start(u, &month, &m, 0);
    for (int n = 0; n < 16 && (rc == 0 || rc == vkfs::kDvrfsIndexChanged); n++)
        rc = dvrfs_find_next(u, &m);
    dvrfs_find_stop(u);

    vkfs::dvrfs_find_query range;
    const int32_t start[6] = {24, 5, 6, 0, 0, 0}, end[6] = {24, 5, 7, 23, 59, 59};
    std::memcpy(range.start, start, sizeof start);
    std::memcpy(range.end, end, sizeof end);
    vkfs::dvrfs_find_result r;
    rc = dvrfs_find_start(u, &range, &r, 0);
    for (int n = 0; n < 24 && (rc == 0 || rc == vkfs::kDvrfsIndexChanged); n++) {
        ReadRecord(h, r, n % 4, buffer);
        rc = dvrfs_find_next(u, &r);
    }
    Check(dvrfs_close(h, 0) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = [] {
        df::SetLogPath("");
        df::SetConsoleSink([](const char*, void*) {}, nullptr);
        return true;
    }();
    (void)quiet;
    const Base& b = TheBase();
    Input in(data, size);
    const std::vector<Patch> patches = ApplyPatches(in, b);
    static std::vector<uint8_t> buffer(kReadLength);
    {
        platform::ScopedMemDisk device(kName, b.disk);
        const std::string path = device.Path();
        Check(dvrfs_init(kChannels, 8, 0) == 0);
        if (dvrfs_add_disk(path.c_str()) == 0) {
            for (int channel = 0; channel < kChannels; channel++)
                Walk(channel, buffer);
            Check(dvrfs_remove_disk(path.c_str(), 0, 0) == 0);
        }
        Check(df::CacheMemoryInUse() == 0);
        Check(dvrfs_exit(0) == 0);
        Check(df::RawHandlesInUse() == 0);
    }
    Undo(patches, b);
    b.disk->ClearLog();  // the in-memory disk logs every call
    return 0;
}
