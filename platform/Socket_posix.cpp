// Sockets over the BSD calls.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>

#include "platform/Socket.h"

namespace plova::net {

static_assert(kReadable == POLLIN && kWritable == POLLOUT);
namespace {

using Clock = std::chrono::steady_clock;

int millisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// recv with `flags`, retried when interrupted: bytes read, 0 at the end of the stream, -1 on an error.
long receiveWith(const Socket& s, void* buffer, std::size_t size, int flags) {
    for (;;) {
        const ssize_t n = ::recv(s.Native(), buffer, size, flags);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

}  // namespace

void Socket::Close() {
    if (socket_ < 0) return;
    ::shutdown(socket_, SHUT_RDWR);
    ::close(socket_);
    socket_ = kNoSocket;
}

StopSignal::StopSignal() : socket_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

StopSignal::~StopSignal() {
    if (socket_ >= 0) ::close(socket_);
}

void StopSignal::Raise() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto n = ::write(socket_, &one, sizeof one);
}

// poll rather than select: a process with many open files may hand out
// descriptors above FD_SETSIZE, which select cannot watch.
Wait WaitFor(NativeSocket fd, short events, int millis, NativeSocket stopFd) {
    if (fd < 0) return Wait::Failed;
    const bool unlimited = millis < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : millis);
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    const nfds_t count = stopFd >= 0 ? 2 : 1;
    for (;;) {
        // After an interruption only the rest of the wait is left.
        const int r = ::poll(fds, count, unlimited ? -1 : millisLeft(deadline));
        if (r > 0) {
            if (count == 2 && (fds[1].revents & POLLIN)) return Wait::Stopped;
            if (fds[0].revents & POLLNVAL) return Wait::Failed;
            return Wait::Ready;
        }
        if (r == 0) return Wait::TimedOut;
        if (errno != EINTR) return Wait::Failed;
    }
}

Wait WaitForAny(std::span<Watch> watches, int millis) {
    constexpr std::size_t kMost = 8;
    if (watches.size() > kMost) return Wait::Failed;
    pollfd fds[kMost] = {};
    for (std::size_t i = 0; i < watches.size(); ++i) {
        // poll leaves a negative descriptor out.
        fds[i] = {watches[i].socket, watches[i].events, 0};
        watches[i].ready = false;
    }
    const bool unlimited = millis < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : millis);
    for (;;) {
        const int r = ::poll(fds, watches.size(), unlimited ? -1 : millisLeft(deadline));
        if (r > 0) {
            for (std::size_t i = 0; i < watches.size(); ++i) watches[i].ready = fds[i].revents != 0;
            return Wait::Ready;
        }
        if (r == 0) return Wait::TimedOut;
        if (errno != EINTR) return Wait::Failed;
    }
}

Wait WaitReadable(const Socket& s, int millis) {
    return WaitFor(s.Fd(), POLLIN, std::max(millis, 0));
}
Wait WaitWritable(const Socket& s, int millis) {
    return WaitFor(s.Fd(), POLLOUT, std::max(millis, 0));
}

Socket OpenStream(Mode mode) {
    const int nonBlocking = mode == Mode::NonBlocking ? SOCK_NONBLOCK : 0;
    return Socket(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | nonBlocking, IPPROTO_TCP), mode);
}

namespace {
ConnectResult connectResultOf(int error) {
    switch (error) {
    case ECONNREFUSED: return ConnectResult::Refused;
    case ETIMEDOUT: return ConnectResult::TimedOut;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN: return ConnectResult::Unreachable;
    default: return ConnectResult::Failed;
    }
}
}  // namespace

ConnectResult Connect(Socket& s, const sockaddr_in& address, int millis, NativeSocket stopFd) {
    if (!s.IsOpen()) return ConnectResult::Failed;
    if (address.sin_addr.s_addr == 0) return ConnectResult::NoAddress;
    // Non-blocking for the connection only, so the wait for it is bounded.
    const int flags = ::fcntl(s.Fd(), F_GETFL, 0);
    if (flags < 0 || ::fcntl(s.Fd(), F_SETFL, flags | O_NONBLOCK) != 0) return ConnectResult::Failed;
    if (::connect(s.Fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return connectResultOf(errno);
        switch (WaitFor(s.Fd(), POLLOUT, std::max(millis, 0), stopFd)) {
        case Wait::Ready: break;
        case Wait::TimedOut: return ConnectResult::TimedOut;
        case Wait::Stopped: return ConnectResult::Stopped;
        case Wait::Failed: return ConnectResult::Failed;
        }
        int error = 0;
        socklen_t len = sizeof error;
        if (::getsockopt(s.Fd(), SOL_SOCKET, SO_ERROR, &error, &len) != 0) return ConnectResult::Failed;
        if (error != 0) return connectResultOf(error);
    }
    return ::fcntl(s.Fd(), F_SETFL, flags) == 0 ? ConnectResult::Connected : ConnectResult::Failed;
}

std::optional<sockaddr_in> ResolveIPv4(const std::string& host) {
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

std::optional<sockaddr_in> LocalAddress(const Socket& s) {
    sockaddr_in out{};
    socklen_t len = sizeof out;
    if (::getsockname(s.Fd(), reinterpret_cast<sockaddr*>(&out), &len) != 0 || out.sin_family != AF_INET)
        return std::nullopt;
    return out;
}

std::optional<sockaddr_in> PeerAddress(const Socket& s) {
    sockaddr_in out{};
    socklen_t len = sizeof out;
    if (::getpeername(s.Fd(), reinterpret_cast<sockaddr*>(&out), &len) != 0 || out.sin_family != AF_INET)
        return std::nullopt;
    return out;
}

bool BindAndListen(Socket& s, const sockaddr_in& address, int backlog) {
    if (!s.IsOpen()) return false;
    if (::bind(s.Fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    return ::listen(s.Fd(), backlog) == 0;
}

Socket AcceptWithin(const Socket& listener, int millis) {
    if (WaitReadable(listener, millis) != Wait::Ready) return Socket();
    for (;;) {
        const int fd = ::accept4(listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) return Socket(fd, Mode::Blocking);
        if (errno != EINTR) return Socket();
    }
}

Socket AcceptNow(const Socket& listener, Mode mode) {
    if (WaitReadable(listener, 0) != Wait::Ready) return Socket();
    const int nonBlocking = mode == Mode::NonBlocking ? SOCK_NONBLOCK : 0;
    for (;;) {
        const int fd = ::accept4(listener.Fd(), nullptr, nullptr, SOCK_CLOEXEC | nonBlocking);
        if (fd >= 0) return Socket(fd, mode);
        if (errno != EINTR) return Socket();
    }
}

bool SendAtOnce(Socket& s) {
    int yes = 1;
    return ::setsockopt(s.Fd(), IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes) == 0;
}

bool AllowQuickRebind(Socket& s) {
    int yes = 1;
    return ::setsockopt(s.Fd(), SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes) == 0;
}

long SendSome(const Socket& s, const void* data, std::size_t size) {
    for (;;) {
        // MSG_NOSIGNAL: a peer that hung up must give an error, not end the program.
        const ssize_t n = ::send(s.Fd(), data, size, MSG_NOSIGNAL);
        if (n >= 0) return static_cast<long>(n);
        if (errno != EINTR) return -1;
    }
}

long Receive(const Socket& s, void* buffer, std::size_t size) {
    return receiveWith(s, buffer, size, 0);
}

long Peek(const Socket& s, void* buffer, std::size_t size) {
    return receiveWith(s, buffer, size, MSG_PEEK);
}

long ReceiveNow(const Socket& s, void* buffer, std::size_t size) {
    const long n = receiveWith(s, buffer, size, MSG_DONTWAIT);
    return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) ? kWouldBlock : n;
}

long SendNow(const Socket& s, const void* data, std::size_t size) {
    for (;;) {
        const ssize_t n = ::send(s.Fd(), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) return static_cast<long>(n);
        if (errno == EAGAIN || errno == EWOULDBLOCK) return kWouldBlock;
        if (errno != EINTR) return -1;
    }
}

bool SendAll(const Socket& s, std::string_view bytes, int millis, NativeSocket stopFd) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(millis);
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    while (size > 0) {
        // MSG_DONTWAIT: a blocking socket must not hold the sender past the deadline either.
        const ssize_t n = ::send(s.Fd(), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int left = millisLeft(deadline);
            if (left <= 0) return false;
            if (WaitFor(s.Fd(), POLLOUT, left, stopFd) != Wait::Ready) return false;
            continue;
        }
        return false;
    }
    return true;
}

std::optional<std::uint16_t> ServicePort(const char* name, const char* protocol) {
    const servent* entry = ::getservbyname(name, protocol);
    if (entry == nullptr) return std::nullopt;
    return ntohs(static_cast<std::uint16_t>(entry->s_port));
}

std::string Dotted(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) == nullptr) return {};
    return text;
}

}  // namespace plova::net
