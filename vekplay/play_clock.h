// vekplay/play_clock.h
//
// The time source of the render threads, and the one way they sleep.
//
// Every render thread owns a Waiter made by the instance's Clock. It sleeps only
// through Waiter::SleepUntil (a deadline on that clock, or kNever), and every
// change another thread makes to what the render thread should do ends in
// Waiter::Wake. A Wake that comes before the sleep is not lost: the next
// SleepUntil returns at once.
//
//   SystemClock   monotonic microseconds; real sleeping
//   VirtualClock  time moves only when told to (Advance, RunFor), so pacing
//                 can be measured exactly. Settle() waits until every thread
//                 that sleeps through it is asleep with nothing left to do
//                 at the current time; RunFor() moves from deadline to
//                 deadline and settles at each.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace vekplay {

inline constexpr int64_t kNever = INT64_MAX;

class Waiter {
  public:
    virtual ~Waiter() = default;
    // Returns when woken, when the deadline has come, or spuriously.
    virtual void SleepUntil(int64_t deadlineUs) = 0;
    // Any thread. Makes the current or next SleepUntil return.
    virtual void Wake() = 0;
    // The owning thread ends: it no longer counts as busy.
    virtual void Retire() = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual int64_t NowUs() = 0;
    virtual std::shared_ptr<Waiter> MakeWaiter() = 0;
};

class SystemClock final : public Clock {
  public:
    int64_t NowUs() override;
    std::shared_ptr<Waiter> MakeWaiter() override;
};

// The process-wide system clock.
Clock& TheSystemClock();

class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(int64_t startUs = 1000000) : now_(startUs) {}
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    int64_t NowUs() override;
    std::shared_ptr<Waiter> MakeWaiter() override;

    // Waits (up to `realTimeoutMs` of real time) until every live waiter is
    // asleep, not woken, with a deadline in the future. False on time-out.
    bool Settle(uint32_t realTimeoutMs = 10000);
    // Moves the time by `us` in one jump (after settling), then settles.
    bool Advance(int64_t us);
    // Moves the time forward by `us`, stopping at every deadline on the way
    // and settling there, so each thread sees each of its deadlines exactly.
    bool RunFor(int64_t us);

  private:
    class VWaiter;
    friend class VWaiter;

    std::mutex mutex_;
    std::condition_variable changed_;  // time moved, or a waiter was woken
    std::condition_variable idle_;     // a waiter went to sleep or retired
    int64_t now_;
    std::vector<VWaiter*> waiters_;
};

}  // namespace vekplay
