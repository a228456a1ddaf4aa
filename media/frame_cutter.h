// media/frame_cutter.h
//
// Cuts recorder frames out of a byte stream that arrives in blocks which do not
// respect frame boundaries (an export's data callback, a converter's file reads).
// Both file writers own one.
//
// A frame is the 40-byte "VkFm" header and the payload whose length it gives at
// +12; whatever lies between frames (padding, extension bytes, damage) is
// skipped by searching for the next magic. A header whose frame would exceed
// 512,000 bytes is taken for garbage and skipped by 40 bytes. Until the first
// key frame ('I') every frame is dropped.
//
// Bytes of a frame not yet complete, of a header not yet complete, and the tail
// that may hold the start of a magic are kept in the 1 MB cut buffer for the
// next call; nothing that was handed on is ever kept again.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "media/frame_header.h"

namespace media {

inline constexpr uint32_t kCutBufferSize = 0x100000;  // 1,048,576
inline constexpr uint32_t kMaxFeedBlock = 0x50000;    // 327,680: the most one step takes in

// Frame types as the cutter reports them.
inline constexpr int kCutTypeKey = 1;    // 'I'
inline constexpr int kCutTypeDelta = 2;  // 'P'
inline constexpr int kCutTypeAudio = 4;  // 'A'

// Position of the first "VkFm" at or after `start` whose fifth byte lies before
// `end`; -1 when there is none. With `type`, only magics followed by 'I', 'P' or
// 'A' count, and *type receives 1, 2 or 4.
int64_t FindFrameHeader(const uint8_t* buffer, uint32_t start, uint32_t end, int* type);

class FrameCutter {
  public:
    // typed: search with the type (a magic followed by another letter is not a
    // frame); untyped: any magic starts a frame candidate.
    explicit FrameCutter(bool typed);
    FrameCutter(const FrameCutter&) = delete;
    FrameCutter& operator=(const FrameCutter&) = delete;

    // Feeds `len` bytes. onFrame(const uint8_t* frame, uint32_t size, bool firstKey)
    // is called for every complete frame after the key-frame wait, in stream order;
    // `frame` points at its header and stays valid only during the call; firstKey
    // is true for the key frame that ended the wait. Blocks longer than 327,680
    // bytes are taken in pieces. scanStart (0 from every caller) is where the
    // search starts in the bytes held plus the new ones.
    template <typename OnFrame>
    void Feed(const uint8_t* data, uint32_t len, uint32_t scanStart, OnFrame&& onFrame);

    // Back to the state after construction: waiting for a key frame, nothing held,
    // the buffer zeroed.
    void Reset();
    void WaitForKeyFrame() { waitForKey_ = true; }

    bool waiting() const { return waitForKey_; }
    uint32_t held() const { return held_; }

  private:
    template <typename OnFrame>
    void Step(const uint8_t* data, uint32_t len, uint32_t scanStart, OnFrame& onFrame);
    // Cuts frames out of src[0, total) from position s on, then keeps what the
    // next block may complete.
    template <typename OnFrame>
    void Scan(const uint8_t* src, uint32_t total, uint32_t s, OnFrame& onFrame);
    // Size of the frame whose first bytes are held, when they are a complete
    // header of a frame the cutter takes and not the whole frame; else 0.
    uint32_t HeldFrameSize() const;
    // The key-frame wait for one complete frame, then the frame step.
    template <typename OnFrame>
    void Deliver(const uint8_t* frame, uint32_t size, OnFrame& onFrame);
    void Keep(const uint8_t* src, uint32_t from, uint32_t total);

    const bool typed_;
    bool waitForKey_ = true;
    uint32_t held_ = 0;
    std::unique_ptr<uint8_t[]> buffer_;
};

template <typename OnFrame>
void FrameCutter::Feed(const uint8_t* data, uint32_t len, uint32_t scanStart, OnFrame&& onFrame) {
    if (!data)
        return;
    while (len > 0) {
        const uint32_t piece = len < kMaxFeedBlock ? len : kMaxFeedBlock;
        Step(data, piece, scanStart, onFrame);
        data += piece;
        len -= piece;
        scanStart = 0;
    }
}

// Cutting the bytes held followed by the new ones. The usual case is cut
// without copying the block: the bytes held are the start of one frame (a block
// ended inside it), so only the rest of that frame is added to them, and the
// remaining frames are cut straight out of the caller's block.
template <typename OnFrame>
void FrameCutter::Step(const uint8_t* data, uint32_t len, uint32_t scanStart, OnFrame& onFrame) {
    uint8_t* const buf = buffer_.get();
    if (scanStart == 0) {
        if (const uint32_t size = HeldFrameSize()) {
            const uint32_t need = size - held_;
            const uint32_t take = need < len ? need : len;
            std::memcpy(buf + held_, data, take);
            held_ += take;
            if (take < need)
                return;  // still incomplete
            held_ = 0;
            Deliver(static_cast<const uint8_t*>(buf), size, onFrame);
            Scan(data, len, need, onFrame);
            return;
        }
    }
    // held_ < 512,000 between calls and len <= 327,680, so this always fits.
    std::memcpy(buf + held_, data, len);
    const uint32_t total = held_ + len;
    if (total < kFrameHeaderSize) {
        held_ = total;
        return;
    }
    Scan(static_cast<const uint8_t*>(buf), total, scanStart < total ? scanStart : total, onFrame);
}

template <typename OnFrame>
void FrameCutter::Scan(const uint8_t* src, uint32_t total, uint32_t s, OnFrame& onFrame) {
    for (;;) {
        int type = 0;
        const int64_t found = FindFrameHeader(src, s, total, typed_ ? &type : nullptr);
        if (found < 0) {
            // Up to 39 bytes may be the start of a header that the next block
            // completes, but never bytes before s: those were consumed.
            const uint32_t unread = total - s;
            Keep(src, total - (unread < kFrameHeaderSize - 1 ? unread : kFrameHeaderSize - 1), total);
            return;
        }
        const uint32_t p = static_cast<uint32_t>(found);
        if (total - p < kFrameHeaderSize) {
            Keep(src, p, total);
            return;
        }
        // Compared before adding the header, so a length near 2^32 cannot wrap.
        const uint32_t payload = FramePayloadSize(src + p);
        if (payload > kMaxFramePayload) {
            s = p + kFrameHeaderSize;
            continue;
        }
        const uint32_t size = kFrameHeaderSize + payload;
        if (total - p < size) {
            Keep(src, p, total);
            return;
        }
        Deliver(src + p, size, onFrame);
        s = p + size;
    }
}

template <typename OnFrame>
void FrameCutter::Deliver(const uint8_t* frame, uint32_t size, OnFrame& onFrame) {
    bool firstKey = false;
    if (waitForKey_) {
        if (FrameTypeAt(frame) != kFrameKey)
            return;  // dropped
        waitForKey_ = false;
        firstKey = true;
    }
    onFrame(frame, size, firstKey);
}

}  // namespace media
