// Moving, copying and editing messages from the main window, offscreen, and
// the overwrite question of a move or copy.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>

#include "app/ui/CMainFrame.h"
#include "app/ui/testing/ListFrameFixture.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CInfoEditDlg.h"
#include "lists/ui/commands/CInfoEditDlgS.h"
#include "lists/ui/commands/CMsgCopyDlg.h"
#include "lists/ui/commands/COwrMsgDlg.h"
#include "lists/ui/commands/CPrgMsgCopyDlg.h"
#include "platform/CommandIds.h"
#include "store/CFileMng.h"
#include "store/RecordingEdit.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

TEST(OwrMsgDlgTest, EachButtonGivesItsChoiceAndEscapeCancels) {
    const std::vector<std::pair<int, OverwriteChoice>> rows = {{overwrite::kYes, OverwriteChoice::Yes},
                                                               {overwrite::kAll, OverwriteChoice::All},
                                                               {overwrite::kNo, OverwriteChoice::No},
                                                               {overwrite::kCancel, OverwriteChoice::Cancel}};
    for (const auto& [id, choice] : rows) {
        COwrMsgDlg dialog(u"202612071405_abc_0001_00001.vminf", nullptr);
        EXPECT_EQ(dialog.Text()->text(),
                  QStringLiteral("このﾌｫﾙﾀﾞには既に 202612071405_abc_0001_00001.vminf ﾌｧｲﾙが存在します。"));
        dialog.Button(id)->click();
        EXPECT_EQ(dialog.Choice(), choice) << id;
    }
    COwrMsgDlg dialog(u"x.wav", nullptr);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.Choice(), OverwriteChoice::Cancel);
}

// Moving, copying and editing messages from the main window: the box choice
// with at most one box ticked, the run behind button 1016 and the list it
// leaves, the progress window's Cancel reaching the list, and the
// recording-information dialogs opened by a double click and by menu 32791.
class MessageCommandsTest : public testkit_ui::ListFrameFixture {
protected:
    void SetUp() override { addSampleBoxFolder(); }
    CListDispView* openList(bool response = false) {
        make();
        if (response)
            open({}, {}, true);
        else
            open({"0001"});
        return active();
    }
    // A downloaded message has its recording information beside its voice data.
    static void addInfoFile(const fs::path& voice) {
        fs::path info = voice;
        fs::copy_file(voice, info.replace_extension(".vminf"));
        fs::resize_file(info, store::kMinMessageFileSize);
    }
    static void clickTick(CCheckListCtrl* list, int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(list->model()->index(row, 0)).center());
    }
};

TEST_F(MessageCommandsTest, TheBoxChoiceTicksOneBoxAtMostAndNeedsOne) {
    CListDispView* view = openList();
    ASSERT_NE(view, nullptr);
    view->SelectRows({0});
    bool looked = false;
    answer = [&](QDialog& d) -> int {
        auto* dialog = dynamic_cast<CMsgCopyDlg*>(&d);
        if (!dialog) return QDialog::Rejected;
        looked = true;
        dialog->show();
        CCheckListCtrl* answering = dialog->AnsweringList();
        CCheckListCtrl* extension = dialog->ExtensionList();
        EXPECT_EQ(answering->rowCount(), 3);
        EXPECT_EQ(extension->rowCount(), 1);
        // No box: the dialog says so and stays.
        dialog->CopyButton()->click();
        EXPECT_EQ(lastMessage(), transfer::kNoBoxChosen);
        EXPECT_FALSE(dialog->result() == QDialog::Accepted);
        clickTick(answering, 1);
        clickTick(extension, 0);
        EXPECT_FALSE(answering->IsTicked(1));
        EXPECT_TRUE(extension->IsTicked(0));
        clickTick(extension, 0);  // a second click clears it again
        EXPECT_FALSE(extension->IsTicked(0));
        clickTick(answering, 1);
        ports.prompt.Queue(Answer::No);
        dialog->MoveButton()->click();  // "いいえ": nothing happens
        EXPECT_EQ(ports.prompt.shown.back().caption, transfer::kMoveQuestionCaption);
        return QDialog::Rejected;
    };
    frame->OnCommand(cmd::kMoveCopy);
    EXPECT_TRUE(looked);
    const fs::path selected = view->Data().RecordOfRow(0).Path();
    EXPECT_TRUE(fs::exists(selected));
    EXPECT_FALSE(fs::exists(box.Folder() / "rusuroku" / "0002" / selected.filename()));
}

TEST_F(MessageCommandsTest, AMoveTakesTheSelectedMessageIntoTheChosenBoxAndTheListLetsItGo) {
    // A list of the target box is open behind the one moved from.
    make();
    open({"0002"});
    CListDispView* target = active();
    const int targetRows = target->Data().RowCount();
    open({"0001"});
    CListDispView* view = active();
    ASSERT_NE(view, target);
    ASSERT_EQ(view->Data().RowCount(), 3);
    view->SelectRows({0});
    const fs::path moved = view->Data().RecordOfRow(0).Path();
    addInfoFile(moved);
    answer = [&](QDialog& d) -> int {
        auto* dialog = dynamic_cast<CMsgCopyDlg*>(&d);
        if (!dialog) return QDialog::Rejected;
        dialog->show();
        clickTick(dialog->AnsweringList(), 1);  // 0002
        dialog->MoveButton()->click();
        return dialog->result();
    };
    frame->OnCommand(cmd::kMoveCopy);

    EXPECT_EQ(lastMessage(), transfer::kMoveDone);
    EXPECT_FALSE(fs::exists(moved));
    EXPECT_TRUE(fs::exists(box.Folder() / "rusuroku" / "0002" / moved.filename()));
    EXPECT_EQ(view->Data().RowCount(), 2);
    EXPECT_EQ(target->Data().RowCount(), targetRows + 1) << "the target box's list shows the message too";
    EXPECT_TRUE(frame->isEnabled());
}

TEST_F(MessageCommandsTest, TheProgressWindowsCancelReachesTheListBetweenSteps) {
    CListDispView* view = openList();
    CPrgMsgCopyDlg progress(transfer::Mode::Copy, 6, view);
    EXPECT_EQ(progress.windowTitle(), QStringLiteral("コピー中"));
    progress.OnMessage(msg::kBarPosition, 99);
    EXPECT_EQ(progress.Bar()->value(), 6);
    progress.CancelButton()->click();
    EXPECT_FALSE(view->MoveCopyCancelRequested()) << "posted, not sent";
    QCoreApplication::processEvents();
    EXPECT_TRUE(view->MoveCopyCancelRequested());
}

TEST_F(MessageCommandsTest, ADoubleClickEditsTheTitleThatTheListThenShows) {
    CListDispView* view = openList();
    const QModelIndex cell = view->List()->model()->index(0, 2);  // not the flag cell
    const fs::path file = view->Data().RecordOfRow(0).Path();
    answer = [&](QDialog& d) -> int {
        auto* dialog = dynamic_cast<CInfoEditDlg*>(&d);
        if (!dialog) return QDialog::Rejected;
        EXPECT_TRUE(dialog->Field(infoedit::kBoxNumber)->isReadOnly());
        EXPECT_EQ(dialog->Field(infoedit::kTitle)->maxLength(), 40);
        EXPECT_EQ(dialog->Field(infoedit::kFileName)->text(),
                  QString::fromStdU16String(
                      (fs::path(u"office/rusuroku/0001") / file.filename()).make_preferred().u16string()));
        dialog->Field(infoedit::kTitle)->setText(QStringLiteral("折り返し,要"));
        dialog->accept();  // a comma is refused and the dialog stays
        EXPECT_EQ(lastMessage(), plova::infoedit::kInvalid);
        dialog->Field(infoedit::kTitle)->setText(QStringLiteral("折り返し要"));
        dialog->Radio(infoedit::kProtected)->setChecked(true);
        dialog->accept();
        return dialog->result();
    };
    bool opened = false;
    const auto edit = answer;
    answer = [&](QDialog& d) {
        opened = true;
        return edit(d);
    };
    view->SelectRows({0});
    emit view->List()->doubleClicked(cell);
    ASSERT_TRUE(opened);

    FILESTS_INFO onDisk;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(file, onDisk));
    EXPECT_EQ(onDisk.title, u"折り返し要");
    EXPECT_EQ(onDisk.isProtected, 1);
    int row = 0;
    while (row < view->Data().RowCount() && view->Data().RecordOfRow(row).Path() != file) ++row;
    ASSERT_LT(row, view->Data().RowCount());
    EXPECT_EQ(view->Data().RecordOfRow(row).title, u"折り返し要");
}

TEST_F(MessageCommandsTest, EditingAResponseMessageRenamesItInTheList) {
    CListDispView* view = openList(true);
    int row = 0;
    while (row < view->Data().RowCount() && view->Data().RecordOfRow(row).filePath.empty()) ++row;
    ASSERT_LT(row, view->Data().RowCount());
    view->SelectRows({row});
    ports.clock.Set(LocalTime{2026, 12, 8, 2, 10, 30, 0, 0});
    answer = [&](QDialog& d) -> int {
        auto* dialog = dynamic_cast<CInfoEditDlgS*>(&d);
        if (!dialog) return QDialog::Rejected;
        EXPECT_EQ(dialog->Field(infoedits::kNumber)->text(), QStringLiteral("005"));
        dialog->Field(infoedits::kName)->setText(QStringLiteral("休日案内"));
        dialog->accept();
        return dialog->result();
    };
    frame->OnCommand(cmd::kEditRecording);

    const fs::path renamed = box.Folder() / "outou" / "202612081030_TUE_A005_0000.vmdat";
    EXPECT_TRUE(fs::exists(renamed));
    EXPECT_EQ(view->Data().RecordOfRow(row).Path(), renamed);
    EXPECT_EQ(view->Data().RecordOfRow(row).partyName, u"休日案内");
}

}  // namespace
}  // namespace plova::ui
