// libFuzzer target: mounts, searches and stream-reads mutated recorder disks
// held in memory, in both format versions.
//
// The input picks a base image (a generated scenario, version 1 or 2) and then
// carries patches: each writes a few bytes into one region the reader trusts
// least (the parameter block, the first index copy of a partition, a data file's
// key-frame index, its frames). The reader then mounts the patched disk, runs
// every kind of search, seeks into each event found and reads and steps through
// it. Any crash, sanitizer report or hang is a finding.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "reader/diag.h"
#include "reader/reader.h"
#include "tests/common/fuzz_input.h"
#include "tools/image_scenarios.h"

namespace {

using namespace vekfs;

struct Base {
    vektools::ScenarioImage image;
    bool ok = false;
};

const Base& BaseImage(int scenario, int version) {
    static Base bases[3][2];
    Base& b = bases[scenario][version - 1];
    if (!b.ok) {
        static const char* const kNames[3] = {"damaged-index", "unclean", "basic"};
        std::string error;
        vektools::BuildOptions options;
        options.recordFrames = false;
        b.ok = vektools::BuildScenario(kNames[scenario], "", version, &b.image, &error, options);
        if (!b.ok)
            std::abort();
    }
    return b;
}

using Input = vektest::FuzzInput;

// Byte ranges of the base image the patches aim at.
std::vector<std::pair<uint64_t, uint64_t>> Regions(const vektools::Manifest& m) {
    std::vector<std::pair<uint64_t, uint64_t>> r;
    r.emplace_back(kDiskParamOffset, kDiskParamSize);
    for (const auto& p : m.partitions)
        r.emplace_back(p.copyOffset[0], m.copySize);
    for (const auto& f : m.files) {
        r.emplace_back(f.base + kDataFileSize - 64 * 1024, 64 * 1024);  // top of the key-frame index
        r.emplace_back(f.base, 64 * 1024);                              // entry copy and first frames
    }
    return r;
}

void Exercise(Reader& reader, const vektools::Manifest& m) {
    std::vector<uint8_t> block(0x50000);
    for (size_t e = 0; e < m.events.size() && e < 3; e++) {
        const vekfs_time day = unpack_time(m.events[e].start);
        search_param p;
        p.channel_mask = 0xffffffffu;
        p.type_mask = 0xffffffffu;
        p.start = p.end = day;
        p.start.hour = p.start.minute = p.start.second = 0;
        p.end.hour = 23;
        p.end.minute = p.end.second = 59;

        uint32_t words[48];
        p.search_type = kSearchMonth;
        reader.find_start(&p, words);
        p.search_type = kSearchHalfHour;
        reader.find_start(&p, words);

        p.search_type = kSearchPerChannel;
        const int handle = reader.find_start(&p, nullptr);
        if (handle < 0)
            continue;
        for (int ch = 0; ch < reader.max_channels(); ch++) {
            event_list list;
            if (reader.get_event(handle, ch, &list) != 0)
                continue;
            for (int i = 0; i < list.count && i < 2; i++) {
                const int slot = reader.read_start(ch);
                if (slot < 0)
                    break;
                vekfs_time t = list.events[i].start;
                int first = 0;
                if (reader.tseek(slot, &t, 0, 1, &list.events[i]) == 0) {
                    for (int n = 0; n < 2 && reader.read(slot, block.data(), 0x50000, &first) > 0; n++) {
                    }
                    reader.get_next_kframe(slot, block.data(), 4096, &first, 1);
                    reader.get_prev_kframe(slot, block.data(), 4096, &first, 2);
                    reader.get_current_kframe(slot, block.data(), 4096, &first);
                }
                t = list.events[i].end;
                reader.tseek(slot, &t, 1, 1, &list.events[i]);
                reader.read_stop(slot);
            }
        }
        reader.find_stop(handle);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetDiagEnabled(false);
    Input in(data, size);
    const uint8_t pick = in.U8();
    const int version = (pick & 1) + 1;
    const int scenario = (pick >> 1) % 3;
    const Base& base = BaseImage(scenario, version);

    auto disk = base.image.disk->Clone();
    const auto regions = Regions(base.image.manifest);
    for (int patches = 0; !in.Empty() && patches < 64; patches++) {
        const auto& [start, length] = regions[in.U8() % regions.size()];
        const uint64_t at = start + in.U32() % length;
        uint8_t bytes[8];
        const size_t n = 1 + in.U8() % sizeof bytes;
        for (size_t i = 0; i < n; i++)
            bytes[i] = in.U8();
        disk->Poke(at, bytes, n);
    }

    platform::ScopedMemDisk reg("fuzz", disk);
    Reader reader(version == 1 ? kReaderV1 : kReaderV2);
    reader.init(16);
    if (reader.add_disk(0, reg.Path().c_str()) == 0) {
        Exercise(reader, base.image.manifest);
        reader.remove_disk(0);
    }
    return 0;
}
