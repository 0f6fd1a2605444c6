// Uploading system response messages to the main-unit simulator: the upload
// mark, 450 as a refusal, everything else as a communication error, the
// closing message, and plova-cli upload.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/Command.h"
#include "link/ResponseUpload.h"
#include "link/tests/LinkTestSupport.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/MainUnitServer.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using namespace linktest;
using namespace testkit;

class RecordingUploadWindow final : public UploadWindow {
public:
    WindowHandle openProgress(int total) override {
        calls.push_back("open " + std::to_string(total));
        return 77;
    }
    void closeProgress() override { calls.push_back("close"); }
    void loggedOut() override { calls.push_back("logged out"); }
    void finish(bool reload) override { calls.push_back(reload ? "finish reload" : "finish"); }
    std::vector<std::string> calls;
};

class ResponseUpload : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(disk / "rusuroku");
        fs::create_directories(disk / "naisen");
        fs::create_directories(disk / "outou");
        fs::create_directories(outou);
        sim::Options options;
        options.root = disk;
        server = std::make_unique<sim::MainUnitServer>(options);
        ASSERT_TRUE(server->start());
        ASSERT_EQ(ftp.Login(u"127.0.0.1", u"admin", u"admin", server->port()), ftp::kLoginOk);
    }

    // A local message `number` with `speechBytes` of speech, as a row of the list holds it.
    FILESTS_INFO message(int number, std::size_t speechBytes = 3000) {
        char name[40];
        std::snprintf(name, sizeof name, "202612071505_MON_A%03d_0000.vmdat", number);
        const fs::path file = outou / name;
        FILESTS_INFO record = sampleRecord();
        record.boxNumber = fromUtf8(std::to_string(1000 + number).substr(1));
        record.played = 7;  // neither mark: each attempt must set one
        writeMessage(file, record, responseBlock(number), speechBytes);
        record.filePath = file.u16string();
        return record;
    }

    std::uint8_t markOnDisk(const FILESTS_INFO& record) {
        FILESTS_INFO onDisk;
        EXPECT_TRUE(CFileMng().ReadStatusRecord(record.path(), onDisk));
        return onDisk.played;
    }

    // Stops the main unit once it has begun writing a received file, that is in
    // the middle of an upload.
    void dropDuringTheNextUpload() {
        ports.pump.every([this] {
            if (stopped) return;
            for (const auto& e : fs::directory_iterator(disk / "outou")) {
                if (e.is_regular_file()) {
                    stopped = true;
                    server->stop();
                    return;
                }
            }
        });
    }

    std::string stored(const FILESTS_INFO& record) { return readFile(disk / "outou" / record.path().filename()); }

    void setFaults(const std::function<void(sim::Faults&)>& change) {
        sim::Faults f = server->faults();
        change(f);
        server->setFaults(f);
    }

    TempFolder temp{"upload"};
    fs::path disk = temp.path() / "disk";
    fs::path outou = temp.path() / "box" / "outou";
    std::unique_ptr<sim::MainUnitServer> server;
    TestPorts ports;
    RecordingIdleTimer timer;
    CFtpMng ftp{&timer};
    RecordingUploadWindow window;
    bool stopped = false;
};

TEST_F(ResponseUpload, AcceptedAndRefusedFilesGetTheirMarksAndThePartialMessage) {
    std::vector<FILESTS_INFO> rows{message(1), message(2)};
    setFaults([&](sim::Faults& f) { f.inUse = {rows[1].path().filename().string()}; });
    EXPECT_EQ(UploadSelected(ftp, rows, window), upload::kDone);

    // What is sent is the main unit's part: block and speech, no record.
    EXPECT_EQ(stored(rows[0]), readFile(rows[0].path()).substr(990));
    EXPECT_FALSE(fs::exists(disk / "outou" / rows[1].path().filename()));
    EXPECT_EQ(rows[0].played, 1);
    EXPECT_EQ(rows[1].played, 0);
    EXPECT_EQ(markOnDisk(rows[0]), 1);
    EXPECT_EQ(markOnDisk(rows[1]), 0);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"一部のファイルをアップロード\nできませんでした。");
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
    const auto bar = ports.progress.of(msg::kBarPosition);
    ASSERT_EQ(bar.size(), 3u);
    EXPECT_EQ(bar[0].wparam, 1);
    EXPECT_EQ(bar[1].wparam, 2);
    EXPECT_EQ(bar[2].wparam, 2);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"open 2", "close", "finish reload"}));
    EXPECT_TRUE(ftp.HasSession()) << "a refusal keeps the session";
    // The idle timer is stopped for the run and runs again after it.
    EXPECT_EQ(timer.calls.front(), "stop");
    EXPECT_EQ(timer.calls.back(), "restart");
}

// One message per outcome, as the table of closing messages has them.
TEST_F(ResponseUpload, TheClosingMessage) {
    const std::u16string refused = std::u16string(upload::kRefusedText);
    struct Case {
        UploadTally tally;
        std::u16string text;  // empty: nothing shown
    };
    const Case cases[] = {
        {{2, 2, 0}, u"アップロードが完了しました。"},
        {{2, 0, 2}, refused},
        {{3, 1, 2}, u"一部のファイルをアップロード\nできませんでした。"},
        {{1, 1, 0}, u"アップロードが完了しました。"},
        {{1, 0, 1}, refused},
        {{1, 0, 0}, u""},
        {{3, 0, 0}, u"アップロードが完了しました。"},
    };
    for (const Case& c : cases) {
        const auto shown = UploadClosingMessage(c.tally);
        EXPECT_EQ(shown ? shown->text : u"", c.text) << c.tally.selected << c.tally.accepted << c.tally.refused;
        if (shown) {
            EXPECT_EQ(shown->caption, c.text == upload::kDoneText ? u"アップロード完了" : u"エラー");
        }
    }
}

TEST_F(ResponseUpload, MissingFilesAndEmptyRowsSendNothing) {
    FILESTS_INFO gone = message(3);
    fs::remove(gone.path());
    std::vector<FILESTS_INFO> one{gone};
    EXPECT_EQ(UploadSelected(ftp, one, window), upload::kDone);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, upload::kRefusedText);

    // Garbage under a message's name is not sent either.
    FILESTS_INFO garbage = message(4);
    writeFile(garbage.path(), std::string(2000, 'x'));
    FILESTS_INFO empty;
    std::vector<FILESTS_INFO> rows{empty, garbage, message(5)};
    ports.prompt.shown.clear();
    EXPECT_EQ(UploadSelected(ftp, rows, window), upload::kDone);
    EXPECT_FALSE(fs::exists(disk / "outou" / garbage.path().filename()));
    EXPECT_TRUE(fs::exists(disk / "outou" / rows[2].path().filename()));
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"一部のファイルをアップロード\nできませんでした。");

    std::vector<FILESTS_INFO> none;
    ports.prompt.shown.clear();
    EXPECT_EQ(UploadSelected(ftp, none, window), upload::kNothingSelected);
    EXPECT_EQ(ports.prompt.shown.at(0).text, u"選択されていません。");
}

TEST_F(ResponseUpload, ADropInTheMiddleOfAnUploadIsACommunicationError) {
    std::vector<FILESTS_INFO> rows{message(6, 2'000'000), message(7)};
    dropDuringTheNextUpload();
    EXPECT_EQ(UploadSelected(ftp, rows, window), upload::kCommunicationFailed);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(markOnDisk(rows[0]), 0);
    EXPECT_EQ(markOnDisk(rows[1]), 7) << "the file after the failure is not tried";
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"通信エラーが発生しました。");
    EXPECT_FALSE(ftp.HasSession());
    EXPECT_EQ(window.calls, (std::vector<std::string>{"open 2", "close", "logged out", "finish"}));
    EXPECT_NE(timer.calls.back(), "restart") << "the idle timer stays stopped after the logout";
}

TEST_F(ResponseUpload, CancelEndsTheRunWithoutAClosingMessage) {
    std::vector<FILESTS_INFO> rows{message(8, 2'000'000), message(9)};
    ports.pump.at(ports.pump.steps + 100, [&] { ports.cancel.set(); });
    EXPECT_EQ(UploadSelected(ftp, rows, window), upload::kCancelled);
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_EQ(markOnDisk(rows[0]), 0);
    EXPECT_FALSE(fs::exists(disk / "outou" / rows[0].path().filename()));
    EXPECT_TRUE(ftp.HasSession());
}

// ---------------------------------------------------------- plova-cli upload

class UploadCommand : public ResponseUpload {
protected:
    int upload(cli::Args args) {
        args.insert(args.begin(), "upload");
        out.str("");
        err.str("");
        return cli::runCli(args, out, err);
    }
    cli::Args link() const {
        return {"--host", "127.0.0.1", "--port", std::to_string(server->port()), "--user", "admin", "--password",
                "admin"};
    }
    cli::Args with(cli::Args files, const cli::Args& options) {
        files.insert(files.end(), options.begin(), options.end());
        return files;
    }
    std::ostringstream out, err;
};

TEST_F(UploadCommand, OneLinePerFileAndExitZeroOnlyWhenAllAreAccepted) {
    const FILESTS_INFO first = message(10), second = message(11);
    const std::string a = first.path().string(), b = second.path().string();
    ASSERT_EQ(upload(with({a, b}, link())), cli::kOk) << err.str();
    EXPECT_EQ(out.str(), a + ": accepted\n" + b + ": accepted\n");
    EXPECT_EQ(markOnDisk(first), 1);
    EXPECT_EQ(markOnDisk(second), 1);

    setFaults([&](sim::Faults& f) { f.noRoom = true; });
    const std::string c = message(12).path().string();
    EXPECT_EQ(upload(with({c}, link())), cli::kFailed);
    EXPECT_EQ(out.str(), c + ": refused (in use, no room, or older than the main unit's copy)\n");

    // The password from a file.
    setFaults([&](sim::Faults& f) { f.noRoom = false; });
    const fs::path secret = temp.path() / "secret";
    writeFile(secret, "admin\n");
    EXPECT_EQ(upload({c, "--host", "127.0.0.1", "--port", std::to_string(server->port()), "--user", "admin",
                      "--password-file", secret.string()}),
              cli::kOk)
        << err.str();
}

TEST_F(UploadCommand, RefusesBeforeConnectingAndNamesWhatWasNotTried) {
    const int before = server->sessionsAccepted();
    const fs::path notMessage = temp.path() / "box" / "outou" / "202612071505_MON_A013_0000.vmdat";
    writeFile(notMessage, std::string(3000, 'x'));
    const std::string good = message(14).path().string();
    EXPECT_EQ(upload(with({good, notMessage.string()}, link())), cli::kFailed);
    EXPECT_NE(err.str().find("not a system response message"), std::string::npos) << err.str();
    EXPECT_EQ(upload(with({good}, {"--host", "127.0.0.1", "--user", "admin"})), cli::kUsage);
    EXPECT_EQ(upload(with({good}, {"--host", "h", "--user", "u", "--password", "p", "--password-file", "f"})),
              cli::kUsage);
    EXPECT_EQ(upload(link()), cli::kUsage);
    EXPECT_EQ(server->sessionsAccepted(), before + 0) << "nothing connected";

    // A communication failure stops the run and names the files not tried.
    const std::string big = message(15, 2'000'000).path().string(), after = message(16).path().string();
    dropDuringTheNextUpload();
    EXPECT_EQ(upload(with({big, after}, link())), cli::kFailed);
    ASSERT_TRUE(stopped);
    EXPECT_NE(err.str().find("communication error"), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("not tried: " + after), std::string::npos) << err.str();
}

}  // namespace
}  // namespace plova
