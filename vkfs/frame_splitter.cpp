// vkfs/frame_splitter.cpp
#include "vkfs/frame_splitter.h"

#include <algorithm>
#include <cstring>

#include "media/frame_cutter.h"

namespace vkfs {

namespace {

using media::kFrameHeaderSize;
using media::kMaxFrameSize;

// Without a magic in sight, the bytes a split magic or header may begin in.
constexpr size_t kTailKeep = kFrameHeaderSize - 1;

static_assert(kFrameBufferSize >= kMaxFrameSize + kReadBlockSize,
              "a block must fit behind the longest unfinished frame");
static_assert(kFrameBufferSize <= UINT32_MAX, "buffer positions are 32-bit for the frame search");

}  // namespace

size_t FindFrameMagic(const uint8_t* buf, size_t total, size_t from) {
    // A magic counts only with its type letter in the buffer; any letter.
    const int64_t at =
        media::FindFrameHeader(buf, static_cast<uint32_t>(from), static_cast<uint32_t>(total), nullptr);
    return at < 0 ? total : static_cast<size_t>(at);
}

FrameScan ScanFrame(const uint8_t* buf, size_t total, size_t from) {
    FrameScan scan;
    while (true) {
        if (from >= total || total - from < kFrameHeaderSize) {
            scan.keepFrom = std::min(from, total);
            return scan;
        }
        const size_t magic = FindFrameMagic(buf, total, from);
        if (magic == total) {
            scan.keepFrom = std::max(from, total - kTailKeep);
            return scan;
        }
        if (total - magic < kFrameHeaderSize) {
            scan.keepFrom = magic;
            return scan;
        }
        const uint32_t payload = media::FramePayloadSize(buf + magic);
        if (payload > media::kMaxFramePayload) {
            from = magic + kFrameHeaderSize;  // damaged header: resynchronise behind it
            continue;
        }
        const size_t length = kFrameHeaderSize + payload;
        if (total - magic < length) {
            scan.keepFrom = magic;
            return scan;
        }
        scan.found = true;
        scan.offset = magic;
        scan.length = length;
        return scan;
    }
}

FrameBuffer::FrameBuffer() : data_(new uint8_t[kFrameBufferSize]()) {}

uint8_t* FrameBuffer::WriteArea() {
    if (kFrameBufferSize - end_ < kReadBlockSize) {
        const size_t kept = end_ - begin_;
        if (kept && begin_)
            std::memmove(data_.get(), data_.get() + begin_, kept);
        begin_ = 0;
        end_ = kept;
    }
    return data_.get() + end_;
}

void FrameBuffer::Reset(bool zero) {
    if (zero)
        std::memset(data_.get(), 0, kFrameBufferSize);
    begin_ = end_ = total_ = pos_ = 0;
}

void FrameBuffer::Commit(size_t length, size_t skip) {
    length = std::min(length, kFrameBufferSize - end_);
    pos_ = end_ == begin_ ? end_ + std::min(skip, length) : begin_;
    total_ = end_ + length;
}

bool FrameBuffer::Next(uint8_t** frame, size_t* length) {
    const FrameScan scan = ScanFrame(data_.get(), total_, pos_);
    if (scan.found) {
        *frame = data_.get() + scan.offset;
        *length = scan.length;
        pos_ = scan.offset + scan.length;
        return true;
    }
    begin_ = scan.keepFrom;
    end_ = pos_ = total_;
    if (begin_ == end_)
        begin_ = end_ = pos_ = total_ = 0;  // nothing kept: start over at the front
    return false;
}

}  // namespace vkfs
