#include "sim/Socket.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

namespace plova::sim {

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

void Socket::close() {
    if (fd_ >= 0) {
        ::shutdown(fd_, SHUT_RDWR);
        ::close(fd_);
        fd_ = -1;
    }
}

int Socket::release() {
    int fd = fd_;
    fd_ = -1;
    return fd;
}

WaitResult waitFor(int fd, short events, int timeoutMillis, int stopFd) {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    const nfds_t count = stopFd >= 0 ? 2 : 1;
    for (;;) {
        int n = ::poll(fds, count, timeoutMillis);
        if (n < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Error;
        }
        if (n == 0) return WaitResult::Timeout;
        if (count == 2 && (fds[1].revents & POLLIN)) return WaitResult::Stopped;
        // A hang-up or error also counts as ready: the next read or write reports it.
        return WaitResult::Ready;
    }
}

bool sendAll(int fd, const char* data, std::size_t size, int timeoutMillis, int stopFd) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMillis);
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) return false;
            if (waitFor(fd, POLLOUT, static_cast<int>(left), stopFd) != WaitResult::Ready) return false;
            continue;
        }
        return false;
    }
    return true;
}

Socket connectTo(std::uint32_t address, std::uint16_t port, int timeoutMillis, int stopFd) {
    Socket s(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!s.valid()) return {};
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(address);
    if (::connect(s.fd(), reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return s;
    if (errno != EINPROGRESS) return {};
    if (waitFor(s.fd(), POLLOUT, timeoutMillis, stopFd) != WaitResult::Ready) return {};
    int error = 0;
    socklen_t len = sizeof error;
    if (::getsockopt(s.fd(), SOL_SOCKET, SO_ERROR, &error, &len) != 0 || error != 0) return {};
    return s;
}

std::string dottedAddress(std::uint32_t address) {
    in_addr a{htonl(address)};
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

}  // namespace plova::sim
