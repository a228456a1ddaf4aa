// tests/vekplay/test_host.h
//
// A host for the core's tests: a virtual clock (or the system clock), targets
// that record every picture presented with the clock's time, and a log of every
// notice posted. Also the streams the tests feed: synthetic frames from the
// project's stream generator, cut into whole frames.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "tools/framestream.h"
#include "vekplay/play_host.h"
#include "vekplay/play_instance.h"

namespace vekplay::test {

struct Shown {
    int64_t at = 0;     // clock time of the present
    uint64_t time = 0;  // frame time of the picture
    bool card = false;
    int width = 0;
    int height = 0;
    std::thread::id thread;
};

struct Posted {
    int64_t at = 0;  // clock time of the post
    uintptr_t window = 0;
    uint32_t message = 0;
    uint32_t code = 0;
    uintptr_t user = 0;
};

// A clock on which every look at the time takes `stepUs` of it, and sleeping
// takes none: a sleep with a deadline moves the time there at once. So a round
// of a render thread's work, from its look when it plans to its look when it
// draws, lasts a known time, and with a step longer than a frame lasts at the
// rate played, decoding falls behind the same way on every run.
class CostlyClock final : public Clock {
  public:
    explicit CostlyClock(int64_t stepUs) : step_(stepUs) {}
    CostlyClock(const CostlyClock&) = delete;
    CostlyClock& operator=(const CostlyClock&) = delete;

    int64_t NowUs() override {
        std::lock_guard<std::mutex> lock(mutex_);
        now_ += step_;
        return now_;
    }
    std::shared_ptr<Waiter> MakeWaiter() override { return std::make_shared<CWaiter>(this); }

  private:
    class CWaiter final : public Waiter {
      public:
        explicit CWaiter(CostlyClock* clock) : clock_(clock) {}
        void SleepUntil(int64_t deadlineUs) override {
            std::unique_lock<std::mutex> lock(clock_->mutex_);
            if (!woken_ && deadlineUs != kNever)
                clock_->now_ = std::max(clock_->now_, deadlineUs);
            else
                woken_cv_.wait(lock, [this] { return woken_; });
            woken_ = false;
        }
        void Wake() override {
            std::lock_guard<std::mutex> lock(clock_->mutex_);
            woken_ = true;
            woken_cv_.notify_all();
        }
        void Retire() override {}

      private:
        CostlyClock* const clock_;
        std::condition_variable woken_cv_;
        bool woken_ = false;
    };

    const int64_t step_;
    std::mutex mutex_;
    int64_t now_ = 1000000;
};

class TestHost;

class RecordingTarget final : public RenderTarget {
  public:
    RecordingTarget(TestHost* host, int64_t refreshUs) : host_(host), refresh_(refreshUs) {}
    void SetWindow(uintptr_t window) override {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = window;
    }
    void SetDrawHook(const DrawHook& hook) override {
        std::lock_guard<std::mutex> lock(mutex_);
        hook_ = hook;
    }
    void Present(const Picture& picture) override;
    int64_t RefreshUs() const override { return refresh_; }

  private:
    TestHost* host_;
    const int64_t refresh_;
    std::mutex mutex_;
    uintptr_t window_ = 0;
    DrawHook hook_;
};

class CountingSink final : public AudioSink {
  public:
    explicit CountingSink(TestHost* host) : host_(host) {}
    void Play(const int16_t* samples, size_t count, int rate, int channels, int volume) override;
    void Stop() override;

  private:
    TestHost* host_;
};

class TestHost final : public Host, public std::enable_shared_from_this<TestHost> {
  public:
    // With `virtualTime`, the clock is a VirtualClock the test moves.
    explicit TestHost(bool virtualTime = true) : virtual_(virtualTime) {}
    // The clock is a CostlyClock.
    explicit TestHost(int64_t lookStepUs)
        : virtual_(false), costly_(std::make_unique<CostlyClock>(lookStepUs)) {}

    Clock& clock() override {
        if (costly_)
            return *costly_;
        return virtual_ ? static_cast<Clock&>(vclock_) : TheSystemClock();
    }
    VirtualClock& vclock() { return vclock_; }
    std::unique_ptr<RenderTarget> CreateTarget() override {
        return std::make_unique<RecordingTarget>(this, refresh_);
    }
    std::unique_ptr<AudioSink> CreateAudioSink() override { return std::make_unique<CountingSink>(this); }
    void Post(uintptr_t window, uint32_t message, uint32_t code, uintptr_t user) override {
        std::lock_guard<std::mutex> lock(mutex_);
        posts_.push_back({clock().NowUs(), window, message, code, user});
        changed_.notify_all();
    }
    // The screen refresh the targets made from now on report (0: none).
    void SetRefresh(int64_t us) { refresh_ = us; }
    int64_t refresh() const { return refresh_; }

    // Called by targets.
    void Record(const Shown& s) {
        std::lock_guard<std::mutex> lock(mutex_);
        shown_.push_back(s);
        changed_.notify_all();
    }
    void AddSamples(size_t n) {
        std::lock_guard<std::mutex> lock(mutex_);
        samples_ += n;
    }
    void AddAudioStop() {
        std::lock_guard<std::mutex> lock(mutex_);
        audioStops_++;
    }

    std::vector<Shown> shown() {
        std::lock_guard<std::mutex> lock(mutex_);
        return shown_;
    }
    std::vector<Posted> posts() {
        std::lock_guard<std::mutex> lock(mutex_);
        return posts_;
    }
    size_t samples() {
        std::lock_guard<std::mutex> lock(mutex_);
        return samples_;
    }
    int CountPosts(uint32_t code) {
        std::lock_guard<std::mutex> lock(mutex_);
        int n = 0;
        for (const Posted& p : posts_)
            n += p.code == code;
        return n;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(mutex_);
        shown_.clear();
        posts_.clear();
    }
    // Waits in real time until `done` holds (checked under the host's lock).
    bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    }
    // Waits in real time until a notice with `code` has been posted.
    bool WaitForPost(uint32_t code, int timeoutMs = 10000) {
        return WaitFor(
            [&] {
                for (const Posted& p : posts_)
                    if (p.code == code)
                        return true;
                return false;
            },
            timeoutMs);
    }
    // For WaitFor predicates (the lock is held).
    const std::vector<Shown>& shownLocked() const { return shown_; }
    const std::vector<Posted>& postsLocked() const { return posts_; }

  private:
    const bool virtual_;
    VirtualClock vclock_;
    std::unique_ptr<CostlyClock> costly_;
    std::atomic<int64_t> refresh_{0};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Shown> shown_;
    std::vector<Posted> posts_;
    size_t samples_ = 0;
    int audioStops_ = 0;
};

inline void RecordingTarget::Present(const Picture& picture) {
    DrawHook hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hook = hook_;
    }
    if (hook.fn)
        reinterpret_cast<PortableDrawFn>(hook.fn)(nullptr, picture.width, picture.height, hook.user);
    host_->Record({host_->clock().NowUs(), picture.time, picture.card, picture.width, picture.height,
                   std::this_thread::get_id()});
}

inline void CountingSink::Play(const int16_t*, size_t count, int, int, int) {
    host_->AddSamples(count);
}

inline void CountingSink::Stop() {
    host_->AddAudioStop();
}

// Whole frames (header and payload, no padding) of a generated stream, in order.
struct TestFrames {
    vektools::Stream stream;
    std::vector<std::vector<uint8_t>> frames;

    const vektools::FrameRecord& record(size_t i) const { return stream.frames[i]; }
};

inline TestFrames MakeFrames(const vektools::StreamSpec& recipe) {
    TestFrames t;
    t.stream = vektools::BuildStream(recipe);
    for (const vektools::FrameRecord& f : t.stream.frames) {
        const uint8_t* p = t.stream.bytes.data() + f.offset;
        t.frames.emplace_back(p, p + 40 + f.size);
    }
    return t;
}

// A 25 fps stream of synthetic (card) payloads.
inline vektools::StreamSpec CardSpec(uint32_t frames,
                                     uint32_t gop = 25,
                                     uint64_t startUs = 1709640000000000ULL) {
    vektools::StreamSpec recipe;
    recipe.videoFrames = frames;
    recipe.gop = gop;
    recipe.startUs = startUs;
    recipe.iMin = 600;
    recipe.iMax = 900;
    recipe.pMin = 100;
    recipe.pMax = 300;
    return recipe;
}

}  // namespace vekplay::test
