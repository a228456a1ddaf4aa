// tests/common/wait_for.h
//
// Waiting with a deadline for something another thread does.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace vektest {

// Polls `ready` every 2 ms until it holds (true) or `ms` have passed (false).
inline bool WaitFor(const std::function<bool()>& ready, int ms = 30000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace vektest
