// media/convert_engine.cpp
#include "media/convert_engine.h"

#include <memory>
#include <new>
#include <utility>

#include "media/avi_file_writer.h"
#include "media/binary_file.h"
#include "platform/clock.h"

namespace {

constexpr uintptr_t kPage = 4096;

}  // namespace

int ProgressPerMille(uint64_t done, uint64_t total) {
    if (done >= total)
        return 1000;
    // Below 1000 until the end, however the division rounds.
    const double share = static_cast<double>(done) / static_cast<double>(total);
    const int perMille = static_cast<int>(share * 1000.0);
    return perMille > 999 ? 999 : perMille;
}

ConvertReport C264ToAviEngine::Convert(const char* source,
                                       const char* destination,
                                       const std::atomic<bool>& stop,
                                       const ProgressFn& progress) {
    ConvertReport report;
    const uint64_t start = platform::TickMs();
    const auto elapsed = [start] { return platform::TickMs() - start; };

    media::BinaryFile in;
    if (!in.Open(source, media::BinaryFile::Mode::Read) || !in.Size(&report.sourceSize)) {
        report.result = ConvertResult::SourceError;
        report.elapsedMs = elapsed();
        return report;
    }
    // The block starts on a page boundary, as the file's blocks do in the
    // system's cache: the system copies between equal page offsets fastest.
    std::unique_ptr<uint8_t[]> space(new (std::nothrow) uint8_t[kConvertBlockSize + kPage]());
    uint8_t* const block =
        space ? space.get() + (kPage - reinterpret_cast<uintptr_t>(space.get()) % kPage) % kPage : nullptr;
    auto writer = std::make_unique<CVekAviFileWirte>();
    if (!block || !writer->Open(destination)) {
        in.Close();
        report.result = ConvertResult::OutputError;
        report.elapsedMs = elapsed();
        return report;
    }

    int lastReported = -1;
    bool readFailed = false;
    bool stopped = false;
    for (;;) {
        if (stop.load()) {
            stopped = true;
            break;
        }
        size_t got = 0;
        if (!in.Read(block, kConvertBlockSize, &got)) {
            readFailed = true;
            break;
        }
        if (got == 0)
            break;
        writer->Write(block, static_cast<unsigned>(got), 0);
        report.bytesRead += got;
        lastReported = ProgressPerMille(report.bytesRead, report.sourceSize);
        if (progress)
            progress(lastReported, elapsed());
    }
    in.Close();
    // The end of the file counts as all of it, even when the file changed size
    // while it was read.
    if (!stopped && !readFailed && lastReported != 1000 && progress)
        progress(1000, elapsed());
    const bool complete = writer->Close() != 0;
    writer.reset();

    if (readFailed)
        report.result = ConvertResult::SourceError;
    else if (!complete)
        report.result = ConvertResult::WriteError;
    else if (stopped)
        report.result = ConvertResult::Stopped;
    else
        report.result = ConvertResult::Done;
    report.elapsedMs = elapsed();
    return report;
}

C264ToAviEngine::~C264ToAviEngine() {
    Stop();
    Wait();
}

bool C264ToAviEngine::Start(const std::string& source,
                            const std::string& destination,
                            ProgressFn progress,
                            FinishedFn finished) {
    if (source.empty() || destination.empty() || running_.load())
        return false;
    if (worker_.Joinable())
        worker_.Join();
    stop_.store(false);
    running_.store(true);
    const bool started = worker_.Start(
        [this, source, destination, progress = std::move(progress), finished = std::move(finished)] {
            const ConvertReport report = Convert(source.c_str(), destination.c_str(), stop_, progress);
            running_.store(false);
            if (finished)
                finished(report);
        });
    if (!started)
        running_.store(false);
    return started;
}

void C264ToAviEngine::Wait() {
    if (worker_.Joinable() && !worker_.IsCurrent())
        worker_.Join();
}
