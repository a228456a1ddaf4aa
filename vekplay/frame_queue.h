// vekplay/frame_queue.h
//
// The input queue of a stream instance: whole frames in arrival order, and end
// marks between them. Push never waits; it refuses a frame when the queue is
// full, and from then on refuses every frame until the reader has drained the
// queue to its low-water mark. That stretch is a refusal episode: when it ends,
// the reader is told once that data is wanted again (the library posts code 1).
//
// Full means any of: the bytes held, the frames held, or the time the queued
// video covers (last pushed minus first queued) at its limit. Low water is half
// of each. Times come from the frames and may be damaged; a span that runs
// backwards counts as 0, and the byte and frame limits still bound the queue.
//
// A refused frame that is never offered again would leave a hole in the stream,
// and the pictures after it would not decode until the next key frame. So the
// queue keeps a copy of the first frame it refused in an episode, and when the
// episode is over:
//   - the same frame offered again is taken as usual;
//   - when that was the only frame refused and the next one offered follows it
//     (same channel, within a second), the kept copy goes in first: a source
//     that holds still after a refusal (as the disk play does) loses nothing;
//   - otherwise frames were lost, and the next one taken is marked `afterGap`
//     so that decoding restarts at the next key frame.
//
// Thread-safe: one mutex, held only for the queue's own bookkeeping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

#include "vekplay/frame.h"

namespace vekplay {

struct QueueLimits {
    size_t maxBytes = 4u << 20;
    size_t maxFrames = 2000;
    uint64_t maxSpanUs = 5000000;
};

struct QueueItem {
    FramePtr frame;         // null for an end mark
    bool afterGap = false;  // frames were lost in front of this one
};

class FrameQueue {
  public:
    explicit FrameQueue(const QueueLimits& limits = {}) : limits_(limits) {}
    FrameQueue(const FrameQueue&) = delete;
    FrameQueue& operator=(const FrameQueue&) = delete;

    // False: the queue is full (or a refusal episode is running) and the frame
    // was not taken.
    bool Push(FramePtr frame);
    // End marks are never refused.
    void PushEnd();

    // The first item, or false when empty.
    bool Front(QueueItem* out) const;
    // Removes the first item. `*wantData` becomes true when this ended a refusal
    // episode (it is left alone otherwise).
    bool Pop(QueueItem* out, bool* wantData);
    // Drops everything, end marks included. Ends a refusal episode the same way.
    void Flush(bool* wantData);

    // Time of the first frame item (video or audio), skipping nothing: false when
    // the first item is an end mark or the queue is empty.
    bool FrontFrameTime(uint64_t* time) const;
    // The first video frame, past audio frames but not past an end mark; its
    // afterGap is set when frames were lost in front of it. False when none.
    bool FrontVideo(QueueItem* out) const;
    size_t frames() const;
    size_t bytes() const;
    bool refusing() const;

  private:
    bool FullLocked() const;
    bool AtLowWaterLocked() const;
    uint64_t SpanLocked() const;
    void EndEpisodeLocked(bool* wantData);
    void AppendLocked(FramePtr frame, bool afterGap);

    struct RefusedKey {
        uint64_t time = 0;
        uint32_t size = 0;
        uint8_t type = 0;
        uint8_t channel = 0;
        bool operator==(const RefusedKey&) const = default;
    };

    const QueueLimits limits_;
    mutable std::mutex mutex_;
    std::deque<QueueItem> items_;
    std::deque<uint64_t> videoTimes_;  // of the video frames queued, in order
    size_t bytes_ = 0;
    size_t frames_ = 0;
    bool refusing_ = false;
    bool gapPending_ = false;    // a refused frame was not seen again yet
    bool otherRefused_ = false;  // and another one was refused after it
    RefusedKey firstRefused_;
    FramePtr keptRefused_;
};

}  // namespace vekplay
