// vekplay/play_host.h
//
// What the portable core asks of the system it runs on:
//
//   RenderTarget  shows pictures in a window (one per instance). Present runs on
//                 the instance's render thread and calls the draw hook on that
//                 thread before the picture is shown. The window and the hook
//                 may be changed from any thread at any time.
//   Post          the library's notices (PostMessage on Windows). Called only on
//                 render threads, never waits.
//   AudioSink     plays decoded samples (render thread only).
//   Clock         the time the render threads pace by.
//
// The Win32 shell implements these with GDI, PostMessage and waveOut; natively
// the null host draws nowhere and drops notices, and tests bring their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/callconv.h"
#include "vekplay/picture.h"
#include "vekplay/play_clock.h"

namespace vekplay {

// The draw callback as registered: the caller's function and its user word. The
// function takes (device context, width, height, user); it is kept as a plain
// function pointer and the target calls it with its system's context type.
using AnyFunction = void (*)();
using PortableDrawFn = void(VEK_CALL*)(void* dc, int32_t width, int32_t height, uintptr_t user);

struct DrawHook {
    AnyFunction fn = nullptr;
    uintptr_t user = 0;
};

// 60 Hz: how often a screen shows a new picture.
inline constexpr int64_t kScreenRefreshUs = 16667;

class RenderTarget {
  public:
    virtual ~RenderTarget() = default;
    virtual void SetWindow(uintptr_t window) = 0;
    virtual void SetDrawHook(const DrawHook& hook) = 0;
    virtual void Present(const Picture& picture) = 0;
    // The shortest time between two pictures the screen shows; pictures that
    // follow closer are not all drawn while play flows. 0: each one is seen.
    virtual int64_t RefreshUs() const { return 0; }
};

class AudioSink {
  public:
    virtual ~AudioSink() = default;
    // `volume` 0..100.
    virtual void Play(const int16_t* samples, size_t count, int rate, int channels, int volume) = 0;
    // Stops at once, dropping what is queued (sound switched off, seek).
    virtual void Stop() = 0;
};

class Host {
  public:
    virtual ~Host() = default;
    virtual Clock& clock() = 0;
    virtual std::unique_ptr<RenderTarget> CreateTarget() = 0;
    virtual std::unique_ptr<AudioSink> CreateAudioSink() = 0;
    virtual void Post(uintptr_t window, uint32_t message, uint32_t code, uintptr_t user) = 0;
};

// The host of this build: Win32 in VekPlay.dll, the null host natively.
std::shared_ptr<Host> MakeSystemHost();

// Draws nowhere; calls the draw hook with a null device context and the
// picture's size, so hooks still run on the render thread. It stands for a
// screen: what a window would not show is not drawn here either.
class NullTarget final : public RenderTarget {
  public:
    void SetWindow(uintptr_t) override {}
    void SetDrawHook(const DrawHook& hook) override;
    void Present(const Picture& picture) override;
    int64_t RefreshUs() const override { return kScreenRefreshUs; }

  private:
    std::mutex mutex_;
    DrawHook hook_;
};

class NullAudioSink final : public AudioSink {
  public:
    void Play(const int16_t*, size_t, int, int, int) override {}
    void Stop() override {}
};

}  // namespace vekplay
