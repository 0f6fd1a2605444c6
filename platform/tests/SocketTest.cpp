// The socket layer on loopback: what the client's bounded waits and the
// simulator's stoppable ones rely on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/Socket.h"

using namespace plova;

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kLongMillis = 600000;  // a wait that only the stop descriptor can end in a test's time

// A listener on a free loopback port.
net::Socket listenOnLoopback() {
    net::Socket s = net::openStream();
    EXPECT_TRUE(net::bindAndListen(s, net::ipv4Address(kLoopback, 0), 4));
    return s;
}

bool nonBlocking(const net::Socket& s) {
    return (::fcntl(s.fd(), F_GETFL, 0) & O_NONBLOCK) != 0;
}

class StopDescriptor {
public:
    StopDescriptor() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~StopDescriptor() { ::close(fd_); }
    void signal() {
        const std::uint64_t one = 1;
        ASSERT_EQ(::write(fd_, &one, sizeof one), static_cast<ssize_t>(sizeof one));
    }
    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace

TEST(Socket, WaitsEndByReadinessTimeOutOrTheStopDescriptor) {
    net::Socket listener = listenOnLoopback();
    EXPECT_EQ(net::waitReadable(listener, 0), net::Wait::TimedOut) << "no one has connected yet";
    EXPECT_EQ(net::waitReadable(net::Socket(), 1000), net::Wait::Failed) << "a closed socket fails at once";

    StopDescriptor stop;
    stop.signal();
    EXPECT_EQ(net::waitFor(listener.fd(), POLLIN, -1, stop.fd()), net::Wait::Stopped) << "an unlimited wait is stopped";

    net::Socket client = net::openStream();
    ASSERT_TRUE(net::connectWithin(client, *net::localAddress(listener), kLongMillis));
    EXPECT_EQ(net::waitReadable(listener, kLongMillis), net::Wait::Ready);
    net::Socket peer = net::acceptWithin(listener, kLongMillis);
    ASSERT_TRUE(peer.isOpen());
    EXPECT_EQ(net::peerAddress(peer)->sin_port, net::localAddress(client)->sin_port) << "the client is the peer";
}

TEST(Socket, ConnectingKeepsTheModeTheSocketHad) {
    net::Socket listener = listenOnLoopback();
    const sockaddr_in at = *net::localAddress(listener);

    net::Socket blocking = net::openStream();
    ASSERT_TRUE(net::connectWithin(blocking, at, kLongMillis));
    EXPECT_FALSE(nonBlocking(blocking));

    net::Socket nonBlockingSocket = net::openStream(net::Mode::NonBlocking);
    ASSERT_TRUE(net::connectWithin(nonBlockingSocket, at, kLongMillis));
    EXPECT_TRUE(nonBlocking(nonBlockingSocket));

    net::Socket unresolved = net::openStream();
    EXPECT_FALSE(
        net::connectWithin(unresolved, net::ipv4Address(0, net::localAddress(listener)->sin_port), kLongMillis))
        << "an address that was never resolved does not connect";

    // The bytes go through unchanged, and a peek leaves them for the next read.
    net::Socket peer = net::acceptWithin(listener, kLongMillis);
    ASSERT_TRUE(net::sendAll(blocking, "one\r\n", kLongMillis));
    char buffer[16] = {};
    ASSERT_EQ(net::waitReadable(peer, kLongMillis), net::Wait::Ready);
    EXPECT_EQ(net::peek(peer, buffer, 3), 3);
    EXPECT_EQ(net::receive(peer, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "one\r\n");
}

TEST(Socket, SendingEverythingGivesUpOnAPeerThatDoesNotRead) {
    net::Socket listener = listenOnLoopback();
    net::Socket client = net::openStream();
    ASSERT_TRUE(net::connectWithin(client, *net::localAddress(listener), kLongMillis));
    net::Socket peer = net::acceptWithin(listener, kLongMillis);  // never reads
    ASSERT_TRUE(peer.isOpen());

    const std::string lots(64 * 1024 * 1024, 'x');  // more than both socket buffers hold
    EXPECT_FALSE(net::sendAll(client, lots, 200)) << "the deadline ends it";
    StopDescriptor stop;
    stop.signal();
    EXPECT_FALSE(net::sendAll(client, lots, kLongMillis, stop.fd())) << "the stop descriptor ends it";

    peer.close();
    EXPECT_FALSE(net::sendAll(client, "after the peer hung up", kLongMillis)) << "an error, not a signal";
}
