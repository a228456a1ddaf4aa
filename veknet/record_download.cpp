// veknet/record_download.cpp
#include "veknet/record_download.h"

#include <chrono>

#include "media/avi_file_writer.h"
#include "media/binary_file.h"
#include "veknet/download_path.h"

namespace veknet {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kReadStepMs = 200;

class RawFrameSink final : public FrameSink {
  public:
    bool Open(const std::string& path) {
        return file_.Open(path.c_str(), media::BinaryFile::Mode::CreateAlways);
    }
    bool Write(const uint8_t* frame, uint32_t size) override {
        if (!file_.Write(frame, size))
            failed_ = true;
        return !failed_;
    }
    bool Close() override { return file_.Close() && !failed_; }

  private:
    media::BinaryFile file_;
    bool failed_ = false;
};

class AviFrameSink final : public FrameSink {
  public:
    bool Open(const std::string& path) { return writer_.Open(path.c_str()) == 1; }
    bool Write(const uint8_t* frame, uint32_t size) override {
        writer_.Write(frame, size);
        return true;  // the writer remembers a failed write; Close reports it
    }
    bool Close() override { return writer_.Close() == 1; }

  private:
    CVekAviFileWirte writer_;
};

}  // namespace

std::unique_ptr<FrameSink> CreateFrameSink(const std::string& path) {
    if (IsAviTarget(path)) {
        auto sink = std::make_unique<AviFrameSink>();
        if (!sink->Open(path))
            return nullptr;
        return sink;
    }
    auto sink = std::make_unique<RawFrameSink>();
    if (!sink->Open(path))
        return nullptr;
    return sink;
}

std::shared_ptr<RecordDownload> RecordDownload::Open(const StreamTarget& target,
                                                     const DownloadParams& params) {
    uint64_t total = 0;
    std::shared_ptr<Link> link =
        OpenStream(target, kDownloadOpen, {target.session, params.channel, params.start, params.end}, &total);
    if (!link)
        return nullptr;
    // The file is made only once the recorder has the record, so a refused
    // download leaves nothing behind.
    std::unique_ptr<FrameSink> sink = CreateFrameSink(params.path);
    if (!sink)
        return nullptr;
    return std::shared_ptr<RecordDownload>(
        new RecordDownload(std::move(link), params, total, std::move(sink)));
}

RecordDownload::RecordDownload(std::shared_ptr<Link> link,
                               const DownloadParams& params,
                               uint64_t total,
                               std::unique_ptr<FrameSink> sink)
    : link_(std::move(link)), params_(params), total_(total), sink_(std::move(sink)) {}

RecordDownload::~RecordDownload() {
    Stop();
    if (sink_)
        sink_->Close();
}

bool RecordDownload::Start() {
    std::shared_ptr<RecordDownload> self = shared_from_this();
    return worker_.Start([self] { self->Run(); });
}

void RecordDownload::Stop() {
    stop_.store(true);
    link_->Shutdown();
    worker_.Join();
}

void RecordDownload::Run() {
    int32_t result = Transfer();
    link_->Shutdown();
    const bool written = sink_->Close();
    sink_.reset();
    if (result < 0)
        return;  // stopped: no end event
    if (result == VEKNET_DOWNLOAD_OK && !written)
        result = VEKNET_DOWNLOAD_WRITE_FAILED;
    if (result == VEKNET_DOWNLOAD_OK)
        Event(VEKNET_DOWNLOAD_PROGRESS, 100);
    Event(VEKNET_DOWNLOAD_END, result);
}

int32_t RecordDownload::Transfer() {
    uint64_t received = 0;
    int32_t percent = -1;
    Clock::time_point heard = Clock::now();
    while (!stop_.load()) {
        Message m;
        const ReadResult r = link_->Read(&m, kReadStepMs);
        if (stop_.load())
            break;
        if (r == ReadResult::kIdle) {
            const auto silent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - heard);
            if (silent.count() > kDownloadSilenceMs)
                return VEKNET_DOWNLOAD_LINK_LOST;
            continue;
        }
        if (r != ReadResult::kOk)
            return VEKNET_DOWNLOAD_LINK_LOST;
        heard = Clock::now();
        if (m.type == kEnd) {
            uint32_t epoch = 0;
            // The record is complete only when every byte announced came.
            return ReadEnd(m, &epoch) && received == total_ ? VEKNET_DOWNLOAD_OK : VEKNET_DOWNLOAD_LINK_LOST;
        }
        FrameView f;
        if (!ReadFrame(m, &f) || f.size > total_ - received)
            return VEKNET_DOWNLOAD_LINK_LOST;  // malformed, or more than the recorder announced
        if (!sink_->Write(f.frame, f.size))
            return VEKNET_DOWNLOAD_WRITE_FAILED;
        received += f.size;
        // 100 is kept for the complete file.
        const uint64_t now = received * 100 / total_;
        const int32_t p = static_cast<int32_t>(now < 99 ? now : 99);
        if (p > percent) {
            percent = p;
            Event(VEKNET_DOWNLOAD_PROGRESS, p);
        }
    }
    return -1;
}

void RecordDownload::Event(int32_t code, int32_t value) {
    // Stop waits for this thread, so an event checked here never comes after
    // Stop returned.
    if (!stop_.load() && params_.callback)
        params_.callback(code, value, params_.user);
}

}  // namespace veknet
