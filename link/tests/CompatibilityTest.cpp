// The client against a standard FTP server (pyftpdlib): the plain FTP it
// speaks must work with any server that keeps to the protocol, not only with
// our own simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "link/CFtpMng.h"
#include "link/RemoteListing.h"
#include "link/tests/LinkTestSupport.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using namespace linktest;

bool hasCommand(const std::vector<std::string>& commands, const std::string& wanted) {
    return std::find(commands.begin(), commands.end(), wanted) != commands.end();
}

class CompatibilityTest : public ::testing::Test {
protected:
    void SetUp() override {
        disk = temp.Path() / "disk";
        local = temp.Path() / "local";
        fs::create_directories(disk / "rusuroku" / "0001");
        fs::create_directories(disk / "rusuroku" / "0002");
        fs::create_directories(disk / "naisen" / "0101");
        fs::create_directories(disk / "outou");
        fs::create_directories(local);
        for (int i = 1; i <= 2; ++i) {
            WriteFile(disk / "rusuroku" / "0001" / BoxMessageName(i, ".vmdat"), PatternBytes(5000 + i, i));
            WriteFile(disk / "rusuroku" / "0001" / BoxMessageName(i, ".vminf"), PatternBytes(256, 10 + i));
        }
        handlesBefore = OpenHandles();
    }

    testkit::TempFolder temp{"link-compat"};
    fs::path disk;
    fs::path local;
    int handlesBefore = 0;
    testkit::TestPorts ports;
    RecordingIdleTimer timer;
};

TEST_F(CompatibilityTest, LogsInListsRetrievesStoresDeletesAndQuits) {
    StandardFtpServer server(disk, "Kw-TX test");
    ASSERT_TRUE(server.Running());
    const WindowHandle window = ports.progress.Open(u"ダウンロード中");
    {
        CFtpMng mng(&timer);
        ASSERT_EQ(mng.Login(u"127.0.0.1", u"admin", u"admin", server.Port()), ftp::LoginResult::Ok);

        std::u16string root, answering, extension;
        ASSERT_EQ(mng.ListFolders(root, answering, extension), ftp::ListResult::Listed);
        EXPECT_NE(root.find(u"rusuroku"), std::u16string::npos);
        auto boxes = listing::BoxNames(answering);
        std::sort(boxes.begin(), boxes.end());
        EXPECT_EQ(boxes, (std::vector<std::u16string>{u"0001", u"0002"}));
        EXPECT_EQ(listing::BoxNames(extension), std::vector<std::u16string>{u"0101"});

        std::u16string names;
        ASSERT_EQ(mng.ListBox(u"/rusuroku/0001", ftp::kListAll, names, local), ftp::ListResult::Listed);
        auto messages = listing::MessageNames(names, listing::NameForm::BoxMessage);
        std::sort(messages.begin(), messages.end());
        ASSERT_EQ(messages.size(), 4u);
        EXPECT_EQ(ToUtf8(messages[0]), BoxMessageName(1, ".vmdat"));

        // The session stays in the box directory: RETR takes the bare name.
        const std::string wanted = BoxMessageName(2, ".vmdat");
        ASSERT_EQ(mng.Retrieve(U16(wanted), U16(wanted), local), ftp::TransferResult::Done);
        EXPECT_TRUE(ReadFile(local / wanted) == ReadFile(disk / "rusuroku" / "0001" / wanted));
        const auto bars = ports.progress.Of(msg::kBarPosition);
        ASSERT_EQ(bars.size(), 5u);  // 5002 bytes in blocks of 1024
        for (std::size_t i = 0; i < bars.size(); ++i) {
            EXPECT_EQ(bars[i].window, window);
            EXPECT_EQ(bars[i].wparam, static_cast<std::intptr_t>(i + 1));
        }

        const std::string upload = PatternBytes(3000, 99);
        ASSERT_EQ(mng.Store(upload.data(), upload.size(), u"202401151030_ABC_0001_0005.vmdat").outcome,
                  ftp::StoreOutcome::Stored);
        EXPECT_TRUE(ReadFile(disk / "outou" / "202401151030_ABC_0001_0005.vmdat") == upload);

        EXPECT_EQ(mng.Delete(u"/outou/202401151030_ABC_0001_0005.vmdat").outcome, ftp::DeleteOutcome::Deleted);
        EXPECT_FALSE(fs::exists(disk / "outou" / "202401151030_ABC_0001_0005.vmdat"));
        EXPECT_EQ(mng.Delete(u"/outou/202401151030_ABC_0001_0005.vmdat").outcome, ftp::DeleteOutcome::Unavailable);

        const std::string absent = BoxMessageName(9, ".vmdat");
        EXPECT_EQ(mng.Retrieve(U16(absent), U16(absent), local), ftp::TransferResult::Unavailable);
        EXPECT_FALSE(fs::exists(local / absent));

        EXPECT_TRUE(mng.KeepAlive());
        mng.Logout();
        EXPECT_FALSE(mng.HasSession());
    }

    const auto commands = server.Commands();
    EXPECT_TRUE(hasCommand(commands, "USER admin"));
    EXPECT_TRUE(hasCommand(commands, "CWD ../"));
    EXPECT_TRUE(hasCommand(commands, "CWD /rusuroku"));
    EXPECT_TRUE(hasCommand(commands, "NLST"));
    EXPECT_TRUE(hasCommand(commands, "RETR " + BoxMessageName(2, ".vmdat")));
    EXPECT_TRUE(hasCommand(commands, "STOR /outou/202401151030_ABC_0001_0005.vmdat"));
    EXPECT_TRUE(hasCommand(commands, "DELE /outou/202401151030_ABC_0001_0005.vmdat"));
    EXPECT_EQ(commands.back(), "QUIT");
    const auto port = std::find_if(commands.begin(), commands.end(),
                                   [](const std::string& c) { return c.rfind("PORT 127,0,0,1,", 0) == 0; });
    EXPECT_NE(port, commands.end());
    // This server accepts "CWD ../" at the root too: the folder listing, the
    // store and the two deletes each climb five times and no more.
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "CWD ../"), 4 * 5);
    // Binary files travel in image type.
    EXPECT_TRUE(hasCommand(commands, "TYPE I"));

    // Every wrapper stopped the idle timer and restarted it; logout stopped it for good.
    ASSERT_GE(timer.calls.size(), 2u);
    EXPECT_EQ(timer.calls[0], "stop");
    EXPECT_EQ(timer.calls[1], "restart");
    EXPECT_EQ(timer.calls[timer.calls.size() - 2], "stop");
    EXPECT_EQ(timer.calls.back(), "reset");
    EXPECT_EQ(OpenHandles(), handlesBefore);
}

TEST_F(CompatibilityTest, CancelDuringRetrievalSendsAbortAndReturnsCancelled) {
    const std::string big = BoxMessageName(3, ".vmdat");
    WriteFile(disk / "rusuroku" / "0001" / big, PatternBytes(4 << 20, 3));
    StandardFtpServer server(disk, "Kw-TX test");
    ASSERT_TRUE(server.Running());
    ports.progress.Open(u"ダウンロード中");
    // This server answers ABOR with 426 and 226 instead of 225: the wait for
    // a 225 is shortened so the test does not sit out the full reply wait.
    Timeouts quick;
    quick.replyMillis = 1500;
    {
        CFtpMng mng(&timer, quick);
        ASSERT_EQ(mng.Login(u"127.0.0.1", u"admin", u"admin", server.Port()), ftp::LoginResult::Ok);
        std::u16string names;
        ASSERT_EQ(mng.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
        ports.pump.Every([&] {
            if (ports.progress.Of(msg::kBarPosition).size() >= 3) ports.cancel.Set();
        });
        EXPECT_EQ(mng.Retrieve(U16(big), U16(big), local), ftp::TransferResult::Cancelled);
        EXPECT_LT(fs::file_size(local / big), 4u << 20);
        ports.pump.Every(nullptr);
        ports.cancel.Clear();

        // The replies of the aborted transfer are gone: the session goes on.
        ASSERT_EQ(mng.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
        EXPECT_EQ(listing::MessageNames(names, listing::NameForm::BoxMessage).size(), 5u);
        mng.Logout();
    }
    EXPECT_TRUE(hasCommand(server.Commands(), "ABOR"));
    EXPECT_EQ(OpenHandles(), handlesBefore);
}

TEST_F(CompatibilityTest, AnotherModelAndAWrongPasswordAreRefusedWithoutLeavingAConnection) {
    {
        StandardFtpServer other(disk, "Zz-QQ test");
        ASSERT_TRUE(other.Running());
        CFtpMng mng;
        EXPECT_EQ(mng.Login(u"127.0.0.1", u"admin", u"admin", other.Port()), ftp::LoginResult::UnsupportedModel);
        EXPECT_FALSE(mng.HasSession());
        EXPECT_TRUE(other.Commands().empty());
    }
    StandardFtpServer server(disk, "Kw-TX test");
    CFtpMng mng;
    EXPECT_EQ(mng.Login(u"127.0.0.1", u"admin", u"wrong", server.Port()), ftp::LoginResult::Refused);
    EXPECT_FALSE(mng.HasSession());
    EXPECT_EQ(OpenHandles(), handlesBefore);
}

TEST_F(CompatibilityTest, ANameCarryingASecondCommandIsNeverSent) {
    WriteFile(disk / "outou" / "keep.vmdat", "keep");
    StandardFtpServer server(disk, "Kw-TX test");
    CFtpMng mng;
    ASSERT_EQ(mng.Login(u"127.0.0.1", u"admin", u"admin", server.Port()), ftp::LoginResult::Ok);
    EXPECT_EQ(mng.Delete(u"/outou/x\r\nDELE /outou/keep.vmdat").outcome, ftp::DeleteOutcome::Failed);
    EXPECT_EQ(mng.Retrieve(u"x\nDELE /outou/keep.vmdat", u"x", local), ftp::TransferResult::Failed);
    EXPECT_EQ(mng.Store("a", 1, u"x\rDELE /outou/keep.vmdat").outcome, ftp::StoreOutcome::Failed);
    EXPECT_TRUE(fs::exists(disk / "outou" / "keep.vmdat"));
    for (const auto& command : server.Commands()) EXPECT_EQ(command.find("keep"), std::string::npos) << command;
    // The session is still in step after the refusals.
    EXPECT_EQ(mng.Delete(u"/outou/keep.vmdat").outcome, ftp::DeleteOutcome::Deleted);
    mng.Logout();
}

TEST_F(CompatibilityTest, PortComesFromTheEnvironmentWhenNoneIsGiven) {
    StandardFtpServer server(disk, "Kw-TX test");
    ::setenv(ftp::kPortVariable, std::to_string(server.Port()).c_str(), 1);
    CFtpMng mng;
    EXPECT_EQ(mng.Login(u"127.0.0.1", u"admin", u"admin"), ftp::LoginResult::Ok);
    ::setenv(ftp::kPortVariable, "not-a-port", 1);
    EXPECT_EQ(CFtpMng::ResolvePort(std::nullopt), CFtpMng::ServicePort());
    EXPECT_EQ(CFtpMng::ResolvePort(std::uint16_t{4021}), 4021);
    ::unsetenv(ftp::kPortVariable);
    mng.Logout();
}

}  // namespace
}  // namespace plova
