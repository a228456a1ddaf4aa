// veknet/record_play.cpp
#include "veknet/record_play.h"

namespace veknet {

namespace {

// How long the reader waits for a message before it looks at its stop flag.
constexpr uint32_t kReadStepMs = 500;

}  // namespace

std::shared_ptr<RecordPlay> RecordPlay::Open(const StreamTarget& target, const PlayParams& params) {
    std::shared_ptr<Link> link =
        OpenStream(target, kPlayOpen, {target.session, params.channel, params.start, params.end});
    if (!link)
        return nullptr;
    return std::shared_ptr<RecordPlay>(new RecordPlay(std::move(link), params));
}

RecordPlay::RecordPlay(std::shared_ptr<Link> link, const PlayParams& params)
    : link_(std::move(link)), params_(params) {}

RecordPlay::~RecordPlay() {
    Stop();
}

bool RecordPlay::Start() {
    std::shared_ptr<RecordPlay> self = shared_from_this();
    if (!reader_.Start([self] { self->ReadLoop(); }))
        return false;
    if (!deliverer_.Start([self] { self->DeliverLoop(); })) {
        Stop();
        return false;
    }
    return true;
}

void RecordPlay::RequestData() {
    std::lock_guard<std::mutex> hold(lock_);
    paused_ = false;
    requests_++;
    wake_.notify_all();
}

void RecordPlay::Reposition(const WireTime& position, const WireTime& end) {
    uint32_t epoch = 0;
    {
        std::unique_lock<std::mutex> hold(lock_);
        epoch = ++epoch_;
        queue_.clear();
        queued_ = 0;
        unacked_ = 0;
        paused_ = false;
        holding_ = true;
        ended_ = lost_;  // on a lost link nothing more comes: the end mark follows the replay
        endHanded_ = false;
        if (!deliverer_.IsCurrent())
            wake_.wait(hold, [&] { return !inCallback_ || stop_; });
    }
    // A failed send means the link is going; the reader notices.
    link_->Send(MakeSeek({epoch, position, end}));
}

void RecordPlay::Replay() {
    std::lock_guard<std::mutex> hold(lock_);
    holding_ = false;
    wake_.notify_all();
}

void RecordPlay::Stop() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    link_->Shutdown();
    reader_.Join();
    deliverer_.Join();
}

void RecordPlay::ReadLoop() {
    for (;;) {
        Message m;
        const ReadResult r = link_->Read(&m, kReadStepMs);
        std::lock_guard<std::mutex> hold(lock_);
        if (stop_)
            return;
        if (r == ReadResult::kIdle)
            continue;
        bool bad = r != ReadResult::kOk;
        if (!bad && m.type == kFrame) {
            FrameView f;
            if (!ReadFrame(m, &f)) {
                bad = true;
            } else if (f.epoch == epoch_ && !ended_) {
                // More than the window allows under way is a recorder that
                // ignores flow control: stop before the queue grows further.
                if (queued_ + unacked_ + f.size > static_cast<uint64_t>(kPlayWindow) + media::kMaxFrameSize) {
                    bad = true;
                } else {
                    queue_.emplace_back(f.frame, f.frame + f.size);
                    queued_ += f.size;
                    wake_.notify_all();
                }
            }  // frames of an older epoch were asked for before a seek: dropped
        } else if (!bad && m.type == kEnd) {
            uint32_t epoch = 0;
            if (!ReadEnd(m, &epoch)) {
                bad = true;
            } else if (epoch == epoch_) {
                ended_ = true;
                wake_.notify_all();
            }
        } else {
            bad = true;
        }
        if (bad) {
            lost_ = true;
            ended_ = true;
            wake_.notify_all();
            link_->Shutdown();
            return;
        }
    }
}

bool RecordPlay::Deliverable() const {
    return !paused_ && !holding_ && (!queue_.empty() || (ended_ && !endHanded_));
}

void RecordPlay::DeliverLoop() {
    for (;;) {
        std::vector<uint8_t> frame;
        bool endMark = false;
        uint32_t epoch = 0;
        uint64_t requests = 0;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [&] { return stop_ || Deliverable(); });
            if (stop_)
                return;
            epoch = epoch_;
            requests = requests_;
            inCallback_ = true;
            endMark = queue_.empty();
            if (!endMark) {
                frame = std::move(queue_.front());
                queue_.pop_front();
                queued_ -= frame.size();
            }
        }
        // No lock is held while the callback runs: it may call back into the
        // library (request data, reposition, even stop).
        const int32_t taken =
            endMark ? params_.callback(nullptr, 0, params_.user)
                    : params_.callback(frame.data(), static_cast<uint32_t>(frame.size()), params_.user);
        uint32_t credit = 0;
        {
            std::lock_guard<std::mutex> hold(lock_);
            inCallback_ = false;
            wake_.notify_all();
            if (stop_)
                return;
            if (epoch != epoch_)
                continue;  // repositioned meanwhile: what was in hand belongs to the old position
            if (taken == 0) {
                paused_ = requests == requests_;
                if (!endMark) {
                    queued_ += frame.size();
                    queue_.push_front(std::move(frame));
                }
                continue;
            }
            if (endMark) {
                endHanded_ = true;
                continue;
            }
            unacked_ += static_cast<uint32_t>(frame.size());
            if (unacked_ >= kCreditStep || queue_.empty()) {
                credit = unacked_;
                unacked_ = 0;
            }
        }
        if (credit)
            Credit(epoch, credit);
    }
}

void RecordPlay::Credit(uint32_t epoch, uint32_t bytes) {
    link_->Send(MakeCredit({epoch, bytes}));  // a failed send: the reader sees the link go
}

}  // namespace veknet
