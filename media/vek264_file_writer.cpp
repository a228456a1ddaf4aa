// media/vek264_file_writer.cpp
#include "media/vek264_file_writer.h"

#include <cstring>
#include <new>

#include "platform/le_bytes.h"

using media::FrameTimeUs;
using platform::PutU16;
using platform::PutU32;
using platform::PutU64;

CVek264FileWirte::CVek264FileWirte() : cutter_(/*typed=*/true) {}

CVek264FileWirte::~CVek264FileWirte() {
    if (file_.IsOpen())
        Close();
}

int CVek264FileWirte::Open(const char* path) {
    if (file_.IsOpen())
        Close();
    if (!file_.Open(path, media::BinaryFile::Mode::CreateAlways))
        return 0;
    uint8_t head[k264HeaderSize] = {};
    std::memcpy(head, "ALVkFile", 8);
    PutU32(head + 8, 16);
    std::memcpy(head + 12, "Full", 4);
    media::MakeFileGuid(head + 24);
    if (!file_.Write(head, sizeof head)) {
        file_.Close();
        return 0;
    }
    writePos_ = k264HeaderSize;
    failed_ = false;
    cutter_.WaitForKeyFrame();
    return 1;
}

void CVek264FileWirte::Write(const unsigned char* data, unsigned len, unsigned scanStart) {
    if (!file_.IsOpen())
        return;
    cutter_.Feed(data, len, scanStart, [this](const uint8_t* frame, uint32_t size, bool firstKey) {
        if (firstKey)
            firstTime_ = FrameTimeUs(frame);
        WriteFrame(frame, size);
    });
}

void CVek264FileWirte::WriteFrame(const uint8_t* frame, uint32_t size) {
    static const uint8_t kZeros[8] = {};
    const uint32_t pad = (8 - size % 8) % 8;
    if (!file_.Write(frame, size) || (pad && !file_.Write(kZeros, pad))) {
        // Drop the frame; the next one overwrites what reached the file.
        failed_ = true;
        file_.Seek(writePos_);
        return;
    }
    lastTime_ = FrameTimeUs(frame);
    if (media::FrameTypeAt(frame) == media::kFrameKey && index_.size() < k264MaxIndexEntries) {
        try {
            index_.push_back({lastTime_, writePos_});
        } catch (const std::bad_alloc&) {
            failed_ = true;
        }
    }
    writePos_ += size + pad;
}

int CVek264FileWirte::Close() {
    bool ok = true;
    if (file_.IsOpen()) {
        const size_t count = index_.size();
        uint8_t head[8];
        PutU64(head, writePos_);
        ok = file_.Seek(16) && file_.Write(head, 8);
        uint8_t times[16];
        PutU64(times, firstTime_);
        PutU64(times + 8, lastTime_);
        ok = file_.Seek(40) && file_.Write(times, 16) && ok;

        std::vector<uint8_t> tail;
        try {
            tail.assign(k264IndexHeaderSize + count * 16, 0);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
        if (!tail.empty()) {
            std::memcpy(tail.data(), "ListIdx", 8);  // with its zero byte
            PutU16(tail.data() + 8, 16);
            PutU16(tail.data() + 10, 16);
            PutU32(tail.data() + 12, static_cast<uint32_t>(count * 16));
            for (size_t i = 0; i < count; i++) {
                PutU64(tail.data() + 16 + i * 16, index_[i].time);
                PutU64(tail.data() + 24 + i * 16, index_[i].offset);
            }
            ok = file_.Seek(writePos_) && file_.Write(tail.data(), tail.size()) && ok;
            // A failed frame write may have left bytes past the index.
            ok = file_.SetLength(writePos_ + tail.size()) && ok;
        }
        ok = file_.Close() && ok && !failed_;
    }
    cutter_.Reset();
    writePos_ = 0;
    firstTime_ = 0;
    lastTime_ = 0;
    index_.clear();
    failed_ = false;
    return ok ? 1 : 0;
}
