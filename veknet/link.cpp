// veknet/link.cpp
#include "veknet/link.h"

namespace veknet {

namespace {

ReadResult FromIo(IoResult r) {
    switch (r) {
        case IoResult::kOk:
            return ReadResult::kOk;
        case IoResult::kClosed:
            return ReadResult::kClosed;
        default:
            return ReadResult::kFailed;
    }
}

}  // namespace

bool Link::Send(const Message& message) {
    const std::vector<uint8_t> bytes = Encode(message);
    if (bytes.empty())
        return false;
    return SendBytes(bytes.data(), bytes.size());
}

bool Link::SendBytes(const uint8_t* data, size_t size) {
    std::lock_guard<std::mutex> hold(sendLock_);
    return socket_->SendAll(data, size);
}

ReadResult Link::Read(Message* out, uint32_t waitMs) {
    if (!socket_->WaitReadable(waitMs))
        return ReadResult::kIdle;
    uint8_t head[kHeaderSize];
    const IoResult got = socket_->ReceiveAll(head, sizeof(head), kMessageTimeoutMs);
    if (got != IoResult::kOk)
        return FromIo(got);
    Header header;
    if (!ParseHeader(head, &header))
        return ReadResult::kMalformed;
    // ParseHeader bounded the length by the type's largest body.
    out->type = header.type;
    out->sequence = header.sequence;
    out->body.resize(header.length);
    if (header.length == 0)
        return ReadResult::kOk;
    return FromIo(socket_->ReceiveAll(out->body.data(), header.length, kMessageTimeoutMs));
}

}  // namespace veknet
