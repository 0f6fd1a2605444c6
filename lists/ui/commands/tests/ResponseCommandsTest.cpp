// Buttons 1018 (add) and 1017 (upload) of the system response list in the
// real main window, offscreen, against the simulator: a message made from a
// WAV file appears in the list, goes to the main unit and shows its mark.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "app/CommandTable.h"
#include "app/FtpMainUnitSession.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/testing/SimFrameFixture.h"
#include "audio/testing/AudioFiles.h"
#include "audio/testing/SpeechSignal.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CPrgAddMsgDlg.h"
#include "lists/ui/commands/CPrgULMsgDlg.h"
#include "platform/File.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/FileBytes.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "platform/ui/QtPorts.h"
#include "sim/MainUnitServer.h"
#include "sim/SeedMainUnit.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace {
namespace fs = std::filesystem;

constexpr LocalTime kMonday1505{2026, 12, 7, 1, 15, 5, 0, 0};
constexpr int kUploadColumn = 2;

TEST(TextProgressDlgTest, TheBarOnlyMovesForwardWithinItsRange) {
    testkit::TestPorts ports;
    struct Step {
        std::uint64_t position;
        std::uint64_t shown;
    };
    struct Case {
        std::uint64_t range;
        std::vector<Step> steps;
    };
    const std::uint64_t huge = std::uint64_t{3} << 32;  // beyond what the bar counts in int
    const Case cases[] = {
        {10, {{4, 4}, {2, 4}, {10, 10}, {99, 10}}},
        {huge, {{huge / 3, huge / 3}, {4, huge / 3}, {huge, huge}, {huge + 1, huge}}},
        {0, {{5, 0}}},
    };
    for (const Case& c : cases) {
        CPrgULMsgDlg dialog;
        dialog.SetRange(c.range);
        EXPECT_EQ(dialog.Position(), 0u);
        EXPECT_GT(dialog.Bar()->maximum(), 0) << "an empty bar, not the busy indicator";
        for (const Step& s : c.steps) {
            dialog.SetPosition(s.position);
            // Within one bar unit of the position asked for.
            EXPECT_LE(dialog.Position(), s.shown) << c.range << " " << s.position;
            EXPECT_GE(dialog.Position() + (c.range >> 31) + 1, s.shown) << c.range << " " << s.position;
        }
    }
    CPrgAddMsgDlg add;
    add.Reading(3000);
    EXPECT_EQ(add.Position(), 1000u);
    EXPECT_EQ(add.TextLabel()->text(), QStringLiteral("音声ファイルを読み込んでいます。"));
    add.Converting();
    EXPECT_EQ(add.Position(), 3000u);
    EXPECT_EQ(add.TextLabel()->text(), QStringLiteral("音声ファイルを変換しています。"));
    EXPECT_EQ(add.windowTitle(), QStringLiteral("取り込み中"));
    add.CancelButton()->click();
    EXPECT_TRUE(ports.cancel.IsSet());
}

class ResponseCommandsTest : public SimFrameFixture {
protected:
    ResponseCommandsTest() : SimFrameFixture("ui-response") {}
    void SetUp() override {
        ports.clock.Set(kMonday1505);
        const sim::SeedOptions seed{.now = kMonday1505,
                                    .answeringBoxes = {"0001"},
                                    .extensionBoxes = {},
                                    .emptyExtensionBoxes = {},
                                    .messagesPerBox = 1,
                                    .responseNumbers = {1},
                                    .maxSeconds = 4};
        ASSERT_NO_FATAL_FAILURE(startUnit(seed));

        fs::create_directories(outou);
        fs::create_directories(box("rusuroku") / "0001");
        fs::create_directories(sources);
        testkit::WriteWav8k(speech, testkit::SynthesizeSpeech(200));  // 2 s
        make(false);
        frame->resize(1000, 700);
        frame->show();
        frame->ApplyStartup();
        openResponseList();
    }

    void openResponseList() {
        answer = [](QDialog& d) -> int {
            auto* open = dynamic_cast<CBoxOpenDlg*>(&d);
            if (!open) return QDialog::Rejected;
            open->ResponseRadio()->setChecked(true);
            open->OpenButton()->click();
            return open->result();
        };
        frame->OnCommand(cmd::kOpenBoxes);
        answer = nullptr;
        dialogs.clear();
        ASSERT_NE(view(), nullptr);
        ASSERT_TRUE(view()->IsSystemResponseList());
    }

    [[nodiscard]] CListDispView* view() const { return frame->Lists()->ActiveView(); }
    [[nodiscard]] QString cell(int row, int column) const {
        return view()->List()->model()->index(row, column).data(Qt::DisplayRole).toString();
    }

    // The file dialog answered with `file`, or cancelled when it is empty.
    void chooseFile(const fs::path& file) {
        answer = [this, file](QDialog& d) -> int {
            auto* dialog = dynamic_cast<QFileDialog*>(&d);
            if (!dialog || file.empty()) return QDialog::Rejected;
            startFolder = dialog->directory().absolutePath();
            dialog->selectFile(QString::fromStdString(file.string()));
            return QDialog::Accepted;
        };
    }

    // Button 1018 on row `row` with `file` chosen.
    void add(int row, const fs::path& file) {
        view()->SelectRows({row});
        chooseFile(file);
        frame->OnCommand(cmd::kAdd);
        answer = nullptr;
    }


    fs::path outou = box("outou");
    fs::path sources = dir / "audio";
    fs::path speech = sources / "speech.wav";
    QString startFolder;
};

TEST_F(ResponseCommandsTest, AMessageFromAWavFileIsListedUploadedAndMarked) {
    ASSERT_NO_FATAL_FAILURE(logIn());
    add(4, speech);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("ファイルを開く")});
    ASSERT_EQ(shownTexts(), std::vector<std::string>{"音声ファイルの読み込みが完了しました。"});
    const std::string name = "202612071505_MON_A005_0000";
    EXPECT_EQ(testkit::SortedNames(outou), (std::vector<std::string>{name + ".WAV", name + ".vmdat"}));
    EXPECT_TRUE(frame->isEnabled());
    // The list shows the new message at once, not yet uploaded, and the
    // dialog starts in the folder of this file next time.
    EXPECT_FALSE(view()->Data().IsAbsentRow(4));
    EXPECT_EQ(view()->SelectedRows(), std::vector<int>{4});
    EXPECT_EQ(cell(4, kUploadColumn), QString());
    EXPECT_EQ(cell(4, 3), QStringLiteral("00:00:02"));
    EXPECT_EQ(frame->Settings().sysAddFolder, FromUtf8(sources.string()));

    ports.prompt.Queue(Answer::Yes);
    frame->OnCommand(cmd::kUpload);
    EXPECT_EQ(shownTexts().back(), "アップロードが完了しました。");
    std::string local, remote;
    ASSERT_EQ(ReadWholeFile(outou / (name + ".vmdat"), local, 1 << 20), ReadResult::Ok);
    ASSERT_EQ(ReadWholeFile(dir / "unit" / "outou" / (name + ".vmdat"), remote, 1 << 20), ReadResult::Ok);
    EXPECT_EQ(remote, local.substr(990));
    EXPECT_EQ(cell(4, kUploadColumn), QStringLiteral("済み"));
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_TRUE(frame->Session().LoggedIn());
}

TEST_F(ResponseCommandsTest, WhatStopsTheAddButtonBeforeAnyFileIsMade) {
    add(6, speech);
    ASSERT_EQ(shownTexts().back(), "音声ファイルの読み込みが完了しました。");
    const std::vector<std::string> before = testkit::SortedNames(outou);
    ports.prompt.shown.clear();

    struct Case {
        const char* what;
        std::vector<int> rows;
        std::vector<Answer> answers;
        fs::path file;
        std::vector<std::string> shown;
        QStringList dialogs;
    };
    const Case cases[] = {
        {"no row", {}, {}, speech, {"選択されていません。"}, {}},
        {"no to the overwrite question",
         {6},
         {Answer::No},
         speech,
         {"メッセージ007は既に存在します。\n上書きしますか？"},
         {}},
        {"a cancelled file dialog",
         {6},
         {Answer::Yes},
         {},
         {"メッセージ007は既に存在します。\n上書きしますか？"},
         {QStringLiteral("ファイルを開く")}},
        {"a file that is not audio",
         {2},
         {},
         sources / "notes.mp3",
         {"このフォーマットには対応していません。"},
         {QStringLiteral("ファイルを開く")}},
        {"audio longer than the encoder takes",
         {2},
         {},
         sources / "long.wav",
         {"音声ファイルが長すぎます。10分以内のファイルを選んでください。"},
         {QStringLiteral("ファイルを開く")}},
    };
    testkit::WriteBytes(sources / "notes.mp3", std::string(5000, 'x'));
    testkit::WriteWav8k(sources / "long.wav", std::vector<std::int16_t>(std::size_t{602} * 8000, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ports.prompt.shown.clear();
        dialogs.clear();
        for (Answer a : c.answers) ports.prompt.Queue(a);
        view()->SelectRows(c.rows);
        chooseFile(c.file);
        frame->OnCommand(cmd::kAdd);
        answer = nullptr;
        EXPECT_EQ(shownTexts(), c.shown);
        EXPECT_EQ(dialogs, c.dialogs);
        EXPECT_EQ(testkit::SortedNames(outou), before);
        EXPECT_TRUE(frame->isEnabled());
    }
    EXPECT_EQ(QDir::toNativeSeparators(startFolder), QString::fromStdString(sources.string()));
}

// 追加 takes what the import takes: an MP3 file and a 44.1 kHz stereo WAV
// file become messages whose speech is the source's; the WAV file is kept
// as the message's copy, the MP3 file gets an 8 kHz WAV copy.
TEST_F(ResponseCommandsTest, AnyAudioBecomesAMessageOfItsSpeech) {
    if (!testkit::HaveFfmpegProgram(PLOVA_FFMPEG)) GTEST_SKIP() << testkit::kNoFfmpegProgram;
    ASSERT_TRUE(testkit::FfmpegConvert(PLOVA_FFMPEG, speech, "-ar 44100 -ac 2", sources / "stereo44k.wav"));
    ASSERT_TRUE(testkit::FfmpegConvert(PLOVA_FFMPEG, speech, "-ar 44100 -ac 2 -c:a libmp3lame -b:a 128k",
                                       sources / "speech.mp3"));
    const std::vector<std::int16_t> original = testkit::ReadWavSamples(speech);
    struct Case {
        int row;
        std::string source, copyExtension;
    };
    for (const Case& c : {Case{2, "stereo44k.wav", ".WAV"}, Case{3, "speech.mp3", ".WAV"}}) {
        SCOPED_TRACE(c.source);
        ports.prompt.shown.clear();
        add(c.row, sources / c.source);
        ASSERT_EQ(shownTexts(), std::vector<std::string>{"音声ファイルの読み込みが完了しました。"});
        EXPECT_FALSE(view()->Data().IsAbsentRow(c.row));
        const fs::path voice = view()->Data().RecordOfRow(c.row).Path();
        ASSERT_TRUE(CFileMng::IsValidMessageFile(voice));
        EXPECT_TRUE(fs::exists(fs::path(voice).replace_extension(c.copyExtension)));
        // Decoded by the program's own decoder, the message is the source's speech.
        const std::string bytes = testkit::ReadFileBytes(voice);
        const std::vector<std::uint8_t> frames(bytes.begin() + store::kMinMessageFileSize, bytes.end());
        const std::vector<std::int16_t> decoded = testkit::DecodeFramesDirectly(frames);
        EXPECT_NEAR(static_cast<double>(decoded.size()), static_cast<double>(original.size()), 8000 * 0.15);
        EXPECT_GE(testkit::AlignedCorrelation(original, decoded, 2000), 0.75);
    }
}

TEST_F(ResponseCommandsTest, OverwritingReplacesTheOlderMessageOfTheNumber) {
    add(6, speech);
    const std::vector<std::string> first = testkit::SortedNames(outou);
    ASSERT_EQ(first.size(), 2u);
    ports.clock.Set(LocalTime{2026, 12, 8, 2, 9, 30, 0, 0});
    ports.prompt.Queue(Answer::Yes);
    add(6, speech);
    EXPECT_EQ(shownTexts().back(), "音声ファイルの読み込みが完了しました。");
    EXPECT_EQ(testkit::SortedNames(outou),
              (std::vector<std::string>{"202612080930_TUE_A007_0000.WAV", "202612080930_TUE_A007_0000.vmdat"}));
    EXPECT_EQ(view()->Data().RecordOfRow(6).Path().filename(), "202612080930_TUE_A007_0000.vmdat");
}

TEST_F(ResponseCommandsTest, ARefusalKeepsTheSessionAndABrokenLinkLogsOut) {
    add(4, speech);
    ASSERT_EQ(shownTexts().back(), "音声ファイルの読み込みが完了しました。");
    struct Case {
        const char* what;
        std::function<void()> fault;
        std::string shown;
        bool loggedIn;
    };
    const Case cases[] = {
        {"no room on the main unit", [this] { unit.ChangeFaults([](sim::Faults& f) { f.noRoom = true; }); },
         "メッセージを使用中か主装置の容量不足\nもしくはアップロードするメッセー"
         "ジが古いため、\nアップロードできません"
         "でし"
         "た。",
         true},
        {"the main unit gone", [this] { unit.Stop(); }, "通信エラーが発生しました。", false},
    };
    ASSERT_NO_FATAL_FAILURE(logIn());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.fault();
        view()->SelectRows({4});
        ports.prompt.Queue(Answer::Yes);
        frame->OnCommand(cmd::kUpload);
        EXPECT_EQ(shownTexts().back(), c.shown);
        EXPECT_EQ(cell(4, kUploadColumn), QString());
        EXPECT_EQ(frame->Session().LoggedIn(), c.loggedIn);
        EXPECT_TRUE(frame->isEnabled());
    }
}

}  // namespace
}  // namespace plova::ui
