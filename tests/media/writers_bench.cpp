// tests/media/writers_bench.cpp
//
// Throughput of the AVI writer on a 1 GB frame stream, as the converter runs it
// (reading the source in 327,680-byte blocks and feeding the writer), next to a
// plain copy of the same bytes in the same blocks through the same file object.
// Two streams: D1-sized frames (key frames 40-80 KB, others 6-16 KB, G.711
// audio) and small frames (2-6 KB and 0.2-1.2 KB, the frame-stream tool's
// defaults), which stress the per-frame cost.
//
// The files go to $VEK_BENCH_DIR, else the system's temporary folder; they
// live in the page cache, so the figures are the code's cost, not a drive's.
// Each case runs several times, the repetitions of all four cases interleaved,
// and the summary gives the median and the best of each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "media/binary_file.h"
#include "media/convert_engine.h"
#include "tests/media/bench_runs.h"
#include "tools/framestream.h"

namespace {

using namespace media_bench;

constexpr uint64_t kStreamBytes = 1ull << 30;
constexpr uint64_t kPieceBytes = 128ull << 20;

vektools::StreamSpec StreamRecipe(bool small) {
    vektools::StreamSpec recipe;
    recipe.audio = true;
    recipe.audioParams = {};  // 8 kHz A-law, 164-byte blocks
    if (!small) {
        recipe.width = 704;
        recipe.height = 576;
        recipe.iMin = 40000, recipe.iMax = 80000, recipe.pMin = 6000, recipe.pMax = 16000;
    }
    // Frames for about one piece.
    const uint64_t average = small ? (4000 + 24 * 700) / 25 + 2 * 208 : (60000 + 24 * 11000) / 25 + 2 * 208;
    recipe.videoFrames = static_cast<uint32_t>(kPieceBytes / average);
    return recipe;
}

// The 1 GB source: one generated piece written until the size is reached.
const std::string& Source(bool small) {
    static std::map<bool, std::string> made;
    auto it = made.find(small);
    if (it != made.end())
        return it->second;
    const std::string path = (BenchDir() / (small ? "vek_bench_small.264" : "vek_bench_d1.264")).string();
    const vektools::Stream piece = BuildStream(StreamRecipe(small));
    media::BinaryFile out;
    if (!out.Open(path.c_str(), media::BinaryFile::Mode::CreateAlways)) {
        std::fprintf(stderr, "cannot create %s\n", path.c_str());
        std::abort();
    }
    for (uint64_t done = 0; done < kStreamBytes; done += piece.bytes.size())
        if (!out.Write(piece.bytes.data(), piece.bytes.size()))
            std::abort();
    out.Close();
    return made.emplace(small, path).first->second;
}

uint64_t FileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

void Copy(benchmark::State& state) {
    const bool small = state.range(0) != 0;
    const std::string& src = Source(small);
    const std::string dst = (BenchDir() / "vek_bench_copy.out").string();
    const uint64_t size = FileSize(src);
    std::unique_ptr<uint8_t[]> block(new uint8_t[kConvertBlockSize]);
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        media::BinaryFile in, out;
        if (!in.Open(src.c_str(), media::BinaryFile::Mode::Read) ||
            !out.Open(dst.c_str(), media::BinaryFile::Mode::CreateAlways)) {
            state.SkipWithError("cannot open the files");
            break;
        }
        size_t got = 0;
        while (in.Read(block.get(), kConvertBlockSize, &got) && got > 0)
            out.Write(block.get(), got);
        out.Close();
        Note(small ? "copy, small frames" : "copy, D1 frames", size,
             std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        state.PauseTiming();
        std::filesystem::remove(dst);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

void AviWriter(benchmark::State& state) {
    const bool small = state.range(0) != 0;
    const std::string& src = Source(small);
    const std::string dst = (BenchDir() / "vek_bench_avi.out").string();
    const uint64_t size = FileSize(src);
    const std::atomic<bool> stop{false};
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const ConvertReport r = C264ToAviEngine::Convert(src.c_str(), dst.c_str(), stop, nullptr);
        if (r.result != ConvertResult::Done) {
            state.SkipWithError("the conversion failed");
            break;
        }
        Note(small ? "AVI writer, small frames" : "AVI writer, D1 frames", size,
             std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
        state.PauseTiming();
        std::filesystem::remove(dst);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

BENCHMARK(Copy)->Arg(0)->Arg(1)->Iterations(1)->Repetitions(7)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(AviWriter)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->Repetitions(7)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (!RunInterleaved(argc, argv))
        return 1;

    const auto& all = Runs();
    std::printf("\nMB/s (1 MB = 10^6 bytes)            median     best   runs\n");
    for (const auto& [name, runs] : all)
        std::printf("  %-30s %8.0f %8.0f %6zu\n", name.c_str(), Median(runs), Best(runs), runs.size());
    for (const char* kind : {"D1 frames", "small frames"}) {
        const auto copy = all.find(std::string("copy, ") + kind);
        const auto avi = all.find(std::string("AVI writer, ") + kind);
        if (copy != all.end() && avi != all.end() && Median(copy->second) > 0)
            std::printf("  AVI writer / copy, %-13s %5.0f%% of the median\n", kind,
                        100.0 * Median(avi->second) / Median(copy->second));
    }
    std::error_code ignored;
    std::filesystem::remove(BenchDir() / "vek_bench_small.264", ignored);
    std::filesystem::remove(BenchDir() / "vek_bench_d1.264", ignored);
    return 0;
}
