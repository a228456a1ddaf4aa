// vekplay/play_clock.cpp
#include "vekplay/play_clock.h"

#include <algorithm>
#include <chrono>

namespace vekplay {

// ---- system clock ---------------------------------------------------------------------

namespace {

using Steady = std::chrono::steady_clock;

class SystemWaiter final : public Waiter {
  public:
    void SleepUntil(int64_t deadlineUs) override {
        std::unique_lock<std::mutex> lock(mutex_);
        if (!woken_) {
            if (deadlineUs == kNever) {
                woken_cv_.wait(lock, [this] { return woken_; });
            } else {
                const Steady::time_point until{std::chrono::microseconds(deadlineUs)};
                woken_cv_.wait_until(lock, until, [this] { return woken_; });
            }
        }
        woken_ = false;
    }
    void Wake() override {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
        woken_cv_.notify_all();
    }
    void Retire() override {}

  private:
    std::mutex mutex_;
    std::condition_variable woken_cv_;
    bool woken_ = false;
};

}  // namespace

int64_t SystemClock::NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(Steady::now().time_since_epoch()).count();
}

std::shared_ptr<Waiter> SystemClock::MakeWaiter() {
    return std::make_shared<SystemWaiter>();
}

Clock& TheSystemClock() {
    static SystemClock clock;
    return clock;
}

// ---- virtual clock --------------------------------------------------------------------

class VirtualClock::VWaiter final : public Waiter {
  public:
    explicit VWaiter(VirtualClock* clock) : clock_(clock) {}
    ~VWaiter() override {
        std::lock_guard<std::mutex> lock(clock_->mutex_);
        auto& list = clock_->waiters_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        clock_->idle_.notify_all();
    }

    void SleepUntil(int64_t deadlineUs) override {
        std::unique_lock<std::mutex> lock(clock_->mutex_);
        if (!woken_ && deadlineUs > clock_->now_) {
            sleeping_ = true;
            deadline_ = deadlineUs;
            clock_->idle_.notify_all();
            clock_->changed_.wait(lock, [this] { return woken_ || clock_->now_ >= deadline_; });
            sleeping_ = false;
        }
        woken_ = false;
    }
    void Wake() override {
        std::lock_guard<std::mutex> lock(clock_->mutex_);
        woken_ = true;
        clock_->changed_.notify_all();
    }
    void Retire() override {
        std::lock_guard<std::mutex> lock(clock_->mutex_);
        retired_ = true;
        clock_->idle_.notify_all();
    }

    // Under the clock's mutex.
    bool Idle() const { return retired_ || (sleeping_ && !woken_ && deadline_ > clock_->now_); }
    bool Sleeping() const { return !retired_ && sleeping_; }
    int64_t deadline() const { return deadline_; }

  private:
    VirtualClock* const clock_;
    bool sleeping_ = false;
    bool woken_ = false;
    bool retired_ = false;
    int64_t deadline_ = 0;
};

int64_t VirtualClock::NowUs() {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

std::shared_ptr<Waiter> VirtualClock::MakeWaiter() {
    auto waiter = std::make_shared<VWaiter>(this);
    std::lock_guard<std::mutex> lock(mutex_);
    waiters_.push_back(waiter.get());
    return waiter;
}

bool VirtualClock::Settle(uint32_t realTimeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return idle_.wait_for(lock, std::chrono::milliseconds(realTimeoutMs), [this] {
        return std::all_of(waiters_.begin(), waiters_.end(), [](const VWaiter* w) { return w->Idle(); });
    });
}

bool VirtualClock::Advance(int64_t us) {
    if (!Settle())
        return false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        now_ += us;
        changed_.notify_all();
    }
    return Settle();
}

bool VirtualClock::RunFor(int64_t us) {
    int64_t end = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        end = now_ + us;
    }
    for (;;) {
        if (!Settle())
            return false;
        std::lock_guard<std::mutex> lock(mutex_);
        int64_t next = end;
        for (const VWaiter* w : waiters_)
            if (w->Sleeping())
                next = std::min(next, w->deadline());
        now_ = std::max(now_, next);
        changed_.notify_all();
        if (now_ >= end)
            break;
    }
    return Settle();
}

}  // namespace vekplay
