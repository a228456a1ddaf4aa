// tests/vekplay/vekplay_bench.cpp
//
// vekplay_bench [STREAM.h264...]: decoding figures for recorder-sized streams (the
// build makes two 704x576, 25 fps ones with ffmpeg: the test picture, which
// compresses to almost nothing, and a moving, noisy picture at 2 Mbit/s, more
// like a camera's). For each it prints
//   - the decoder alone (H.264 to 24-bit pictures), one thread, then four at once,
//     with and without the conversion of every picture;
//   - play instances on the real clock with a null window: one at x16, four at
//     x4 at once, and four at x16 at once (the tool bar's fastest sync speed),
//     each playing the stream as a file to its end; the x16 runs of four play
//     the stream six times over (60 s), so that they last long enough to tell;
//   - on Windows, the four at x16 again, each into a window of its own.
// Real-time factors are media time over wall time; the goals are 16x for one
// instance, 4x for each of four, and 16x for each of four. Frames skipped to
// catch up are counted: an instance that keeps up skips none. Pictures that are
// not drawn (a later frame was already due when one was decoded) count as
// decoded but not shown.
#include "tests/vekplay/vekplay_bench.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "tools/framestream.h"
#include "tools/h264_split.h"
#include "vekplay/media_decoder.h"
#include "vekplay/play_instance.h"

namespace vekplay::bench {

namespace {

using WallClock = std::chrono::steady_clock;

double Seconds(WallClock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class BenchHost final : public Host {
  public:
    Clock& clock() override { return TheSystemClock(); }
    std::unique_ptr<RenderTarget> CreateTarget() override { return std::make_unique<NullTarget>(); }
    std::unique_ptr<AudioSink> CreateAudioSink() override { return std::make_unique<NullAudioSink>(); }
    void Post(uintptr_t, uint32_t, uint32_t code, uintptr_t) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (code == kCodeEnd)
            ends_.push_back(WallClock::now());
        changed_.notify_all();
    }
    // The time of the last of `n` ends.
    WallClock::time_point WaitForEnds(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return ends_.size() >= n; });
        return ends_[n - 1];
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<WallClock::time_point> ends_;
};

// Decodes every frame; with `convert`, each picture is converted as well.
double DecodeAll(const std::vector<Frame>& frames, bool convert) {
    VideoDecoder decoder;
    Picture picture;
    const auto start = WallClock::now();
    for (const Frame& f : frames)
        if (decoder.Decode(f, convert ? &picture : nullptr) != DecodeResult::kPicture)
            std::fprintf(stderr, "frame did not decode\n");
    return static_cast<double>(frames.size()) / Seconds(WallClock::now() - start);
}

// Frames per second of four decoders at once, in all.
double DecodeFourAtOnce(const std::vector<Frame>& frames, bool convert) {
    std::vector<std::thread> threads;
    const auto start = WallClock::now();
    for (int i = 0; i < 4; i++)
        threads.emplace_back([&] { DecodeAll(frames, convert); });
    for (auto& t : threads)
        t.join();
    return 4.0 * static_cast<double>(frames.size()) / Seconds(WallClock::now() - start);
}

PlayFigures PlayWithNullWindows(const PlayRun& run) {
    PlayFigures out;
    auto host = std::make_shared<BenchHost>();
    std::vector<std::shared_ptr<Instance>> instances;
    for (int i = 0; i < run.count; i++) {
        auto inst = Instance::Create(static_cast<uint32_t>(i + 1), InstanceKind::kFile, host);
        inst->SetNotify(1, 11, static_cast<uintptr_t>(i));
        if (inst->OpenFile(run.file.c_str()) != 0) {
            std::fprintf(stderr, "cannot open %s\n", run.file.c_str());
            return out;
        }
        inst->SetMode(run.mode);
        instances.push_back(inst);
    }
    const double cpu = ProcessCpuSeconds();
    const auto start = WallClock::now();
    for (auto& inst : instances)
        inst->Start();
    out.slowest = Seconds(host->WaitForEnds(instances.size()) - start);
    out.wall = Seconds(WallClock::now() - start);
    out.cpu = ProcessCpuSeconds() - cpu;
    CountAndShutDown(instances, &out);
    out.ok = true;
    return out;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

int BenchStream(const std::string& path) {
    std::vector<uint8_t> bytes;
    std::string error;
    if (!vektools::ReadWholeFile(path, &bytes, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::vector<vektools::AccessUnit> units = vektools::SplitAccessUnits(bytes.data(), bytes.size());
    vektools::StreamSpec recipe;
    recipe.startUs = 1709640000000000ULL;
    recipe.videoFrames = static_cast<uint32_t>(units.size());
    recipe.accessUnits = &units;
    vektools::FindPictureSize(units, &recipe.width, &recipe.height);
    const vektools::Stream stream = vektools::BuildStream(recipe);
    std::vector<Frame> frames(stream.frames.size());
    for (size_t i = 0; i < frames.size(); i++)
        ParseFrame(stream.bytes.data() + stream.frames[i].offset, 40 + stream.frames[i].size, &frames[i]);
    const double mediaSeconds = static_cast<double>(frames.size()) / 25.0;
    std::printf("%s: %zu frames of %ux%u at 25 fps (%.1f s), %.2f Mbit/s; %u hardware threads\n",
                path.c_str(), frames.size(), recipe.width, recipe.height, mediaSeconds,
                static_cast<double>(bytes.size()) * 8 / mediaSeconds / 1e6,
                std::thread::hardware_concurrency());

    for (const bool convert : {true, false}) {
        const char* what = convert ? "to pictures" : "decoding only";
        const double one = DecodeAll(frames, convert);
        std::printf("  decoder alone, %s, 1 thread: %.0f frames/s (%.1fx real time)\n", what, one,
                    one / 25.0);
        const double all = DecodeFourAtOnce(frames, convert);
        std::printf("  decoder alone, %s, 4 threads at once: %.0f frames/s in all (%.1fx real time each)\n",
                    what, all, all / 4 / 25.0);
    }

    const std::string file = "vekplay_bench_stream.264";
    const std::string longFile = "vekplay_bench_stream_60s.264";
    constexpr uint32_t kTimesOver = 6;
    recipe.videoFrames = static_cast<uint32_t>(units.size()) * kTimesOver;
    if (!WriteFile(file, stream.bytes) || !WriteFile(longFile, vektools::BuildStream(recipe).bytes)) {
        std::fprintf(stderr, "cannot write the stream files\n");
        return 1;
    }
    const PlayRun runs[] = {
        {file, 1, kModeFast16, 16, mediaSeconds},
        {file, 4, kModeFast4, 4, mediaSeconds},
        {longFile, 4, kModeFast16, 16, mediaSeconds * kTimesOver},
    };
    for (const PlayRun& run : runs)
        PrintFigures("null window", run, PlayWithNullWindows(run));
#ifdef _WIN32
    PrintFigures("real windows", runs[2], PlayIntoWindows(runs[2]));
#endif
    std::remove(file.c_str());
    std::remove(longFile.c_str());
    return 0;
}

}  // namespace

#ifndef _WIN32
double ProcessCpuSeconds() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}
#endif

void CountAndShutDown(const std::vector<std::shared_ptr<Instance>>& instances, PlayFigures* figures) {
    for (const auto& inst : instances) {
        const InstanceStats st = inst->stats();
        figures->decoded += st.decoded;
        figures->skipped += st.skipped;
        figures->presented += st.presented;
        inst->Shutdown();
    }
}

void PrintFigures(const char* title, const PlayRun& run, const PlayFigures& f) {
    if (!f.ok) {
        std::printf("  %d instance%s at x%d, %s: did not run\n", run.count, run.count > 1 ? "s" : "",
                    run.rate, title);
        return;
    }
    const double frames = static_cast<double>(f.decoded) / run.count;
    std::printf(
        "  %d instance%s at x%d, %s: %.3f s for %.1f s of video each: %.1fx real time for the slowest, "
        "%.0f frames/s per instance, %.0f in all (%llu decoded, %llu shown, %llu skipped; goal %dx); "
        "%.2f processors busy, %.2f ms of processor per frame\n",
        run.count, run.count > 1 ? "s" : "", run.rate, title, f.wall, run.mediaSeconds,
        run.mediaSeconds / f.slowest, frames / f.slowest, static_cast<double>(f.decoded) / f.slowest,
        static_cast<unsigned long long>(f.decoded), static_cast<unsigned long long>(f.presented),
        static_cast<unsigned long long>(f.skipped), run.rate, f.cpu / f.wall,
        f.decoded ? f.cpu * 1000 / static_cast<double>(f.decoded) : 0.0);
}

}  // namespace vekplay::bench

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IONBF, 0);  // each figure as soon as it is measured
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty())
        paths = {VEKPLAY_BENCH_STREAM, VEKPLAY_BENCH_BUSY_STREAM};
    int rc = 0;
    for (const std::string& p : paths)
        rc |= vekplay::bench::BenchStream(p);
    return rc;
}
