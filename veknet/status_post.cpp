// veknet/status_post.cpp
#include "veknet/status_post.h"

#include <mutex>

namespace veknet {

namespace {

std::mutex gHookLock;
StatusHook& Hook() {
    static StatusHook* hook = new StatusHook();  // outlives every static destructor
    return *hook;
}

}  // namespace

void SetStatusHook(StatusHook hook) {
    std::lock_guard<std::mutex> hold(gHookLock);
    Hook() = std::move(hook);
}

void PostStatus(const StatusTarget& target, uint32_t status) {
    StatusHook hook;
    {
        std::lock_guard<std::mutex> hold(gHookLock);
        hook = Hook();
    }
    if (hook)
        hook(target, status);
    else
        SystemPostStatus(target, status);
}

}  // namespace veknet
