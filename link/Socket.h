// The few socket calls the FTP client needs, behind one small layer: an owned
// descriptor that shuts down and closes itself, bounded waits, and the
// address look-ups. Nothing here knows FTP.
#pragma once

#include <netinet/in.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

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

enum class Wait { Ready, TimedOut, Failed };

// Waits until the socket has data (or an end of stream) to read, or can take
// more bytes, for at most `millis` milliseconds.
Wait waitReadable(const Socket& s, int millis);
Wait waitWritable(const Socket& s, int millis);

// A new IPv4 stream socket; closed when the system refuses one.
Socket openStream();

// Connects within `millis`; the socket is blocking again afterwards.
bool connectWithin(Socket& s, const sockaddr_in& address, int millis);

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

// The port of the "ftp" service over "tcp" in the services database, or 21.
std::uint16_t ftpServicePort();

// "a.b.c.d" of an address.
std::string dotted(const sockaddr_in& address);

}  // namespace plova::net
