// veknet/socket.cpp
//
// The whole-buffer transfers and waits, over each system's single calls.
#include "veknet/socket.h"

#include <chrono>

namespace veknet {

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

bool Socket::SendAll(const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const long n = SendSome(p, size);
        if (n <= 0)
            return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

IoResult Socket::ReceiveAll(void* data, size_t size, uint32_t timeoutMs) {
    char* p = static_cast<char*>(data);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (size > 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left < 0)
            return IoResult::kTimeout;
        const int ready = PollReadable(static_cast<uint32_t>(left));
        if (ready == 0)
            return IoResult::kTimeout;
        if (ready < 0)
            return IoResult::kError;
        const long n = ReceiveSome(p, size);
        if (n == kTryAgain)
            continue;
        if (n == 0)
            return IoResult::kClosed;
        if (n < 0)
            return IoResult::kError;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return IoResult::kOk;
}

bool Socket::WaitReadable(uint32_t timeoutMs) {
    return PollReadable(timeoutMs) != 0;
}

}  // namespace veknet
