// What the socket layer does alike on every system; the system calls are in
// Socket_posix.cpp and Socket_win.cpp.
#include "platform/Socket.h"

namespace plova::net {

Socket& Socket::operator=(Socket&& other) noexcept {
    if (this != &other) {
        Close();
        mode_ = other.mode_;
        socket_ = other.Release();
    }
    return *this;
}

NativeSocket Socket::Release() {
    const NativeSocket socket = socket_;
    socket_ = kNoSocket;
    return socket;
}

sockaddr_in Ipv4Address(std::uint32_t address, std::uint16_t port) {
    sockaddr_in out{};
    out.sin_family = AF_INET;
    out.sin_port = htons(port);
    out.sin_addr.s_addr = htonl(address);
    return out;
}

std::uint32_t HostAddress(const sockaddr_in& address) {
    return ntohl(address.sin_addr.s_addr);
}

std::uint16_t HostPort(const sockaddr_in& address) {
    return ntohs(address.sin_port);
}

}  // namespace plova::net
