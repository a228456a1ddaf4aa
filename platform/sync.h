// platform/sync.h
//
// Events, semaphores, threads and sleeping over the standard library, with the
// semantics of their Win32 namesakes, because the worker-thread code built on
// them was designed around CreateEvent / CreateSemaphore / CreateThread /
// WaitForSingleObject:
//
//   Event      auto-reset: Set wakes one waiter, or, with none waiting, stays
//              signalled until one Wait consumes it. Manual-reset: Set releases
//              every waiter and the event stays signalled until Reset.
//   Semaphore  a count between 0 and a maximum; Wait takes one, Release(n) adds n
//              and fails, changing nothing, when the count would pass the maximum.
//   Thread     runs one callable. Its destructor JOINS a running thread, so stop
//              the work (set its stop event) before the object goes away; a
//              Thread destroyed by its own thread detaches instead.
//   Mutex      simply std::mutex, with LockGuard = std::lock_guard<std::mutex>.
//
// Waits take a time-out in milliseconds, kInfinite for none, and return whether
// the object was signalled (false: timed out). Nothing here throws.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

inline constexpr uint32_t kInfinite = 0xFFFFFFFFu;

using Mutex = std::mutex;
using LockGuard = std::lock_guard<std::mutex>;

class Event {
  public:
    enum Kind { AutoReset, ManualReset };

    explicit Event(Kind kind, bool signalled = false) : manual_(kind == ManualReset), signalled_(signalled) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Reset();
    // Waits until signalled or `timeoutMs` has passed. An auto-reset event is
    // reset by the Wait that sees it signalled.
    bool Wait(uint32_t timeoutMs = kInfinite);

  private:
    const bool manual_;
    bool signalled_;
    std::mutex mutex_;
    std::condition_variable changed_;
};

class Semaphore {
  public:
    // `initial` is clamped to [0, maximum]; a maximum below 1 is taken as 1.
    Semaphore(int32_t initial, int32_t maximum);
    Semaphore(const Semaphore&) = delete;
    Semaphore& operator=(const Semaphore&) = delete;

    // Adds `count` (at least 1). Fails when the sum would exceed the maximum, and
    // then the count is unchanged. `previous`, when given, receives the count
    // before the call.
    bool Release(int32_t count = 1, int32_t* previous = nullptr);
    // Takes one unit, waiting up to `timeoutMs` for one to be available.
    bool Wait(uint32_t timeoutMs = kInfinite);

  private:
    const int32_t maximum_;
    int32_t count_;
    std::mutex mutex_;
    std::condition_variable changed_;
};

class Thread {
  public:
    Thread() = default;
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;
    Thread(Thread&&) noexcept = default;
    // Joins the thread this object ran before taking over `other`'s.
    Thread& operator=(Thread&& other) noexcept;

    // Starts `body` on a new thread. Fails when `body` is empty, when this object
    // still holds a thread that was not joined, or when the system cannot create
    // one. An exception leaving `body` ends the process, as it would in a Win32
    // thread procedure.
    bool Start(std::function<void()> body);
    // Waits for the thread to end. Fails when there is nothing to join, or when
    // called from the thread itself (which would never return).
    bool Join();
    // True from Start until Join, even after the body has returned.
    bool Joinable() const { return thread_.joinable(); }
    // True when called on the thread this object runs.
    bool IsCurrent() const { return thread_.joinable() && thread_.get_id() == std::this_thread::get_id(); }

  private:
    void Finish();  // joins, or detaches when called on the thread itself

    std::thread thread_;
};

void SleepMs(uint32_t ms);

}  // namespace platform
