// Every fault switch, seen from the wire.
#include "sim/tests/ServerFixture.h"

#include <chrono>

namespace plova::sim::testing {
namespace {

using SimFaults = ServerFixture;
using Clock = std::chrono::steady_clock;

const std::string kPlainVoice = std::string(ServerFixture::kPlain) + ".vmdat";

TEST_F(SimFaults, GreetingNamesAnotherModelOrRefusesTheSession) {
    Faults f;
    f.greetingModel = "Zq-9";
    unit.Server().SetFaults(f);
    FtpTestClient other(unit.Port());
    Reply greeting = other.ReadReply();
    EXPECT_EQ(greeting.code, 220);
    EXPECT_EQ(greeting.raw.substr(0, 9), "220 Zq-9 ");

    f = {};
    f.greetingCode = 421;
    unit.Server().SetFaults(f);
    FtpTestClient refused(unit.Port());
    EXPECT_EQ(refused.ReadReply().code, 421);
    EXPECT_TRUE(refused.ClosedByServer());
}

TEST_F(SimFaults, LoginRefusedGarbledOrOverlong) {
    Faults f;
    f.refuseLogin = true;
    unit.Server().SetFaults(f);
    {
        FtpTestClient c(unit.Port());
        EXPECT_FALSE(c.Login()) << "right credentials, refused all the same";
        EXPECT_EQ(c.Command("NLST").code, 530);
    }
    f = {};
    f.garbageReply = true;
    unit.Server().SetFaults(f);
    {
        FtpTestClient c(unit.Port());
        c.ReadReply();
        EXPECT_EQ(c.Command("USER admin").code, 331);
        Reply pass = c.Command("PASS admin");
        EXPECT_EQ(pass.code, -1) << "a line without a code: " << pass.raw;
        EXPECT_FALSE(pass.raw.empty());
    }
    f = {};
    f.overlongReply = true;
    unit.Server().SetFaults(f);
    {
        FtpTestClient c(unit.Port());
        c.ReadReply();
        auto line = (c.Send("USER admin"), c.ReadLine());
        ASSERT_TRUE(line);
        EXPECT_EQ(line->size(), 600u);
        EXPECT_EQ(line->substr(0, 4), "331 ");
        EXPECT_EQ(c.Command("PASS admin").code, 230) << "the session itself is unharmed";
    }
}

TEST_F(SimFaults, MultiLineRepliesAndSwitchesThatChangeWhileRunning) {
    auto c = std::make_unique<FtpTestClient>(unit.Port());
    c->ReadReply();
    EXPECT_EQ(c->Command("USER admin").raw.substr(0, 4), "331 ");
    Faults f;
    f.multilineReplies = true;
    unit.Server().SetFaults(f);
    Reply pass = c->Command("PASS admin");
    EXPECT_EQ(pass.code, 230);
    EXPECT_EQ(pass.raw.substr(0, 4), "230-");
    EXPECT_NE(pass.raw.find("\r\n230 "), std::string::npos);
    Reply cwd = c->Command("CWD /outou");
    EXPECT_EQ(cwd.raw.substr(0, 4), "250-");
    EXPECT_EQ(c->Command("NOOP").raw, "200 NOOP command successful.\r\n") << "other replies stay single";
    unit.Server().SetFaults({});
    EXPECT_EQ(c->Command("CWD /naisen").raw, "250 CWD command successful.\r\n") << "the next command sees the change";
}

TEST_F(SimFaults, DropsBothConnectionsPartWayThroughATransfer) {
    Faults f;
    f.dropAfterBytes = 10000;
    unit.Server().SetFaults(f);
    auto c = loggedIn();
    ASSERT_EQ(c->AnnouncePort().code, 200);
    ASSERT_EQ(c->Command("RETR /rusuroku/0001/" + kPlainVoice).code, 150);
    net::Socket data = c->AcceptData();
    EXPECT_EQ(FtpTestClient::ReadAll(data).size(), 10000u);
    EXPECT_TRUE(c->ClosedByServer()) << "no transfer-end reply, the control connection is gone";
    for (int i = 0; i < 100 && unit.Server().SessionsOpen() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(unit.Server().SessionsOpen(), 0);
}

TEST_F(SimFaults, StallsAfterTheFirstBlockThenGoesOn) {
    Faults f;
    f.stallMillis = 1500;
    unit.Server().SetFaults(f);
    auto c = loggedIn();
    ASSERT_EQ(c->AnnouncePort().code, 200);
    ASSERT_EQ(c->Command("RETR /rusuroku/0001/" + kPlainVoice).code, 150);
    net::Socket data = c->AcceptData();
    ASSERT_TRUE(data.IsOpen());
    // The first block comes at once; then nothing for the stall.
    std::string received;
    char chunk[65536];
    Clock::time_point lastByte{};
    Clock::duration longestGap{};
    while (net::WaitReadable(data, 5000) == net::Wait::Ready) {
        const long n = net::Receive(data, chunk, sizeof chunk);
        if (n <= 0) break;
        const auto now = Clock::now();
        if (!received.empty()) longestGap = std::max(longestGap, now - lastByte);
        lastByte = now;
        received.append(chunk, static_cast<std::size_t>(n));
    }
    EXPECT_EQ(received, ReadFile(root / "rusuroku/0001" / kPlainVoice));
    EXPECT_GE(longestGap, std::chrono::milliseconds(1300));
    EXPECT_EQ(c->ReadReply().code, 226);
}

TEST_F(SimFaults, ErrorReplyAfterACompleteTransfer) {
    Faults f;
    f.errorAfterTransfer = true;
    unit.Server().SetFaults(f);
    auto c = loggedIn();
    auto t = c->RunTransfer("RETR /rusuroku/0001/" + kPlainVoice);
    EXPECT_EQ(t.data.size(), 40256u);
    EXPECT_EQ(t.end.code, 451);
}

TEST_F(SimFaults, HostileNamesInListingsAreNamesOnly) {
    Faults f;
    f.hostileListing = true;
    unit.Server().SetFaults(f);
    auto c = loggedIn();
    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    const std::string all = c->RunTransfer("NLST").data;
    for (const char* name :
         {"../evil.vmdat\r\n", "a/b.vmdat\r\n", "..\\..\\evil.vmdat\r\n", "20240101/000_MON_0001_00001.vmdat\r\n"}) {
        EXPECT_NE(all.find(name), std::string::npos) << name;
    }
    const std::string info = c->RunTransfer("NLST *.vminf").data;
    EXPECT_NE(info.find("../../../../tmp/evil.vminf"), std::string::npos);
    EXPECT_EQ(info.find("evil.vmdat"), std::string::npos) << "the pattern applies to them too";
    const std::string longForm = c->RunTransfer("NLST -l").data;
    EXPECT_NE(longForm.find(" ../evil.vmdat\r\n"), std::string::npos);
    EXPECT_EQ(c->RunTransfer("RETR ../evil.vmdat").first.code, 550) << "listed, but nothing behind it";
}

TEST_F(SimFaults, ListingsPaddedBeyondTheClientsBuffer) {
    constexpr std::uint64_t kClientBuffer = 10240000;
    Faults f;
    f.hugeListingBytes = kClientBuffer + 1;
    unit.Server().SetFaults(f);
    auto c = loggedIn();
    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    auto t = c->RunTransfer("NLST *.vmdat");
    EXPECT_EQ(t.end.code, 226);
    EXPECT_GT(t.data.size(), kClientBuffer);
    EXPECT_EQ(t.data.substr(0, 35), kPlainVoice + "\r\n") << "the real names come first";
}

}  // namespace
}  // namespace plova::sim::testing
