// plova-cli upload against the main-unit simulator: one line per file, the
// upload marks, the exit status, and what it refuses before connecting.
#include <gtest/gtest.h>


#include "cli/Command.h"
#include "cli/testing/CliRun.h"
#include "oplog/testing/LogFolderScope.h"
#include "platform/testing/SpecialFiles.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using namespace testkit;

class UploadCommand : public ::testing::Test {
protected:
    void SetUp() override {
        unit.MakeTopFolders();
        fs::create_directories(outou);
        ASSERT_NO_FATAL_FAILURE(unit.Start());
    }

    int upload(cli::Args args) {
        args.insert(args.begin(), "upload");
        ran = testkit::RunCliCaptured(args);
        return ran.code;
    }
    [[nodiscard]] cli::Args link() const {
        return {"--host", "127.0.0.1", "--port", std::to_string(unit.Port()), "--user", "admin", "--password", "admin"};
    }
    static cli::Args with(cli::Args files, const cli::Args& options) {
        files.insert(files.end(), options.begin(), options.end());
        return files;
    }
    fs::path message(int number, std::size_t speechBytes = 3000) {
        return WriteResponseMessage(outou, number, speechBytes, 7).Path();
    }

    TestPorts ports;
    TempFolder temp{"cli-upload"};
    fs::path disk = temp.Path() / "disk";
    fs::path outou = temp.Path() / "box" / "outou";
    SimUnit unit{disk};
    testkit::CliOutcome ran;  // what the last run printed
};

TEST_F(UploadCommand, OneLinePerFileAndExitZeroOnlyWhenAllAreAccepted) {
    LogFolderScope log;
    const fs::path a = message(10), b = message(11);
    ASSERT_EQ(upload(with({a.string(), b.string()}, link())), cli::kOk) << ran.err;
    EXPECT_EQ(ran.out, a.string() + ": accepted\n" + b.string() + ": accepted\n");
    EXPECT_EQ(PlayedMarkOf(a), 1);
    EXPECT_EQ(PlayedMarkOf(b), 1);
    EXPECT_EQ(ReadFileBytes(disk / "outou" / a.filename()), ReadFileBytes(a).substr(990));

    unit.ChangeFaults([](sim::Faults& f) { f.noRoom = true; });
    const fs::path c = message(12);
    EXPECT_EQ(upload(with({c.string()}, link())), cli::kFailed);
    EXPECT_EQ(ran.out, c.string() + ": refused (in use, no room, or older than the main unit's copy)\n");
    EXPECT_EQ(PlayedMarkOf(c), 0);

    // The password from the first line of a file.
    unit.ChangeFaults([](sim::Faults& f) { f.noRoom = false; });
    const fs::path secret = temp.Path() / "secret";
    WriteBytes(secret, "admin\r\n");
    EXPECT_EQ(upload({c.string(), "--host", "127.0.0.1", "--port", std::to_string(unit.Port()), "--user", "admin",
                      "--password-file", secret.string()}),
              cli::kOk)
        << ran.err;

    // Each run is one entry of plova-cli's, with the main unit's user and address and every file's outcome.
    const std::vector<oplog::Entry> uploads = log.Of("upload");
    ASSERT_EQ(uploads.size(), 3u);
    const std::vector<std::vector<std::pair<std::string, oplog::Outcome>>> expected{
        {{a.filename().string(), oplog::Outcome::Done}, {b.filename().string(), oplog::Outcome::Done}},
        {{c.filename().string(), oplog::Outcome::Failed}},
        {{c.filename().string(), oplog::Outcome::Done}}};
    for (std::size_t i = 0; i < uploads.size(); ++i) {
        EXPECT_EQ(uploads[i].by, oplog::FrontEnd::Cli);
        EXPECT_EQ(uploads[i].unitUser, "admin");
        EXPECT_EQ(uploads[i].unitAddress, "127.0.0.1");
        std::vector<std::pair<std::string, oplog::Outcome>> messages;
        for (const oplog::MessageResult& m : uploads[i].messages) messages.emplace_back(m.name, m.outcome);
        EXPECT_EQ(messages, expected[i]) << i;
    }
}

// A line feed in a folder's name is printed as \x0a: one file, one line.
TEST_F(UploadCommand, AFileIsOneLineWhateverItsPathHolds) {
    if (!kNamesHoldControlCharacters) GTEST_SKIP() << kNoControlCharacterNames;
    const fs::path folder = temp.Path() / "two\nlines" / "outou";
    fs::create_directories(folder);
    const fs::path a = WriteResponseMessage(folder, 17, 3000, 7).Path();
    ASSERT_EQ(upload(with({a.string()}, link())), cli::kOk) << ran.err;
    EXPECT_EQ(ran.out, (temp.Path() / "two\\x0alines" / "outou" / a.filename()).string() + ": accepted\n");
}

TEST_F(UploadCommand, RefusesBeforeConnecting) {
    const fs::path notMessage = outou / "202612071505_MON_A013_0000.vmdat";
    WriteBytes(notMessage, std::string(3000, 'x'));
    const std::string good = message(14).string();
    EXPECT_EQ(upload(with({good, notMessage.string()}, link())), cli::kFailed);
    EXPECT_NE(ran.err.find("not a system response message"), std::string::npos) << ran.err;
    EXPECT_EQ(upload(with({good}, {"--host", "127.0.0.1", "--user", "admin"})), cli::kUsage);
    EXPECT_EQ(upload(with({good}, {"--host", "h", "--user", "u", "--password", "p", "--password-file", "f"})),
              cli::kUsage);
    EXPECT_EQ(upload(with({good}, {"--host", "h", "--user", "u", "--password-file", "/no/such/file"})), cli::kUsage);
    EXPECT_EQ(upload(link()), cli::kUsage);
    EXPECT_EQ(unit.Server().SessionsAccepted(), 0) << "nothing connected";
    EXPECT_EQ(PlayedMarkOf(good), 7);
}

TEST_F(UploadCommand, ACommunicationFailureStopsTheRunAndNamesTheFilesNotTried) {
    const fs::path big = message(15, 2'000'000), after = message(16);
    // The main unit goes away once it has begun receiving the first file.
    bool stopped = false;
    ports.pump.Every([&] {
        if (stopped) return;
        for (const auto& e : fs::directory_iterator(disk / "outou")) {
            if (!e.is_regular_file()) continue;
            stopped = true;
            unit.Stop();
            return;
        }
    });
    EXPECT_EQ(upload(with({big.string(), after.string()}, link())), cli::kFailed);
    ASSERT_TRUE(stopped);
    EXPECT_NE(ran.err.find("communication error"), std::string::npos) << ran.err;
    EXPECT_NE(ran.err.find("not tried: " + after.string()), std::string::npos) << ran.err;
    EXPECT_EQ(PlayedMarkOf(big), 0);
    EXPECT_EQ(PlayedMarkOf(after), 7);
}

}  // namespace
}  // namespace plova
