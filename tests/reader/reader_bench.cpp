// Benchmarks of the reader's index work on a large disk: mounting, one month
// search, the month search over ten years as the recording access library runs
// it, and, for scale, reading the same index bytes raw.
//
// The disk has two partitions of 2,000 files each, one index-only event per file,
// spread over ten years; it lives in memory, so the figures are the reader's own
// cost, not a drive's.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/mem_device.h"
#include "reader/diag.h"
#include "reader/disk_param_io.h"
#include "reader/reader.h"
#include "reader/sector_io.h"
#include "tests/common/reader_profiles.h"
#include "tools/image_builder.h"

namespace {

using namespace vekfs;

constexpr int kFilesPerPartition = 2000;
constexpr int kYears = 10;

struct BigDisk {
    std::shared_ptr<platform::MemDisk> disk;
    vektools::Manifest manifest;
    std::unique_ptr<platform::ScopedMemDisk> reg;
};

vektools::ImageSpec BigSpec(int version) {
    vektools::ImageSpec recipe;
    recipe.scenario = "bench";
    recipe.disk.version = version;
    recipe.disk.channels = 16;
    for (int p = 0; p < 2; p++) {
        vektools::PartitionSpec part;
        part.fileCount = kFilesPerPartition;
        for (int j = 0; j < kFilesPerPartition; j++) {
            vektools::FileSpec file;
            file.position = static_cast<uint16_t>(j);
            file.channel = static_cast<uint8_t>(j % 16);
            // Files follow each other through ten years, a day and a bit apart.
            const int64_t offset = (int64_t{j} * kYears * 365 * 86400) / kFilesPerPartition;
            vektools::EventSpec ev;
            ev.start = vektools::AddSeconds(vektools::Packed(2014, 1, 1, 8, 0, 0), offset + p * 3600);
            ev.end = vektools::AddSeconds(ev.start, 600);
            ev.source = vektools::FrameSource::IndexOnly;
            ev.indexOnlyEntries = 4;
            file.events.push_back(ev);
            part.files.push_back(file);
        }
        recipe.partitions.push_back(part);
    }
    return recipe;
}

BigDisk& Disk(int version) {
    static std::unique_ptr<BigDisk> disks[3];
    auto& slot = disks[version];
    if (!slot) {
        slot = std::make_unique<BigDisk>();
        std::string error;
        vektools::BuildOptions options;
        options.recordFrames = false;
        if (!vektools::BuildImageInMemory(BigSpec(version), &slot->disk, &slot->manifest, &error, options)) {
            std::fprintf(stderr, "cannot build the disk: %s\n", error.c_str());
            std::abort();
        }
        slot->reg =
            std::make_unique<platform::ScopedMemDisk>("bench-v" + std::to_string(version), slot->disk);
    }
    return *slot;
}

void Quiet(const char*, void*) {}

using vektest::ProfileFor;

void BM_Mount(benchmark::State& state) {
    const int version = static_cast<int>(state.range(0));
    BigDisk& d = Disk(version);
    SetDiagSink(Quiet, nullptr);
    for (auto _ : state) {
        Reader reader(ProfileFor(version));
        reader.init(16);
        if (reader.add_disk(0, d.reg->Path().c_str()) != 0)
            state.SkipWithError("mount failed");
    }
}

void BM_MonthSearch(benchmark::State& state) {
    const int version = static_cast<int>(state.range(0));
    BigDisk& d = Disk(version);
    SetDiagSink(Quiet, nullptr);
    Reader reader(ProfileFor(version));
    reader.init(16);
    reader.add_disk(0, d.reg->Path().c_str());
    search_param p;
    p.search_type = kSearchMonth;
    p.channel_mask = 0xffff;
    p.type_mask = 0xffff;
    p.start = p.end = vekfs_time{18, 6, 1, 0, 0, 0, 0};
    uint32_t days[31];
    for (auto _ : state) {
        reader.find_start(&p, days);
        benchmark::DoNotOptimize(days);
    }
}

// January ten years back to this month, one search per month, as the month
// search thread asks; the counter shows index reads per month searched (one
// file table per partition).
void BM_TenYearMonthSweep(benchmark::State& state) {
    const int version = static_cast<int>(state.range(0));
    BigDisk& d = Disk(version);
    SetDiagSink(Quiet, nullptr);
    Reader reader(ProfileFor(version));
    reader.init(16);
    reader.add_disk(0, d.reg->Path().c_str());
    uint32_t days[31];
    uint64_t months = 0;
    d.disk->ClearLog();
    for (auto _ : state) {
        for (int year = 14; year < 14 + kYears; year++) {
            for (int month = 1; month <= 12; month++) {
                search_param p;
                p.search_type = kSearchMonth;
                p.channel_mask = 0xffff;
                p.type_mask = 0xffff;
                p.start = p.end =
                    vekfs_time{static_cast<uint16_t>(year), static_cast<uint8_t>(month), 1, 0, 0, 0, 0};
                reader.find_start(&p, days);
                months++;
            }
        }
    }
    uint64_t reads = 0;
    for (const auto& r : d.disk->Log())
        if (r.op == platform::IoOp::Seek)
            reads++;  // one positioning per index read
    state.counters["reads_per_month"] = static_cast<double>(reads) / static_cast<double>(months);
}

// The same bytes a mount and one month search need, read raw: each partition's
// record and its whole file table from the working copy.
void BM_RawIndexRead(benchmark::State& state) {
    const int version = static_cast<int>(state.range(0));
    BigDisk& d = Disk(version);
    SetDiagSink(Quiet, nullptr);
    const FormatTraits& f = *TraitsForVersion(static_cast<uint32_t>(version));
    const disk_param& param = d.manifest.param;
    const size_t table = kFilesPerPartition * f.fileInfoSize;
    std::vector<uint8_t> buffer(table);
    for (auto _ : state) {
        auto device = platform::OpenRawDevice(d.reg->Path(), platform::DeviceAccess::ReadWrite);
        for (int p = 0; p < param.part_count; p++) {
            const uint64_t copy = param.part_start[static_cast<size_t>(p)];
            pc_read_data(device.get(), buffer.data(), copy, static_cast<int>(kPartInfoSize));
            pc_read_data(device.get(), buffer.data(), copy + param.file_table_offset,
                         static_cast<int>(table));
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * param.part_count *
                            static_cast<int64_t>(table + kPartInfoSize));
}

BENCHMARK(BM_Mount)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthSearch)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenYearMonthSweep)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawIndexRead)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
