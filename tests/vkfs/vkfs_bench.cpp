// Play throughput: FSPlay delivering the frames of a generated 2 GB recorder
// day, next to reading the same bytes raw through the platform layer, and four
// slots playing at once.
//
// The day: one channel, nine data files of one event each, 25 fps video at
// about 4 Mbit/s (key frames 60-100 KB, P frames 12-20 KB), about 2 GB of
// frames in all. It is written once as a sparse image file (format 2) under
// $VEK_BENCH_DIR (default /tmp) and kept for later runs; every benchmark reads
// it through the page cache after one warm-up pass, so the figures compare the
// play path with the raw reads rather than with the drive.
//
// Counters: bytes_per_second and items_per_second (frames) per benchmark;
// "of_raw" the share of the raw read rate FSPlay reaches (target 0.8);
// "x_realtime" how many times faster than a 4 Mbit/s channel the slowest of
// four slots plays (target 16).
#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/raw_device.h"
#include "reader/diag.h"
#include "reader/format.h"
#include "tools/image_builder.h"
#include "tools/image_sink.h"
#include "vkfs/vkfs_api.h"

namespace {

constexpr int kFiles = 9;
constexpr int kEventSeconds = 500;
constexpr uint8_t kChannel = 1;
constexpr double kChannelBytesPerSecond = 4e6 / 8;  // 4 Mbit/s
constexpr size_t kBlock = 0x50000;

vektools::ImageSpec DaySpec() {
    vektools::ImageSpec recipe;
    recipe.scenario = "vkfs-bench-day";
    recipe.disk.version = 2;
    vektools::StreamParams video;
    video.fps = 25;
    video.gop = 25;
    video.iMin = 60000, video.iMax = 100000;
    video.pMin = 12000, video.pMax = 20000;
    vektools::PartitionSpec part;
    part.fileCount = kFiles;
    for (int f = 0; f < kFiles; f++) {
        vektools::FileSpec file;
        file.position = static_cast<uint16_t>(f);
        file.channel = kChannel;
        vektools::EventSpec ev;
        ev.start = vektools::Packed(2024, 6, 1, 8 + f, 0, 0);
        ev.end = vektools::AddSeconds(ev.start, kEventSeconds);
        ev.stream = video;
        file.events.push_back(ev);
        part.files.push_back(file);
    }
    recipe.partitions.push_back(part);
    return recipe;
}

struct Day {
    std::string path;
    vektools::Manifest manifest;
};

const Day& TheDay() {
    static std::unique_ptr<Day> day;
    if (day)
        return *day;
    day = std::make_unique<Day>();
    const char* dir = std::getenv("VEK_BENCH_DIR");
    day->path = std::string(dir ? dir : "/tmp") + "/vkfs-bench-day-v2.img";
    vektools::NullSink plan;
    std::string error;
    vektools::BuildOptions options;
    options.recordFrames = false;
    // The manifest alone first: it tells whether an image left by an earlier
    // run is this one.
    if (!vektools::BuildImage(DaySpec(), plan, &day->manifest, &error, options)) {
        std::fprintf(stderr, "planning the day: %s\n", error.c_str());
        std::abort();
    }
    struct stat st {};
    const std::string stamp = day->path + ".ok";
    if (stat(day->path.c_str(), &st) != 0 || static_cast<uint64_t>(st.st_size) != day->manifest.deviceSize ||
        stat(stamp.c_str(), &st) != 0) {
        std::fprintf(stderr, "writing %s ...\n", day->path.c_str());
        vektools::FileSink sink(day->path);
        if (!vektools::BuildImage(DaySpec(), sink, nullptr, &error, options)) {
            std::fprintf(stderr, "writing the day: %s\n", error.c_str());
            std::abort();
        }
        if (std::FILE* f = std::fopen(stamp.c_str(), "w"))
            std::fclose(f);
    }
    return *day;
}

// Reads every event's data raw, in play-sized blocks; returns the bytes read.
uint64_t ReadRaw(const Day& day) {
    std::string error;
    auto device = platform::OpenRawDevice(day.path, platform::DeviceAccess::ReadOnly, &error);
    if (!device) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    std::vector<uint8_t> block(kBlock);
    uint64_t total = 0;
    for (const auto& e : day.manifest.events) {
        const auto* file = day.manifest.FindFile(e.partition, e.filePosition);
        uint64_t at = e.kframes.front().frameOffset / 1024 * 1024;
        const uint64_t end = e.dataStart + e.dataLength;
        while (at < end) {
            if (!device->ReadAt(file->base + at, block.data(), kBlock))
                std::abort();
            const uint64_t n = std::min<uint64_t>(kBlock, end - at);
            benchmark::DoNotOptimize(block.data());
            total += n;
            at += n;
        }
    }
    return total;
}

// Counts what one play slot delivers, until its end mark.
struct SlotCount {
    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> frames{0};
    std::chrono::steady_clock::time_point ended;
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;

    static int VEK_CALL OnData(uintptr_t user, unsigned char* data, int length) {
        auto* c = reinterpret_cast<SlotCount*>(user);
        if (!data || length <= 0) {
            std::lock_guard<std::mutex> hold(c->lock);
            c->ended = std::chrono::steady_clock::now();
            c->finished = true;
            c->done.notify_all();
            return 1;
        }
        c->bytes.fetch_add(static_cast<uint64_t>(length), std::memory_order_relaxed);
        c->frames.fetch_add(1, std::memory_order_relaxed);
        return 1;
    }
    void Wait() {
        std::unique_lock<std::mutex> hold(lock);
        done.wait(hold, [&] { return finished; });
    }
};

int VEK_CALL DayDone(FSReaderKind, void* record, FSPlayParam* param) {
    if (!record)
        static_cast<std::atomic<bool>*>(param->user)->store(true);
    return 1;
}

// Opens the day, searches it with `slots` slots on the channel, plays every
// slot to its end; returns the seconds each slot took.
std::vector<double> PlayDay(const Day& day, int slots, std::vector<std::unique_ptr<SlotCount>>* counts) {
    const FSDiskHandle disk = FSAddDisk(nullptr, 128, 0, day.path.c_str(), nullptr);
    if (!disk)
        std::abort();
    int channels[4] = {-1, -1, -1, -1};
    for (int s = 0; s < slots; s++)
        channels[s] = kChannel;
    std::atomic<bool> searched{false};
    const RecTime from{24, 6, 1, 0, 0, 0}, to{24, 6, 1, 23, 59, 59};
    FSSearchByDay(disk, from, to, nullptr, &DayDone, &searched, 0, channels);
    while (!searched)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    FSStopDaySearch(disk);

    counts->clear();
    for (int s = 0; s < slots; s++)
        counts->push_back(std::make_unique<SlotCount>());
    const auto start = std::chrono::steady_clock::now();
    for (int s = 0; s < slots; s++)
        FSPlay(disk, from, to, s, reinterpret_cast<uintptr_t>((*counts)[s].get()), &SlotCount::OnData,
               nullptr);
    std::vector<double> seconds;
    for (auto& c : *counts) {
        c->Wait();
        seconds.push_back(std::chrono::duration<double>(c->ended - start).count());
    }
    for (int s = 0; s < slots; s++)
        FSStopPlay(disk, s);
    FSRemoveDisk(disk);
    return seconds;
}

// The raw rate, for FSPlay's share of it.
double gRawBytesPerSecond = 0;

void BM_RawRead(benchmark::State& state) {
    const Day& day = TheDay();
    ReadRaw(day);  // warm-up: the image into the page cache
    uint64_t bytes = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        bytes += ReadRaw(day);
        const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        seconds += t;
        state.SetIterationTime(t);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.counters["MB/s"] = static_cast<double>(bytes) / seconds / 1e6;
    gRawBytesPerSecond = static_cast<double>(bytes) / seconds;
}

void BM_FSPlay(benchmark::State& state) {
    const Day& day = TheDay();
    ReadRaw(day);
    std::vector<std::unique_ptr<SlotCount>> counts;
    uint64_t bytes = 0, frames = 0;
    double seconds = 0;
    for (auto _ : state) {
        const auto t = PlayDay(day, 1, &counts);
        seconds += t[0];
        bytes += counts[0]->bytes;
        frames += counts[0]->frames;
        state.SetIterationTime(t[0]);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.SetItemsProcessed(static_cast<int64_t>(frames));
    state.counters["MB/s"] = static_cast<double>(bytes) / seconds / 1e6;
    if (gRawBytesPerSecond > 0)
        state.counters["of_raw"] = static_cast<double>(bytes) / seconds / gRawBytesPerSecond;
}

void BM_FSPlayFourSlots(benchmark::State& state) {
    const Day& day = TheDay();
    ReadRaw(day);
    std::vector<std::unique_ptr<SlotCount>> counts;
    double slowest = 0;
    uint64_t bytes = 0, frames = 0;
    for (auto _ : state) {
        const auto t = PlayDay(day, 4, &counts);
        double worst = 0;
        for (size_t s = 0; s < t.size(); s++) {
            worst = std::max(worst, t[s]);
            bytes += counts[s]->bytes;
            frames += counts[s]->frames;
        }
        slowest = std::max(slowest, worst);
        state.SetIterationTime(worst);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
    state.SetItemsProcessed(static_cast<int64_t>(frames));
    // Per slot: the day's frame bytes over the slowest slot's time.
    const double perSlot = static_cast<double>(counts[0]->bytes) / slowest;
    state.counters["slot_MB/s"] = perSlot / 1e6;
    state.counters["x_realtime"] = perSlot / kChannelBytesPerSecond;
}

}  // namespace

int main(int argc, char** argv) {
    vekfs::SetDiagEnabled(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("RawRead", BM_RawRead)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("FSPlay", BM_FSPlay)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::RegisterBenchmark("FSPlayFourSlots", BM_FSPlayFourSlots)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(2);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
