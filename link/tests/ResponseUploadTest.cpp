// Uploading system response messages to the main-unit simulator: the upload
// mark, 450 as a refusal, everything else as a communication error, the
// closing message.
#include <gtest/gtest.h>

#include "link/ResponseUpload.h"
#include "link/tests/LinkTestSupport.h"
#include "platform/testing/BlockedRewrite.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova {
namespace {
namespace fs = std::filesystem;
using namespace linktest;
using namespace testkit;

class RecordingUploadWindow final : public UploadWindow {
public:
    WindowHandle OpenProgress(int total) override {
        calls.push_back("open " + std::to_string(total));
        return 77;
    }
    void CloseProgress() override { calls.push_back("close"); }
    void LoggedOut() override { calls.push_back("logged out"); }
    void Finish(bool reload) override { calls.push_back(reload ? "finish reload" : "finish"); }
    std::vector<std::string> calls;
};

class ResponseUpload : public ::testing::Test {
protected:
    void SetUp() override {
        unit.MakeTopFolders();
        fs::create_directories(outou);
        ASSERT_NO_FATAL_FAILURE(unit.Start());
        ASSERT_EQ(ftp.Login(u"127.0.0.1", u"admin", u"admin", unit.Port()), ftp::LoginResult::Ok);
    }

    // Message `number` in the local outou, with neither upload mark: each attempt must set one.
    FILESTS_INFO message(int number, std::size_t speechBytes = 3000) {
        return WriteResponseMessage(outou, number, speechBytes, 7);
    }

    static int markOnDisk(const FILESTS_INFO& record) { return PlayedMarkOf(record.Path()); }

    // Stops the main unit once it has begun writing a received file, that is in
    // the middle of an upload.
    void dropDuringTheNextUpload() {
        ports.pump.Every([this] {
            if (stopped) return;
            for (const auto& e : fs::directory_iterator(disk / "outou")) {
                if (e.is_regular_file()) {
                    stopped = true;
                    unit.Stop();
                    return;
                }
            }
        });
    }

    std::string stored(const FILESTS_INFO& record) { return ReadFile(disk / "outou" / record.Path().filename()); }

    TempFolder temp{"upload"};
    fs::path disk = temp.Path() / "disk";
    fs::path outou = temp.Path() / "box" / "outou";
    SimUnit unit{disk};
    TestPorts ports;
    RecordingIdleTimer timer;
    CFtpMng ftp{&timer};
    RecordingUploadWindow window;
    bool stopped = false;
};

TEST_F(ResponseUpload, AcceptedAndRefusedFilesGetTheirMarksAndThePartialMessage) {
    std::vector<FILESTS_INFO> rows{message(1), message(2)};
    unit.ChangeFaults([&](sim::Faults& f) { f.inUse = {rows[1].Path().filename().string()}; });
    EXPECT_EQ(UploadSelected(ftp, rows, window), UploadRun::Done);

    // What is sent is the main unit's part: block and speech, no record.
    EXPECT_EQ(stored(rows[0]), ReadFile(rows[0].Path()).substr(990));
    EXPECT_FALSE(fs::exists(disk / "outou" / rows[1].Path().filename()));
    EXPECT_EQ(rows[0].played, 1);
    EXPECT_EQ(rows[1].played, 0);
    EXPECT_EQ(markOnDisk(rows[0]), 1);
    EXPECT_EQ(markOnDisk(rows[1]), 0);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"一部のファイルをアップロード\nできませんでした。");
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
    const auto bar = ports.progress.Of(msg::kBarPosition);
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
        // Stored without the mark: never "done", since the list goes on showing it as not uploaded.
        {{1, 0, 0, 1}, std::u16string(upload::kUnmarkedText)},
        {{2, 1, 0, 1}, std::u16string(upload::kUnmarkedText)},
        {{3, 1, 1, 1}, u"一部のファイルをアップロード\nできませんでした。"},
        {{2, 0, 1, 1}, u"一部のファイルをアップロード\nできませんでした。"},
    };
    for (const Case& c : cases) {
        const auto shown = UploadClosingMessage(c.tally);
        EXPECT_EQ(shown ? shown->text : u"", c.text) << c.tally.selected << c.tally.accepted << c.tally.refused;
        if (shown) {
            EXPECT_EQ(shown->caption, c.text == upload::kDoneText ? u"アップロード完了" : u"エラー");
        }
    }
}

// The main unit has the message, but the file here cannot take its mark: the
// file stays as it was and the closing message does not say all went well.
TEST_F(ResponseUpload, AStoredMessageWhoseMarkCannotBeWrittenIsNotReportedDone) {
    std::vector<FILESTS_INFO> rows{message(8)};  // 4246 bytes here, 3256 on the main unit
    const std::string before = ReadFile(rows[0].Path());
    UploadRun run;
    {
        BlockedRewrite blocked(rows[0].Path(), 4000);
        if (!blocked.Blocks()) GTEST_SKIP() << kNoBlockedRewrite;
        run = UploadSelected(ftp, rows, window);
    }
    EXPECT_EQ(run, UploadRun::Done);
    EXPECT_EQ(stored(rows[0]), before.substr(990));
    EXPECT_EQ(ReadFile(rows[0].Path()), before);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, upload::kUnmarkedText);
    EXPECT_EQ(ports.prompt.shown[0].caption, u"エラー");
    EXPECT_TRUE(ftp.HasSession());
}

TEST_F(ResponseUpload, MissingFilesAndEmptyRowsSendNothing) {
    FILESTS_INFO gone = message(3);
    fs::remove(gone.Path());
    std::vector<FILESTS_INFO> one{gone};
    EXPECT_EQ(UploadSelected(ftp, one, window), UploadRun::Done);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, upload::kRefusedText);

    // Garbage under a message's name is not sent either.
    FILESTS_INFO garbage = message(4);
    WriteFile(garbage.Path(), std::string(2000, 'x'));
    FILESTS_INFO empty;
    std::vector<FILESTS_INFO> rows{empty, garbage, message(5)};
    ports.prompt.shown.clear();
    EXPECT_EQ(UploadSelected(ftp, rows, window), UploadRun::Done);
    EXPECT_FALSE(fs::exists(disk / "outou" / garbage.Path().filename()));
    EXPECT_TRUE(fs::exists(disk / "outou" / rows[2].Path().filename()));
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, u"一部のファイルをアップロード\nできませんでした。");

    std::vector<FILESTS_INFO> none;
    ports.prompt.shown.clear();
    EXPECT_EQ(UploadSelected(ftp, none, window), UploadRun::NothingSelected);
    EXPECT_EQ(ports.prompt.shown.at(0).text, u"選択されていません。");
}

TEST_F(ResponseUpload, ADropInTheMiddleOfAnUploadIsACommunicationError) {
    std::vector<FILESTS_INFO> rows{message(6, 2'000'000), message(7)};
    dropDuringTheNextUpload();
    EXPECT_EQ(UploadSelected(ftp, rows, window), UploadRun::CommunicationFailed);
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
    ports.pump.At(ports.pump.steps + 100, [&] { ports.cancel.Set(); });
    EXPECT_EQ(UploadSelected(ftp, rows, window), UploadRun::Cancelled);
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_EQ(markOnDisk(rows[0]), 0);
    EXPECT_FALSE(fs::exists(disk / "outou" / rows[0].Path().filename()));
    EXPECT_TRUE(ftp.HasSession());
}

}  // namespace
}  // namespace plova
