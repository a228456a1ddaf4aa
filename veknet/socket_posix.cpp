// veknet/socket_posix.cpp
//
// Sockets over the POSIX calls. Sends use MSG_NOSIGNAL: a peer that went
// away makes the send fail instead of raising SIGPIPE.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "veknet/socket.h"

namespace veknet {

namespace {

int Fd(intptr_t handle) {
    return static_cast<int>(handle);
}

void SetError(std::string* error, const std::string& what, int code) {
    if (error)
        *error = what + ": " + std::strerror(code);
}

// Waits for `events` on fd; 1 ready, 0 timed out, -1 error.
int PollFor(int fd, short events, int timeoutMs) {
    pollfd p{fd, events, 0};
    for (;;) {
        const int n = ::poll(&p, 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 ? -1 : n;
    }
}

// Waits for a connect in progress in short steps, so that a cancel is seen
// soon; 1 connected (or failed: see SO_ERROR), 0 timed out or cancelled.
int WaitConnected(int fd, uint32_t timeoutMs, const std::atomic<bool>* cancel) {
    constexpr uint32_t kStepMs = 50;
    for (uint32_t waited = 0; waited < timeoutMs; waited += kStepMs) {
        if (cancel && cancel->load())
            return 0;
        const int ready = PollFor(fd, POLLOUT, static_cast<int>(kStepMs));
        if (ready != 0)
            return ready;
    }
    return 0;
}

bool Resolve(const std::string& host, uint16_t port, sockaddr_in* out, std::string* error) {
    std::memset(out, 0, sizeof(*out));
    out->sin_family = AF_INET;
    out->sin_port = htons(port);
    if (::inet_pton(AF_INET, host.c_str(), &out->sin_addr) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || !found) {
        if (error)
            *error = "cannot resolve " + host + ": " + ::gai_strerror(rc);
        return false;
    }
    out->sin_addr = reinterpret_cast<const sockaddr_in*>(static_cast<const void*>(found->ai_addr))->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

}  // namespace

bool StartNetworking() {
    return true;
}

void StopNetworking() {}

Socket::~Socket() {
    Close();
}

void Socket::Close() {
    if (handle_ >= 0) {
        ::close(Fd(handle_));
        handle_ = -1;
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
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetError(error, "socket", errno);
        return nullptr;
    }
    std::unique_ptr<Socket> s(new Socket(fd));
    // Non-blocking for the connect only, so that it can time out.
    const int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr));
    if (rc < 0 && errno == EINPROGRESS) {
        const int ready = WaitConnected(fd, timeoutMs, cancel);
        if (ready <= 0) {
            SetError(error, "connect to " + host, ready == 0 ? ETIMEDOUT : errno);
            return nullptr;
        }
        int code = 0;
        socklen_t len = sizeof(code);
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &code, &len);
        if (code != 0) {
            SetError(error, "connect to " + host, code);
            return nullptr;
        }
        rc = 0;
    }
    if (rc < 0) {
        SetError(error, "connect to " + host, errno);
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, flags);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return s;
}

std::unique_ptr<Socket> Socket::ListenLoopback(uint16_t port, std::string* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetError(error, "socket", errno);
        return nullptr;
    }
    std::unique_ptr<Socket> s(new Socket(fd));
    const int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof(addr)) < 0) {
        SetError(error, "bind 127.0.0.1:" + std::to_string(port), errno);
        return nullptr;
    }
    if (::listen(fd, 16) < 0) {
        SetError(error, "listen", errno);
        return nullptr;
    }
    return s;
}

std::unique_ptr<Socket> Socket::Accept(uint32_t timeoutMs) {
    if (PollFor(Fd(handle_), POLLIN, static_cast<int>(timeoutMs)) <= 0)
        return nullptr;
    const int fd = ::accept4(Fd(handle_), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return nullptr;
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof(one));
    return std::unique_ptr<Socket>(new Socket(fd));
}

uint16_t Socket::LocalPort() const {
    sockaddr_in addr{};
    socklen_t len = sizeof(addr);
    if (::getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&addr), &len) < 0)
        return 0;
    return ntohs(addr.sin_port);
}

long Socket::SendSome(const char* p, size_t size) {
    for (;;) {
        const ssize_t n = ::send(Fd(handle_), p, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0 ? static_cast<long>(n) : -1;
    }
}

long Socket::ReceiveSome(char* p, size_t size) {
    const ssize_t n = ::recv(Fd(handle_), p, size, 0);
    if (n >= 0)
        return static_cast<long>(n);
    if (errno == EINTR || errno == EAGAIN)
        return kTryAgain;
    return errno == ECONNRESET ? 0 : -1;
}

int Socket::PollReadable(uint32_t timeoutMs) {
    return PollFor(Fd(handle_), POLLIN, static_cast<int>(timeoutMs));
}

void Socket::Shutdown() {
    if (handle_ >= 0)
        ::shutdown(Fd(handle_), SHUT_RDWR);
}

}  // namespace veknet
