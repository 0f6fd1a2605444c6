// A socket descriptor that closes itself, and the waits the server uses.
// Every wait also watches the server's stop descriptor, so stopping the
// server wakes every session at once instead of waiting for its time-outs.
#pragma once

#include <cstdint>
#include <string>

namespace plova::sim {

class Socket {
public:
    Socket() = default;
    explicit Socket(int fd) : fd_(fd) {}
    ~Socket() { close(); }
    Socket(Socket&& other) noexcept : fd_(other.release()) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    int fd() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Shuts both directions down, then closes; a no-op on an empty socket.
    void close();
    int release();

private:
    int fd_ = -1;
};

enum class WaitResult { Ready, Timeout, Stopped, Error };

// Waits until `fd` is ready for `events` (POLLIN / POLLOUT), the stop
// descriptor becomes readable, or `timeoutMillis` pass (-1: no limit).
WaitResult waitFor(int fd, short events, int timeoutMillis, int stopFd);

// Sends every byte (blocking descriptor or not); false on a socket error or
// when the peer does not take the bytes within `timeoutMillis`.
bool sendAll(int fd, const char* data, std::size_t size, int timeoutMillis, int stopFd);
inline bool sendAll(int fd, const std::string& bytes, int timeoutMillis, int stopFd) {
    return sendAll(fd, bytes.data(), bytes.size(), timeoutMillis, stopFd);
}

// Connects a new non-blocking TCP socket to an IPv4 address (host byte order)
// within `timeoutMillis`; an empty socket on failure.
Socket connectTo(std::uint32_t address, std::uint16_t port, int timeoutMillis, int stopFd);

// "a.b.c.d" of an IPv4 address in host byte order.
std::string dottedAddress(std::uint32_t address);

}  // namespace plova::sim
