#include "link/Socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace plova::net {
namespace {

constexpr std::uint16_t kDefaultFtpPort = 21;

// poll rather than select: a process with many open files may hand out
// descriptors above FD_SETSIZE, which select cannot watch.
Wait waitFor(int fd, short events, int millis) {
    if (fd < 0) return Wait::Failed;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(millis < 0 ? 0 : millis);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (r > 0) {
            // A hang-up or error still counts as ready: the next read reports it.
            if (p.revents & POLLNVAL) return Wait::Failed;
            return Wait::Ready;
        }
        if (r == 0) return Wait::TimedOut;
        if (errno != EINTR) return Wait::Failed;
    }
}

bool setBlocking(int fd, bool blocking) {
    const int flags = ::fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    const int wanted = blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK);
    return ::fcntl(fd, F_SETFL, wanted) == 0;
}

}  // namespace

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

void Socket::close() {
    if (fd_ < 0) return;
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    fd_ = -1;
}

int Socket::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

Wait waitReadable(const Socket& s, int millis) { return waitFor(s.fd(), POLLIN, millis); }
Wait waitWritable(const Socket& s, int millis) { return waitFor(s.fd(), POLLOUT, millis); }

Socket openStream() { return Socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP)); }

bool connectWithin(Socket& s, const sockaddr_in& address, int millis) {
    if (!s.isOpen() || address.sin_addr.s_addr == 0) return false;
    if (!setBlocking(s.fd(), false)) return false;
    int r = ::connect(s.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (r != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return false;
        if (waitWritable(s, millis) != Wait::Ready) return false;
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) return false;
    }
    return setBlocking(s.fd(), true);
}

std::optional<sockaddr_in> resolveIPv4(const std::string& host) {
    if (host.empty()) return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
    sockaddr_in out{};
    out = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
    out.sin_port = 0;
    return out;
}

std::optional<sockaddr_in> localAddress(const Socket& s) {
    sockaddr_in out{};
    socklen_t len = sizeof out;
    if (::getsockname(s.fd(), reinterpret_cast<sockaddr*>(&out), &len) != 0 || out.sin_family != AF_INET)
        return std::nullopt;
    return out;
}

std::optional<sockaddr_in> peerAddress(const Socket& s) {
    sockaddr_in out{};
    socklen_t len = sizeof out;
    if (::getpeername(s.fd(), reinterpret_cast<sockaddr*>(&out), &len) != 0 || out.sin_family != AF_INET)
        return std::nullopt;
    return out;
}

bool bindAndListen(Socket& s, const sockaddr_in& address, int backlog) {
    if (!s.isOpen()) return false;
    if (::bind(s.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    return ::listen(s.fd(), backlog) == 0;
}

Socket acceptWithin(const Socket& listener, int millis) {
    if (waitReadable(listener, millis) != Wait::Ready) return Socket();
    for (;;) {
        const int fd = ::accept4(listener.fd(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) return Socket(fd);
        if (errno != EINTR) return Socket();
    }
}

long sendSome(const Socket& s, const void* data, std::size_t size) {
    for (;;) {
        // MSG_NOSIGNAL: a main unit that hung up must give an error, not end the program.
        const ssize_t n = ::send(s.fd(), data, size, MSG_NOSIGNAL);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

long receive(const Socket& s, void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::recv(s.fd(), buffer, size, 0);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

long peek(const Socket& s, void* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::recv(s.fd(), buffer, size, MSG_PEEK);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

std::uint16_t ftpServicePort() {
    const servent* entry = ::getservbyname("ftp", "tcp");
    if (entry == nullptr) return kDefaultFtpPort;
    return ntohs(static_cast<std::uint16_t>(entry->s_port));
}

std::string dotted(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr) return {};
    return text;
}

}  // namespace plova::net
