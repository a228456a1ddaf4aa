// veknet/link.h
//
// A connection that carries protocol messages (veknet/protocol.h), used by
// both ends. Sends may come from several threads (a play's delivery thread
// acknowledges frames while the caller's thread asks for a seek); reads come
// from one thread at a time.
//
// Once the first byte of a message has arrived, the rest must follow within
// kMessageTimeoutMs: a peer that stalls half way is treated like one that
// went away, so no reader waits on it for ever.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "veknet/protocol.h"
#include "veknet/socket.h"

namespace veknet {

inline constexpr uint32_t kMessageTimeoutMs = 10000;

enum class ReadResult {
    kOk,
    kIdle,       // nothing arrived within the wait
    kClosed,     // the peer ended the connection (or it was shut down)
    kMalformed,  // a header or body this protocol does not allow
    kFailed,     // the system reported an error, or a message stalled half way
};

class Link {
  public:
    explicit Link(std::unique_ptr<Socket> socket) : socket_(std::move(socket)) {}

    bool Send(const Message& message);
    // Bytes already encoded (one or more whole messages, or anything at all:
    // the tests' hostile recorder sends what it likes).
    bool SendBytes(const uint8_t* data, size_t size);
    // Waits up to `waitMs` for a message to start, then reads it whole.
    ReadResult Read(Message* out, uint32_t waitMs);
    // Ends the connection in both directions and wakes a reader; idempotent.
    void Shutdown() { socket_->Shutdown(); }

  private:
    std::unique_ptr<Socket> socket_;
    std::mutex sendLock_;
};

}  // namespace veknet
