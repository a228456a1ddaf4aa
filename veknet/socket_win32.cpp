// veknet/socket_win32.cpp
//
// Sockets over Winsock 2. Winsock is started by the first StartNetworking and
// cleaned up by the StopNetworking that balances the last one.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>

#include "veknet/socket.h"

namespace veknet {

namespace {

std::mutex gStartLock;
int gStarts = 0;

// Winsock takes an int length: larger buffers go in pieces.
constexpr size_t kMaxChunk = 0x100000;

SOCKET Sock(intptr_t handle) {
    return static_cast<SOCKET>(handle);
}

void SetError(std::string* error, const std::string& what, int code) {
    if (error)
        *error = what + ": Winsock error " + std::to_string(code);
}

// Waits until the socket is readable (or writable); 1 ready, 0 timed out, -1 error.
int SelectFor(SOCKET s, bool write, uint32_t timeoutMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(s, &errors);
    timeval tv;
    tv.tv_sec = static_cast<long>(timeoutMs / 1000);
    tv.tv_usec = static_cast<long>(timeoutMs % 1000) * 1000;
    const int n = ::select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &tv);
    if (n == SOCKET_ERROR)
        return -1;
    if (n > 0 && FD_ISSET(s, &errors))
        return write ? -1 : 1;  // a failed connect; for reads, let recv report it
    return n > 0 ? 1 : 0;
}

// Waits for a connect in progress in short steps, so that a cancel is seen
// soon; 1 connected, 0 timed out or cancelled, -1 failed.
int WaitConnected(SOCKET s, uint32_t timeoutMs, const std::atomic<bool>* cancel) {
    constexpr uint32_t kStepMs = 50;
    for (uint32_t waited = 0; waited < timeoutMs; waited += kStepMs) {
        if (cancel && cancel->load())
            return 0;
        const int ready = SelectFor(s, true, kStepMs);
        if (ready != 0)
            return ready;
    }
    return 0;
}

bool Resolve(const std::string& host, uint16_t port, sockaddr_in* out, std::string* error) {
    ZeroMemory(out, sizeof(*out));
    out->sin_family = AF_INET;
    out->sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &out->sin_addr) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        SetError(error, "cannot resolve " + host, ::WSAGetLastError());
        return false;
    }
    std::memcpy(&out->sin_addr,
                &reinterpret_cast<const sockaddr_in*>(static_cast<const void*>(found->ai_addr))->sin_addr,
                sizeof(out->sin_addr));
    ::freeaddrinfo(found);
    return true;
}

void NoDelay(SOCKET s) {
    const BOOL one = TRUE;
    ::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof(one));
}

}  // namespace

bool StartNetworking() {
    std::lock_guard<std::mutex> hold(gStartLock);
    if (gStarts == 0) {
        WSADATA data;
        if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
            return false;
    }
    gStarts++;
    return true;
}

void StopNetworking() {
    std::lock_guard<std::mutex> hold(gStartLock);
    if (gStarts > 0 && --gStarts == 0)
        ::WSACleanup();
}

Socket::~Socket() {
    Close();
}

void Socket::Close() {
    if (Sock(handle_) != INVALID_SOCKET) {
        ::closesocket(Sock(handle_));
        handle_ = static_cast<intptr_t>(INVALID_SOCKET);
    }
}

std::unique_ptr<Socket> Socket::Connect(const std::string& host,
                                        uint16_t port,
                                        uint32_t timeoutMs,
                                        std::string* error,
                                        const std::atomic<bool>* cancel) {
    sockaddr_in addr;
    if (!Resolve(host, port, &addr, error))
        return nullptr;
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        SetError(error, "socket", ::WSAGetLastError());
        return nullptr;
    }
    std::unique_ptr<Socket> owned(new Socket(static_cast<intptr_t>(s)));
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR) {
        const int code = ::WSAGetLastError();
        if (code != WSAEWOULDBLOCK) {
            SetError(error, "connect to " + host, code);
            return nullptr;
        }
        if (WaitConnected(s, timeoutMs, cancel) <= 0) {
            SetError(error, "connect to " + host, WSAETIMEDOUT);
            return nullptr;
        }
    }
    u_long blocking = 0;
    ::ioctlsocket(s, FIONBIO, &blocking);
    NoDelay(s);
    return owned;
}

std::unique_ptr<Socket> Socket::ListenLoopback(uint16_t port, std::string* error) {
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        SetError(error, "socket", ::WSAGetLastError());
        return nullptr;
    }
    std::unique_ptr<Socket> owned(new Socket(static_cast<intptr_t>(s)));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) == SOCKET_ERROR) {
        SetError(error, "bind 127.0.0.1:" + std::to_string(port), ::WSAGetLastError());
        return nullptr;
    }
    if (::listen(s, 16) == SOCKET_ERROR) {
        SetError(error, "listen", ::WSAGetLastError());
        return nullptr;
    }
    return owned;
}

std::unique_ptr<Socket> Socket::Accept(uint32_t timeoutMs) {
    if (SelectFor(Sock(handle_), false, timeoutMs) <= 0)
        return nullptr;
    const SOCKET s = ::accept(Sock(handle_), nullptr, nullptr);
    if (s == INVALID_SOCKET)
        return nullptr;
    NoDelay(s);
    return std::unique_ptr<Socket>(new Socket(static_cast<intptr_t>(s)));
}

uint16_t Socket::LocalPort() const {
    sockaddr_in addr{};
    int len = sizeof(addr);
    if (::getsockname(Sock(handle_), reinterpret_cast<sockaddr*>(&addr), &len) == SOCKET_ERROR)
        return 0;
    return ntohs(addr.sin_port);
}

long Socket::SendSome(const char* p, size_t size) {
    const int chunk = static_cast<int>(size > kMaxChunk ? kMaxChunk : size);
    const int n = ::send(Sock(handle_), p, chunk, 0);
    return n > 0 ? n : -1;
}

long Socket::ReceiveSome(char* p, size_t size) {
    const int chunk = static_cast<int>(size > kMaxChunk ? kMaxChunk : size);
    const int n = ::recv(Sock(handle_), p, chunk, 0);
    if (n != SOCKET_ERROR)
        return n;
    const int code = ::WSAGetLastError();
    if (code == WSAEWOULDBLOCK || code == WSAEINTR)
        return kTryAgain;
    return code == WSAECONNRESET || code == WSAESHUTDOWN || code == WSAECONNABORTED ? 0 : -1;
}

int Socket::PollReadable(uint32_t timeoutMs) {
    return SelectFor(Sock(handle_), false, timeoutMs);
}

void Socket::Shutdown() {
    if (Sock(handle_) != INVALID_SOCKET)
        ::shutdown(Sock(handle_), SD_BOTH);
}

}  // namespace veknet
