// veknet/status_post.h
//
// How a login status reaches the program: posted to the login request's
// window as the request's message, with the status in wParam (PostMessage on
// Windows). Where there are no windows the library posts nowhere, and tests
// put a hook of their own in the system's place.
#pragma once

#include <cstdint>
#include <functional>

namespace veknet {

struct StatusTarget {
    uintptr_t window = 0;
    uint32_t message = 0;
};

using StatusHook = std::function<void(const StatusTarget& target, uint32_t status)>;

// Replaces the system's posting (an empty hook restores it). Not to be
// changed while a connection runs.
void SetStatusHook(StatusHook hook);

void PostStatus(const StatusTarget& target, uint32_t status);

// The system's posting: status_post_win32.cpp, status_post_none.cpp.
void SystemPostStatus(const StatusTarget& target, uint32_t status);

}  // namespace veknet
