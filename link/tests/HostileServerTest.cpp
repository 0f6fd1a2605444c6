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

    bool Say(const std::string& bytes) { return net::SendAll(control, bytes, 5000); }

    // The next command line without its CR LF; empty when the client hung up.
    std::string Command() {
        std::string line;
        char c = 0;
        while (net::WaitReadable(control, 5000) == net::Wait::Ready && net::Receive(control, &c, 1) == 1) {
            if (c == '\n' && !line.empty() && line.back() == '\r') {
                line.pop_back();
                return line;
            }
            line += c;
        }
        return {};
    }

    // Answers commands with `reply` until one starting with `verb` comes, which is returned.
    std::string Until(const std::string& verb, const std::string& reply = "200 ok\r\n") {
        for (;;) {
            const std::string c = Command();
            if (c.empty() || c.starts_with(verb)) return c;
            Say(reply);
        }
    }

    void Login() {
        Say("220 Kw-TX ready\r\n");
        Until("USER");
        Say("331 password\r\n");
        Until("PASS");
        Say("230 logged in\r\n");
    }

    // Takes the PORT command, connects to it and answers the transfer command
    // that follows with 150.
    bool OpenData() {
        const std::string port = Until("PORT");
        unsigned a, b, c, d, hi, lo;
        if (std::sscanf(port.c_str(), "PORT %u,%u,%u,%u,%u,%u", &a, &b, &c, &d, &hi, &lo) != 6) return false;
        Say("200 ok\r\n");
        if (Command().empty()) return false;
        data = net::OpenStream();
        if (!net::ConnectWithin(data, net::Ipv4Address((a << 24) | (b << 16) | (c << 8) | d, (hi << 8) | lo), 5000))
            return false;
        return Say("150 here it comes\r\n");
    }

    // Keeps sending `piece` until the client hangs up or the test ends.
    void KeepSending(const net::Socket& to, const std::string& piece, std::chrono::milliseconds pause) {
        while (!*stop && net::SendAll(to, piece, 1000)) std::this_thread::sleep_for(pause);
    }
};

class ScriptedMainUnit {
public:
    explicit ScriptedMainUnit(std::function<void(Peer&)> script) {
        listener_ = net::OpenStream();
        EXPECT_TRUE(net::BindAndListen(listener_, net::Ipv4Address(INADDR_LOOPBACK, 0), 1));
        port_ = net::HostPort(*net::LocalAddress(listener_));
        thread_ = std::thread([this, script = std::move(script)] {
            Peer peer;
            peer.stop = &stop_;
            peer.control = net::AcceptWithin(listener_, 10000);
            if (peer.control.IsOpen()) script(peer);
        });
    }
    ~ScriptedMainUnit() {
        stop_ = true;
        thread_.join();
    }
    [[nodiscard]] std::uint16_t Port() const { return port_; }

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
        return client.Login(u"127.0.0.1", u"admin", u"admin", unit.Port());
    }
    testkit::TestPorts ports;
    const SteadyClock::time_point start = SteadyClock::now();
    [[nodiscard]] std::chrono::milliseconds elapsed() const {
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
             p.Say("220 Kw-TX " + std::string(std::size_t{100} * 1024, 'x') + "\r\n");
             p.Until("USER");
             p.Say("331 password\r\n");
             p.Until("PASS");
             p.Say("230 logged in\r\n");
             p.Until("QUIT");
         },
         ftp::LoginResult::Ok},
        {"continuation lines without end",
         [](Peer& p) {
             p.Say("220-Kw-TX ready\r\n");
             p.KeepSending(p.control, "220-still talking\r\n", 1ms);
         },
         ftp::LoginResult::ConnectFailed},
        {"one byte now and then", [](Peer& p) { p.KeepSending(p.control, "x", 100ms); },
         ftp::LoginResult::ConnectFailed},
        {"a greeting broken off by a close", [](Peer& p) { p.Say("220 Kw"); }, ftp::LoginResult::ConnectFailed},
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
        p.Until("CWD", "200 ok\r\n");
        p.Say("250 ok\r\n");
        if (!p.OpenData()) return;
        net::SendAll(p.data, sent, 5000);
        p.data.Close();
        p.Say(endReply);
        p.Until("CWD", "200 ok\r\n");
        p.Say("250 in step\r\n");
        p.Until("QUIT");
    };
    {
        ScriptedMainUnit unit([&](Peer& p) {
            p.Login();
            serveListing(p, "226 " + std::string(std::size_t{100} * 1024, 'y') + "\r\n");
        });
        CFtpMng client(nullptr, quick());
        ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
        std::u16string listing;
        ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, listing), ftp::ListResult::Listed);
        EXPECT_EQ(std::count(listing.begin(), listing.end(), u'\n'), kLines);
        EXPECT_TRUE(listing.ends_with(u"_x.vmdat\r\n"));
        std::u16string reply;
        EXPECT_TRUE(client.Session()->Command(u"CWD /\r\n", &reply).Accepted());
        EXPECT_EQ(reply, u"250 in step");
        client.Logout();
    }
    {
        ScriptedMainUnit unit([&](Peer& p) {
            p.Login();
            serveListing(p, "226 done\r\n");
        });
        CFtpMng client(nullptr, quick());
        ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
        client.Session()->listingCapBytes = 100'000;
        std::u16string listing;
        EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, listing), ftp::ListResult::Failed)
            << "a cut listing passes as whole";
        std::u16string reply;
        EXPECT_TRUE(client.Session()->Command(u"CWD /\r\n", &reply).Accepted());
        EXPECT_EQ(reply, u"250 in step");
        client.Logout();
    }
}

// Data that trickle in fail the transfer within a bounded time.
TEST_F(HostileServerTest, DataThatTrickleFailTheListing) {
    ScriptedMainUnit unit([](Peer& p) {
        p.Login();
        p.Until("CWD");
        p.Say("250 ok\r\n");
        if (p.OpenData()) p.KeepSending(p.data, "a", 100ms);
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
        p.Login();
        p.Until("CWD");
        p.Say("250 ok\r\n");
        if (!p.OpenData()) return;
        std::thread data([&] { p.KeepSending(p.data, std::string(1024, 'n') + "\r\n", 1ms); });
        p.Until("ABOR");
        p.KeepSending(p.control, "426 still going\r\n", 1ms);
        data.join();
    });
    CFtpMng client(nullptr, quick());
    ASSERT_EQ(login(client, unit), ftp::LoginResult::Ok);
    ports.pump.At(ports.pump.steps + 20, [&] { ports.cancel.Set(); });
    const auto before = elapsed();
    std::u16string listing;
    long length = 0;
    (void)client.ListBoxLong(u"/rusuroku/0001", ftp::kListAll, listing, length);  // only how long it takes counts
    EXPECT_LT(elapsed() - before, 10s);
    ports.cancel.Clear();
}

// A stray reply that never ends holds Drain for its time limit, not longer.
TEST_F(HostileServerTest, DrainEndsWhileTheMainUnitKeepsTalking) {
    ScriptedMainUnit unit([](Peer& p) {
        p.Login();
        p.Until("TYPE");
        p.Say("200 ok\r\n");
        p.KeepSending(p.control, "200-more\r\n", 0ms);
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
