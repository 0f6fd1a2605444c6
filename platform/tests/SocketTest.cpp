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
    net::Socket s = net::OpenStream();
    EXPECT_TRUE(net::BindAndListen(s, net::Ipv4Address(kLoopback, 0), 4));
    return s;
}

}  // namespace

TEST(Socket, WaitsEndByReadinessTimeOutOrTheStopSignal) {
    net::Socket listener = listenOnLoopback();
    EXPECT_EQ(net::WaitReadable(listener, 0), net::Wait::TimedOut) << "no one has connected yet";
    EXPECT_EQ(net::WaitReadable(net::Socket(), 1000), net::Wait::Failed) << "a closed socket fails at once";

    net::StopSignal stop;
    ASSERT_TRUE(stop.Valid());
    EXPECT_EQ(net::WaitFor(listener.Native(), net::kReadable, 0, stop.Native()), net::Wait::TimedOut)
        << "not raised yet";
    stop.Raise();
    EXPECT_EQ(net::WaitFor(listener.Native(), net::kReadable, -1, stop.Native()), net::Wait::Stopped)
        << "an unlimited wait is stopped";
    EXPECT_EQ(net::WaitFor(listener.Native(), net::kReadable, -1, stop.Native()), net::Wait::Stopped)
        << "and stays stopped";

    net::Socket client = net::OpenStream();
    ASSERT_TRUE(net::ConnectWithin(client, *net::LocalAddress(listener), kLongMillis));
    EXPECT_EQ(net::WaitReadable(listener, kLongMillis), net::Wait::Ready);
    net::Socket peer = net::AcceptWithin(listener, kLongMillis);
    ASSERT_TRUE(peer.IsOpen());
    EXPECT_EQ(net::PeerAddress(peer)->sin_port, net::LocalAddress(client)->sin_port) << "the client is the peer";
    EXPECT_EQ(net::Dotted(*net::PeerAddress(peer)), "127.0.0.1");
    EXPECT_EQ(net::ResolveIPv4("127.0.0.1")->sin_addr.s_addr, net::Ipv4Address(kLoopback, 0).sin_addr.s_addr);
    EXPECT_FALSE(net::ResolveIPv4(""));
}

// Whether a socket waits for data: a non-blocking one answers at once that
// there is none, a blocking one waits until there is.
TEST(Socket, ConnectingKeepsTheModeTheSocketHad) {
    net::Socket listener = listenOnLoopback();
    const sockaddr_in at = *net::LocalAddress(listener);

    net::Socket nonBlocking = net::OpenStream(net::Mode::NonBlocking);
    ASSERT_TRUE(net::ConnectWithin(nonBlocking, at, kLongMillis));
    net::Socket nonBlockingPeer = net::AcceptWithin(listener, kLongMillis);
    char byte = 0;
    EXPECT_EQ(net::Receive(nonBlocking, &byte, 1), -1) << "nothing to read, and no wait for it";

    net::Socket blocking = net::OpenStream();
    ASSERT_TRUE(net::ConnectWithin(blocking, at, kLongMillis));
    net::Socket peer = net::AcceptWithin(listener, kLongMillis);
    auto reading = std::async(std::launch::async, [&] { return net::Receive(blocking, &byte, 1); });
    EXPECT_EQ(reading.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout) << "it waits for data";
    ASSERT_TRUE(net::SendAll(peer, "x", kLongMillis));
    EXPECT_EQ(reading.get(), 1);
    EXPECT_EQ(byte, 'x');

    net::Socket unresolved = net::OpenStream();
    EXPECT_FALSE(
        net::ConnectWithin(unresolved, net::Ipv4Address(0, net::LocalAddress(listener)->sin_port), kLongMillis))
        << "an address that was never resolved does not connect";

    // The bytes go through unchanged, and a peek leaves them for the next read.
    ASSERT_TRUE(net::SendAll(blocking, "one\r\n", kLongMillis));
    char buffer[16] = {};
    ASSERT_EQ(net::WaitReadable(peer, kLongMillis), net::Wait::Ready);
    EXPECT_EQ(net::Peek(peer, buffer, 3), 3);
    EXPECT_EQ(net::Receive(peer, buffer, sizeof buffer), 5);
    EXPECT_EQ(std::string(buffer, 5), "one\r\n");
    // sendAll leaves a blocking socket blocking.
    auto again = std::async(std::launch::async, [&] { return net::Receive(blocking, &byte, 1); });
    EXPECT_EQ(again.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    ASSERT_TRUE(net::SendAll(peer, "y", kLongMillis));
    EXPECT_EQ(again.get(), 1);
}

TEST(Socket, SendingEverythingGivesUpOnAPeerThatDoesNotRead) {
    net::Socket listener = listenOnLoopback();
    net::Socket client = net::OpenStream();
    ASSERT_TRUE(net::ConnectWithin(client, *net::LocalAddress(listener), kLongMillis));
    net::Socket peer = net::AcceptWithin(listener, kLongMillis);  // never reads
    ASSERT_TRUE(peer.IsOpen());

    const std::string lots(std::size_t{64} * 1024 * 1024, 'x');  // more than both socket buffers hold
    EXPECT_FALSE(net::SendAll(client, lots, 200)) << "the deadline ends it";
    net::StopSignal stop;
    stop.Raise();
    EXPECT_FALSE(net::SendAll(client, lots, kLongMillis, stop.Native())) << "the stop signal ends it";

    peer.Close();
    EXPECT_FALSE(net::SendAll(client, "after the peer hung up", kLongMillis)) << "an error, not a signal";
}

TEST(Socket, ConnectingToNothingFailsWithinItsTime) {
    net::Socket listener = listenOnLoopback();
    const sockaddr_in at = *net::LocalAddress(listener);
    listener.Close();  // the port is free again, and nobody answers on it
    net::Socket client = net::OpenStream();
    EXPECT_FALSE(net::ConnectWithin(client, at, kLongMillis));
    EXPECT_EQ(net::AcceptWithin(net::Socket(), 10).IsOpen(), false);
}

// What a server's session is made of: a connection accepted without waiting,
// in the mode asked for; reads and writes that never wait, whatever the
// socket's mode; one wait over data, control and stop.
TEST(Socket, CallsThatNeverWaitAndOneWaitOverSeveralSockets) {
    net::Socket listener = listenOnLoopback();
    ASSERT_TRUE(net::AllowQuickRebind(listener));
    EXPECT_FALSE(net::AcceptNow(listener, net::Mode::NonBlocking).IsOpen()) << "nobody is waiting to be accepted";
    const sockaddr_in at = *net::LocalAddress(listener);
    EXPECT_EQ(net::HostAddress(at), kLoopback);
    EXPECT_NE(net::HostPort(at), 0);
    EXPECT_EQ(net::HostPort(net::Ipv4Address(kLoopback, 2121)), 2121);

    for (const net::Mode mode : {net::Mode::Blocking, net::Mode::NonBlocking}) {
        SCOPED_TRACE(mode == net::Mode::Blocking ? "blocking" : "non-blocking");
        net::Socket client = net::OpenStream();
        ASSERT_TRUE(net::ConnectWithin(client, at, kLongMillis));
        ASSERT_EQ(net::WaitReadable(listener, kLongMillis), net::Wait::Ready);
        net::Socket served = net::AcceptNow(listener, mode);
        ASSERT_TRUE(served.IsOpen());
        EXPECT_EQ(served.IoMode(), mode);
        EXPECT_TRUE(net::SendAtOnce(served));

        char buffer[16];
        EXPECT_EQ(net::ReceiveNow(served, buffer, sizeof buffer), net::kWouldBlock) << "nothing sent yet";
        EXPECT_EQ(net::ReceiveNow(client, buffer, sizeof buffer), net::kWouldBlock);

        net::StopSignal stop;
        net::Watch watches[] = {{served.Native(), net::kReadable}, {net::kNoSocket}, {stop.Native(), net::kReadable}};
        EXPECT_EQ(net::WaitForAny(watches, 0), net::Wait::TimedOut);
        ASSERT_EQ(net::SendNow(client, "abc", 3), 3);
        ASSERT_EQ(net::WaitForAny(watches, kLongMillis), net::Wait::Ready);
        EXPECT_TRUE(watches[0].ready);
        EXPECT_FALSE(watches[1].ready);
        EXPECT_FALSE(watches[2].ready);
        ASSERT_EQ(net::ReceiveNow(served, buffer, sizeof buffer), 3);
        EXPECT_EQ(std::string(buffer, 3), "abc");

        stop.Raise();
        watches[0].events = net::kWritable;
        ASSERT_EQ(net::WaitForAny(watches, kLongMillis), net::Wait::Ready);
        EXPECT_TRUE(watches[2].ready) << "the stop signal is heard beside a socket that is ready too";

        // Writing without waiting fills the line, then says so instead of waiting.
        const std::string block(std::size_t{64} * 1024, 'x');
        long n = 0;
        for (int i = 0; i < 10000 && (n = net::SendNow(served, block.data(), block.size())) > 0; ++i) {}
        EXPECT_EQ(n, net::kWouldBlock) << "a peer that does not read";

        // The end of the stream, then a peer that has gone: an error, never a signal.
        client.Close();
        ASSERT_EQ(net::WaitReadable(served, kLongMillis), net::Wait::Ready);
        long got = 0;
        while ((got = net::ReceiveNow(served, buffer, sizeof buffer)) > 0) {}
        EXPECT_TRUE(got == 0 || got == -1) << got;
        for (int i = 0; i < 100 && (n = net::SendNow(served, block.data(), block.size())) != -1; ++i) {
            net::WaitWritable(served, 100);
        }
        EXPECT_EQ(n, -1);
    }
}
