// The client against the main-unit simulator on loopback: logins, listings,
// transfers, cancels, and every fault the simulator can put on. Each case
// also checks that nothing is left open, here or on the main unit.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "link/CFtpMng.h"
#include "link/FtpReply.h"
#include "link/RemoteListing.h"
#include "link/tests/LinkTestSupport.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using namespace linktest;

constexpr std::size_t kBigFile = 4u << 20;

class SimSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        local = temp.Path() / "local";
        fs::create_directories(disk / "rusuroku" / "0001");
        fs::create_directories(disk / "rusuroku" / "0002");  // empty box
        fs::create_directories(disk / "naisen" / "0101");
        fs::create_directories(disk / "outou");
        fs::create_directories(local);
        for (int i = 1; i <= 3; ++i) {
            WriteFile(box1 / BoxMessageName(i, ".vmdat"), PatternBytes(6000 + 100 * i, i));
            WriteFile(box1 / BoxMessageName(i, ".vminf"), std::string(256, '\0'));
        }
        WriteFile(box1 / BoxMessageName(4, ".vmdat"), PatternBytes(kBigFile, 4));
        WriteFile(disk / "naisen" / "0101" / BoxMessageName(7, ".vmdat"), std::string(3000, '\0'));

        ASSERT_NO_FATAL_FAILURE(unit.Start());
        handlesBefore = OpenHandles();
    }

    void TearDown() override { unit.Stop(); }

    CFtpMng& loggedIn(Timeouts timeouts = {}) {
        mng = std::make_unique<CFtpMng>(&timer, timeouts);
        EXPECT_EQ(mng->Login(u"127.0.0.1", u"admin", u"admin", unit.Port()), ftp::LoginResult::Ok);
        return *mng;
    }

    // Logged out, no socket or file left open on either side.
    void expectNothingLeftOpen() {
        if (mng) {
            mng->Logout();
            mng.reset();
        }
        EXPECT_TRUE(WaitFor([&] { return unit.Server().SessionsOpen() == 0; })) << unit.Server().SessionsOpen();
        EXPECT_TRUE(WaitFor([&] { return OpenHandles() == handlesBefore; }))
            << OpenHandles() << " open, " << handlesBefore << " before";
    }

    testkit::TempFolder temp{"link-sim"};
    fs::path disk = temp.Path() / "disk";
    fs::path box1 = disk / "rusuroku" / "0001";
    fs::path local;
    testkit::SimUnit unit{disk};
    std::unique_ptr<CFtpMng> mng;
    testkit::TestPorts ports;
    RecordingIdleTimer timer;
    int handlesBefore = 0;
};

// ------------------------------------------------------------------ login ----

TEST_F(SimSessionTest, LoginResultsForEveryKindOfRefusal) {
    struct Case {
        const char* what;
        std::function<void(sim::Faults&)> fault;
        const char16_t* password;
        ftp::LoginResult expected;
        std::string cause;  // what LoginFailure says, "HOST:PORT" standing for the server's
    };
    const Case cases[] = {
        {"plain", [](sim::Faults&) {}, u"admin", ftp::LoginResult::Ok, ""},
        {"other model", [](sim::Faults& f) { f.greetingModel = "Kx-TX"; }, u"admin", ftp::LoginResult::UnsupportedModel,
         "the server at HOST:PORT is not a supported main unit"},
        {"greeting 421", [](sim::Faults& f) { f.greetingCode = 421; }, u"admin", ftp::LoginResult::ConnectFailed,
         "the main unit at HOST:PORT turned the connection away (421)"},
        {"refused", [](sim::Faults& f) { f.refuseLogin = true; }, u"admin", ftp::LoginResult::Refused,
         "the main unit at HOST:PORT refused the user name or password"},
        {"wrong password", [](sim::Faults&) {}, u"nimda", ftp::LoginResult::Refused,
         "the main unit at HOST:PORT refused the user name or password"},
        // A reply without a code must never pass for "logged in".
        {"garbage", [](sim::Faults& f) { f.garbageReply = true; }, u"admin", ftp::LoginResult::Refused,
         "the main unit at HOST:PORT refused the user name or password"},
    };
    const std::string where = "127.0.0.1:" + std::to_string(unit.Port());
    for (const Case& c : cases) {
        unit.Server().SetFaults(sim::Faults{});
        unit.ChangeFaults(c.fault);
        CFtpMng client(&timer);
        EXPECT_EQ(client.Login(u"127.0.0.1", u"admin", c.password, unit.Port()), c.expected) << c.what;
        EXPECT_EQ(client.HasSession(), c.expected == ftp::LoginResult::Ok) << c.what;
        std::string cause = c.cause;
        if (const auto at = cause.find("HOST:PORT"); at != std::string::npos) cause.replace(at, 9, where);
        EXPECT_EQ(client.LoginFailure(), cause) << c.what;
    }
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, NoServerOrNoSuchHostIsAConnectionFailure) {
    const std::uint16_t port = unit.Port();
    unit.Stop();
    const int handles = OpenHandles();
    CFtpMng client;
    EXPECT_EQ(client.Login(u"127.0.0.1", u"admin", u"admin", port), ftp::LoginResult::ConnectFailed);
    EXPECT_EQ(client.LoginFailure(), "connection refused at 127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(client.Login(u"no-such-host.invalid", u"admin", u"admin", port), ftp::LoginResult::ConnectFailed);
    EXPECT_EQ(client.LoginFailure(), "the host name no-such-host.invalid resolves to no address");
    EXPECT_EQ(OpenHandles(), handles);
}

TEST_F(SimSessionTest, OverlongAndMultiLineRepliesKeepCommandsAndRepliesInStep) {
    unit.ChangeFaults([](sim::Faults& f) {
        f.overlongReply = true;
        f.multilineReplies = true;  // 230 and 250 come as "ddd-" blocks
    });
    CFtpMng& client = loggedIn();
    // Every CWD answers with a block; after it the next command must still
    // read its own reply, file after file.
    std::u16string listing;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListVoice, listing, local), ftp::ListResult::Listed);
    for (int i = 1; i <= 3; ++i) {
        const std::string name = BoxMessageName(i, ".vmdat");
        ASSERT_EQ(client.Session()->Retrieve(U16(name), U16(name), true, false), ftp::TransferResult::Done) << name;
    }
    EXPECT_EQ(client.Delete(u"/rusuroku/0001/" + U16(BoxMessageName(1, ".vminf"))).outcome,
              ftp::DeleteOutcome::Deleted);
    EXPECT_EQ(client.ListBox(u"/rusuroku/0404", ftp::kListAll, listing), ftp::ListResult::NoSuchDirectory);
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, AReplyLineIsCutAt510AndTheRestIsDrained) {
    CFtpMng& client = loggedIn();
    unit.ChangeFaults([](sim::Faults& f) { f.overlongReply = true; });
    FTP_SESSION& s = *client.Session();
    ASSERT_TRUE(s.SendCommand(u"USER admin\r\n"));
    std::u16string line;
    ASSERT_TRUE(s.ReadReplyLine(line, ftp::kReplyLineMax, false));
    ASSERT_EQ(line.size(), 510u);
    EXPECT_EQ(line.substr(0, 4), u"331 ");
    s.Drain();
    unit.ChangeFaults([](sim::Faults& f) { f.overlongReply = false; });
    EXPECT_TRUE(s.Command(u"PASS admin\r\n").Accepted());
    expectNothingLeftOpen();
}

// --------------------------------------------------------------- listings ----

TEST_F(SimSessionTest, FolderAndBoxListings) {
    CFtpMng& client = loggedIn();
    std::u16string root, answering, extension;
    ASSERT_EQ(client.ListFolders(root, answering, extension), ftp::ListResult::Listed);
    EXPECT_EQ(listing::BoxNames(answering), (std::vector<std::u16string>{u"0001", u"0002"}));
    EXPECT_EQ(listing::BoxNames(extension), std::vector<std::u16string>{u"0101"});
    EXPECT_NE(root.find(u"outou"), std::u16string::npos);

    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListInfo, names), ftp::ListResult::Listed);
    EXPECT_EQ(listing::MessageNames(names, listing::NameForm::BoxMessage).size(), 3u);
    // No file matches: the main unit answers 550, which is an empty box.
    ASSERT_EQ(client.ListBox(u"/rusuroku/0002", ftp::kListInfo, names), ftp::ListResult::Listed);
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(client.ListBox(u"/rusuroku/0002", ftp::kListAll, names), ftp::ListResult::Listed);
    EXPECT_EQ(client.ListBox(u"/rusuroku/0404", ftp::kListInfo, names), ftp::ListResult::NoSuchDirectory);

    long length = 0;
    ASSERT_EQ(client.ListBoxLong(u"/rusuroku/0001", ftp::kListAll, names, length), ftp::ListResult::Listed);
    EXPECT_EQ(length, static_cast<long>(names.size() * 2));
    const auto entries = listing::MessageEntries(names, listing::NameForm::BoxMessage);
    ASSERT_EQ(entries.size(), 7u);
    for (const auto& e : entries)
        EXPECT_EQ(static_cast<std::uintmax_t>(e.size), fs::file_size(box1 / ToUtf8(e.name))) << ToUtf8(e.name);
    ASSERT_EQ(client.ListBoxLong(u"/rusuroku/0001", ftp::kListVoice, names, length), ftp::ListResult::Listed);
    EXPECT_EQ(listing::MessageEntries(names, listing::NameForm::BoxMessage).size(), 4u);
    EXPECT_EQ(client.ListBoxLong(u"/rusuroku/0404", ftp::kListAll, names, length), ftp::ListResult::NoSuchDirectory);
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, HostileNamesInAListingAreSkipped) {
    unit.ChangeFaults([](sim::Faults& f) { f.hostileListing = true; });
    CFtpMng& client = loggedIn();
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
    EXPECT_NE(names.find(u"evil"), std::u16string::npos);  // the server did list them
    for (const auto& name : listing::MessageNames(names, listing::NameForm::BoxMessage)) {
        EXPECT_TRUE(listing::IsSafeName(name));
        EXPECT_TRUE(fs::exists(box1 / ToUtf8(name))) << ToUtf8(name);
    }
    long length = 0;
    ASSERT_EQ(client.ListBoxLong(u"/rusuroku/0001", ftp::kListAll, names, length), ftp::ListResult::Listed);
    for (const auto& e : listing::MessageEntries(names, listing::NameForm::BoxMessage))
        EXPECT_TRUE(fs::exists(box1 / ToUtf8(e.name))) << ToUtf8(e.name);
    std::u16string root, answering, extension;
    ASSERT_EQ(client.ListFolders(root, answering, extension), ftp::ListResult::Listed);
    for (const auto& box : listing::BoxNames(answering)) EXPECT_TRUE(fs::is_directory(disk / "rusuroku" / ToUtf8(box)));
    // A name holding a separator is never used as a local path.
    EXPECT_EQ(client.Retrieve(u"../evil.vmdat", u"../evil.vmdat", local), ftp::TransferResult::Failed);
    EXPECT_FALSE(fs::exists(temp.Path() / "evil.vmdat"));
    // Nor is one that is no text: it is refused before any transfer starts,
    // and the session goes on in step.
    const std::u16string good = U16(BoxMessageName(1, ".vmdat"));
    ASSERT_TRUE(client.Session()->Command(u"CWD /rusuroku/0001\r\n").Accepted());
    EXPECT_EQ(client.Retrieve(good, good.substr(0, 20) + char16_t(0xD800), local), ftp::TransferResult::Failed);
    EXPECT_EQ(client.Retrieve(good, good, local), ftp::TransferResult::Done);
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, AListingLongerThanTheBufferIsReadWholeAndOneBeyondTheCapFails) {
    unit.ChangeFaults([](sim::Faults& f) { f.hugeListingBytes = 12'000'000; });
    CFtpMng& client = loggedIn();
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
    EXPECT_GE(names.size(), 12'000'000u);
    EXPECT_TRUE(names.ends_with(u"\r\n")) << "the listing is cut mid-line";
    EXPECT_EQ(listing::MessageNames(names, listing::NameForm::BoxMessage).size(), 7u);
    // Beyond the cap the listing is a failure, never a shorter list, and the session goes on.
    client.Session()->listingCapBytes = 5'000'000;
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Failed);
    unit.ChangeFaults([](sim::Faults& f) { f.hugeListingBytes = 0; });
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListInfo, names), ftp::ListResult::Listed);
    EXPECT_EQ(listing::MessageNames(names, listing::NameForm::BoxMessage).size(), 3u);
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, CancelDuringALongListingKeepsWhatArrivedAndTheSession) {
    unit.ChangeFaults([](sim::Faults& f) { f.hugeListingBytes = 8'000'000; });
    CFtpMng& client = loggedIn();
    ports.pump.At(ports.pump.steps + 400, [&] { ports.cancel.Set(); });
    std::u16string names;
    long length = 0;
    ASSERT_EQ(client.ListBoxLong(u"/rusuroku/0001", ftp::kListAll, names, length), ftp::ListResult::Listed);
    EXPECT_LT(names.size(), 8'000'000u);
    ports.cancel.Clear();
    unit.ChangeFaults([](sim::Faults& f) { f.hugeListingBytes = 0; });
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListInfo, names), ftp::ListResult::Listed);
    EXPECT_EQ(listing::MessageNames(names, listing::NameForm::BoxMessage).size(), 3u);
    expectNothingLeftOpen();
}

// -------------------------------------------------------------- transfers ----

TEST_F(SimSessionTest, RetrieveWritesTheFileAndReportsEveryBlock) {
    const WindowHandle window = ports.progress.Open(u"ダウンロード中");
    CFtpMng& client = loggedIn();
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
    const std::string name = BoxMessageName(2, ".vmdat");  // 6200 bytes
    ASSERT_EQ(client.Retrieve(U16(name), U16(name), local), ftp::TransferResult::Done);
    EXPECT_TRUE(ReadFile(local / name) == ReadFile(box1 / name));
    EXPECT_EQ(client.Session()->bytesReceived, 6200);
    const auto bars = ports.progress.Of(msg::kBarPosition);
    ASSERT_EQ(bars.size(), 7u);
    EXPECT_EQ(bars.back().window, window);
    EXPECT_EQ(bars.back().wparam, 7);

    // Without reset the count goes on; with the no-progress flag nothing is sent.
    ASSERT_EQ(client.Session()->Retrieve(U16(name), U16(name), false, false), ftp::TransferResult::Done);
    EXPECT_EQ(ports.progress.Of(msg::kBarPosition).back().wparam, 14);
    ASSERT_EQ(client.Session()->Retrieve(U16(name), U16(name), true, true), ftp::TransferResult::Done);
    EXPECT_EQ(ports.progress.Of(msg::kBarPosition).size(), 14u);

    // A file the main unit no longer has: 550, and no local file.
    const std::string gone = BoxMessageName(9, ".vmdat");
    EXPECT_EQ(client.Retrieve(U16(gone), U16(gone), local), ftp::TransferResult::Unavailable);
    EXPECT_FALSE(fs::exists(local / gone));
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, CancelDuringRetrievalSendsAbortAndReturnsCancelled) {
    ports.progress.Open(u"ダウンロード中");
    CFtpMng& client = loggedIn();
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names, local), ftp::ListResult::Listed);
    const std::string big = BoxMessageName(4, ".vmdat");
    ports.pump.At(ports.pump.steps + 300, [&] { ports.cancel.Set(); });
    EXPECT_EQ(client.Session()->Retrieve(U16(big), U16(big), true, false), ftp::TransferResult::Cancelled);
    EXPECT_GT(ports.progress.Of(msg::kBarPosition).size(), 10u);
    EXPECT_LT(fs::file_size(local / big), kBigFile);
    ports.cancel.Clear();
    // The main unit's 426 and 225 were taken by the abort: the next command reads its own reply.
    EXPECT_TRUE(client.Session()->Command(u"CWD /rusuroku/0001\r\n").Accepted());
    EXPECT_TRUE(client.KeepAlive());
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, ADroppedConnectionIsATransferFailure) {
    unit.ChangeFaults([](sim::Faults& f) { f.dropAfterBytes = 100'000; });
    CFtpMng& client = loggedIn();
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
    const std::string big = BoxMessageName(4, ".vmdat");
    EXPECT_EQ(client.Retrieve(U16(big), U16(big), local), ftp::TransferResult::Failed);
    EXPECT_FALSE(client.KeepAlive());
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, TheMainUnitsFailureAfterATransferIsAFailure) {
    unit.ChangeFaults([](sim::Faults& f) { f.errorAfterTransfer = true; });
    CFtpMng& client = loggedIn();
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names), ftp::ListResult::Listed);
    const std::string name = BoxMessageName(1, ".vmdat");
    // All bytes arrived, but the main unit says 451: the file does not count.
    EXPECT_EQ(client.Retrieve(U16(name), U16(name), local), ftp::TransferResult::Failed);
    unit.ChangeFaults([](sim::Faults& f) { f.errorAfterTransfer = false; });
    EXPECT_EQ(client.Retrieve(U16(name), U16(name), local), ftp::TransferResult::Done);
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, ASilenceLongerThanTheDataWaitEndsTheFileAndTheEndReplyDecides) {
    Timeouts quick;
    quick.dataMillis = 300;
    unit.ChangeFaults([](sim::Faults& f) { f.stallMillis = 1500; });
    CFtpMng& client = loggedIn(quick);
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListInfo, names), ftp::ListResult::Listed);
    const std::string big = BoxMessageName(4, ".vmdat");
    // The short file must not pass for the whole one.
    EXPECT_EQ(client.Retrieve(U16(big), U16(big), local), ftp::TransferResult::Failed);
    EXPECT_LT(fs::file_size(local / big), kBigFile);

    // A pause shorter than the wait is no failure.
    unit.ChangeFaults([](sim::Faults& f) { f.stallMillis = 100; });
    EXPECT_EQ(client.Retrieve(U16(big), U16(big), local), ftp::TransferResult::Done);
    EXPECT_EQ(fs::file_size(local / big), kBigFile);
    expectNothingLeftOpen();
}

// A main unit that goes on sending past a file's end fills no disk: the
// transfer stops once it passes the listed size, or the cap when no size was
// listed, the file fails, and the session stays in step.
TEST_F(SimSessionTest, DataPastTheListedSizeOrTheCapFailTheFileAtOnce) {
    unit.ChangeFaults([](sim::Faults& f) { f.endlessRetr = true; });
    CFtpMng& client = loggedIn();
    FTP_SESSION& s = *client.Session();
    s.unknownSizeCapBytes = 1u << 20;
    std::u16string names;
    ASSERT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names, local), ftp::ListResult::Listed);
    const std::string name = BoxMessageName(2, ".vmdat");  // 6200 bytes
    struct Case {
        const char* what;
        std::int64_t expected;
        std::uintmax_t most;
    };
    for (const Case& c : {Case{"listed size", 6200, 6200}, Case{"no size listed", -1, 1u << 20}}) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(s.Retrieve(U16(name), U16(name), true, false, c.expected), ftp::TransferResult::Failed);
        EXPECT_LE(fs::file_size(local / name), c.most);
        EXPECT_TRUE(s.Command(u"CWD /rusuroku/0001\r\n").Accepted()) << "commands and replies in step";
    }
    // The same file sent as it is passes at exactly its listed size.
    unit.ChangeFaults([](sim::Faults& f) { f.endlessRetr = false; });
    EXPECT_EQ(s.Retrieve(U16(name), U16(name), true, false, 6200), ftp::TransferResult::Done);
    EXPECT_EQ(ReadFile(local / name), ReadFile(box1 / name));
    expectNothingLeftOpen();
}

// Data that keep coming, too slowly to ever finish, end at the transfer's
// deadline: a file whose size is known gets the time its bytes take at the
// slowest pace allowed, a listing or a file of unknown size the base time.
TEST_F(SimSessionTest, ATrickleEndsAtTheTransfersDeadline) {
    Timeouts slow;
    slow.transferMillis = 300;
    slow.slowestBytesPerSecond = 2000;  // 6200 bytes: 3.1 s more
    unit.ChangeFaults([](sim::Faults& f) { f.trickleBytesPerSecond = 8000; });
    CFtpMng& client = loggedIn(slow);
    FTP_SESSION& s = *client.Session();
    std::u16string names;
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names, local), ftp::ListResult::Listed)
        << "a short listing is over well before its deadline";
    const std::string name = BoxMessageName(2, ".vmdat");  // 6200 bytes: about 0.8 s at this pace
    EXPECT_EQ(s.Retrieve(U16(name), U16(name), true, false, 6200), ftp::TransferResult::Done);
    EXPECT_EQ(ReadFile(local / name), ReadFile(box1 / name));
    EXPECT_EQ(s.Retrieve(U16(name), U16(name), true, false), ftp::TransferResult::Failed);

    // A listing that never ends, slowly or at full speed.
    unit.ChangeFaults([](sim::Faults& f) {
        f.trickleBytesPerSecond = 8000;
        f.endlessListing = true;
    });
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names, local), ftp::ListResult::Failed);
    long length = 0;
    EXPECT_EQ(client.ListBoxLong(u"/rusuroku/0001", ftp::kListAll, names, length, local), ftp::ListResult::Failed);
    unit.ChangeFaults([](sim::Faults& f) { f.trickleBytesPerSecond = 0; });
    s.listingCapBytes = 1u << 20;
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListAll, names, local), ftp::ListResult::Failed);
    unit.Server().SetFaults(sim::Faults{});
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListInfo, names, local), ftp::ListResult::Listed);
    EXPECT_EQ(listing::MessageNames(names, listing::NameForm::BoxMessage).size(), 3u);
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, StoreAndDeleteWithTheMainUnitsRefusals) {
    CFtpMng& client = loggedIn();
    const std::string message = "202401151030_ABC_0001_0012.vmdat";
    const std::string bytes = PatternBytes(20'000, 12);
    ASSERT_EQ(client.Store(bytes.data(), bytes.size(), U16(message)).outcome, ftp::StoreOutcome::Stored);
    EXPECT_TRUE(ReadFile(disk / "outou" / message) == bytes);

    unit.ChangeFaults([&](sim::Faults& f) { f.inUse = {message}; });
    EXPECT_EQ(client.Store(bytes.data(), bytes.size(), U16(message)),
              (ftp::StoreResult{ftp::StoreOutcome::NotTaken, ftp::kActionNotTaken}));
    EXPECT_EQ(client.Delete(U16("/outou/" + message)),
              (ftp::DeleteResult{ftp::DeleteOutcome::InUse, ftp::kActionNotTaken}));
    unit.ChangeFaults([](sim::Faults& f) {
        f.inUse.clear();
        f.noRoom = true;
    });
    EXPECT_EQ(client.Store(bytes.data(), bytes.size(), u"202401151030_ABC_0001_0013.vmdat").outcome,
              ftp::StoreOutcome::NotTaken);
    unit.ChangeFaults([](sim::Faults& f) { f.noRoom = false; });

    EXPECT_EQ(client.Delete(U16("/outou/" + message)).outcome, ftp::DeleteOutcome::Deleted);
    EXPECT_FALSE(fs::exists(disk / "outou" / message));
    EXPECT_EQ(client.Delete(U16("/outou/" + message)),
              (ftp::DeleteResult{ftp::DeleteOutcome::Unavailable, ftp::kFileUnavailable}));
    expectNothingLeftOpen();
}

TEST_F(SimSessionTest, CancelDuringAStoreAbortsIt) {
    CFtpMng& client = loggedIn();
    const std::string message = "202401151030_ABC_0001_0014.vmdat";
    const std::string bytes = PatternBytes(2u << 20, 14);
    ports.pump.At(ports.pump.steps + 200, [&] { ports.cancel.Set(); });
    (void)client.Store(bytes.data(), bytes.size(), U16(message));  // what matters is what the main unit kept
    ports.cancel.Clear();
    // The main unit heard ABOR before the data ended: nothing cut off is
    // stored, and the session is still usable.
    EXPECT_FALSE(fs::exists(disk / "outou" / message));
    std::u16string names;
    EXPECT_EQ(client.ListBox(u"/rusuroku/0001", ftp::kListInfo, names), ftp::ListResult::Listed);
    expectNothingLeftOpen();
}

// ------------------------------------------------- keep-alive and timers ----

TEST_F(SimSessionTest, KeepAliveAnswersWhileTheMainUnitIsThere) {
    CFtpMng& client = loggedIn();
    EXPECT_TRUE(client.KeepAlive());
    unit.Stop();
    EXPECT_FALSE(client.KeepAlive());
    // Only the control connection is left, and logout closes it.
    const int withControl = OpenHandles();
    client.Logout();
    EXPECT_EQ(OpenHandles(), withControl - 1);
}

TEST_F(SimSessionTest, WrappersStopAndRestartTheIdleTimerAndRefuseWithoutASession) {
    CFtpMng idle(&timer);
    std::u16string a, b, c;
    long length = 0;
    EXPECT_EQ(idle.ListFolders(a, b, c), ftp::ListResult::Failed);
    EXPECT_EQ(idle.ListBox(u"/rusuroku/0001", 0, a), ftp::ListResult::Failed);
    EXPECT_EQ(idle.ListBoxLong(u"/rusuroku/0001", 0, a, length), ftp::ListResult::Failed);
    EXPECT_EQ(idle.Retrieve(u"x", u"x", local), ftp::TransferResult::Failed);
    EXPECT_EQ(idle.Store("x", 1, u"x").outcome, ftp::StoreOutcome::Failed);
    EXPECT_EQ(idle.Delete(u"/outou/x").outcome, ftp::DeleteOutcome::Failed);
    EXPECT_FALSE(idle.KeepAlive());
    EXPECT_TRUE(timer.calls.empty());

    CFtpMng& client = loggedIn();
    {
        // A procedure of several steps: the timer stays off until its end.
        CFtpMng::TransferScope scope(client, local);
        EXPECT_EQ(scope.Session()->localDirectory, local);
        ASSERT_EQ(client.ListBox(u"/rusuroku/0001", 0, a, local), ftp::ListResult::Listed);
        EXPECT_EQ(timer.calls, std::vector<std::string>{"stop"});
    }
    EXPECT_EQ(timer.calls, (std::vector<std::string>{"stop", "restart"}));
    client.Logout();
    EXPECT_EQ(timer.calls, (std::vector<std::string>{"stop", "restart", "stop", "reset"}));
    expectNothingLeftOpen();
}

}  // namespace
}  // namespace plova
