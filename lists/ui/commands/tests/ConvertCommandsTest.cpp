// Buttons 1013 and 1014 in the real main window, offscreen, on messages of
// the demo main unit: the WAV file handed to the player holds the speech, the
// played mark shows, Cancel in the conversion window leaves nothing behind,
// and the played WAV files listed while "CONVDEL" was on go at exit.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/ui/CEndChkDlg.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/testing/ListFrameFixture.h"
#include "audio/WavFormat.h"
#include "audio/testing/SpeechSignal.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CWavConvDlg.h"
#include "platform/FileLock.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "platform/ui/QtPorts.h"
#include "player/testing/RecordingSink.h"
#include "player/ui/CPlayerWnd.h"
#include "sim/SeedMainUnit.h"
#include "store/BoxFolderLock.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

fs::path wavOf(fs::path p) {
    return p.replace_extension(".wav");
}

class ConvertCommandsTest : public testkit_ui::ListFrameFixture {
protected:
    fs::path local = box.Folder() / "rusuroku" / "0001";
    std::vector<fs::path> messages;  // the local voice files, in name order
    player::RecordingSink sink;      // the built-in player's, once the frame is told of it

    void SetUp() override {
        sim::SeedOptions seed;
        seed.answeringBoxes = {"0001"};
        seed.extensionBoxes = {};
        seed.emptyExtensionBoxes = {};
        seed.messagesPerBox = 2;
        seed.responseNumbers = {};
        seed.minSeconds = 3;
        seed.maxSeconds = 6;
        seed.now = LocalTime{2026, 12, 7, 1, 10, 0, 0, 0};
        ASSERT_TRUE(sim::SeedMainUnit(dir / "unit", seed).ok);
        // The voice data as a download leaves it: fetched, then given its status
        // record.
        fs::create_directories(local);
        fs::create_directories(box.Folder() / "naisen");
        for (const auto& entry : fs::directory_iterator(dir / "unit" / "rusuroku" / "0001"))
            if (entry.path().extension() == ".vmdat") {
                const fs::path file = local / entry.path().filename();
                fs::copy_file(entry.path(), file);
                ASSERT_EQ(CFileMng::MakeStatusRecord(file), store::RecordWrite::Written);
                messages.push_back(file);
            }
        std::sort(messages.begin(), messages.end());
        ASSERT_GE(messages.size(), 2u);

        writeFolderSettings({u"ファイル名"});
        // The desktop's player, as the program always had it; the built-in one has its own tests.
        WriteProfileInt(ini, u"PLOVA", u"PLAYER", 0);
        answer = [](QDialog& d) {
            if (auto* end = dynamic_cast<CEndChkDlg*>(&d)) {
                end->YesButton()->click();
                return d.result();
            }
            auto* dialog = dynamic_cast<CBoxOpenDlg*>(&d);
            if (!dialog) return int(QDialog::Rejected);
            dialog->Button(boxopen::kAnsweringAll)->click();
            dialog->OpenButton()->click();
            return dialog->result();
        };
        make();
        frame->OnCommand(cmd::kOpenBoxes);
        ASSERT_NE(active(), nullptr);
        ASSERT_EQ(active()->Data().RowCount(), static_cast<int>(messages.size()));
    }

    // Selects the row of a message file; false when the list has no such row.
    bool select(const fs::path& file) {
        for (int row = 0; row < active()->Data().RowCount(); ++row)
            if (active()->Data().RecordOfRow(row).Path() == file) {
                active()->SelectRows({row});
                return true;
            }
        return false;
    }

    [[nodiscard]] int playedInList(const fs::path& file) const {
        for (const FILESTS_INFO& r : active()->Data().Records())
            if (r.Path() == file) return r.played;
        return -1;
    }
};

TEST_F(ConvertCommandsTest, PlayHandsTheDemoMessagesSpeechToThePlayerAndMarksItPlayed) {
    const fs::path message = messages.front();
    ASSERT_TRUE(select(message));
    frame->OnCommand(cmd::kPlay);

    EXPECT_TRUE(ports.prompt.shown.empty());
    ASSERT_EQ(ports.shell.opened, std::vector<fs::path>{wavOf(message)});
    // 8 kHz 16-bit mono with the message's own speech: the frames behind the
    // status record and the recording block, decoded.
    const std::string bytes = testkit::ReadFileBytes(message);
    const std::string wavBytes = testkit::ReadFileBytes(wavOf(message));
    ASSERT_GE(wavBytes.size(), 44u);
    EXPECT_EQ(GetLe32(reinterpret_cast<const std::uint8_t*>(wavBytes.data()) + 24), 8000u);
    EXPECT_EQ(GetLe16(reinterpret_cast<const std::uint8_t*>(wavBytes.data()) + 22), 1u);
    EXPECT_EQ(GetLe16(reinterpret_cast<const std::uint8_t*>(wavBytes.data()) + 34), 16u);
    const std::vector<std::uint8_t> frames(bytes.begin() + store::kMinMessageFileSize, bytes.end());
    const std::vector<std::int16_t> expected = testkit::DecodeFramesDirectly(frames);
    const std::vector<std::int16_t> played = testkit::ReadWavSamples(wavOf(message));
    ASSERT_EQ(played.size(), expected.size());
    EXPECT_GT(testkit::Correlation(played, expected), 0.99);

    EXPECT_EQ(testkit::PlayedMarkOf(message), 1);
    EXPECT_EQ(playedInList(message), 1);
    EXPECT_TRUE(frame->isEnabled());
}

// With the built-in player: 再生 opens its window on the message, which is
// marked once the sound starts; 次へ plays and marks the next row; without
// a sound device the program says so and nothing is marked.
TEST_F(ConvertCommandsTest, TheBuiltInPlayerPlaysMarksAndMovesToTheNextRow) {
    frame->UseSoundSink(sink);
    if (frame->Player() == nullptr) GTEST_SKIP() << "this build has no player of its own";
    frame->OnCommand(cmd::kToggleBuiltInPlayer);
    // Two neighbouring rows of messages with their speech.
    auto voiceAt = [&](int row) {
        return std::find(messages.begin(), messages.end(), active()->Data().RecordOfRow(row).Path()) != messages.end();
    };
    int row = 0;
    while (row + 1 < active()->RowCount() && !(voiceAt(row) && voiceAt(row + 1))) ++row;
    ASSERT_LT(row + 1, active()->RowCount());
    const fs::path first = active()->Data().RecordOfRow(row).Path();
    const fs::path second = active()->Data().RecordOfRow(row + 1).Path();
    active()->SelectRows({row});
    frame->OnCommand(cmd::kPlay);
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_TRUE(ports.shell.opened.empty());
    CPlayerWnd& window = *frame->Player();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(sink.starts, 1);
    const std::vector<std::int16_t> speech = testkit::ReadWavSamples(wavOf(first));
    ASSERT_GE(speech.size(), 800u);
    EXPECT_EQ(sink.Pull(800), std::vector<std::int16_t>(speech.begin(), speech.begin() + 800));
    EXPECT_EQ(testkit::PlayedMarkOf(first), 1);
    EXPECT_EQ(testkit::PlayedMarkOf(second), 0);

    QTest::keyClick(&window, Qt::Key_PageDown);
    EXPECT_EQ(sink.starts, 2);
    EXPECT_EQ(testkit::PlayedMarkOf(second), 1);
    EXPECT_EQ(playedInList(second), 1);
    active()->SelectRows({active()->RowCount() - 1});
    QTest::keyClick(&window, Qt::Key_PageDown);  // past the last row: nothing
    EXPECT_EQ(sink.starts, 2);

    // The speed chosen is kept in the settings for the next time.
    window.SpeedBox()->activated(5);
    EXPECT_EQ(frame->RememberedPlayerPreferences().speed, 5);

    sink.device = false;
    FILESTS_INFO unplayed;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(first, unplayed));
    unplayed.played = 0;
    ASSERT_EQ(CFileMng::WriteStatusRecord(unplayed, first), store::RecordWrite::Written);
    ASSERT_TRUE(select(first));
    frame->OnCommand(cmd::kPlay);
    EXPECT_EQ(lastMessage(), convert::kNoSoundDevice);
    EXPECT_EQ(testkit::PlayedMarkOf(first), 0);
}

// The rows answer the mouse and the keys: a right click takes the row under
// it and offers the commands enabled for it, Enter plays, Delete goes
// through the deletion's own dialogs, and "フォルダを開く" shows the
// message's box folder.
TEST_F(ConvertCommandsTest, TheRowsMenuAndKeysRunTheCommandsTheButtonsRun) {
    CDataListCtrl* list = active()->List();
    const fs::path second = messages.back();
    ASSERT_TRUE(select(messages.front()));
    int secondRow = -1;
    for (int row = 0; row < active()->Data().RowCount(); ++row)
        if (active()->Data().RecordOfRow(row).Path() == second) secondRow = row;
    ASSERT_GE(secondRow, 0);

    QStringList entries, enabled;
    frame->SetRowMenuRunner([&](QMenu& menu, const QPoint&) -> QAction* {
        QAction* open = nullptr;
        for (QAction* a : menu.actions()) {
            if (a->isSeparator()) continue;
            entries << a->text();
            if (a->isEnabled()) enabled << a->text();
            if (a->text() == QStringLiteral("フォルダを開く")) open = a;
        }
        return open;
    });
    const QRect cell = list->visualRect(list->model()->index(secondRow, 0));
    QContextMenuEvent click(QContextMenuEvent::Mouse, cell.center(), list->viewport()->mapToGlobal(cell.center()));
    QApplication::sendEvent(list->viewport(), &click);
    EXPECT_EQ(active()->SelectedRows(), std::vector<int>{secondRow});
    EXPECT_EQ(entries, (QStringList{QStringLiteral("再生"), QStringLiteral("変換"), QStringLiteral("音声ﾃﾞｰﾀﾀﾞｳﾝﾛｰﾄﾞ"),
                                    QStringLiteral("移動・コピー"), QStringLiteral("消去"),
                                    QStringLiteral("録音情報を編集する..."), QStringLiteral("フォルダを開く")}));
    // Not logged in: nothing to fetch from the main unit.
    EXPECT_FALSE(enabled.contains(QStringLiteral("音声ﾃﾞｰﾀﾀﾞｳﾝﾛｰﾄﾞ")));
    EXPECT_TRUE(enabled.contains(QStringLiteral("再生")));
    ASSERT_EQ(ports.shell.opened, std::vector<fs::path>{local});

    // Enter plays the selected row, as 再生 does.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(ports.shell.opened.back(), wavOf(second));
    EXPECT_EQ(testkit::PlayedMarkOf(second), 1);

    // Delete asks through the deletion's dialogs; turned down, nothing goes.
    QStringList asked;
    answer = [&](QDialog& d) {
        asked << d.windowTitle();
        return int(QDialog::Rejected);
    };
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_FALSE(asked.isEmpty());
    EXPECT_TRUE(fs::exists(second));
}

TEST_F(ConvertCommandsTest, ConvertAsksFirstAndMakesTheWavFilesOfTheSelectedRows) {
    active()->SelectRows({0, 1});
    ports.prompt.Queue(Answer::No);
    frame->OnCommand(cmd::kConvert);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, convert::kQuestion);
    EXPECT_EQ(ports.prompt.shown[0].caption, convert::kQuestionCaption);
    for (const fs::path& m : messages) EXPECT_FALSE(fs::exists(wavOf(m)));

    ports.prompt.Queue(Answer::Yes);
    frame->OnCommand(cmd::kConvert);
    ASSERT_EQ(ports.prompt.shown.size(), 3u);
    EXPECT_EQ(ports.prompt.shown[2].text, convert::kAllDone);
    EXPECT_TRUE(fs::is_regular_file(wavOf(messages[0])));
    EXPECT_TRUE(fs::is_regular_file(wavOf(messages[1])));
    EXPECT_TRUE(ports.shell.opened.empty());
    EXPECT_TRUE(frame->isEnabled());
}

// Another run at work in the open box folder (a download from cron, say):
// a command that writes there says so and does nothing; one that only
// reads goes on.
TEST_F(ConvertCommandsTest, ACommandThatWritesWaitsForAnotherRunInTheFolder) {
    active()->SelectRows({0, 1});
    {
        const FileLock other = LockFolder(box.Folder(), kBoxFolderLockName);
        ASSERT_TRUE(other.Held());
        frame->OnCommand(cmd::kConvert);
        ASSERT_EQ(ports.prompt.shown.size(), 1u);
        EXPECT_EQ(ports.prompt.shown[0].text, kFolderBusy);
        EXPECT_EQ(ports.prompt.shown[0].caption, kFolderBusyCaption);
        for (const fs::path& m : messages) EXPECT_FALSE(fs::exists(wavOf(m)));
        EXPECT_TRUE(frame->isEnabled());
    }
    // Once it has gone, the command runs, and leaves the folder free again.
    ports.prompt.Queue(Answer::No);
    frame->OnCommand(cmd::kConvert);
    ASSERT_EQ(ports.prompt.shown.size(), 2u);
    EXPECT_EQ(ports.prompt.shown[1].text, convert::kQuestion);
    EXPECT_TRUE(LockFolder(box.Folder(), kBoxFolderLockName).Held());
}

TEST_F(ConvertCommandsTest, TheConversionWindowsCancelStopsPlayWithNothingLeftBehind) {
    // The real windows: messages reach the conversion window, and its Cancel
    // button is pressed once the decoder has begun.
    QtProgress progress;
    QtPump qtPump;
    int barMoves = 0;
    bool pressed = false;
    class PressingPump final : public Pump {
    public:
        std::function<void()> step;
        void DispatchOne() override { step(); }
    } pump;
    pump.step = [&] {
        qtPump.DispatchOne();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = dynamic_cast<CWavConvDlg*>(w); dialog && dialog->isVisible()) {
                barMoves += dialog->Bar()->value() > 0;
                const bool decoding = std::any_of(fs::directory_iterator(local), fs::directory_iterator(),
                                                  [](const auto& e) { return e.path().filename().c_str()[0] == '.'; });
                if (decoding && !pressed) {
                    pressed = true;
                    dialog->CancelButton()->click();
                }
            }
    };
    ScopedPorts scope{Ports{nullptr, &progress, &pump, nullptr, nullptr, nullptr, nullptr}};

    const fs::path message = messages.back();
    ASSERT_TRUE(select(message));
    frame->OnCommand(cmd::kPlay);
    EXPECT_TRUE(pressed);
    EXPECT_TRUE(ports.shell.opened.empty());
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_EQ(testkit::PlayedMarkOf(message), 0);
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(local))
        if (e.path().extension() != ".vmdat") left.push_back(e.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{});
    EXPECT_TRUE(frame->isEnabled());
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_FALSE(dynamic_cast<CWavConvDlg*>(w) && w->isVisible());
    // The bar moved before the press.
    EXPECT_GT(barMoves, 0);
}

TEST_F(ConvertCommandsTest, FilesPlayedWhileConvDelWasOnGoAtExitEvenAfterItIsTurnedOff) {
    frame->OnCommand(cmd::kToggleConvDel);
    ASSERT_EQ(frame->Settings().convDel, 1);
    ASSERT_TRUE(select(messages[0]));
    frame->OnCommand(cmd::kPlay);
    frame->OnCommand(cmd::kPlay);  // played twice, listed twice
    frame->OnCommand(cmd::kToggleConvDel);
    ASSERT_EQ(frame->Settings().convDel, 0);
    ASSERT_TRUE(select(messages[1]));
    frame->OnCommand(cmd::kPlay);
    ASSERT_EQ(ports.shell.opened.size(), 3u);
    ASSERT_TRUE(fs::exists(wavOf(messages[0])));

    ASSERT_TRUE(frame->close());
    EXPECT_FALSE(fs::exists(wavOf(messages[0])));
    EXPECT_TRUE(fs::exists(wavOf(messages[1])));
    for (const fs::path& m : messages) EXPECT_TRUE(fs::exists(m));
}

TEST_F(ConvertCommandsTest, APlayerThatCannotStartIsReportedAndTheMessageStaysUnplayed) {
    ports.shell.starts = false;
    ASSERT_TRUE(select(messages[0]));
    frame->OnCommand(cmd::kPlay);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(ports.prompt.shown[0].text, convert::kNoPlayer);
    EXPECT_EQ(ports.prompt.shown[0].caption, convert::kErrorCaption);
    EXPECT_EQ(testkit::PlayedMarkOf(messages[0]), 0);
    EXPECT_EQ(playedInList(messages[0]), 0);
}

}  // namespace
}  // namespace plova::ui
