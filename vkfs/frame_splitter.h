// vkfs/frame_splitter.h
//
// Cutting the recorder's stream into whole frames. Every frame starts with a
// 40-byte header: "VkFm", a type letter, and at +12 the payload length; the
// frame handed on is header plus payload. Padding, extension bytes and junk
// between frames are passed over by the search for the next "VkFm".
//
// The stream arrives in blocks of any length. FrameBuffer holds the bytes not
// yet handed on: a block is written at its end (in place, by the reader), then
// frames are taken from the front; the unfinished rest stays for the next
// block, and moves to the buffer's start only when the next block would not
// fit behind it.
// What stays between blocks is bounded: an incomplete frame (below
// media::kMaxFrameSize bytes), an incomplete header (below 40) or, when no magic
// is in sight, the last 39 bytes (where a magic split by the block end may begin).
//
// A header whose frame would be longer than media::kMaxFrameSize is damaged: its 40
// bytes are skipped and the search resumes behind them. The length test is
// made on the payload before adding the header, so a payload near 2^32 cannot
// wrap to a short frame.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "media/frame_header.h"

namespace vkfs {

inline constexpr size_t kFrameBufferSize = 1024 * 1024;
inline constexpr size_t kReadBlockSize = 0x50000;

// Where the next whole frame lies in buf[from, total).
struct FrameScan {
    bool found = false;
    size_t offset = 0;    // found: the frame's header
    size_t length = 0;    // found: header plus payload
    size_t keepFrom = 0;  // not found: the first byte that must be kept for the next block
};
FrameScan ScanFrame(const uint8_t* buf, size_t total, size_t from);

// Position of the next "VkFm" at or after `from` with its type letter inside
// buf[0, total), or `total` when there is none.
size_t FindFrameMagic(const uint8_t* buf, size_t total, size_t from);

class FrameBuffer {
  public:
    FrameBuffer();
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    // Room for the next block, behind what is kept from the last one: at least
    // kReadBlockSize bytes. Call between blocks (after Next returned false);
    // it may move the kept bytes to the buffer's start.
    uint8_t* WriteArea();
    // Bytes kept from earlier blocks.
    size_t Fill() const { return end_ - begin_; }
    // Forgets everything held; `zero` also clears the memory.
    void Reset(bool zero);

    // Takes a block of `length` bytes written at WriteArea(). `skip` bytes at
    // the block's start are not stream (the reader's alignment in front of the
    // first frame after a seek); they count only when nothing is kept.
    void Commit(size_t length, size_t skip = 0);
    // The next whole frame of what is held, or false when the rest must wait
    // for the next block. A frame stays where it is, valid until the next call.
    bool Next(uint8_t** frame, size_t* length);

  private:
    std::unique_ptr<uint8_t[]> data_;
    // Between blocks: the kept bytes are [begin_, end_). While a block is
    // taken apart: [pos_, total_) is still to be scanned.
    size_t begin_ = 0;
    size_t end_ = 0;
    size_t total_ = 0;
    size_t pos_ = 0;
};

}  // namespace vkfs
