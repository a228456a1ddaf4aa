// tests/vekplay/vekplay_bench.cpp
//
// vekplay_bench [STREAM.h264...]: decoding figures for recorder-sized streams (the
// build makes two 704x576, 25 fps ones with ffmpeg: the test picture, which
// compresses to almost nothing, and a moving, noisy picture at 2 Mbit/s, more
// like a camera's). For each it prints
//   - the decoder alone (H.264 to 24-bit pictures), one thread, then four at once;
//   - play instances on the real clock with a null window: one at x16, then
//     four at x4 at once, each playing the stream as a file to its end.
// Real-time factors are media time over wall time; the goals are 16x for one
// instance and 4x for each of four. Frames skipped to catch up are counted:
// an instance that keeps up skips none.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/framestream.h"
#include "tools/h264_split.h"
#include "vekplay/media_decoder.h"
#include "vekplay/play_instance.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

class BenchHost final : public vekplay::Host {
  public:
    vekplay::Clock& clock() override { return vekplay::TheSystemClock(); }
    std::unique_ptr<vekplay::RenderTarget> CreateTarget() override {
        return std::make_unique<vekplay::NullTarget>();
    }
    std::unique_ptr<vekplay::AudioSink> CreateAudioSink() override {
        return std::make_unique<vekplay::NullAudioSink>();
    }
    void Post(uintptr_t, uint32_t, uint32_t code, uintptr_t user) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (code == vekplay::kCodeEnd)
            ended_.push_back(user);
        changed_.notify_all();
    }
    void WaitForEnds(size_t n) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return ended_.size() >= n; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<uintptr_t> ended_;
};

double DecodeAll(const std::vector<vekplay::Frame>& frames) {
    vekplay::VideoDecoder decoder;
    vekplay::Picture picture;
    const auto start = Clock::now();
    for (const vekplay::Frame& f : frames)
        if (decoder.Decode(f, &picture) != vekplay::DecodeResult::kPicture)
            std::fprintf(stderr, "frame did not decode\n");
    return static_cast<double>(frames.size()) / Seconds(Clock::now() - start);
}

void PlayInstances(const std::string& file, int count, int32_t mode, double mediaSeconds, int rate) {
    auto host = std::make_shared<BenchHost>();
    std::vector<std::shared_ptr<vekplay::Instance>> instances;
    for (int i = 0; i < count; i++) {
        auto inst =
            vekplay::Instance::Create(static_cast<uint32_t>(i + 1), vekplay::InstanceKind::kFile, host);
        inst->SetNotify(1, 11, static_cast<uintptr_t>(i));
        if (inst->OpenFile(file.c_str()) != 0) {
            std::fprintf(stderr, "cannot open %s\n", file.c_str());
            return;
        }
        inst->SetMode(mode);
        instances.push_back(inst);
    }
    const auto start = Clock::now();
    for (auto& inst : instances)
        inst->Start();
    host->WaitForEnds(instances.size());
    const double wall = Seconds(Clock::now() - start);
    uint64_t decoded = 0, skipped = 0, presented = 0;
    for (auto& inst : instances) {
        const vekplay::InstanceStats st = inst->stats();
        decoded += st.decoded;
        skipped += st.skipped;
        presented += st.presented;
        inst->Shutdown();
    }
    std::printf(
        "  %d instance%s at x%d: %.3f s for %.1f s of video each: %.1fx real time per instance, "
        "%.0f frames decoded per second in all (%llu decoded, %llu shown, %llu skipped; goal %dx)\n",
        count, count > 1 ? "s" : "", rate, wall, mediaSeconds, mediaSeconds / wall,
        static_cast<double>(decoded) / wall, static_cast<unsigned long long>(decoded),
        static_cast<unsigned long long>(presented), static_cast<unsigned long long>(skipped), rate);
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
    std::vector<vekplay::Frame> frames(stream.frames.size());
    for (size_t i = 0; i < frames.size(); i++)
        vekplay::ParseFrame(stream.bytes.data() + stream.frames[i].offset, 40 + stream.frames[i].size,
                            &frames[i]);
    const double mediaSeconds = static_cast<double>(frames.size()) / 25.0;
    std::printf("%s: %zu frames of %ux%u at 25 fps (%.1f s), %.2f Mbit/s; %u hardware threads\n",
                path.c_str(), frames.size(), recipe.width, recipe.height, mediaSeconds,
                static_cast<double>(bytes.size()) * 8 / mediaSeconds / 1e6,
                std::thread::hardware_concurrency());

    const double one = DecodeAll(frames);
    std::printf("  decoder alone, 1 thread: %.0f frames/s (%.1fx real time)\n", one, one / 25.0);
    {
        std::vector<std::thread> threads;
        const auto start = Clock::now();
        for (int i = 0; i < 4; i++)
            threads.emplace_back([&] { DecodeAll(frames); });
        for (auto& t : threads)
            t.join();
        const double all = 4.0 * static_cast<double>(frames.size()) / Seconds(Clock::now() - start);
        std::printf("  decoder alone, 4 threads at once: %.0f frames/s in all (%.1fx real time each)\n", all,
                    all / 4 / 25.0);
    }

    const std::string file = "vekplay_bench_stream.264";
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(stream.bytes.data()),
                  static_cast<std::streamsize>(stream.bytes.size()));
    }
    PlayInstances(file, 1, vekplay::kModeFast16, mediaSeconds, 16);
    PlayInstances(file, 4, vekplay::kModeFast4, mediaSeconds, 4);
    std::remove(file.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty())
        paths = {VEKPLAY_BENCH_STREAM, VEKPLAY_BENCH_BUSY_STREAM};
    int rc = 0;
    for (const std::string& p : paths)
        rc |= BenchStream(p);
    return rc;
}
