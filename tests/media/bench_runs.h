// tests/media/bench_runs.h
//
// What the media benchmarks share: the folder their files go to, the rate of
// every run kept per case, the median and the best of them, and a run of the
// registered benchmarks with their repetitions interleaved, so that a busy
// moment of the machine does not fall on one case only.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace media_bench {

// $VEK_BENCH_DIR, else the system's temporary folder.
inline std::filesystem::path BenchDir() {
    const char* dir = std::getenv("VEK_BENCH_DIR");
    return dir && *dir ? std::filesystem::path(dir) : std::filesystem::temp_directory_path();
}

// MB/s (1 MB = 10^6 bytes) of every run, per case.
inline std::map<std::string, std::vector<double>>& Runs() {
    static std::map<std::string, std::vector<double>> runs;
    return runs;
}

inline void Note(const std::string& name, uint64_t bytes, double seconds) {
    Runs()[name].push_back(static_cast<double>(bytes) / 1e6 / seconds);
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

inline double Best(const std::vector<double>& v) {
    return v.empty() ? 0 : *std::max_element(v.begin(), v.end());
}

// Runs the registered benchmarks with interleaved repetitions (a later flag on
// the command line wins); false for a command line it does not take.
inline bool RunInterleaved(int argc, char** argv) {
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    std::vector<char*> args;
    args.reserve(static_cast<size_t>(argc) + 2);
    args.push_back(argv[0]);
    args.push_back(interleave);
    for (int i = 1; i < argc; i++)
        args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return false;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

}  // namespace media_bench
