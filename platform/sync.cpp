// platform/sync.cpp
#include "platform/sync.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <utility>

namespace platform {

namespace {

// Waits on `cv` until `ready()` or the time-out; returns ready().
template <typename Ready>
bool WaitFor(std::condition_variable& cv,
             std::unique_lock<std::mutex>& lock,
             uint32_t timeoutMs,
             Ready ready) {
    if (timeoutMs == kInfinite) {
        cv.wait(lock, ready);
        return true;
    }
    return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

}  // namespace

// ---- Event --------------------------------------------------------------------

void Event::Set() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
    if (manual_)
        changed_.notify_all();
    else
        changed_.notify_one();
}

void Event::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = false;
}

bool Event::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!WaitFor(changed_, lock, timeoutMs, [this] { return signalled_; }))
        return false;
    if (!manual_)
        signalled_ = false;
    return true;
}

// ---- Semaphore ----------------------------------------------------------------

Semaphore::Semaphore(int32_t initial, int32_t maximum)
    : maximum_(std::max<int32_t>(maximum, 1)), count_(std::clamp<int32_t>(initial, 0, maximum_)) {}

bool Semaphore::Release(int32_t count, int32_t* previous) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (previous)
        *previous = count_;
    if (count < 1 || count > maximum_ - count_)
        return false;
    count_ += count;
    if (count == 1)
        changed_.notify_one();
    else
        changed_.notify_all();
    return true;
}

bool Semaphore::Wait(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!WaitFor(changed_, lock, timeoutMs, [this] { return count_ > 0; }))
        return false;
    --count_;
    return true;
}

// ---- Thread -------------------------------------------------------------------

Thread::~Thread() {
    Finish();
}

Thread& Thread::operator=(Thread&& other) noexcept {
    if (this != &other) {
        Finish();
        thread_ = std::move(other.thread_);
    }
    return *this;
}

void Thread::Finish() {
    if (!thread_.joinable())
        return;
    if (IsCurrent())
        thread_.detach();
    else
        thread_.join();
}

bool Thread::Start(std::function<void()> body) {
    if (thread_.joinable() || !body)
        return false;
    try {
        // The body starts once thread_ holds it, so a body that asks its own
        // Thread whether it IsCurrent (or tries to Join) sees it fully started.
        auto started = std::make_shared<Event>(Event::ManualReset);
        thread_ = std::thread([started, run = std::move(body)] {
            started->Wait();
            run();
        });
        started->Set();
    } catch (const std::exception&) {  // std::system_error: no thread; std::bad_alloc
        return false;
    }
    return true;
}

bool Thread::Join() {
    if (!thread_.joinable() || IsCurrent())
        return false;
    thread_.join();
    return true;
}

void SleepMs(uint32_t ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
