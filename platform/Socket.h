// The few socket calls the FTP client and the main-unit simulator need,
// behind one thin layer: an owned socket that shuts down and closes itself,
// bounded waits, connecting, listening and the address look-ups. BSD sockets
// on Linux, Winsock 2 on Windows (started once, by the first call that needs
// it). Nothing here knows FTP.
#pragma once

// sockaddr_in, the address callers hand on.
#if defined(_WIN32)
#include <winsock2.h>
#else
#include <netinet/in.h>
#endif

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plova::net {

// The system's own socket: a descriptor on Linux, a SOCKET on Windows.
#if defined(_WIN32)
using NativeSocket = std::uintptr_t;
inline constexpr NativeSocket kNoSocket = ~NativeSocket{0};
#else
using NativeSocket = int;
inline constexpr NativeSocket kNoSocket = -1;
#endif

enum class Mode { Blocking, NonBlocking };

class Socket {
public:
    Socket() = default;
    // `mode` is the mode the socket is in: Windows cannot be asked it, and the
    // calls that change it for a while put it back.
    explicit Socket(NativeSocket socket, Mode mode = Mode::Blocking) : socket_(socket), mode_(mode) {}
    ~Socket() { Close(); }
    Socket(Socket&& other) noexcept : socket_(other.Release()), mode_(other.mode_) {}
    Socket& operator=(Socket&& other) noexcept;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;

    [[nodiscard]] NativeSocket Native() const { return socket_; }
#if !defined(_WIN32)
    // The descriptor itself, for code that still makes system calls of its own.
    [[nodiscard]] int Fd() const {
        return socket_;
    }
#endif
    [[nodiscard]] bool IsOpen() const {
        return socket_ != kNoSocket;
    }
    [[nodiscard]] Mode IoMode() const {
        return mode_;
    }
    // Shuts both directions down, then closes; nothing happens on a closed socket.
    void Close();
    NativeSocket Release();

private:
    NativeSocket socket_ = kNoSocket;
    Mode mode_ = Mode::Blocking;
};

// Stopped: the stop signal was raised before the socket was ready.
enum class Wait { Ready, TimedOut, Stopped, Failed };

// What a wait watches besides its socket, to be told to stop: an event
// descriptor on Linux, a loopback datagram socket on Windows (where only
// sockets can be waited on together). Once raised it stays raised.
class StopSignal {
public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    [[nodiscard]] bool Valid() const { return socket_ != kNoSocket; }
    void Raise();
    // What waitFor and the calls below take as their stop.
    [[nodiscard]] NativeSocket Native() const { return socket_; }

private:
    NativeSocket socket_ = kNoSocket;
};

// What a wait waits for: data (or the end of the stream) to read, room to
// write. These are POLLIN and POLLOUT on Linux, which callers may pass there.
inline constexpr short kReadable = 0x0001;
inline constexpr short kWritable = 0x0004;

// Waits until `socket` is ready for `events` (kReadable, kWritable) or `millis`
// pass (negative: no limit). With a stop (not kNoSocket) the wait also ends
// as soon as that one becomes readable: a server stops every session's wait
// at once that way. A hang-up or error counts as ready, so the next read or
// write reports it; a closed socket fails at once.
Wait WaitFor(NativeSocket socket, short events, int millis, NativeSocket stop = kNoSocket);

// One socket of a wait on several: ready comes back set when it is ready for
// its events (or hung up, or failed). A watch of kNoSocket is left out.
struct Watch {
    NativeSocket socket = kNoSocket;
    short events = kReadable;
    bool ready = false;
};

// Waits until at least one of `watches` is ready or `millis` pass (negative:
// no limit): Ready, with each ready watch marked, TimedOut or Failed. A
// server's session watches its data connection, its control connection and
// its stop signal at once this way.
Wait WaitForAny(std::span<Watch> watches, int millis);

// Waits until the socket has data (or an end of stream) to read, or can take
// more bytes, for at most `millis` milliseconds (a negative wait counts as 0).
Wait WaitReadable(const Socket& s, int millis);
Wait WaitWritable(const Socket& s, int millis);

// A new IPv4 stream socket; closed when the system refuses one.
Socket OpenStream(Mode mode = Mode::Blocking);

// How a connection attempt ended, as a person is to be told.
enum class [[nodiscard]] ConnectResult{
    Connected,
    Refused,      // nobody listens at the port, or a firewall said no
    TimedOut,     // no answer within the wait
    Unreachable,  // no route to the network or the host
    NoAddress,    // the host name resolved to nothing
    Stopped,      // the stop signal was raised
    Failed,       // any other reason the system gave
};

// Connects within `millis` (a negative wait counts as 0), or until the stop
// signal is raised; the socket keeps the mode it had. An address of 0
// (nothing resolved) never connects.
ConnectResult Connect(Socket& s, const sockaddr_in& address, int millis, NativeSocket stop = kNoSocket);
inline bool ConnectWithin(Socket& s, const sockaddr_in& address, int millis, NativeSocket stop = kNoSocket) {
    return Connect(s, address, millis, stop) == ConnectResult::Connected;
}

// An IPv4 address and port, both given in host byte order.
sockaddr_in Ipv4Address(std::uint32_t address, std::uint16_t port);

// The first IPv4 address of a host name or dotted address, with port 0.
std::optional<sockaddr_in> ResolveIPv4(const std::string& host);

// The local address a connected or bound socket uses.
std::optional<sockaddr_in> LocalAddress(const Socket& s);

// The address of the other end of a connected socket.
std::optional<sockaddr_in> PeerAddress(const Socket& s);

// Binds to `address` (port 0: any free port) and listens.
bool BindAndListen(Socket& s, const sockaddr_in& address, int backlog);

// Accepts one connection within `millis`; a closed socket on time-out or failure.
Socket AcceptWithin(const Socket& listener, int millis);
// Accepts a connection that is waiting now; the new socket is in `mode`. A
// closed socket when none is waiting or the system refuses one (out of
// descriptors: the caller backs off before trying again). Never waits on a
// listener in Mode::NonBlocking; a blocking one may wait after all when the
// waiting client gives up in the very moment it is taken.
Socket AcceptNow(const Socket& listener, Mode mode);

// Small writes go out at once rather than wait to be joined to the next
// (TCP_NODELAY): a server's replies come in pairs that the client waits for.
bool SendAtOnce(Socket& s);
// A listening port that a server just closed can be bound again at once,
// while connections of its last run linger (SO_REUSEADDR on Linux; Windows
// allows that already, and its SO_REUSEADDR would let another program take
// the port too, so there nothing is set).
bool AllowQuickRebind(Socket& s);

// One send call (retried only when interrupted); bytes sent, or -1.
long SendSome(const Socket& s, const void* data, std::size_t size);
// recv, retried when interrupted: bytes read, 0 at the end of the stream, -1 on an error.
long Receive(const Socket& s, void* buffer, std::size_t size);
// The same without taking the bytes out of the socket.
long Peek(const Socket& s, void* buffer, std::size_t size);

// What receiveNow and sendNow return when the socket has nothing to read, or
// no room to write, at the moment.
inline constexpr long kWouldBlock = -2;
// One recv or send that never waits, whatever the socket's mode: bytes
// moved, 0 at the end of the stream (receiving), kWouldBlock, or -1 on an
// error. A peer that hung up gives an error, never a signal.
long ReceiveNow(const Socket& s, void* buffer, std::size_t size);
long SendNow(const Socket& s, const void* data, std::size_t size);

// Sends every byte, blocking socket or not; false on a socket error, when the
// peer does not take them all within `millis`, or when the stop signal is
// raised first. A peer that hung up gives an error, never a signal.
bool SendAll(const Socket& s, std::string_view bytes, int millis, NativeSocket stop = kNoSocket);

// The port of a service in the services database, in host byte order.
std::optional<std::uint16_t> ServicePort(const char* name, const char* protocol);

// "a.b.c.d" of an address.
std::string Dotted(const sockaddr_in& address);

// The address and port of a sockaddr_in in host byte order.
std::uint32_t HostAddress(const sockaddr_in& address);
std::uint16_t HostPort(const sockaddr_in& address);

}  // namespace plova::net
