// vekplay/play_file.cpp
#include "vekplay/play_file.h"

#include <algorithm>
#include <cstring>

#include "media/avi_file_writer.h"
#include "media/vek264_file_writer.h"
#include "platform/le_bytes.h"

namespace vekplay {

namespace {

using media::kFrameHeaderSize;
using media::kMaxFramePayload;
using platform::FourCC;
using platform::GetU32;
using platform::GetU64;

constexpr uint32_t kAviVideoTrailer = kFrameHeaderSize;  // the frame header itself
constexpr size_t kWindowSize = 1 << 20;

// Sequential access to a file through a 1 MB window.
class ByteWindow {
  public:
    ByteWindow(InputFile* file, uint64_t end) : file_(file), end_(std::min(end, file->size())) {}

    // `need` bytes at `pos`, or null when they are not all in the file (or
    // cannot be read).
    const uint8_t* At(uint64_t pos, size_t need) {
        if (need > kWindowSize || pos > end_ || end_ - pos < need)
            return nullptr;
        if (pos < start_ || pos + need > start_ + length_) {
            buffer_.resize(kWindowSize);
            const size_t want = static_cast<size_t>(std::min<uint64_t>(kWindowSize, end_ - pos));
            size_t got = 0;
            if (!file_->ReadAt(pos, buffer_.data(), want, &got) || got < need)
                return nullptr;
            start_ = pos;
            length_ = got;
        }
        return buffer_.data() + (pos - start_);
    }
    uint64_t end() const { return end_; }

  private:
    InputFile* file_;
    uint64_t end_;
    std::vector<uint8_t> buffer_;
    uint64_t start_ = 0;
    size_t length_ = 0;
};

}  // namespace

std::unique_ptr<PlayFile> PlayFile::Open(const char* path, std::string* why, size_t maxFrames) {
    std::unique_ptr<PlayFile> f(new PlayFile());
    f->maxFrames_ = maxFrames;
    if (!f->file_.Open(path)) {
        if (why)
            *why = "cannot open the file";
        return nullptr;
    }
    uint8_t head[16] = {};
    size_t got = 0;
    f->file_.ReadAt(0, head, sizeof head, &got);
    bool ok = false;
    if (got >= 12 && std::memcmp(head, "RIFF", 4) == 0 && std::memcmp(head + 8, "AVI ", 4) == 0) {
        f->kind_ = FileKind::kAvi;
        ok = f->ScanAvi();
    } else if (got >= 8 && std::memcmp(head, "ALVkFile", 8) == 0) {
        f->kind_ = FileKind::kContainer;
        uint8_t indexAt[8];
        uint64_t end = f->file_.size();
        if (f->file_.ReadExact(16, indexAt, 8)) {
            const uint64_t index = GetU64(indexAt);
            if (index >= k264HeaderSize && index <= end)
                end = index;  // 0 while the file was still being written
        }
        ok = f->ScanRaw(k264HeaderSize, end);
    } else {
        f->kind_ = FileKind::kRaw;
        ok = f->ScanRaw(0, f->file_.size());
    }
    if (!ok) {
        if (why)
            *why = "no frame in the file";
        return nullptr;
    }
    return f;
}

bool PlayFile::ScanRaw(uint64_t begin, uint64_t end) {
    ByteWindow w(&file_, end);
    uint64_t pos = begin;
    while (pos + kFrameHeaderSize <= w.end() && frames_.size() < maxFrames_) {
        const uint8_t* p = w.At(pos, 4);
        if (!p)
            break;
        if (!media::IsFrameMagic(p)) {
            pos++;
            continue;
        }
        const uint8_t* h = w.At(pos, kFrameHeaderSize);
        uint32_t size = 0;
        if (!h || !HeaderLooksValid(h, &size) || w.end() - pos - kFrameHeaderSize < size) {
            pos++;
            continue;
        }
        FileFrame f;
        f.offset = pos;
        f.time = media::FrameTimeUs(h);
        f.size = size;
        f.type = static_cast<char>(media::FrameTypeAt(h));
        frames_.push_back(f);
        pos += kFrameHeaderSize + size;
    }
    return !frames_.empty();
}

bool PlayFile::ScanAvi() {
    ByteWindow w(&file_, file_.size());
    // Find the movi list among the top-level chunks.
    uint64_t movi = 0;
    for (uint64_t pos = 12; pos + 12 <= w.end();) {
        const uint8_t* c = w.At(pos, 12);
        if (!c)
            break;
        const uint32_t length = GetU32(c + 4);
        if (GetU32(c) == FourCC("LIST") && GetU32(c + 8) == FourCC("movi")) {
            movi = pos + 12;
            break;
        }
        pos += 8 + static_cast<uint64_t>(length) + (length & 1);
    }
    if (movi == 0)
        movi = kAviHeaderArea;

    // Walk the chunks one after the other (the index is not needed, and a file
    // whose writing was cut short has none). A chunk that does not check out is
    // stepped over two bytes at a time until one does.
    for (uint64_t pos = movi; pos + 8 <= w.end() && frames_.size() < maxFrames_;) {
        const uint8_t* c = w.At(pos, 8);
        if (!c)
            break;
        const uint32_t tag = GetU32(c);
        const uint32_t length = GetU32(c + 4);
        if (tag == FourCC("idx1"))
            break;
        const bool video = tag == FourCC("00db") || tag == FourCC("00dc");
        const bool audio = tag == FourCC("01wb");
        if (!video && !audio) {
            pos += 2;
            continue;
        }
        const uint32_t trailer = video ? kAviVideoTrailer : kAviAudioTrailer;
        const uint64_t payloadAt = pos + 8;
        const uint8_t* t = length <= kMaxFramePayload ? w.At(payloadAt + length, trailer) : nullptr;
        bool sound = t && HeaderLooksValid(t, nullptr);
        const uint8_t type = t ? media::FrameTypeAt(t) : 0;
        if (sound && video)
            sound = type != media::kFrameAudio && (type == media::kFrameKey) == (tag == FourCC("00db"));
        if (sound && audio)
            sound = type == media::kFrameAudio && length <= kMaxFramePayload - 4;
        if (!sound) {
            pos += 2;
            continue;
        }
        FileFrame f;
        f.offset = payloadAt;
        f.time = media::FrameTimeUs(t);
        f.stored = length;
        f.size = video ? length : length + 4;
        f.type = static_cast<char>(type);
        frames_.push_back(f);
        const uint64_t span = static_cast<uint64_t>(length) + trailer;
        pos = payloadAt + span + (span & 1);
    }
    return !frames_.empty();
}

bool PlayFile::Read(size_t index, Frame* out) {
    if (index >= frames_.size())
        return false;
    const FileFrame& f = frames_[index];
    std::vector<uint8_t> bytes;
    if (kind_ != FileKind::kAvi) {
        bytes.resize(kFrameHeaderSize + f.size);
        if (!file_.ReadExact(f.offset, bytes.data(), bytes.size()))
            return false;
    } else {
        const bool video = f.type != 'A';
        const uint32_t trailer = video ? kAviVideoTrailer : kAviAudioTrailer;
        std::vector<uint8_t> chunk(f.stored + trailer);
        if (!file_.ReadExact(f.offset, chunk.data(), chunk.size()))
            return false;
        const uint8_t* t = chunk.data() + f.stored;
        bytes.resize(kFrameHeaderSize + f.size);
        std::memcpy(bytes.data(), t, kFrameHeaderSize);
        uint8_t* payload = bytes.data() + kFrameHeaderSize;
        if (video) {
            std::memcpy(payload, chunk.data(), f.stored);
        } else {
            std::memcpy(payload, t + kFrameHeaderSize, 4);  // the block's prefix
            std::memcpy(payload + 4, chunk.data(), f.stored);
        }
        media::PutFramePayloadSize(bytes.data(), f.size);
    }
    Frame frame;
    if (ParseFrame(bytes.data(), bytes.size(), &frame) != FrameCheck::kOk || frame.payloadSize() != f.size ||
        frame.type() != f.type)
        return false;
    *out = std::move(frame);
    return true;
}

bool PlayFile::TimeRange(uint64_t* first, uint64_t* last) const {
    bool any = false;
    uint64_t lo = 0, hi = 0;
    for (const FileFrame& f : frames_) {
        if (f.type == 'A')
            continue;
        lo = any ? std::min(lo, f.time) : f.time;
        hi = any ? std::max(hi, f.time) : f.time;
        any = true;
    }
    if (any) {
        *first = lo;
        *last = hi;
    }
    return any;
}

size_t PlayFile::KeyFrameAtOrBefore(uint64_t timeUs) const {
    size_t best = kNone;
    size_t earliest = kNone;
    for (size_t i = 0; i < frames_.size(); i++) {
        const FileFrame& f = frames_[i];
        if (f.type != 'I')
            continue;
        if (earliest == kNone || f.time < frames_[earliest].time)
            earliest = i;
        if (f.time <= timeUs && (best == kNone || f.time >= frames_[best].time))
            best = i;
    }
    return best != kNone ? best : earliest;
}

}  // namespace vekplay
