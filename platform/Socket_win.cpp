// Sockets over Winsock 2.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <climits>

#include "platform/Socket.h"

namespace plova::net {
namespace {

using Clock = std::chrono::steady_clock;

// Winsock is started once, by the first call that needs it, and stays up for
// the life of the process.
void startWinsock() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
}

int millisLeft(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

int chunk(std::size_t size) {
    return static_cast<int>(std::min<std::size_t>(size, INT_MAX));
}

// A socket handed to a program this one starts is not handed on: it would
// keep connections open behind our back.
void keepToThisProcess(SOCKET s) {
    SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
}

bool setMode(NativeSocket s, Mode mode) {
    u_long nonBlocking = mode == Mode::NonBlocking ? 1 : 0;
    return ioctlsocket(s, FIONBIO, &nonBlocking) == 0;
}

long receiveWith(const Socket& s, void* buffer, std::size_t size, int flags) {
    for (;;) {
        const int n = ::recv(s.Native(), static_cast<char*>(buffer), chunk(size), flags);
        if (n >= 0) return n;
        if (WSAGetLastError() != WSAEINTR) return -1;
    }
}

}  // namespace

void Socket::Close() {
    if (socket_ == kNoSocket) return;
    ::shutdown(socket_, SD_BOTH);
    ::closesocket(socket_);
    socket_ = kNoSocket;
}

StopSignal::StopSignal() {
    startWinsock();
    // A datagram socket on loopback that sends itself one datagram when
    // raised: readable from then on, as nobody reads it.
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return;
    sockaddr_in at = Ipv4Address(INADDR_LOOPBACK, 0);
    if (::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0 || !setMode(s, Mode::NonBlocking)) {
        ::closesocket(s);
        return;
    }
    keepToThisProcess(s);
    socket_ = s;
}

StopSignal::~StopSignal() {
    if (socket_ != kNoSocket) ::closesocket(socket_);
}

void StopSignal::Raise() {
    sockaddr_in self{};
    int length = sizeof self;
    if (socket_ == kNoSocket || ::getsockname(socket_, reinterpret_cast<sockaddr*>(&self), &length) != 0) return;
    const char one = 1;
    ::sendto(socket_, &one, 1, 0, reinterpret_cast<const sockaddr*>(&self), length);
}

Wait WaitForAny(std::span<Watch> watches, int millis) {
    const bool unlimited = millis < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(unlimited ? 0 : millis);
    for (;;) {
        fd_set readable, writable, failed;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        bool any = false;
        for (Watch& w : watches) {
            w.ready = false;
            if (w.socket == kNoSocket) continue;
            any = true;
            // Winsock's own POLLIN and POLLOUT are taken too; the failed set is
            // where Windows reports a connection that could not be made.
            if (w.events & (kReadable | POLLIN)) FD_SET(w.socket, &readable);
            if (w.events & (kWritable | POLLOUT)) FD_SET(w.socket, &writable);
            FD_SET(w.socket, &failed);
        }
        const int left = unlimited ? 0 : millisLeft(deadline);
        if (!any) {
            // select refuses to wait on nothing: a plain pause instead.
            if (unlimited) return Wait::Failed;
            Sleep(static_cast<DWORD>(left));
            return Wait::TimedOut;
        }
        timeval limit{left / 1000, (left % 1000) * 1000};
        const int r = ::select(0, &readable, &writable, &failed, unlimited ? nullptr : &limit);
        if (r > 0) {
            for (Watch& w : watches) {
                w.ready = w.socket != kNoSocket && (FD_ISSET(w.socket, &readable) || FD_ISSET(w.socket, &writable) ||
                                                    FD_ISSET(w.socket, &failed));
            }
            return Wait::Ready;
        }
        if (r == 0) return Wait::TimedOut;
        if (WSAGetLastError() != WSAEINTR) return Wait::Failed;
    }
}

Wait WaitFor(NativeSocket socket, short events, int millis, NativeSocket stop) {
    if (socket == kNoSocket) return Wait::Failed;
    Watch watches[] = {{socket, events}, {stop, kReadable}};
    const Wait wait = WaitForAny(watches, millis);  // a closed socket fails there: WSAENOTSOCK
    return wait == Wait::Ready && watches[1].ready ? Wait::Stopped : wait;
}

Wait WaitReadable(const Socket& s, int millis) {
    return WaitFor(s.Native(), kReadable, std::max(millis, 0));
}
Wait WaitWritable(const Socket& s, int millis) {
    return WaitFor(s.Native(), kWritable, std::max(millis, 0));
}

Socket OpenStream(Mode mode) {
    startWinsock();
    const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) return Socket();
    keepToThisProcess(s);
    Socket out(s, mode);
    if (mode == Mode::NonBlocking && !setMode(s, mode)) out.Close();
    return out;
}

namespace {
ConnectResult connectResultOf(int error) {
    switch (error) {
    case WSAECONNREFUSED: return ConnectResult::Refused;
    case WSAETIMEDOUT: return ConnectResult::TimedOut;
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAENETDOWN:
    case WSAEHOSTDOWN: return ConnectResult::Unreachable;
    default: return ConnectResult::Failed;
    }
}
}  // namespace

ConnectResult Connect(Socket& s, const sockaddr_in& address, int millis, NativeSocket stop) {
    if (!s.IsOpen()) return ConnectResult::Failed;
    if (address.sin_addr.s_addr == 0) return ConnectResult::NoAddress;
    // Non-blocking for the connection only, so the wait for it is bounded.
    if (!setMode(s.Native(), Mode::NonBlocking)) return ConnectResult::Failed;
    ConnectResult result = ConnectResult::Connected;
    if (::connect(s.Native(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (const int error = WSAGetLastError(); error != WSAEWOULDBLOCK) {
            result = connectResultOf(error);
        } else {
            switch (WaitFor(s.Native(), kWritable, std::max(millis, 0), stop)) {
            case Wait::Ready: {
                int pending = 0;
                int length = sizeof pending;
                if (::getsockopt(s.Native(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&pending), &length) != 0)
                    result = ConnectResult::Failed;
                else if (pending != 0)
                    result = connectResultOf(pending);
                break;
            }
            case Wait::TimedOut: result = ConnectResult::TimedOut; break;
            case Wait::Stopped: result = ConnectResult::Stopped; break;
            case Wait::Failed: result = ConnectResult::Failed; break;
            }
        }
    }
    if (!setMode(s.Native(), s.IoMode())) return ConnectResult::Failed;
    return result;
}

std::optional<sockaddr_in> ResolveIPv4(const std::string& host) {
    if (host.empty()) return std::nullopt;
    startWinsock();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
    sockaddr_in out = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    ::freeaddrinfo(found);
    out.sin_port = 0;
    return out;
}

std::optional<sockaddr_in> LocalAddress(const Socket& s) {
    sockaddr_in out{};
    int length = sizeof out;
    if (::getsockname(s.Native(), reinterpret_cast<sockaddr*>(&out), &length) != 0 || out.sin_family != AF_INET)
        return std::nullopt;
    return out;
}

std::optional<sockaddr_in> PeerAddress(const Socket& s) {
    sockaddr_in out{};
    int length = sizeof out;
    if (::getpeername(s.Native(), reinterpret_cast<sockaddr*>(&out), &length) != 0 || out.sin_family != AF_INET)
        return std::nullopt;
    return out;
}

bool BindAndListen(Socket& s, const sockaddr_in& address, int backlog) {
    if (!s.IsOpen()) return false;
    if (::bind(s.Native(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
    return ::listen(s.Native(), backlog) == 0;
}

Socket AcceptWithin(const Socket& listener, int millis) {
    if (WaitReadable(listener, millis) != Wait::Ready) return Socket();
    for (;;) {
        const SOCKET s = ::accept(listener.Native(), nullptr, nullptr);
        if (s != INVALID_SOCKET) {
            keepToThisProcess(s);
            // An accepted socket takes the listening socket's mode.
            return Socket(s, listener.IoMode());
        }
        if (WSAGetLastError() != WSAEINTR) return Socket();
    }
}

Socket AcceptNow(const Socket& listener, Mode mode) {
    if (WaitReadable(listener, 0) != Wait::Ready) return Socket();
    for (;;) {
        const SOCKET s = ::accept(listener.Native(), nullptr, nullptr);
        if (s != INVALID_SOCKET) {
            keepToThisProcess(s);
            // An accepted socket takes the listening socket's mode: set it as asked.
            Socket out(s, mode);
            if (!setMode(s, mode)) out.Close();
            return out;
        }
        if (WSAGetLastError() != WSAEINTR) return Socket();
    }
}

bool SendAtOnce(Socket& s) {
    BOOL yes = TRUE;
    return ::setsockopt(s.Native(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes) == 0;
}

bool AllowQuickRebind(Socket& s) {
    return s.IsOpen();
}

long SendSome(const Socket& s, const void* data, std::size_t size) {
    for (;;) {
        const int n = ::send(s.Native(), static_cast<const char*>(data), chunk(size), 0);
        if (n >= 0) return n;
        if (WSAGetLastError() != WSAEINTR) return -1;
    }
}

long Receive(const Socket& s, void* buffer, std::size_t size) {
    return receiveWith(s, buffer, size, 0);
}

long Peek(const Socket& s, void* buffer, std::size_t size) {
    return receiveWith(s, buffer, size, MSG_PEEK);
}

namespace {

// One call on the socket made non-blocking for its while (Windows has no
// per-call "do not wait"): its result, or kWouldBlock.
template <class Call>
long withoutWaiting(const Socket& s, Call call) {
    const bool blocking = s.IoMode() == Mode::Blocking;
    if (blocking && !setMode(s.Native(), Mode::NonBlocking)) return -1;
    int n;
    int error = 0;
    do {
        n = call();
        error = n < 0 ? WSAGetLastError() : 0;
    } while (error == WSAEINTR);
    if (blocking && !setMode(s.Native(), Mode::Blocking)) return -1;
    if (n >= 0) return n;
    return error == WSAEWOULDBLOCK ? kWouldBlock : -1;
}

}  // namespace

long ReceiveNow(const Socket& s, void* buffer, std::size_t size) {
    return withoutWaiting(s, [&] { return ::recv(s.Native(), static_cast<char*>(buffer), chunk(size), 0); });
}

long SendNow(const Socket& s, const void* data, std::size_t size) {
    return withoutWaiting(s, [&] { return ::send(s.Native(), static_cast<const char*>(data), chunk(size), 0); });
}

bool SendAll(const Socket& s, std::string_view bytes, int millis, NativeSocket stop) {
    // Winsock has no per-call "do not wait": the socket is non-blocking for
    // the while, so a blocking socket cannot hold the sender past the deadline.
    if (!s.IsOpen() || !setMode(s.Native(), Mode::NonBlocking)) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(millis);
    const char* data = bytes.data();
    std::size_t size = bytes.size();
    bool sent = true;
    while (size > 0) {
        const int n = ::send(s.Native(), data, chunk(size), 0);
        if (n > 0) {
            data += n;
            size -= static_cast<std::size_t>(n);
            continue;
        }
        const int error = n < 0 ? WSAGetLastError() : 0;
        if (error == WSAEINTR) continue;
        const int left = millisLeft(deadline);
        if (error != WSAEWOULDBLOCK || left <= 0 || WaitFor(s.Native(), kWritable, left, stop) != Wait::Ready) {
            sent = false;
            break;
        }
    }
    return setMode(s.Native(), s.IoMode()) && sent;
}

std::optional<std::uint16_t> ServicePort(const char* name, const char* protocol) {
    startWinsock();
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
