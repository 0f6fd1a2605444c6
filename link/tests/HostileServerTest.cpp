// The client against a main unit that misbehaves on purpose: replies that
// never end, bytes that trickle, lines and listings far beyond any buffer, a
// greeting broken off. Every case must end within a bounded time, with the
// right result, and with commands and replies still in step where the main
// unit lets them be.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "link/CFtpMng.h"
#include "link/FtpReply.h"
#include "platform/Socket.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// The main unit's side of one session, driven by a test's script.
struct Peer {
    net::Socket control;
    net::Socket data;
    const std::atomic<bool>* stop = nullptr;

    bool say(const std::string& bytes) { return net::sendAll(control, bytes, 5000); }

    // The next command line without its CR LF; empty when the client hung up.
    std::string command() {
        std::string line;
        char c = 0;
        while (net::waitReadable(control, 5000) == net::Wait::Ready && net::receive(control, &c, 1) == 1) {
            if (c == '\n' && !line.empty() && line.back() == '\r') {
                line.pop_back();
                return line;
            }
            line += c;
        }
        return {};
    }

    // Answers commands with `reply` until one starting with `verb` comes, which is returned.
    std::string until(const std::string& verb, const std::string& reply = "200 ok\r\n") {
        for (;;) {
            const std::string c = command();
            if (c.empty() || c.starts_with(verb)) return c;
            say(reply);
        }
    }

    void login() {
        say("220 Kw-TX ready\r\n");
        until("USER");
        say("331 password\r\n");
        until("PASS");
        say("230 logged in\r\n");
    }

    // Takes the PORT command, connects to it and answers the transfer command
    // that follows with 150.
    bool openData() {
        const std::string port = until("PORT");
        unsigned a, b, c, d, hi, lo;
        if (std::sscanf(port.c_str(), "PORT %u,%u,%u,%u,%u,%u", &a, &b, &c, &d, &hi, &lo) != 6) return false;
        say("200 ok\r\n");
        if (command().empty()) return false;
        data = net::openStream();
        if (!net::connectWithin(data, net::ipv4Address((a << 24) | (b << 16) | (c << 8) | d, (hi << 8) | lo), 5000))
            return false;
        return say("150 here it comes\r\n");
    }

    // Keeps sending `piece` until the client hangs up or the test ends.
    void keepSending(const net::Socket& to, const std::string& piece, std::chrono::milliseconds pause) {
        while (!*stop && net::sendAll(to, piece, 1000)) std::this_thread::sleep_for(pause);
    }
};

class ScriptedMainUnit {
public:
    explicit ScriptedMainUnit(std::function<void(Peer&)> script) {
        listener_ = net::openStream();
        EXPECT_TRUE(net::bindAndListen(listener_, net::ipv4Address(INADDR_LOOPBACK, 0), 1));
        port_ = net::hostPort(*net::localAddress(listener_));
        thread_ = std::thread([this, script = std::move(script)] {
            Peer peer;
            peer.stop = &stop_;
            peer.control = net::acceptWithin(listener_, 10000);
            if (peer.control.isOpen()) script(peer);
        });
    }
    ~ScriptedMainUnit() {
        stop_ = true;
        thread_.join();
    }
    std::uint16_t port() const { return port_; }

private:
    net::Socket listener_;
    std::uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

Timeouts quick() {
    Timeouts t;
    t.replyMillis = 300;
    t.dataMillis = 300;
    t.drainTotalMillis = 300;
    t.connectMillis = 2000;
    return t;
}

class HostileServerTest : public ::testing::Test {
protected:
    ftp::LoginResult login(CFtpMng& client, const ScriptedMainUnit& unit) {
        return client.Login(u"127.0.0.1", u"admin", u"admin", unit.port());
    }
    testkit::TestPorts ports;
    const SteadyClock::time_point start = SteadyClock::now();
    std::chrono::milliseconds elapsed() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start);
    }
};

// However the greeting goes wrong, the login ends soon with the right word.
TEST_F(HostileServerTest, GreetingsThatNeverEndOrBreakOff) {
    struct Case {
        const char* what;
        std::function<void(Peer&)> script;
        ftp::LoginResult result;
    };
    const Case cases[] = {
        {"a greeting line of 100 KB",
         [](Peer& p) {
             p.say("220 Kw-TX " + std::string(100 * 1024, 'x') + "\r\n");
             p.until("USER");
             p.say("331 password\r\n");
             p.until("PASS");
             p.say("230 logged in\r\n");
             p.until("QUIT");
         },
         ftp::LoginResult::Ok},
        {"continuation lines without end",
         [](Peer& p) {
             p.say("220-Kw-TX ready\r\n");
             p.keepSending(p.control, "220-still talking\r\n", 1ms);
         },
         ftp::LoginResult::ConnectFailed},
        {"one byte now and then", [](Peer& p) { p.keepSending(p.control, "x", 100ms); },
         ftp::LoginResult::ConnectFailed},
        {"a greeting broken off by a close", [](Peer& p) { p.say("220 Kw"); }, ftp::LoginResult::ConnectFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScriptedMainUnit unit(c.script);
        CFtpMng client(nullptr, quick());
        const auto before = elapsed();
        EXPECT_EQ(login(client, unit), c.result);
        EXPECT_LT(elapsed() - before, 5s);
        client.Logout();
    }
}

// Listings are read whole however long, up to a cap beyond which they fail;
// an end reply of any length is taken whole, so the next command reads its own.
TEST_F(HostileServerTest, ListingsAreWholeOrAFailure) {
    constexpr int kLines = 100'000;
    // Made before the transfer starts: a pause in the data would end the listing.
    std::string sent;
    for (int i = 0; i < kLines; ++i) sent += "20261207" + std::to_string(1000000 + i) + "_x.vmdat\r\n";
    const auto serveListing = [&sent](Peer& p, const std::string& endReply) {
        p.until("CWD", "200 ok\r\n");
        p.say("250 ok\r\n");
        if (!p.openData()) return;
        net::sendAll(p.data, sent, 5000);
        p.data.close();
        p.say(endReply);
        p.until("CWD", "200 ok\r\n");
        p.say("250 in step\r\n");
        p.until("QUIT");
    };
    {
        ScriptedMainUnit unit([&](Peer& p) {
            p.login();
            serveListing(p, "226 " + std::string(100 * 1024, 'y') + "\r\n");
        });
        CFtpMng client(nullptr, quick());
        ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
        std::u16string listing;
        ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, listing), ftp::ListResult::Listed);
        EXPECT_EQ(std::count(listing.begin(), listing.end(), u'\n'), kLines);
        EXPECT_TRUE(listing.ends_with(u"_x.vmdat\r\n"));
        std::u16string reply;
        EXPECT_TRUE(client.Session()->Command(u"CWD /\r\n", &reply).accepted());
        EXPECT_EQ(reply, u"250 in step");
        client.Logout();
    }
    {
        ScriptedMainUnit unit([&](Peer& p) {
            p.login();
            serveListing(p, "226 done\r\n");
        });
        CFtpMng client(nullptr, quick());
        ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
        client.Session()->listingCapBytes = 100'000;
        std::u16string listing;
        EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, listing), ftp::ListResult::Failed)
            << "a cut listing passes as whole";
        std::u16string reply;
        EXPECT_TRUE(client.Session()->Command(u"CWD /\r\n", &reply).accepted());
        EXPECT_EQ(reply, u"250 in step");
        client.Logout();
    }
}

// Data that trickle in fail the transfer within a bounded time.
TEST_F(HostileServerTest, DataThatTrickleFailTheListing) {
    ScriptedMainUnit unit([](Peer& p) {
        p.login();
        p.until("CWD");
        p.say("250 ok\r\n");
        if (p.openData()) p.keepSending(p.data, "a", 100ms);
    });
    CFtpMng client(nullptr, quick());
    ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
    const auto before = elapsed();
    std::u16string listing;
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, listing), ftp::ListResult::Failed);
    EXPECT_LT(elapsed() - before, 5s);
}

// A main unit that answers ABOR on and on without its 225 holds a cancel
// for a few replies, not for as long as it talks.
TEST_F(HostileServerTest, ACancelEndsWhileTheMainUnitAnswersAbortForever) {
    ScriptedMainUnit unit([](Peer& p) {
        p.login();
        p.until("CWD");
        p.say("250 ok\r\n");
        if (!p.openData()) return;
        std::thread data([&] { p.keepSending(p.data, std::string(1024, 'n') + "\r\n", 1ms); });
        p.until("ABOR");
        p.keepSending(p.control, "426 still going\r\n", 1ms);
        data.join();
    });
    CFtpMng client(nullptr, quick());
    ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
    ports.pump.at(ports.pump.steps + 20, [&] { ports.cancel.set(); });
    const auto before = elapsed();
    std::u16string listing;
    long length = 0;
    (void)client.ListBoxLong(u"/rusuroku/0001", ftp::kListAll, listing, length);  // only how long it takes counts
    EXPECT_LT(elapsed() - before, 10s);
    ports.cancel.clear();
}

// A stray reply that never ends holds Drain for its time limit, not longer.
TEST_F(HostileServerTest, DrainEndsWhileTheMainUnitKeepsTalking) {
    ScriptedMainUnit unit([](Peer& p) {
        p.login();
        p.until("TYPE");
        p.say("200 ok\r\n");
        p.keepSending(p.control, "200-more\r\n", 0ms);
    });
    CFtpMng client(nullptr, quick());
    ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
    const auto before = elapsed();
    client.Drain();
    EXPECT_LT(elapsed() - before, 3s);
    std::u16string listing;
    EXPECT_NE(client.ListBox(u"/rusuroku/0001", ftp::kListAll, listing), ftp::ListResult::Listed);
    EXPECT_LT(elapsed() - before, 10s);
}

}  // namespace
}  // namespace plova
