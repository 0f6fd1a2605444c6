// Reading reply lines off a real stream socket: where a line ends and that
// the next reply is never taken with it.
#include <gtest/gtest.h>

#include <string>

#include "link/FTP_SESSION.h"
#include "link/FtpReply.h"
#include "platform/Socket.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {

// A session whose control connection is one end of a loopback connection;
// the test plays the main unit on the other end.
class ReplyLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        net::Socket listener = net::OpenStream();
        ASSERT_TRUE(net::BindAndListen(listener, net::Ipv4Address(0x7F000001, 0), 1));
        net::Socket client = net::OpenStream();
        ASSERT_TRUE(net::ConnectWithin(client, *net::LocalAddress(listener), 5000));
        mainUnit = net::AcceptWithin(listener, 5000);
        ASSERT_TRUE(mainUnit.IsOpen());
        Timeouts quick;
        quick.replyMillis = 300;
        session = std::make_unique<FTP_SESSION>(quick);
        session->control = std::move(client);
    }

    void says(const std::string& bytes) { ASSERT_TRUE(net::SendAll(mainUnit, bytes, 1000)); }

    testkit::TestPorts ports;
    std::unique_ptr<FTP_SESSION> session;
    net::Socket mainUnit;
};

TEST_F(ReplyLineTest, ACrLfRightAtTheCutStillEndsTheLine) {
    // 509 characters and CR fill the 511-character buffer but one; the LF
    // that follows belongs to this line, not to the next reply.
    const std::string first = "331 " + std::string(505, 'x');
    says(first + "\r\n" + "230 done\r\n");
    std::u16string line;
    ASSERT_TRUE(session->Command(u"", &line).Accepted());
    EXPECT_EQ(line.size(), 509u);
    ASSERT_TRUE(session->ReadReplyLine(line, ftp::kReplyLineMax, false));
    EXPECT_EQ(line, u"230 done");

    // The same with the line read on its own.
    says(first + "\r\n" + "250 ok\r\n");
    ASSERT_TRUE(session->ReadReplyLine(line, ftp::kReplyLineMax, false));
    EXPECT_EQ(line.size(), 509u);
    ASSERT_TRUE(session->ReadReplyLine(line, ftp::kReplyLineMax, false));
    EXPECT_EQ(line, u"250 ok");

    // A line really longer than the buffer is cut at 510 characters.
    says("200 " + std::string(600, 'y') + "\r\n");
    ASSERT_TRUE(session->ReadReplyLine(line, ftp::kReplyLineMax, false));
    EXPECT_EQ(line.size(), 510u);
}

}  // namespace
}  // namespace plova
