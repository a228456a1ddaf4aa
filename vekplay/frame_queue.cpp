// vekplay/frame_queue.cpp
#include "vekplay/frame_queue.h"

namespace vekplay {

uint64_t FrameQueue::SpanLocked() const {
    if (videoTimes_.size() < 2 || videoTimes_.back() < videoTimes_.front())
        return 0;
    return videoTimes_.back() - videoTimes_.front();
}

bool FrameQueue::FullLocked() const {
    return bytes_ >= limits_.maxBytes || frames_ >= limits_.maxFrames || SpanLocked() >= limits_.maxSpanUs;
}

bool FrameQueue::AtLowWaterLocked() const {
    return bytes_ <= limits_.maxBytes / 2 && frames_ <= limits_.maxFrames / 2 &&
           SpanLocked() <= limits_.maxSpanUs / 2;
}

void FrameQueue::EndEpisodeLocked(bool* wantData) {
    if (!refusing_)
        return;
    refusing_ = false;
    if (wantData)
        *wantData = true;
}

namespace {

// The frame a source that held still after a refusal sends next.
bool Follows(const Frame& next, const Frame& refused) {
    constexpr uint64_t kSecond = 1000000;
    const uint64_t a = next.time(), b = refused.time();
    return next.header.channel == refused.header.channel && (a >= b ? a - b : b - a) <= kSecond;
}

}  // namespace

void FrameQueue::AppendLocked(FramePtr frame, bool afterGap) {
    if (frame->IsVideo())
        videoTimes_.push_back(frame->time());
    bytes_ += frame->bytes.size();
    frames_++;
    QueueItem item;
    item.frame = std::move(frame);
    item.afterGap = afterGap;
    items_.push_back(std::move(item));
}

bool FrameQueue::Push(FramePtr frame) {
    if (!frame)
        return true;
    std::lock_guard<std::mutex> lock(mutex_);
    const RefusedKey key{frame->time(), frame->payloadSize(), frame->header.type, frame->header.channel};
    if (refusing_ || FullLocked()) {
        if (!gapPending_) {
            firstRefused_ = key;
            keptRefused_ = frame;
            gapPending_ = true;
            otherRefused_ = false;
        } else if (!(key == firstRefused_)) {
            otherRefused_ = true;
        }
        refusing_ = true;
        return false;
    }
    bool afterGap = false;
    if (gapPending_) {
        if (!(key == firstRefused_)) {
            if (!otherRefused_ && keptRefused_ && Follows(*frame, *keptRefused_))
                AppendLocked(std::move(keptRefused_), false);
            else
                afterGap = true;
        }
        gapPending_ = false;
        keptRefused_.reset();
    }
    AppendLocked(std::move(frame), afterGap);
    return true;
}

void FrameQueue::PushEnd() {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(QueueItem{});
}

bool FrameQueue::Front(QueueItem* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (items_.empty())
        return false;
    *out = items_.front();
    return true;
}

bool FrameQueue::FrontFrameTime(uint64_t* time) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (items_.empty() || !items_.front().frame)
        return false;
    *time = items_.front().frame->time();
    return true;
}

bool FrameQueue::FrontVideo(QueueItem* out) const {
    std::lock_guard<std::mutex> lock(mutex_);
    bool afterGap = false;
    for (const QueueItem& item : items_) {
        if (!item.frame)
            return false;
        afterGap = afterGap || item.afterGap;
        if (item.frame->IsVideo()) {
            out->frame = item.frame;
            out->afterGap = afterGap;
            return true;
        }
    }
    return false;
}

bool FrameQueue::Pop(QueueItem* out, bool* wantData) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (items_.empty())
        return false;
    *out = std::move(items_.front());
    items_.pop_front();
    if (out->frame) {
        bytes_ -= out->frame->bytes.size();
        frames_--;
        if (out->frame->IsVideo() && !videoTimes_.empty())
            videoTimes_.pop_front();
    }
    if (AtLowWaterLocked())
        EndEpisodeLocked(wantData);
    return true;
}

void FrameQueue::Flush(bool* wantData) {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.clear();
    videoTimes_.clear();
    bytes_ = 0;
    frames_ = 0;
    gapPending_ = false;  // the reader restarts at a key frame anyway
    keptRefused_.reset();
    EndEpisodeLocked(wantData);
}

size_t FrameQueue::frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

size_t FrameQueue::bytes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return bytes_;
}

bool FrameQueue::refusing() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return refusing_;
}

}  // namespace vekplay
