// Button 1015 and its dialogs, offscreen, against the simulator: the kind
// dialog as a person meets it, and a deletion from a list window through to
// the disks on both sides.
#include <gtest/gtest.h>

#include <QProgressBar>
#include <QPushButton>

#include "app/ui/testing/SimFrameFixture.h"
#include "download/DownloadMng.h"
#include "lists/MessageDeletion.h"
#include "lists/ui/commands/CDelKindSetDlg.h"
#include "lists/ui/commands/CPrgMsgDelDlg.h"

namespace plova::ui {
namespace {
namespace fs = std::filesystem;

TEST(CPrgMsgDelDlgTest, TheBarStepsAndEndsFullWithoutCancel) {
    CPrgMsgDelDlg window;
    EXPECT_EQ(window.windowTitle(), QStringLiteral("消去中"));
    window.SetRange(6);
    for (int i = 0; i < 8; ++i) window.Advance();
    EXPECT_EQ(window.Bar()->value(), 6) << "extra files stop at the end of the bar";
    window.SetRange(3);
    window.Advance();
    EXPECT_EQ(window.Bar()->value(), 1);
    window.Finish();
    EXPECT_EQ(window.Bar()->value(), 3);
    EXPECT_TRUE(window.findChildren<QPushButton*>().isEmpty());
}

class DeleteDialogsTest : public SimFrameFixture {
protected:
    DeleteDialogsTest() : SimFrameFixture("ui-delete") {}
    void SetUp() override {
        sim::SeedOptions seed;
        seed.answeringBoxes = {"0001"};
        seed.extensionBoxes = {"2001"};
        seed.emptyExtensionBoxes = {};
        seed.messagesPerBox = 4;
        seed.responseNumbers = {1};
        seed.maxSeconds = 4;
        seed.now = LocalTime{2026, 12, 7, 1, 10, 0, 0, 0};
        startUnit(seed);
        for (const char* rel : {"rusuroku/0001", "naisen/2001", "outou"}) fs::create_directories(box(rel));
    }
    // Box 0001 downloaded whole, a list window over it, and `count` of its
    // unprotected rows selected; their files.
    std::vector<fs::path> selectInBox0001(std::size_t count) {
        CFtpMng* ftp = frame->Ftp();
        EXPECT_NE(ftp, nullptr);
        int handled = 0, listed = 0;
        DownloadMng downloader(*ftp, {});
        EXPECT_EQ(downloader.DownloadBox(u"/rusuroku/0001", box("rusuroku/0001"), handled, listed), DownloadResult::Ok);
        view = openAnsweringBox(QStringLiteral("0001"));
        if (view == nullptr) return {};
        rowsBefore = view->Data().RowCount();
        std::vector<int> rows;
        std::vector<fs::path> files;
        for (int r = 0; r < rowsBefore && rows.size() < count; ++r) {
            if (view->Data().RecordOfRow(r).isProtected != 0) continue;
            rows.push_back(r);
            files.push_back(view->Data().RecordOfRow(r).Path());
        }
        view->SelectRows(rows);
        return files;
    }
    // Presses the kind button `kind` and answers its confirmation Yes.
    void chooseKind(int kind) {
        answer = [kind, this](QDialog& d) -> int {
            auto* dialog = dynamic_cast<CDelKindSetDlg*>(&d);
            if (!dialog) return QDialog::Rejected;
            ports.prompt.Queue(Answer::Yes);
            QPushButton* buttons[] = {dialog->MainUnitButton(), dialog->BothButton(), dialog->PcButton()};
            buttons[kind]->click();
            return dialog->result();
        };
    }
    // The main unit's ".vminf" of a local message.
    [[nodiscard]] fs::path remote(const fs::path& local) const {
        fs::path p = dir / "unit" / fs::relative(local, dir / "pc" / "demo");
        return p.replace_extension(".vminf");
    }

    CListDispView* view = nullptr;
    int rowsBefore = 0;
};

TEST_F(DeleteDialogsTest, TheMainUnitKindsWaitForTheLoginAndEachKindAsksFirst) {
    make();
    frame->Session().Logout();
    CDelKindSetDlg dialog(*frame);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("音声メッセージ消去"));
    EXPECT_TRUE(dialog.CancelButton()->isDefault());
    EXPECT_FALSE(dialog.MainUnitButton()->isEnabled());
    EXPECT_FALSE(dialog.BothButton()->isEnabled());
    EXPECT_TRUE(dialog.PcButton()->isEnabled());
    EXPECT_TRUE(dialog.LoginCheckTimer().isActive());
    EXPECT_EQ(dialog.LoginCheckTimer().interval(), 1000);

    logIn();
    dialog.OnLoginCheck();
    EXPECT_TRUE(dialog.MainUnitButton()->isEnabled());
    EXPECT_TRUE(dialog.BothButton()->isEnabled());

    // "No" leaves the dialog open with no kind.
    ports.prompt.Queue(Answer::No);
    dialog.BothButton()->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Rejected));
    EXPECT_EQ(dialog.Kind(), -1);
    ASSERT_EQ(ports.prompt.shown.size(), 1u);
    EXPECT_EQ(testkit::Utf8(ports.prompt.shown[0].text), "消去します。よろしいですか？");
    EXPECT_EQ(testkit::Utf8(ports.prompt.shown[0].caption), "消去の確認");
    EXPECT_EQ(ports.prompt.shown[0].icon, Icon::Question);
    EXPECT_EQ(ports.prompt.shown[0].buttons, Buttons::YesNo);
    // "Yes" closes it with that kind.
    ports.prompt.Queue(Answer::Yes);
    dialog.BothButton()->click();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.Kind(), del::kKindBoth);
}

// A prompt that notes whether the dialog's backup timer ran while it asked.
class TimerWatchingPrompt final : public Prompt {
public:
    explicit TimerWatchingPrompt(const CDelKindSetDlg& dialog) : dialog_(dialog) {}
    Answer Show(const std::u16string&, const std::u16string&, Icon, Buttons) override {
        timerRanDuringQuestion = timerRanDuringQuestion || dialog_.DialogBackupTimerActive();
        ++questions;
        return answer;
    }
    Answer answer = Answer::No;
    bool timerRanDuringQuestion = false;
    int questions = 0;

private:
    const CDelKindSetDlg& dialog_;
};

TEST_F(DeleteDialogsTest, TheBackupTimerRestsWhileAKindIsConfirmed) {
    make();
    frame->Backup().watch = true;
    CDelKindSetDlg dialog(*frame);
    dialog.show();
    ASSERT_TRUE(dialog.DialogBackupTimerActive());
    TimerWatchingPrompt watching(dialog);
    Ports replaced = plova::CurrentPorts();
    replaced.prompt = &watching;
    ScopedPorts scope(replaced);

    dialog.PcButton()->click();  // "No": the dialog stays, and so does its timer
    EXPECT_EQ(watching.questions, 1);
    EXPECT_FALSE(watching.timerRanDuringQuestion);
    EXPECT_EQ(dialog.Kind(), -1);
    EXPECT_TRUE(dialog.DialogBackupTimerActive());

    watching.answer = Answer::Yes;
    dialog.PcButton()->click();
    EXPECT_FALSE(watching.timerRanDuringQuestion);
    EXPECT_EQ(dialog.Kind(), del::kKindPc);
    EXPECT_FALSE(dialog.DialogBackupTimerActive());
}

TEST_F(DeleteDialogsTest, Button1015DeletesOnBothSidesAndTheListFollowsTheDisk) {
    make();
    const std::vector<fs::path> files = selectInBox0001(2);
    ASSERT_EQ(files.size(), 2u);
    const int before = rowsBefore;

    // A cancelled dialog deletes nothing.
    dialogs.clear();
    frame->OnCommand(cmd::kErase);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("音声メッセージ消去")});
    EXPECT_EQ(view->Data().RowCount(), before);
    for (const fs::path& f : files) EXPECT_TRUE(fs::exists(f));

    chooseKind(del::kKindBoth);
    frame->OnCommand(cmd::kErase);
    EXPECT_EQ(shownTexts().back(), "音声メッセージの消去が正常に完了しました。");
    EXPECT_EQ(view->Data().RowCount(), before - 2);
    for (const fs::path& f : files) {
        EXPECT_FALSE(fs::exists(f)) << f;
        EXPECT_FALSE(fs::exists(remote(f))) << f;
        EXPECT_FALSE(fs::exists(fs::path(remote(f)).replace_extension(".vmdat"))) << f;
    }
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_TRUE(frame->Session().LoggedIn());
}

TEST_F(DeleteDialogsTest, AFailureOnTheMainUnitLogsOutAndTheListStillShowsTheDisk) {
    make();
    const std::vector<fs::path> files = selectInBox0001(2);
    ASSERT_EQ(files.size(), 2u);
    const int before = rowsBefore;
    unit.ChangeFaults([&](sim::Faults& f) { f.failDele = {{remote(files[0]).filename().string(), 0}}; });

    chooseKind(del::kKindBoth);
    frame->OnCommand(cmd::kErase);
    EXPECT_EQ(shownTexts().back(), "通信エラーが発生しました。");
    EXPECT_FALSE(frame->Session().LoggedIn());
    EXPECT_TRUE(frame->isEnabled());
    // The PC phase ran before the failure: both rows' files are gone, and so are their rows.
    for (const fs::path& file : files) {
        EXPECT_FALSE(fs::exists(file)) << file;
        EXPECT_TRUE(fs::exists(remote(file))) << file;
    }
    EXPECT_EQ(view->Data().RowCount(), before - 2);
}

TEST_F(DeleteDialogsTest, MainUnitOnlyMarksTheRowsDeletedThere) {
    make();
    const std::vector<fs::path> files = selectInBox0001(1);
    ASSERT_EQ(files.size(), 1u);
    const fs::path file = files[0];
    const int before = rowsBefore;

    chooseKind(del::kKindMainUnit);
    frame->OnCommand(cmd::kErase);
    EXPECT_EQ(shownTexts().back(), "音声メッセージの消去が正常に完了しました。");
    EXPECT_FALSE(fs::exists(remote(file)));
    ASSERT_EQ(view->Data().RowCount(), before);
    int marked = 0;
    for (int r = 0; r < before; ++r) {
        const FILESTS_INFO& record = view->Data().RecordOfRow(r);
        if (record.Path() == file) marked += record.downloadState == kDeletedOnMainUnit;
    }
    EXPECT_EQ(marked, 1);
}

}  // namespace
}  // namespace plova::ui
