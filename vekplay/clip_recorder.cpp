// vekplay/clip_recorder.cpp
#include "vekplay/clip_recorder.h"

#include "media/avi_file_writer.h"

namespace vekplay {

ClipRecorder::ClipRecorder() = default;

ClipRecorder::~ClipRecorder() {
    Stop(nullptr, nullptr);
}

bool ClipRecorder::Start(const char* path) {
    Stop(nullptr, nullptr);
    if (!path || !*path)
        return false;
    auto writer = std::make_unique<CVekAviFileWirte>();
    if (!writer->Open(path))
        return false;
    std::lock_guard<std::mutex> lock(mutex_);
    writer_ = std::move(writer);
    keySeen_ = false;
    first_ = last_ = 0;
    return true;
}

void ClipRecorder::Feed(const Frame& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!writer_)
        return;
    // The writer starts at the first key frame itself; the times follow it.
    if (!keySeen_) {
        if (!frame.IsKey())
            return;
        keySeen_ = true;
        first_ = frame.time();
    }
    last_ = frame.time();
    writer_->Write(frame.bytes.data(), static_cast<unsigned>(frame.bytes.size()));
}

bool ClipRecorder::Stop(uint64_t* first, uint64_t* last) {
    std::unique_ptr<CVekAviFileWirte> writer;
    uint64_t f = 0, l = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        writer = std::move(writer_);
        f = first_;
        l = last_;
    }
    if (first)
        *first = f;
    if (last)
        *last = l;
    if (!writer)
        return false;
    return writer->Close() != 0;
}

bool ClipRecorder::active() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writer_ != nullptr;
}

}  // namespace vekplay
