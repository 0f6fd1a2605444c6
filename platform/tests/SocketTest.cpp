// The socket layer on loopback: what the client's bounded waits and the
// simulator's stoppable ones rely on.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <string>

#include "platform/Socket.h"

using namespace plova;

namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;
constexpr int kLongMillis = 600000;  // a wait that only the stop signal can end in a test's time

// A listener on a free loopback port.
net::Socket listenOnLoopback() {
    net::Socket s = net::openStream();
    EXPECT_TRUE(net::bindAndListen(s, net::ipv4Address(kLoopback, 0), 4));
    return s;
}

}  // namespace

TEST(Socket, WaitsEndByReadinessTimeOutOrTheStopSignal) {
    net::Socket listener = listenOnLoopback();
    EXPECT_EQ(net::waitReadable(listener, 0), net::Wait::TimedOut) << "no one has connected yet";
    EXPECT_EQ(net::waitReadable(net::Socket(), 1000), net::Wait::Failed) << "a closed socket fails at once";

    net::StopSignal stop;
    ASSERT_TRUE(stop.valid());
    EXPECT_EQ(net::waitFor(listener.native(), net::kReadable, 0, stop.native()), net::Wait::TimedOut)
        << "not raised yet";
    stop.raise();
    EXPECT_EQ(net::waitFor(listener.native(), net::kReadable, -1, stop.native()), net::Wait::Stopped)
        << "an unlimited wait is stopped";
    EXPECT_EQ(net::waitFor(listener.native(), net::kReadable, -1, stop.native()), net::Wait::Stopped)
        << "and stays stopped";

    net::Socket client = net::openStream();
    ASSERT_TRUE(net::connectWithin(client, *net::localAddress(listener), kLongMillis));
    EXPECT_EQ(net::waitReadable(listener, kLongMillis), net::Wait::Ready);
    net::Socket peer = net::acceptWithin(listener, kLongMillis);
    ASSERT_TRUE(peer.isOpen());
    EXPECT_EQ(net::peerAddress(peer)->sin_port, net::localAddress(client)->sin_port) << "the client is the peer";
    EXPECT_EQ(net::dotted(*net::peerAddress(peer)), "127.0.0.1");
    EXPECT_EQ(net::resolveIPv4("127.0.0.1")->sin_addr.s_addr, net::ipv4Address(kLoopback, 0).sin_addr.s_addr);
    EXPECT_FALSE(net::resolveIPv4(""));
}

// Whether a socket waits for data: a non-blocking one answers at once that
// there is none, a blocking one waits until there is.
TEST(Socket, ConnectingKeepsTheModeTheSocketHad) {
    net::Socket listener = listenOnLoopback();
    const sockaddr_in at = *net::localAddress(listener);

    net::Socket nonBlocking = net::openStream(net::Mode::NonBlocking);
    ASSERT_TRUE(net::connectWithin(nonBlocking, at, kLongMillis));
    net::Socket nonBlockingPeer = net::acceptWithin(listener, kLongMillis);
    char byte = 0;
    EXPECT_EQ(net::receive(nonBlocking, &byte, 1), -1) << "nothing to read, and no wait for it";

    net::Socket blocking = net::openStream();
    ASSERT_TRUE(net::connectWithin(blocking, at, kLongMillis));
    net::Socket peer = net::acceptWithin(listener, kLongMillis);
    auto reading = std::async(std::launch::async, [&] { return net::receive(blocking, &byte, 1); });
    EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "it waits for data";
    ASSERT_TRUE(net::sendAll(peer, "x", kLongMillis));
    EXPECT_EQ(reading.get(), 1);
    EXPECT_EQ(byte, 'x');

    net::Socket unresolved = net::openStream();
    EXPECT_FALSE(
        net::connectWithin(unresolved, net::ipv4Address(0, net::localAddress(listener)->sin_port), kLongMillis))
        << "an address that was never resolved does not connect";

    // The bytes go through unchanged, and a peek leaves them for the next read.
    ASSERT_TRUE(net::sendAll(blocking, "one\r\n", kLongMillis));
    char buffer[16] = {};
    ASSERT_EQ(net::waitReadable(peer, kLongMillis), net::Wait::Ready);
    EXPECT_EQ(net::peek(peer, buffer, 3), 3);
    EXPECT_EQ(net::receive(peer, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "one\r\n");
    // sendAll leaves a blocking socket blocking.
    auto again = std::async(std::launch::async, [&] { return net::receive(blocking, &byte, 1); });
    EXPECT_EQ(again.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    ASSERT_TRUE(net::sendAll(peer, "y", kLongMillis));
    EXPECT_EQ(again.get(), 1);
}

TEST(Socket, SendingEverythingGivesUpOnAPeerThatDoesNotRead) {
    net::Socket listener = listenOnLoopback();
    net::Socket client = net::openStream();
    ASSERT_TRUE(net::connectWithin(client, *net::localAddress(listener), kLongMillis));
    net::Socket peer = net::acceptWithin(listener, kLongMillis);  // never reads
    ASSERT_TRUE(peer.isOpen());

    const std::string lots(64 * 1024 * 1024, 'x');  // more than both socket buffers hold
    EXPECT_FALSE(net::sendAll(client, lots, 200)) << "the deadline ends it";
    net::StopSignal stop;
    stop.raise();
    EXPECT_FALSE(net::sendAll(client, lots, kLongMillis, stop.native())) << "the stop signal ends it";

    peer.close();
    EXPECT_FALSE(net::sendAll(client, "after the peer hung up", kLongMillis)) << "an error, not a signal";
}

TEST(Socket, ConnectingToNothingFailsWithinItsTime) {
    net::Socket listener = listenOnLoopback();
    const sockaddr_in at = *net::localAddress(listener);
    listener.close();  // the port is free again, and nobody answers on it
    net::Socket client = net::openStream();
    EXPECT_FALSE(net::connectWithin(client, at, kLongMillis));
    EXPECT_EQ(net::acceptWithin(net::Socket(), 10).isOpen(), false);
}

// What a server's session is made of: a connection accepted without waiting,
// in the mode asked for; reads and writes that never wait, whatever the
// socket's mode; one wait over data, control and stop.
TEST(Socket, CallsThatNeverWaitAndOneWaitOverSeveralSockets) {
    net::Socket listener = listenOnLoopback();
    ASSERT_TRUE(net::allowQuickRebind(listener));
    EXPECT_FALSE(net::acceptNow(listener, net::Mode::NonBlocking).isOpen()) << "nobody is waiting to be accepted";
    const sockaddr_in at = *net::localAddress(listener);
    EXPECT_EQ(net::hostAddress(at), kLoopback);
    EXPECT_NE(net::hostPort(at), 0);
    EXPECT_EQ(net::hostPort(net::ipv4Address(kLoopback, 2121)), 2121);

    for (const net::Mode mode : {net::Mode::Blocking, net::Mode::NonBlocking}) {
        SCOPED_TRACE(mode == net::Mode::Blocking ? "blocking" : "non-blocking");
        net::Socket client = net::openStream();
        ASSERT_TRUE(net::connectWithin(client, at, kLongMillis));
        ASSERT_EQ(net::waitReadable(listener, kLongMillis), net::Wait::Ready);
        net::Socket served = net::acceptNow(listener, mode);
        ASSERT_TRUE(served.isOpen());
        EXPECT_EQ(served.mode(), mode);
        EXPECT_TRUE(net::sendAtOnce(served));

        char buffer[16];
        EXPECT_EQ(net::receiveNow(served, buffer, sizeof buffer), net::kWouldBlock) << "nothing sent yet";
        EXPECT_EQ(net::receiveNow(client, buffer, sizeof buffer), net::kWouldBlock);

        net::StopSignal stop;
        net::Watch watches[] = {{served.native(), net::kReadable}, {net::kNoSocket}, {stop.native(), net::kReadable}};
        EXPECT_EQ(net::waitForAny(watches, 0), net::Wait::TimedOut);
        ASSERT_EQ(net::sendNow(client, "abc", 3), 3);
        ASSERT_EQ(net::waitForAny(watches, kLongMillis), net::Wait::Ready);
        EXPECT_TRUE(watches[0].ready);
        EXPECT_FALSE(watches[1].ready);
        EXPECT_FALSE(watches[2].ready);
        ASSERT_EQ(net::receiveNow(served, buffer, sizeof buffer), 3);
        EXPECT_EQ(std::string(buffer, 3), "abc");

        stop.raise();
        watches[0].events = net::kWritable;
        ASSERT_EQ(net::waitForAny(watches, kLongMillis), net::Wait::Ready);
        EXPECT_TRUE(watches[2].ready) << "the stop signal is heard beside a socket that is ready too";

        // Writing without waiting fills the line, then says so instead of waiting.
        const std::string block(64 * 1024, 'x');
        long n = 0;
        for (int i = 0; i < 10000 && (n = net::sendNow(served, block.data(), block.size())) > 0; ++i) {}
        EXPECT_EQ(n, net::kWouldBlock) << "a peer that does not read";

        // The end of the stream, then a peer that has gone: an error, never a signal.
        client.close();
        ASSERT_EQ(net::waitReadable(served, kLongMillis), net::Wait::Ready);
        long got = 0;
        while ((got = net::receiveNow(served, buffer, sizeof buffer)) > 0) {}
        EXPECT_TRUE(got == 0 || got == -1) << got;
        for (int i = 0; i < 100 && (n = net::sendNow(served, block.data(), block.size())) != -1; ++i) {
            net::waitWritable(served, 100);
        }
        EXPECT_EQ(n, -1);
    }
}
