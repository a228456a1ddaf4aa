// veknet/socket.h
//
// The little of TCP that VekNet and the simulated recorder need: IPv4 stream
// sockets that connect with a time-out, listen on the loopback address, and
// send and receive whole buffers. The whole-buffer loops are shared
// (socket.cpp); the system calls are one file per system (socket_posix.cpp,
// socket_win32.cpp).
//
// Blocking sockets throughout; waits are bounded by poll/select. Shutdown may be
// called from another thread while one is blocked in a receive or a wait on
// the socket: it wakes it (the receive sees the end of the stream). Close
// belongs to the owner once no other thread uses the socket any more.
//
// On Windows, Winsock must be started first: StartNetworking / StopNetworking
// count their calls (the library's init and release, the simulator's start
// and stop); elsewhere they do nothing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace veknet {

bool StartNetworking();
void StopNetworking();

enum class IoResult {
    kOk,
    kClosed,   // the peer ended the stream (or Shutdown was called)
    kTimeout,  // nothing, or not everything, arrived in time
    kError,
};

class Socket {
  public:
    ~Socket();
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    // Connects to host:port, `host` a dotted IPv4 address or a name. Null on
    // failure, with the reason in *error when given. The wait ends early, in
    // failure, once *cancel turns true.
    static std::unique_ptr<Socket> Connect(const std::string& host,
                                           uint16_t port,
                                           uint32_t timeoutMs,
                                           std::string* error = nullptr,
                                           const std::atomic<bool>* cancel = nullptr);
    // Listens on 127.0.0.1:port (0: a port the system chooses, see LocalPort).
    static std::unique_ptr<Socket> ListenLoopback(uint16_t port, std::string* error = nullptr);

    // A connection waiting on a listening socket, within `timeoutMs`; null
    // when none came (or the socket was shut down).
    std::unique_ptr<Socket> Accept(uint32_t timeoutMs);
    uint16_t LocalPort() const;

    // Sends every byte or fails.
    bool SendAll(const void* data, size_t size);
    // Receives exactly `size` bytes within `timeoutMs` altogether.
    IoResult ReceiveAll(void* data, size_t size, uint32_t timeoutMs);
    // True when data (or the end of the stream) is waiting, within `timeoutMs`.
    bool WaitReadable(uint32_t timeoutMs);

    // Ends both directions; wakes a thread blocked on the socket. Idempotent.
    void Shutdown();

  private:
    explicit Socket(intptr_t handle) : handle_(handle) {}
    void Close();

    // One system call each, in socket_posix.cpp or socket_win32.cpp. SendSome:
    // the bytes sent (at least 1), or -1. ReceiveSome: the bytes received, 0 at
    // the end of the stream (or a reset), -1 on failure, kTryAgain when
    // interrupted. PollReadable: > 0 readable, 0 timed out, < 0 failed.
    static constexpr long kTryAgain = -2;
    long SendSome(const char* p, size_t size);
    long ReceiveSome(char* p, size_t size);
    int PollReadable(uint32_t timeoutMs);

    intptr_t handle_;  // the system's socket (int or SOCKET)
};

}  // namespace veknet
