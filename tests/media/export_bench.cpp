// tests/media/export_bench.cpp
//
// Throughput of exporting one record, as the export dialog does it: FSExport
// on a generated recorder disk image hands the record's raw blocks to the AVI
// writer, from the call until the file is closed. Next to it, in the same run,
// ffmpeg remuxing the same H.264 payload (the record's video, as a raw Annex-B
// file) into AVI with -c copy, the process start included. Both rates count
// the video payload bytes, so they compare the same work.
//
// The H.264 comes from ffmpeg's libx264 at the start (D1, 25 fps, a key frame
// a second, about 2 Mbit/s, as a recorder writes); the record is ten minutes of
// it, about 150 MB. The image, the payload file and the outputs go to
// $VEK_BENCH_DIR, else the system's temporary folder; they live in the page
// cache, so the figures are the code's cost, not a drive's. Each case runs
// several times, the two interleaved, and the summary gives the median and
// the best of each and their ratio.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "media/avi_file_writer.h"
#include "media/binary_file.h"
#include "tests/media/bench_runs.h"
#include "tools/h264_split.h"
#include "tools/image_builder.h"
#include "tools/image_sink.h"
#include "vkfs/vkfs_api.h"

namespace {

using namespace media_bench;

constexpr int kRecordSeconds = 600;
constexpr int kDrive = 4;

std::string In(const char* name) {
    return (BenchDir() / name).string();
}

[[noreturn]] void Die(const std::string& why) {
    std::fprintf(stderr, "export bench: %s\n", why.c_str());
    std::exit(1);
}

// What every run works on: the image holding the record, the record's video
// payload as a raw H.264 file, and the record's start and end.
struct Fixture {
    std::string image;
    std::string payload;
    uint64_t payloadBytes = 0;
    RecTime from{}, to{};
};

const Fixture& Made() {
    static const Fixture fixture = [] {
        Fixture f;
        const std::string h264 = In("vek_export_bench_source.h264");
        const std::string make =
            "ffmpeg -hide_banner -loglevel error -nostdin -y -f lavfi -i "
            "testsrc2=size=704x576:rate=25 -t 20 -c:v libx264 -preset veryfast -b:v 2M "
            "-maxrate 2M -bufsize 4M -g 25 -bf 0 -sc_threshold 0 -f h264 " +
            h264;
        if (std::system(make.c_str()) != 0)
            Die("ffmpeg could not make the H.264 stream");
        std::vector<uint8_t> bytes;
        std::string error;
        if (!vektools::ReadWholeFile(h264, &bytes, &error))
            Die(error);
        static const std::vector<vektools::AccessUnit> units =
            vektools::SplitAccessUnits(bytes.data(), bytes.size());
        if (units.empty() || !units.front().idr)
            Die("the H.264 stream does not start with a key frame");

        vektools::ImageSpec recipe;
        recipe.disk.version = 2;
        vektools::PartitionSpec partition;
        vektools::FileSpec file;
        vektools::EventSpec event;
        event.start = vektools::Packed(2024, 3, 5, 12, 0, 0);
        event.end = vektools::AddSeconds(event.start, kRecordSeconds);
        event.stream.fps = 25;
        event.stream.gop = 25;
        file.events.push_back(event);
        partition.files.push_back(file);
        recipe.partitions.push_back(partition);
        vektools::BuildOptions options;
        options.h264 = &units;
        options.recordFrames = true;
        vektools::FindPictureSize(units, &options.h264Width, &options.h264Height);
        f.image = In("vek_export_bench.img");
        vektools::Manifest manifest;
        {
            vektools::FileSink sink(f.image);
            if (!vektools::BuildImage(recipe, sink, &manifest, &error, options))
                Die(error);
        }

        // The record's video payload, frame by frame: the units in turn.
        f.payload = In("vek_export_bench_record.h264");
        media::BinaryFile out;
        if (!out.Open(f.payload.c_str(), media::BinaryFile::Mode::CreateAlways))
            Die("cannot create " + f.payload);
        size_t video = 0;
        for (const vektools::FrameRecord& frame : manifest.events.at(0).frames) {
            if (frame.type == 'A')
                continue;
            const vektools::AccessUnit& unit = units[video++ % units.size()];
            if (unit.bytes.size() != frame.size)
                Die("the record's frames are not the stream's units");
            if (!out.Write(unit.bytes.data(), unit.bytes.size()))
                Die("cannot write " + f.payload);
            f.payloadBytes += unit.bytes.size();
        }
        out.Close();
        std::filesystem::remove(h264);
        f.from = RecTime{24, 3, 5, 12, 0, 0};
        f.to = RecTime{24, 3, 5, 12, kRecordSeconds / 60, 0};
        return f;
    }();
    return fixture;
}

// The export's blocks into the AVI writer, as the export dialog hands them on.
struct ExportRun {
    static int VEK_CALL OnData(uintptr_t user, unsigned char* data, int length) {
        auto* self = reinterpret_cast<ExportRun*>(user);
        if (data == nullptr || length < 1) {
            std::lock_guard hold(self->lock);
            self->ended = true;
            self->changed.notify_all();
            return 1;
        }
        self->writer.Write(data, static_cast<unsigned>(length), 0);
        return 1;
    }
    static int VEK_CALL OnSearch(FSReaderKind, void* record, FSPlayParam* param) {
        auto* self = static_cast<ExportRun*>(param->user);
        std::lock_guard hold(self->lock);
        if (record != nullptr)
            self->records++;
        if (!param->dayRunning) {
            self->searched = true;
            self->changed.notify_all();
        }
        return 1;
    }
    template <typename Condition>
    void WaitFor(Condition done) {
        std::unique_lock hold(lock);
        changed.wait(hold, done);
    }

    CVekAviFileWirte writer;
    std::mutex lock;
    std::condition_variable changed;
    bool ended = false;
    bool searched = false;
    int records = 0;
};

void Export(benchmark::State& state) {
    const Fixture& f = Made();
    const std::string out = In("vek_export_bench_export.avi");
    const FSDiskHandle disk = FSAddDisk(nullptr, 128, kDrive, f.image.c_str(), nullptr);
    if (disk == 0) {
        state.SkipWithError("no reader accepts the image");
        return;
    }
    const int channels[4] = {0, -1, -1, -1};
    for (auto _ : state) {
        ExportRun run;
        FSSearchByDay(disk, RecTime{24, 3, 5, 0, 0, 0}, RecTime{24, 3, 5, 23, 59, 59}, nullptr,
                      &ExportRun::OnSearch, &run, 1, channels);
        run.WaitFor([&] { return run.searched; });
        FSStopDaySearch(disk);
        if (run.records != 1) {
            state.SkipWithError("the day search does not find the record");
            break;
        }
        const auto t0 = std::chrono::steady_clock::now();
        if (!run.writer.Open(out.c_str())) {
            state.SkipWithError("cannot create the AVI file");
            break;
        }
        FSExport(disk, f.from, f.to, 0, reinterpret_cast<uintptr_t>(&run), &ExportRun::OnData);
        run.WaitFor([&] { return run.ended; });
        FSStopExport(disk, 0);
        const bool complete = run.writer.Close() != 0;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (!complete) {
            state.SkipWithError("the AVI file is incomplete");
            break;
        }
        Note("FSExport into the AVI writer", f.payloadBytes, seconds);
        state.PauseTiming();
        std::filesystem::remove(out);
        state.ResumeTiming();
    }
    FSRemoveDisk(disk);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.payloadBytes));
}

void FfmpegRemux(benchmark::State& state) {
    const Fixture& f = Made();
    const std::string out = In("vek_export_bench_ffmpeg.avi");
    const std::string command =
        "ffmpeg -hide_banner -loglevel error -nostdin -y -f h264 -i " + f.payload + " -c copy -f avi " + out;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("ffmpeg failed");
            break;
        }
        Note("ffmpeg -c copy into AVI", f.payloadBytes,
             std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        state.PauseTiming();
        std::filesystem::remove(out);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * f.payloadBytes));
}

BENCHMARK(Export)->Iterations(1)->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(FfmpegRemux)->Iterations(1)->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (!RunInterleaved(argc, argv))
        return 1;

    const Fixture& f = Made();
    std::printf("\nOne record of %.1f MB of H.264 payload (%d s of D1 at 25 fps)\n",
                static_cast<double>(f.payloadBytes) / 1e6, kRecordSeconds);
    std::printf("MB/s of payload (1 MB = 10^6 bytes)   median     best   runs\n");
    const auto& all = Runs();
    for (const auto& [name, runs] : all)
        std::printf("  %-33s %8.0f %8.0f %6zu\n", name.c_str(), Median(runs), Best(runs), runs.size());
    const auto ours = all.find("FSExport into the AVI writer");
    const auto ffmpeg = all.find("ffmpeg -c copy into AVI");
    if (ours != all.end() && ffmpeg != all.end() && Median(ffmpeg->second) > 0)
        std::printf("  export / ffmpeg                   %8.2fx of the median, %.2fx of the best\n",
                    Median(ours->second) / Median(ffmpeg->second), Best(ours->second) / Best(ffmpeg->second));
    std::error_code ignored;
    std::filesystem::remove(f.image, ignored);
    std::filesystem::remove(f.payload, ignored);
    return 0;
}
