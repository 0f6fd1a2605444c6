// plova-cli download against the simulator, through the same entry point the
// program's main() uses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>

#include "cli/Command.h"
#include "cli/testing/CliProcess.h"
#include "cli/testing/CliRun.h"
#include "download/testing/DownloadTestSupport.h"
#include "platform/AppPaths.h"
#include "platform/Text.h"
#include "platform/testing/SpecialFiles.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova::dltest {
namespace {

class DownloadCommandTest : public ::testing::Test, public DownloadFixture {
protected:
    void SetUp() override {
        PutMessage(RemoteBox("rusuroku", "0001"), "0001", 1, 6000);
        PutMessage(RemoteBox("rusuroku", "0002"), "0002", 2, 7000);
        PutMessage(RemoteBox("naisen", "2001"), "2001", 3, 8000);
        PutResponse(disk / "outou", "202612010900", 5, 4000);
        port = std::to_string(unit.Port());
    }
    int run(cli::Args options, bool withPort = true) {
        cli::Args args{"download", "--host", "127.0.0.1", "--user", "admin", "--folder", Utf8Of(boxFolder)};
        if (withPort) args.insert(args.end(), {"--port", port});
        args.insert(args.end(), options.begin(), options.end());
        ran = testkit::RunCliCaptured(args);
        return ran.code;
    }
    std::string port;
    testkit::CliOutcome ran;  // what the last run printed
};

TEST_F(DownloadCommandTest, BuildsTheFolderFetchesEverythingAndSucceedsAgainOnASecondRun) {
    ASSERT_EQ(run({"--password", "admin"}), cli::kOk) << ran.err << ran.out;
    EXPECT_EQ(ran.out, "フォルダのダウンロードが正常に完了しました。\nファイルのダウンロードが正常に完了しました。\n");
    EXPECT_NE(ran.err.find("/rusuroku/0002"), std::string::npos) << ran.err;
    EXPECT_TRUE(fs::exists(LocalBox("naisen", "2001") / MessageName("2001", 3, ".vmdat")));
    EXPECT_TRUE(fs::exists(boxFolder / "outou" / ResponseName("202612010900", 5)));
    EXPECT_EQ(CFileMng::ReadMake(LocalBox("rusuroku", "0001")), store::kMakeComplete);
    EXPECT_TRUE(NoTornMessages());

    ASSERT_EQ(run({"--password", "admin"}), cli::kOk) << ran.err;
    EXPECT_EQ(ran.out, "ファイルのダウンロードが正常に完了しました。\n");
}

TEST_F(DownloadCommandTest, ChosenBoxesKindsPasswordFileAndPortFromTheEnvironment) {
    const fs::path secret = temp.Path() / "secret";
    std::ofstream(secret, std::ios::binary) << "admin\r\nignored\n";  // a line end as Windows writes it
    SetEnvironmentPath(ftp::kPortVariable, fs::path(port));
    const int code = run({"--password-file", Utf8Of(secret), "--kind", "info", "--box", "naisen/2001"}, false);
    SetEnvironmentPath(ftp::kPortVariable, std::nullopt);
    ASSERT_EQ(code, cli::kOk) << ran.err;
    EXPECT_EQ(FilesUnder(LocalBox("naisen", "2001")),
              (std::vector<std::string>{MessageName("2001", 3, ".vminf"), "inf.ini"}));
    EXPECT_EQ(FilesUnder(LocalBox("rusuroku", "0001")), std::vector<std::string>{"inf.ini"});
    EXPECT_TRUE(FilesUnder(boxFolder / "outou").size() == 1) << "only inf.ini: kind info never fetches responses";

    // An unknown box is an error before anything is fetched, also one that
    // the box folder has but the main unit does not list.
    EXPECT_EQ(run({"--password", "admin", "--box", "naisen/9999"}), cli::kUsage);
    MakeLocalBox("rusuroku", "0404");
    EXPECT_EQ(run({"--password", "admin", "--box", "rusuroku/0001", "--box", "rusuroku/0404"}), cli::kUsage);
    EXPECT_NE(ran.err.find("the main unit has no such box: rusuroku/0404"), std::string::npos) << ran.err;
    EXPECT_EQ(FilesUnder(LocalBox("rusuroku", "0001")), std::vector<std::string>{"inf.ini"});
}

TEST_F(DownloadCommandTest, UsageMistakesAndFailuresAreNonZero) {
    struct Row {
        cli::Args args;
        int code;
    };
    const Row rows[] = {
        {{}, cli::kUsage},                                           // no password
        {{"--password", "a", "--password-file", "f"}, cli::kUsage},  // both
        {{"--password", "admin", "--kind", "some"}, cli::kUsage},
        {{"--password", "admin", "--box", "outou/0001"}, cli::kUsage},
        {{"--password", "admin", "--box", "rusuroku/../x"}, cli::kUsage},
        {{"--password-file", "/nonexistent/secret"}, cli::kUsage},
        {{"--password", "wrong"}, cli::kFailed},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(run(r.args), r.code) << (r.args.empty() ? "" : r.args.back());
        EXPECT_FALSE(ran.err.empty());
    }

    // A main unit that fails mid-run: the communication error on stdout, status 1.
    ASSERT_EQ(run({"--password", "admin", "--kind", "info"}), cli::kOk);
    unit.ChangeFaults([](sim::Faults& f) { f.refuseRetr[MessageName("0002", 2, ".vmdat")] = 451; });
    EXPECT_EQ(run({"--password", "admin"}), cli::kFailed);
    EXPECT_EQ(ran.out, "通信エラーが発生しました。\n");
    EXPECT_TRUE(NoTornMessages());
}

// A run that falls short says why on stderr, from what the procedures
// reported, and still exits 1.
TEST_F(DownloadCommandTest, AFailureNamesItsReason) {
    ASSERT_EQ(run({"--password", "admin", "--kind", "info"}), cli::kOk) << ran.err;
    const std::string voice = MessageName("0002", 2, ".vmdat");
    const struct {
        std::function<void(sim::Faults&)> faults;
        cli::Args args;
        std::string reason;
    } rows[] = {
        {[&](sim::Faults& f) { f.refuseRetr[voice] = 550; },
         {"--box", "rusuroku/0002"},
         "some messages had gone from the main unit"},
        {[](sim::Faults& f) { f.dropAfterBytes = 3000; }, {}, "communication error with the main unit"},
        // A voice file that goes on past its listed size: it fails at once.
        {[](sim::Faults& f) { f.endlessRetr = true; }, {}, "communication error with the main unit"},
    };
    for (const auto& r : rows) {
        unit.ChangeFaults([&](sim::Faults& f) {
            f = sim::Faults{};
            r.faults(f);
        });
        cli::Args args{"--password", "admin"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        EXPECT_EQ(run(args), cli::kFailed) << r.reason;
        EXPECT_NE(ran.err.find("plova-cli: download: " + r.reason), std::string::npos) << ran.err;
    }
}

// A box folder whose name holds a line feed is named on one line (where a
// name can hold one); what a killed conversion left in a box goes once it
// is an hour old.
TEST_F(DownloadCommandTest, NamesStayOneLineAndWhatKilledRunsLeftIsSwept) {
    const fs::path folder = temp.Path() / (testkit::kNamesHoldControlCharacters ? "two\nlines" : "two lines");
    cli::Args args{"download",   "--host", "127.0.0.1", "--port",       port,     "--user", "admin",
                   "--password", "admin",  "--folder",  Utf8Of(folder), "--kind", "info"};
    ran = testkit::RunCliCaptured(args);
    ASSERT_EQ(ran.code, cli::kOk) << ran.err;
    if (testkit::kNamesHoldControlCharacters) {
        EXPECT_NE(ran.err.find("building the box folders in " + Utf8Of(temp.Path()) + "/two\\x0alines\n"),
                  std::string::npos)
            << ran.err;
    }
    const fs::path stale = folder / "rusuroku" / "0001" / ".plova-tmp-killed";
    const fs::path fresh = folder / "outou" / ".plova-tmp-running";
    testkit::WriteBytes(stale, "half a WAV file");
    testkit::WriteBytes(fresh, "being written");
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(2));
    ran = testkit::RunCliCaptured(args);
    ASSERT_EQ(ran.code, cli::kOk) << ran.err;
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::exists(fresh));
}

// Two downloads into one box folder at once: the second says another run is
// working there and does nothing; the first leaves every message whole.
TEST_F(DownloadCommandTest, TwoRunsAtOnceTheSecondRefusedEveryFileWhole) {
    for (int n = 4; n <= 9; ++n) PutMessage(RemoteBox("rusuroku", "0001"), "0001", n, 20'000);
    unit.ChangeFaults([](sim::Faults& f) { f.stallMillis = 150; });
    testkit::CliProcess first({"download", "--host", "127.0.0.1", "--port", port, "--user", "admin", "--password",
                               "admin", "--folder", Utf8Of(boxFolder)},
                              temp.Path() / "first.out");
    ASSERT_TRUE(first.WaitFor("items on the main unit")) << first.Output();
    EXPECT_EQ(run({"--password", "admin"}), cli::kBusy) << ran.err;
    EXPECT_NE(ran.err.find("another run is working on " + Utf8Of(boxFolder)), std::string::npos) << ran.err;
    EXPECT_TRUE(ran.out.empty()) << ran.out;

    ASSERT_EQ(first.Wait(), cli::kOk) << first.Output();
    EXPECT_TRUE(NoTornMessages());
    for (int n = 1; n <= 9; ++n) {
        const fs::path voice = LocalBox("rusuroku", "0001") / MessageName("0001", n, ".vmdat");
        if (n == 2 || n == 3) continue;  // in other boxes
        EXPECT_TRUE(CFileMng::IsValidMessageFile(voice)) << voice;
    }
    // Afterwards the folder is free again.
    unit.ChangeFaults([](sim::Faults& f) { f.stallMillis = 0; });
    EXPECT_EQ(run({"--password", "admin"}), cli::kOk) << ran.err;
}

}  // namespace
}  // namespace plova::dltest
