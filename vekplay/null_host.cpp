// vekplay/null_host.cpp
//
// The host of the native build: no windows, no sound device, notices dropped.
#include "vekplay/play_host.h"

namespace vekplay {

void NullTarget::SetDrawHook(const DrawHook& hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = hook;
}

void NullTarget::Present(const Picture& picture) {
    DrawHook hook;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        hook = hook_;
    }
    if (hook.fn)
        reinterpret_cast<PortableDrawFn>(hook.fn)(nullptr, picture.width, picture.height, hook.user);
}

#ifndef _WIN32
namespace {

class NullHost final : public Host {
  public:
    Clock& clock() override { return TheSystemClock(); }
    std::unique_ptr<RenderTarget> CreateTarget() override { return std::make_unique<NullTarget>(); }
    std::unique_ptr<AudioSink> CreateAudioSink() override { return std::make_unique<NullAudioSink>(); }
    void Post(uintptr_t, uint32_t, uint32_t, uintptr_t) override {}
};

}  // namespace

std::shared_ptr<Host> MakeSystemHost() {
    return std::make_shared<NullHost>();
}
#endif

}  // namespace vekplay
