// The server as the main unit's clients see it: real sockets on loopback.
#include "sim/tests/ServerFixture.h"

#include "platform/testing/SpecialFiles.h"

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>
#include <vector>

namespace plova::sim::testing {
namespace {

using SimServer = ServerFixture;
using plova::testkit::kNoSymlinks;
using plova::testkit::MakeSymlink;

std::vector<std::string> lines(const std::string& listing) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < listing.size()) {
        auto end = listing.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends in CRLF";
        if (end == std::string::npos) break;
        out.push_back(listing.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

// How the client reads a long listing line: every "*" and "." removed, the
// extension restored, the size from characters 24..32, the name at the end.
struct ClientView {
    std::uint64_t size;
    std::string name;
};
ClientView asClientReadsIt(std::string line, std::size_t nameLength) {
    line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '*' || c == '.'; }), line.end());
    for (const char* ext : {"vmdat", "vminf"}) {
        auto at = line.find(ext);
        if (at != std::string::npos) line.insert(at, ".");
    }
    std::string column = line.substr(24, 9);
    column.erase(0, column.find_first_not_of(' '));
    return {std::stoull(column), line.substr(line.size() - nameLength)};
}

TEST_F(SimServer, GreetsWithTheModelAndChecksCredentials) {
    FtpTestClient c(unit.Port());
    Reply greeting = c.ReadReply();
    EXPECT_EQ(greeting.code, 220);
    EXPECT_EQ(greeting.raw.substr(0, 9), "220 Kw-TX");

    EXPECT_EQ(c.Command("NLST").code, 530) << "nothing before login";
    EXPECT_EQ(c.Command("PASS admin").code, 503) << "PASS needs USER first";
    EXPECT_EQ(c.Command("USER admin").code, 331);
    EXPECT_EQ(c.Command("PASS wrong").code, 530);
    EXPECT_EQ(c.Command("CWD /rusuroku").code, 530) << "a refused login stays logged out";
    EXPECT_EQ(c.Command("USER someone").code, 331);
    EXPECT_EQ(c.Command("PASS admin").code, 530) << "the user name counts too";
    EXPECT_EQ(c.Command("USER admin").code, 331);
    EXPECT_EQ(c.Command("PASS admin").code, 230);
    EXPECT_EQ(c.Command("PWD").raw, "257 \"/\" is the current directory.\r\n");
    EXPECT_EQ(c.Command("QUIT").code, 221);
    EXPECT_TRUE(c.ClosedByServer());
}

TEST_F(SimServer, ChangesDirectoriesWithoutLeavingTheRoot) {
    auto c = loggedIn();
    EXPECT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    EXPECT_EQ(c->Command("PWD").text, "\"/rusuroku/0001\" is the current directory.");
    EXPECT_EQ(c->Command("CWD /rusuroku/0009").code, 550);
    EXPECT_EQ(c->Command("CWD /rusuroku/0001/" + std::string(kPlain) + ".vmdat").code, 550) << "a file is no directory";
    EXPECT_EQ(c->Command("PWD").text, "\"/rusuroku/0001\" is the current directory.")
        << "a refused CWD keeps the directory";

    // The client climbs with "CWD ../" up to five times, from any depth.
    EXPECT_EQ(c->Command("CWD ../").code, 250);
    EXPECT_EQ(c->Command("PWD").text, "\"/rusuroku\" is the current directory.");
    EXPECT_EQ(c->Command("CWD ../").code, 250);
    EXPECT_EQ(c->Command("PWD").text, "\"/\" is the current directory.");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(c->Command("CWD ../").code, 250) << "the root is its own parent";
    EXPECT_EQ(c->Command("PWD").text, "\"/\" is the current directory.");

    EXPECT_EQ(c->Command("CWD naisen").code, 250) << "relative";
    EXPECT_EQ(c->Command("CWD 2001").code, 250);
    EXPECT_EQ(c->Command("PWD").text, "\"/naisen/2001\" is the current directory.");
    EXPECT_EQ(c->Command("CWD ../../../../../..").code, 250);
    EXPECT_EQ(c->Command("PWD").text, "\"/\" is the current directory.");
    EXPECT_EQ(c->Command("CWD /../../outou").code, 250);
    EXPECT_EQ(c->Command("PWD").text, "\"/outou\" is the current directory.");
    EXPECT_EQ(c->Command("CDUP").code, 250);
    EXPECT_EQ(c->Command("CWD /etc").code, 550) << "the host's directories are not the main unit's";
    EXPECT_EQ(c->Command("CWD ..\\..").code, 550) << "a backslash is no separator";
}

TEST_F(SimServer, NameListingsAndTheirRefusals) {
    auto c = loggedIn();
    auto top = c->RunTransfer("NLST");
    EXPECT_EQ(top.first.code, 150);
    EXPECT_EQ(top.end.code, 226);
    EXPECT_EQ(top.data, "naisen\r\noutou\r\nrusuroku\r\n");

    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    const std::string p(kPlain), q(kProtected);
    auto all = c->RunTransfer("NLST");
    EXPECT_EQ(lines(all.data), (std::vector<std::string>{p + ".vmdat", p + ".vminf", q + ".vmdat", q + ".vminf"}))
        << "a message's .vmdat comes before its .vminf";
    EXPECT_EQ(lines(c->RunTransfer("NLST *.vminf").data), (std::vector<std::string>{p + ".vminf", q + ".vminf"}));
    EXPECT_EQ(lines(c->RunTransfer("NLST *.vmdat").data), (std::vector<std::string>{p + ".vmdat", q + ".vmdat"}));

    ASSERT_EQ(c->Command("CWD /rusuroku/0002").code, 250);
    auto empty = c->RunTransfer("NLST");
    EXPECT_EQ(empty.end.code, 226) << "an empty box gives an empty name listing";
    EXPECT_TRUE(empty.connected);
    EXPECT_EQ(empty.data, "");
    auto none = c->RunTransfer("NLST *.vminf");
    EXPECT_EQ(none.first.code, 550) << "a pattern matching nothing is refused";
    EXPECT_FALSE(none.connected) << "before any data connection";
    EXPECT_EQ(c->RunTransfer("NLST *.vmdat").first.code, 550);
    EXPECT_EQ(c->RunTransfer("NLST -l *.vmdat").first.code, 550);
    EXPECT_EQ(c->RunTransfer("NLST /rusuroku/0404").first.code, 550);

    ASSERT_EQ(c->Command("CWD /naisen/2001").code, 250);
    EXPECT_EQ(c->RunTransfer("NLST *.vmdat").first.code, 550) << "information only: no voice files";
    EXPECT_EQ(lines(c->RunTransfer("NLST *.vminf").data),
              (std::vector<std::string>{std::string(kInfoOnly) + ".vminf"}));
    EXPECT_EQ(lines(c->RunTransfer("NLST /rusuroku/0001/*.vminf").data).size(), 2u) << "a pattern with a directory";
    EXPECT_EQ(c->Command("NOOP").code, 200) << "the session goes on after the transfers";
}

TEST_F(SimServer, LongListingPutsTheSizeWhereTheClientReadsIt) {
    auto c = loggedIn();
    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    auto listing = c->RunTransfer("NLST -l");
    ASSERT_EQ(listing.end.code, 226);
    auto all = lines(listing.data);
    ASSERT_EQ(all.size(), 4u);
    for (const auto& line : all) {
        ClientView v = asClientReadsIt(line, 33);
        const auto file = root / "rusuroku/0001" / v.name;
        ASSERT_TRUE(fs::exists(file)) << line;
        EXPECT_EQ(v.size, fs::file_size(file)) << line;
        EXPECT_EQ(line.substr(line.size() - 33), v.name) << "the name ends the line as stored";
    }
    auto voice = lines(c->RunTransfer("NLST -l *.vmdat").data);
    ASSERT_EQ(voice.size(), 2u);
    EXPECT_EQ(asClientReadsIt(voice[0], 33).name, std::string(kPlain) + ".vmdat");
    EXPECT_EQ(asClientReadsIt(voice[0], 33).size, 256u + 40000u);

    ASSERT_EQ(c->Command("CWD /outou").code, 250);
    auto outou = lines(c->RunTransfer("NLST -l").data);
    ASSERT_EQ(outou.size(), 1u);
    EXPECT_EQ(asClientReadsIt(outou[0], 32).name, kResponse);
    EXPECT_EQ(asClientReadsIt(outou[0], 32).size, 256u + 2000u);

    // A large size still ends at character 32.
    WriteFile(root / "outou/big.vmdat", "");
    fs::resize_file(root / "outou/big.vmdat", 123456789);  // sparse: no disk needed
    auto big = lines(c->RunTransfer("NLST -l big.vmdat").data);
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(big[0].substr(24, 9), "123456789");
}

TEST_F(SimServer, RetrievesFilesAndRefusesAbsentOnes) {
    auto c = loggedIn();
    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    const std::string name = std::string(kPlain) + ".vmdat";
    auto got = c->RunTransfer("RETR " + name);
    EXPECT_EQ(got.first.code, 150);
    EXPECT_EQ(got.end.code, 226);
    EXPECT_EQ(got.data, ReadFile(root / "rusuroku/0001" / name));

    auto absolute = c->RunTransfer("RETR /outou/" + std::string(kResponse));
    EXPECT_EQ(absolute.data, ReadFile(root / "outou" / kResponse));

    auto absent = c->RunTransfer("RETR 209901010000_THU_0001_00099.vmdat");
    EXPECT_EQ(absent.first.code, 550);
    EXPECT_FALSE(absent.connected);
    EXPECT_EQ(c->RunTransfer("RETR /rusuroku/0001").first.code, 550) << "a directory is not a file";
    EXPECT_EQ(c->Command("SIZE " + name).raw, "213 40256\r\n");
    EXPECT_EQ(c->Command("SIZE nothing.vmdat").code, 550);

    // Restarting a transfer part-way.
    EXPECT_EQ(c->Command("REST 40000").code, 350);
    EXPECT_EQ(c->RunTransfer("RETR " + name).data, ReadFile(root / "rusuroku/0001" / name).substr(40000));
}

TEST_F(SimServer, PathsNeverLeaveTheRoot) {
    auto c = loggedIn();
    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    for (const char* path : {"../../../secret.txt", "../../../../../../secret.txt", "/../secret.txt",
                             "/../../secret.txt", "..\\..\\..\\secret.txt", "../../../etc/passwd", "/etc/passwd"}) {
        auto t = c->RunTransfer(std::string("RETR ") + path);
        EXPECT_EQ(t.first.code, 550) << path;
        EXPECT_FALSE(t.connected) << path;
        EXPECT_EQ(c->Command(std::string("DELE ") + path).code, 550) << path;
        EXPECT_EQ(c->Command(std::string("SIZE ") + path).code, 550) << path;
    }
    EXPECT_TRUE(fs::exists(base / "secret.txt"));

    // A link inside the tree that leads out of it is as good as absent.
    if (!MakeSymlink(base / "secret.txt", root / "rusuroku/0001/link.vmdat")) GTEST_SKIP() << kNoSymlinks;
    ASSERT_TRUE(MakeSymlink(base, root / "rusuroku/0001/up"));
    EXPECT_EQ(c->RunTransfer("RETR link.vmdat").first.code, 550);
    EXPECT_EQ(c->Command("CWD up").code, 550);
    EXPECT_EQ(c->Command("DELE /rusuroku/0001/link.vmdat").code, 550);
    auto listing = c->RunTransfer("NLST ../../..");
    EXPECT_EQ(listing.data, "naisen\r\noutou\r\nrusuroku\r\n") << "climbing past the root lists the root";
    EXPECT_EQ(ReadFile(base / "secret.txt"), "outside the main unit");
    // Nor does a listing show them; a link that stays inside is listed.
    ASSERT_TRUE(MakeSymlink(root / "naisen", root / "rusuroku/0001/inside"));
    const std::string box = c->RunTransfer("NLST -l").data;
    EXPECT_EQ(box.find("link.vmdat"), std::string::npos) << box;
    EXPECT_EQ(box.find(" up\r\n"), std::string::npos) << box;
    EXPECT_NE(box.find(" inside\r\n"), std::string::npos) << box;
}

TEST_F(SimServer, StoresSystemResponseMessagesByTheirRules) {
    auto c = loggedIn();
    const std::string body = MakeBlockBytes(false, 5, "005") + Payload(1500);
    // The stored copy is dated 2026-11-01 09:00.
    auto older = c->RunTransfer("STOR /outou/202610010900_THU_0005_0001.vmdat", body);
    EXPECT_EQ(older.first.code, 450) << "older than the stored copy";
    EXPECT_FALSE(older.connected);
    EXPECT_FALSE(fs::exists(root / "outou/202610010900_THU_0005_0001.vmdat"));

    auto newer = c->RunTransfer("STOR /outou/202612010900_TUE_0005_0001.vmdat", body);
    EXPECT_EQ(newer.first.code, 150);
    EXPECT_EQ(newer.end.code, 226);
    EXPECT_EQ(ReadFile(root / "outou/202612010900_TUE_0005_0001.vmdat"), body);
    EXPECT_FALSE(fs::exists(root / "outou" / kResponse)) << "the newer copy replaces the older one";

    auto same = c->RunTransfer("STOR /outou/202612010900_TUE_0005_0001.vmdat", body + "more");
    EXPECT_EQ(same.end.code, 226) << "the same date replaces";
    EXPECT_EQ(ReadFile(root / "outou/202612010900_TUE_0005_0001.vmdat"), body + "more");

    auto fresh = c->RunTransfer("STOR /outou/202612020900_WED_0007_0001.vmdat", body);
    EXPECT_EQ(fresh.end.code, 226);
    EXPECT_TRUE(fs::exists(root / "outou/202612010900_TUE_0005_0001.vmdat")) << "another identity stays";

    Faults f;
    f.inUse = {"202612030900_THU_0008_0001.vmdat"};
    unit.Server().SetFaults(f);
    EXPECT_EQ(c->RunTransfer("STOR /outou/202612030900_THU_0008_0001.vmdat", body).first.code, 450);
    f.inUse = {"202612020900_WED_0007_0001.vmdat"};
    unit.Server().SetFaults(f);
    EXPECT_EQ(c->RunTransfer("STOR /outou/202612100900_THU_0007_0001.vmdat", body).first.code, 450)
        << "the stored copy it would replace is in use";
    f = {};
    f.noRoom = true;
    unit.Server().SetFaults(f);
    EXPECT_EQ(c->RunTransfer("STOR /outou/202612030900_THU_0009_0001.vmdat", body).first.code, 450);
    unit.Server().SetFaults({});

    for (const char* bad : {"STOR /rusuroku/0001/202612030900_THU_0001_00009.vmdat", "STOR /outou/../evil.vmdat",
                            "STOR /outou/202612030900_THU_0000_0001.vmdat",
                            "STOR /outou/202612030900_THU_0301_0001.vmdat", "STOR /outou/short.vmdat"}) {
        EXPECT_EQ(c->RunTransfer(bad, body).first.code, 553) << bad;
    }
    ASSERT_EQ(c->Command("CWD /outou").code, 250);
    EXPECT_EQ(c->RunTransfer("STOR 202612040900_FRI_0011_0001.vmdat", body).end.code, 226) << "relative to /outou";

    // A cancelled upload: the client closes the data connection part-way and sends ABOR.
    ASSERT_EQ(c->AnnouncePort().code, 200);
    ASSERT_EQ(c->Command("STOR 202612050900_SAT_0012_0001.vmdat").code, 150);
    {
        net::Socket data = c->AcceptData();
        ASSERT_TRUE(data.IsOpen());
        ASSERT_TRUE(net::SendAll(data, body.substr(0, 1024), 5000));
    }
    ASSERT_TRUE(c->Send("ABOR"));
    EXPECT_EQ(c->ReadReply().code, 426);
    EXPECT_EQ(c->ReadReply().code, 225);
    EXPECT_FALSE(fs::exists(root / "outou/202612050900_SAT_0012_0001.vmdat")) << "a cut upload is not stored";

    for (const auto& e : fs::directory_iterator(root / "outou")) {
        EXPECT_NE(e.path().filename().string()[0], '.') << "no temporary file left: " << e.path();
    }
    EXPECT_FALSE(fs::exists(root / "evil.vmdat"));
}

TEST_F(SimServer, DeletesMessagesUnlessProtectedOrInUse) {
    auto c = loggedIn();
    const fs::path box = root / "rusuroku/0001";
    EXPECT_EQ(c->Command("DELE /rusuroku/0001/" + std::string(kProtected) + ".vminf").code, 550);
    EXPECT_TRUE(fs::exists(box / (std::string(kProtected) + ".vminf")));
    EXPECT_TRUE(fs::exists(box / (std::string(kProtected) + ".vmdat")));

    Faults f;
    f.inUse = {std::string(kPlain) + ".vmdat"};
    unit.Server().SetFaults(f);
    EXPECT_EQ(c->Command("DELE /rusuroku/0001/" + std::string(kPlain) + ".vminf").code, 450)
        << "a message whose voice file is in use";
    EXPECT_TRUE(fs::exists(box / (std::string(kPlain) + ".vminf")));
    unit.Server().SetFaults({});

    EXPECT_EQ(c->Command("DELE /rusuroku/0001/" + std::string(kPlain) + ".vminf").code, 250);
    EXPECT_FALSE(fs::exists(box / (std::string(kPlain) + ".vminf")));
    EXPECT_FALSE(fs::exists(box / (std::string(kPlain) + ".vmdat"))) << "the message goes as a whole";
    EXPECT_EQ(c->Command("DELE /rusuroku/0001/" + std::string(kPlain) + ".vminf").code, 550) << "already gone";
    EXPECT_EQ(c->Command("DELE /rusuroku/0001").code, 550) << "directories are not deleted";
    EXPECT_TRUE(fs::is_directory(box));
    EXPECT_EQ(c->Command("DELE /outou/" + std::string(kResponse)).code, 250);
    EXPECT_FALSE(fs::exists(root / "outou" / kResponse));
}

TEST_F(SimServer, AbortsIdleAndRunningTransfers) {
    auto c = loggedIn();
    EXPECT_EQ(c->Command("ABOR").code, 225);

    // A stalled transfer stopped by ABOR: 426 for the transfer, then 225.
    Faults f;
    f.stallMillis = 20000;
    unit.Server().SetFaults(f);
    ASSERT_EQ(c->Command("CWD /rusuroku/0001").code, 250);
    ASSERT_EQ(c->AnnouncePort().code, 200);
    ASSERT_EQ(c->Command("RETR " + std::string(kPlain) + ".vmdat").code, 150);
    net::Socket data = c->AcceptData();
    ASSERT_TRUE(data.IsOpen());
    const auto started = std::chrono::steady_clock::now();
    data.Close();
    ASSERT_TRUE(c->Send("ABOR"));
    EXPECT_EQ(c->ReadReply().code, 426);
    EXPECT_EQ(c->ReadReply().code, 225);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10)) << "ABOR cuts the stall short";
    unit.Server().SetFaults({});
    EXPECT_EQ(c->Command("ABOR").code, 225) << "the client's second ABOR";
    EXPECT_EQ(c->Command("NOOP").code, 200);
}

TEST_F(SimServer, DataConnectionsAreActiveOnlyAndGoBackToTheClient) {
    auto c = loggedIn();
    for (const char* passive : {"PASV", "EPSV", "EPRT |1|127.0.0.1|5000|"}) {
        EXPECT_EQ(c->Command(passive).code, 502) << passive;
    }
    EXPECT_EQ(c->Command("PORT 10,0,0,1,19,136").code, 501) << "never a third party";
    EXPECT_EQ(c->Command("PORT 127,0,0,1,300,1").code, 501);
    EXPECT_EQ(c->Command("PORT nonsense").code, 501);
    EXPECT_EQ(c->Command("NLST").code, 425) << "no PORT, no transfer";
    // A port nobody listens on: refused at once.
    ASSERT_EQ(c->AnnouncePort().code, 200);
    c->CloseListener();
    EXPECT_EQ(c->Command("NLST").code, 425);
    EXPECT_EQ(c->Command("NLST").code, 425) << "a PORT serves one transfer";
    EXPECT_EQ(c->Command("TYPE I").code, 200);
    EXPECT_EQ(c->Command("SYST").code, 215);
    EXPECT_EQ(c->Command("MODE S").code, 200);
    EXPECT_EQ(c->Command("STRU F").code, 200);
    EXPECT_EQ(c->Command("MKD /x").code, 502);
    EXPECT_EQ(c->Command("XYZZY").code, 500);
}

TEST_F(SimServer, ServesSessionsSideBySideAndClosesEverySocket) {
    constexpr int kSessions = 4;
    std::vector<std::thread> threads;
    std::vector<int> results(kSessions, 0);
    const std::string expected = ReadFile(root / "rusuroku/0001" / (std::string(kPlain) + ".vmdat"));
    for (int i = 0; i < kSessions; ++i) {
        threads.emplace_back([&, i] {
            FtpTestClient c(unit.Port());
            if (!c.Login()) return;
            for (int k = 0; k < 5; ++k) {
                auto t = c.RunTransfer("RETR /rusuroku/0001/" + std::string(kPlain) + ".vmdat");
                if (t.end.code == 226 && t.data == expected) ++results[static_cast<std::size_t>(i)];
            }
            c.Command("QUIT");
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(results, std::vector<int>(kSessions, 5));
    EXPECT_EQ(unit.Server().SessionsAccepted(), kSessions);
    for (int i = 0; i < 100 && unit.Server().SessionsOpen() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(unit.Server().SessionsOpen(), 0);

    // The main unit has a limited number of session slots.
    {
        std::vector<std::unique_ptr<FtpTestClient>> many;
        for (int i = 0; i < 32; ++i) {
            many.push_back(std::make_unique<FtpTestClient>(unit.Port()));
            ASSERT_EQ(many.back()->ReadReply().code, 220) << i;
        }
        FtpTestClient oneTooMany(unit.Port());
        EXPECT_EQ(oneTooMany.ReadReply().code, 421);
        EXPECT_TRUE(oneTooMany.ClosedByServer());
    }
    for (int i = 0; i < 100 && unit.Server().SessionsOpen() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(unit.Server().SessionsOpen(), 0);

    // A client that just goes away, and one still connected when the server stops.
    {
        FtpTestClient gone(unit.Port());
        ASSERT_TRUE(gone.Login());
    }
    FtpTestClient lingering(unit.Port());
    ASSERT_TRUE(lingering.Login());
    for (int i = 0; i < 100 && unit.Server().SessionsOpen() > 1; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(unit.Server().SessionsOpen(), 1);
    const auto stopping = std::chrono::steady_clock::now();
    unit.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, std::chrono::seconds(5));
    EXPECT_EQ(unit.Server().SessionsOpen(), 0);
    EXPECT_TRUE(lingering.ClosedByServer());
}

TEST_F(SimServer, OverlongAndBrokenCommandLinesDoNotDerailTheSession) {
    auto c = loggedIn();
    EXPECT_EQ(c->Command(std::string(10000, 'A')).code, 500);
    EXPECT_EQ(c->Command("NOOP").code, 200);
    EXPECT_EQ(c->Command(std::string("CWD /rusu\0roku", 14)).code, 501);
    EXPECT_EQ(c->Command("noop").code, 200) << "verbs in any case";
}

}  // namespace
}  // namespace plova::sim::testing
