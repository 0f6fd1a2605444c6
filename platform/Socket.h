// The few BSD-socket calls the FTP client and the main-unit simulator need,
// behind one thin layer: an owned descriptor that shuts down and closes
// itself, bounded waits, connecting, listening and the address look-ups.
// Nothing here knows FTP.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plova::net {

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
    bool isOpen() const { return fd_ >= 0; }
    // Shuts both directions down, then closes; nothing happens on a closed socket.
    void close();
    int release();

private:
    int fd_ = -1;
};

// Stopped: the stop descriptor became readable before the socket was ready.
enum class Wait { Ready, TimedOut, Stopped, Failed };

// Waits until `fd` is ready for `events` (POLLIN / POLLOUT) or `millis` pass
// (negative: no limit). With a stop descriptor (>= 0) the wait also ends as
// soon as that one becomes readable: a server stops every session's wait at
// once that way. A hang-up or error counts as ready, so the next read or
// write reports it; a closed `fd` fails at once.
Wait waitFor(int fd, short events, int millis, int stopFd = -1);

// Waits until the socket has data (or an end of stream) to read, or can take
// more bytes, for at most `millis` milliseconds (a negative wait counts as 0).
Wait waitReadable(const Socket& s, int millis);
Wait waitWritable(const Socket& s, int millis);

enum class Mode { Blocking, NonBlocking };

// A new IPv4 stream socket; closed when the system refuses one.
Socket openStream(Mode mode = Mode::Blocking);

// Connects within `millis` (a negative wait counts as 0), or until the stop
// descriptor becomes readable; the socket keeps the mode it had. An address
// of 0 (nothing resolved) never connects.
bool connectWithin(Socket& s, const sockaddr_in& address, int millis, int stopFd = -1);

// An IPv4 address and port, both given in host byte order.
sockaddr_in ipv4Address(std::uint32_t address, std::uint16_t port);

// The first IPv4 address of a host name or dotted address, with port 0.
std::optional<sockaddr_in> resolveIPv4(const std::string& host);

// The local address a connected or bound socket uses.
std::optional<sockaddr_in> localAddress(const Socket& s);

// The address of the other end of a connected socket.
std::optional<sockaddr_in> peerAddress(const Socket& s);

// Binds to `address` (port 0: any free port) and listens.
bool bindAndListen(Socket& s, const sockaddr_in& address, int backlog);

// Accepts one connection within `millis`; a closed socket on time-out or failure.
Socket acceptWithin(const Socket& listener, int millis);

// One send call (retried only when interrupted); bytes sent, or -1.
long sendSome(const Socket& s, const void* data, std::size_t size);
// recv, retried when interrupted: bytes read, 0 at the end of the stream, -1 on an error.
long receive(const Socket& s, void* buffer, std::size_t size);
// The same without taking the bytes out of the socket.
long peek(const Socket& s, void* buffer, std::size_t size);

// Sends every byte, blocking socket or not; false on a socket error, when the
// peer does not take them all within `millis`, or when the stop descriptor
// becomes readable first.
bool sendAll(const Socket& s, std::string_view bytes, int millis, int stopFd = -1);

// The port of a service in the services database, in host byte order.
std::optional<std::uint16_t> servicePort(const char* name, const char* protocol);

// "a.b.c.d" of an address.
std::string dotted(const sockaddr_in& address);

}  // namespace plova::net
