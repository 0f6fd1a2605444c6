// The list windows inside the real main window, offscreen: opening lists
// through the open dialog, the four-list limit, closing and renumbering, the
// flag cell, the sort header, the displays, the voice data of chosen rows,
// and the restore at the next start.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/FtpMainUnitSession.h"
#include "app/ui/CEndChkDlg.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CommandBar.h"
#include "app/ui/testing/ListFrameFixture.h"
#include "folders/ui/CBoxFldNameChgDlg.h"
#include "folders/ui/CFolderChgDlg.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CChildFrame.h"
#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CFolderListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/testing/TypeIntoList.h"
#include "platform/IniFile.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "sim/testing/SimUnit.h"
#include "store/CFileMng.h"
#include "store/RecordingEdit.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;
using Names = std::vector<QString>;

class ListWindowsTest : public testkit_ui::ListFrameFixture {
protected:
    void SetUp() override { addSampleBoxFolder(); }

    void exitSavingSettings() {
        answer = [](QDialog& d) -> int {
            if (auto* end = dynamic_cast<CEndChkDlg*>(&d)) end->YesButton()->click();
            return d.result();
        };
        ASSERT_TRUE(frame->close());
        answer = nullptr;
    }
};

TEST_F(ListWindowsTest, OpensUpToFourListsAndRefusesAFifth) {
    make();
    ASSERT_EQ(frame->FolderDisplayText(), testkit::FolderDisplayOf(box.Folder()));
    ASSERT_EQ(open({"0001"}), QDialog::Accepted);
    ASSERT_EQ(views().size(), 1u);
    EXPECT_EQ(frame->OpenListCount(), 1);
    EXPECT_EQ(active()->ListNumber(), 1);
    EXPECT_EQ(active()->Data().RowCount(), 3);
    EXPECT_EQ(frame->MdiArea()->currentSubWindow()->windowTitle(), QStringLiteral("留守録BOX：0001"));
    EXPECT_EQ(frame->BoxDisplayText(), u" 留守録BOX：0001");
    EXPECT_TRUE(frame->StatusText().contains(QStringLiteral("ﾎﾞｯｸｽﾄｰﾀﾙ 3  一覧表ﾄｰﾀﾙ 3  未再生 2  再生済 1")))
        << frame->StatusText().toStdString();

    // Box 0001 is shown already: "2", untouched by "全選択".
    ASSERT_EQ(open({}, {}, false,
                   [](CBoxOpenDlg& d) {
                       CCheckListCtrl* list = d.AnsweringList();
                       ASSERT_EQ(list->rowCount(), 3);
                       EXPECT_EQ(list->Value(0), QStringLiteral("2"));
                       d.Button(boxopen::kAnsweringAll)->click();
                       EXPECT_EQ(list->Value(0), QStringLiteral("2"));
                       EXPECT_EQ(list->Value(1), QStringLiteral("1"));
                       list->Toggle(0);
                       EXPECT_EQ(list->Value(0), QStringLiteral("2"));
                       EXPECT_TRUE(d.ResponseRadio()->isEnabled());
                   }),
              QDialog::Accepted);
    EXPECT_EQ(frame->Settings().disp[1], u"留守録BOX：0002,0003");

    // Nothing ticked: refused with its message, nothing opened.
    EXPECT_EQ(open({}), QDialog::Rejected);
    EXPECT_EQ(lastMessage(), u"BOXが選択されていません。");
    EXPECT_EQ(views().size(), 2u);

    ASSERT_EQ(open({}, {"2001"}), QDialog::Accepted);
    EXPECT_EQ(frame->Settings().disp[2], u"内線BOX：2001");
    ASSERT_EQ(open({}, {}, true), QDialog::Accepted);
    EXPECT_EQ(frame->Settings().disp[3], u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");
    ASSERT_EQ(views().size(), 4u);
    EXPECT_EQ(frame->OpenListCount(), 4);

    const SlotTexts before = frame->Settings().disp;
    EXPECT_EQ(open({}, {}, false,
                   [](CBoxOpenDlg& d) {
                       // Everything is shown: every box "2", the response list open.
                       EXPECT_FALSE(d.ResponseRadio()->isEnabled());
                       EXPECT_EQ(d.ExtensionList()->Value(0), QStringLiteral("2"));
                       d.AnsweringList()->item(0, 0)->setText(QStringLiteral("1"));
                   }),
              QDialog::Rejected);
    EXPECT_EQ(lastMessage(), u"開ける一覧表が上限に達しています。");
    EXPECT_EQ(frame->Settings().disp, before);
    EXPECT_EQ(views().size(), 4u);
    EXPECT_EQ(frame->OpenListCount(), 4);
}

TEST_F(ListWindowsTest, ClosingListTwoOfThreeRenumbersTheThird) {
    make();
    open({"0001"});
    open({"0002"});
    open({}, {"2001"});
    ASSERT_EQ(views().size(), 3u);
    CChildFrame* third = nullptr;
    QMdiSubWindow* second = nullptr;
    for (QMdiSubWindow* w : frame->MdiArea()->subWindowList()) {
        CListDispView* v = ChildFrameOf(w)->View();
        if (v->ListNumber() == 3) third = ChildFrameOf(w);
        if (v->ListNumber() == 2) second = w;
    }
    ASSERT_TRUE(third && second);
    second->close();
    QCoreApplication::processEvents();

    ASSERT_EQ(views().size(), 2u);
    EXPECT_EQ(frame->OpenListCount(), 2);
    EXPECT_EQ(third->View()->ListNumber(), 2);
    EXPECT_EQ(third->windowTitle(), QStringLiteral("内線BOX：2001"));
    EXPECT_EQ(frame->Settings().disp[1], u"内線BOX：2001");
    EXPECT_EQ(frame->Settings().disp[2], u"");
    EXPECT_EQ(frame->Settings().folderNames[2], u"");
    // A later rebuild reads slot 2.
    third->View()->Refresh(true);
    EXPECT_EQ(third->View()->Data().RowCount(), 1);
    EXPECT_EQ(third->View()->Data().Source().definition, u"内線BOX：2001");

    // The last window gone: the box display and the enable flags clear.
    frame->MdiArea()->closeAllSubWindows();
    QCoreApplication::processEvents();
    EXPECT_EQ(frame->OpenListCount(), 0);
    EXPECT_EQ(frame->BoxDisplayText(), u"");
    EXPECT_EQ(frame->Settings().disp, SlotTexts{});
    EXPECT_FALSE(frame->ListFlags().undownloaded);
}

TEST_F(ListWindowsTest, OpenListsFollowTheirRenamedBoxFolders) {
    make();
    open({"0001", "0002"});
    open({"0003"});
    open({}, {"2001"});
    const std::vector<int> rowsBefore{views()[0]->Data().RowCount(), views()[2]->Data().RowCount()};
    ASSERT_EQ(run<CBoxFldNameChgDlg>(cmd::kRenameBoxFolder,
                                     [&](CBoxFldNameChgDlg& dialog) {
                                         testkit_ui::TypeInto(*dialog.AnsweringList(), 0, QStringLiteral("営業,1"));
                                         testkit_ui::TypeInto(*dialog.ExtensionList(), 0, QStringLiteral("2009"));
                                         ports.prompt.Queue(Answer::Yes);
                                         dialog.OnOK();
                                     }),
              QDialog::Accepted);
    ASSERT_TRUE(fs::is_directory(box.Folder() / "rusuroku" / u"営業,1"));

    EXPECT_EQ(frame->Settings().disp[0], u"留守録BOX：営業?1,0002");
    EXPECT_EQ(frame->Settings().disp[1], u"留守録BOX：0003");
    EXPECT_EQ(frame->Settings().disp[2], u"内線BOX：2009");
    for (QMdiSubWindow* w : frame->MdiArea()->subWindowList()) {
        const int number = ChildFrameOf(w)->View()->ListNumber();
        EXPECT_EQ(w->windowTitle().toStdU16String(), frame->Settings().disp[number - 1]);
    }
    EXPECT_EQ((std::vector<int>{views()[0]->Data().RowCount(), views()[2]->Data().RowCount()}), rowsBefore)
        << "the messages are shown from the box's new folder";
    EXPECT_EQ(frame->BoxDisplayText(), u" 内線BOX：2009") << "the active list's boxes";
}

TEST_F(ListWindowsTest, AFolderChangeClosesTheListsOfOtherFoldersOnly) {
    testkit::BoxFolderBuilder branch{dir / "root", "branch"};
    branch.Add("rusuroku", "0001", "202612010900");
    branch.Add("naisen", "2001", "202612010900");
    fs::create_directories(branch.Folder() / "outou");
    make();
    open({"0001"});
    open({"0002"});
    ASSERT_EQ(views().size(), 2u);
    auto change = [&](const QString& name) {
        return run<CFolderChgDlg>(cmd::kFolderChange, [&](CFolderChgDlg& d) {
            for (int row = 0; row < d.FolderList()->rowCount(); ++row)
                if (d.FolderList()->item(row, 0)->text() == name) d.FolderList()->selectRow(row);
            d.OnChange();
        });
    };
    // Whatever name the settings held meanwhile, opening the lists' own
    // folder keeps them.
    frame->Settings().folderName = u"branch";
    ASSERT_EQ(change(QStringLiteral("office")), QDialog::Accepted);
    EXPECT_EQ(views().size(), 2u);
    EXPECT_EQ(frame->Settings().folderName, u"office");
    EXPECT_EQ(frame->OpenListCount(), 2);

    ASSERT_EQ(change(QStringLiteral("branch")), QDialog::Accepted);
    QCoreApplication::processEvents();
    EXPECT_TRUE(views().empty());
    EXPECT_EQ(frame->OpenListCount(), 0);
    EXPECT_EQ(frame->Settings().folderName, u"branch");
    EXPECT_TRUE(frame->FolderDisplayText().ends_with(u"branch"));
    EXPECT_EQ(frame->BoxDisplayText(), u"");

    // The folder of the list made active is the open folder.
    open({"0001"});
    open({}, {}, true);
    frame->Settings().folderName = u"office";
    frame->MdiArea()->setActiveSubWindow(frame->MdiArea()->subWindowList().front());
    EXPECT_EQ(active()->ListNumber(), 1);
    EXPECT_EQ(frame->Settings().folderName, u"branch");
}

TEST_F(ListWindowsTest, AListThatGainsItsFirstRowsSizesItsColumnsToThem) {
    make();
    fs::create_directories(box.Folder() / "rusuroku" / "0004");
    ASSERT_EQ(open({"0004"}), QDialog::Accepted);
    ASSERT_EQ(active()->Data().RowCount(), 0);
    box.Add("rusuroku", "0004", "202612080900", "vmdat", kUnplayedOnMainUnit, u"長い相手名称の見本です");
    frame->OnCommand(cmd::kShowAll);
    ASSERT_EQ(active()->Data().RowCount(), 1);
    const QFontMetrics font(active()->List()->font());
    for (int column : {6, 7}) {  // 相手名称, 日時
        const QString cell = QString::fromStdU16String(active()->Data().Cell(0, column));
        EXPECT_GE(active()->List()->columnWidth(column), font.horizontalAdvance(cell)) << column;
    }
}

TEST_F(ListWindowsTest, TheResponseListRefitsItsColumnsAtEveryRefresh) {
    make();
    open({}, {}, true);
    CListDispView* view = active();
    ASSERT_TRUE(view->IsSystemResponseList());
    constexpr int kNameColumn = 4;
    // Message 005 is renamed to a much longer name, as an edit or an Add does.
    const fs::path five = view->Data().RecordOfRow(4).Path();
    FILESTS_INFO record;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(five, record));
    record.partyName = u"とても長いシステム応答メッセージの名称";
    ASSERT_EQ(CFileMng::WriteStatusRecord(record, five), store::RecordWrite::Written);
    const QFontMetrics font(view->List()->font());
    const int wanted = font.horizontalAdvance(QString::fromStdU16String(record.partyName));
    ASSERT_LT(view->List()->columnWidth(kNameColumn), wanted);
    view->Refresh(true);
    EXPECT_EQ(view->Data().Cell(4, kNameColumn), record.partyName);
    EXPECT_GE(view->List()->columnWidth(kNameColumn), wanted);
}

// Dark pixels in the last 16 pixels of a header section, as shown.
int darkPixelsAtRightOf(QHeaderView* header, int column) {
    const QImage shot = header->grab().toImage();
    const int right = header->sectionViewportPosition(column) + header->sectionSize(column) - 2;
    int dark = 0;
    for (int x = right - 16; x < right; ++x)
        for (int y = 0; y < shot.height(); ++y) dark += qGray(shot.pixel(x, y)) < 110;
    return dark;
}

TEST_F(ListWindowsTest, FlagClickHeaderSortKeysAndDisplays) {
    make();
    open({"0001", "0002"});
    CListDispView* view = active();
    ASSERT_NE(view, nullptr);
    CDataListCtrl* list = view->List();
    ASSERT_EQ(view->Data().RowCount(), 5);
    // The default order: box 0001 newest first, then box 0002.
    EXPECT_EQ(view->Data().Cell(0, 7), u"2026/12/03 09:00");
    EXPECT_EQ(view->Data().Cell(3, 4), u"0002");
    EXPECT_EQ(list->Header()->PictureColumn(), -1);

    // A click on a flag cell writes the flag into that row's file.
    const QRect cell = list->visualRect(list->model()->index(0, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(view->Data().Cell(0, 0), u" 1 ");
    FILESTS_INFO onDisk;
    ASSERT_TRUE(CFileMng::ReadStatusRecord(view->Data().RecordOfRow(0).Path(), onDisk));
    EXPECT_EQ(onDisk.flag, 1);
    EXPECT_EQ(view->SelectedRows(), std::vector<int>{0});
    EXPECT_TRUE(frame->ListFlags().play);

    // A header click sorts by that column, keeps the selected record and shows the picture.
    const int recordOfSelected = view->SelectedRecords().front();
    QHeaderView* header = list->horizontalHeader();
    const int unsortedDate = darkPixelsAtRightOf(header, 7);
    const QPoint dateHeader(header->sectionViewportPosition(7) + header->sectionSize(7) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, dateHeader);
    EXPECT_EQ(view->Data().Cell(0, 7), u"2026/12/01 09:00");
    EXPECT_EQ(list->Header()->PictureColumn(), 7);
    EXPECT_TRUE(list->Header()->PictureAscending());
    // The picture is on the screen, at the right end of that header.
    EXPECT_GT(darkPixelsAtRightOf(header, 7), unsortedDate + 10);
    EXPECT_EQ(view->SelectedRecords(), std::vector<int>{recordOfSelected});
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, dateHeader);
    EXPECT_FALSE(list->Header()->PictureAscending());
    EXPECT_EQ(view->Data().Cell(0, 7), u"2026/12/05 09:00");

    // Keys as a table has them: Ctrl+A selects every row, End goes to the last.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->SelectedRows().size(), 5u);
    EXPECT_TRUE(frame->ListFlags().moveCopy);
    EXPECT_FALSE(frame->ListFlags().play);
    QTest::keyClick(list, Qt::Key_End);
    EXPECT_EQ(list->currentIndex().row(), 4);
    EXPECT_EQ(view->SelectedRows(), std::vector<int>{4});
    QTest::keyClick(list, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(view->SelectedRows().size(), 5u);

    // "未ﾀﾞｳﾝﾛｰﾄﾞ表示" and back with "全表示"; the box total stays.
    frame->OnIdle();
    ASSERT_TRUE(frame->Bar()->Button(cmd::kShowUndownloaded)->isEnabled());
    frame->OnCommand(cmd::kShowUndownloaded);
    EXPECT_EQ(view->Data().RowCount(), 1);
    EXPECT_EQ(view->Data().DisplayMode(), display::kNotDownloaded);
    EXPECT_TRUE(frame->StatusText().contains(QStringLiteral("ﾎﾞｯｸｽﾄｰﾀﾙ 5  一覧表ﾄｰﾀﾙ 1")))
        << frame->StatusText().toStdString();
    EXPECT_EQ(list->Header()->PictureColumn(), -1);
    // The title says the list is narrowed, and stops saying so with every row back.
    QMdiSubWindow* window = frame->MdiArea()->currentSubWindow();
    const QString definition = window->windowTitle().section(QStringLiteral(" - "), 0, 0);
    EXPECT_EQ(window->windowTitle(), definition + QStringLiteral(" - 未ﾀﾞｳﾝﾛｰﾄﾞ表示中"));
    frame->OnCommand(cmd::kShowAll);
    EXPECT_EQ(view->Data().RowCount(), 5);
    EXPECT_EQ(window->windowTitle(), definition);
}

TEST_F(ListWindowsTest, ResponseListHasThreeHundredRowsAndNoHeaderSort) {
    make();
    open({}, {}, true);
    CListDispView* view = active();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(view->IsSystemResponseList());
    EXPECT_EQ(view->List()->model()->rowCount(), 300);
    EXPECT_EQ(view->Data().Cell(4, 4), u"応答");
    EXPECT_EQ(view->Data().Cell(5, 3), u"--:--:--");
    QHeaderView* header = view->List()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(0) + 5, header->height() / 2));
    EXPECT_EQ(view->Data().Cell(0, 0), u"001");
    EXPECT_EQ(view->List()->Header()->PictureColumn(), -1);
    EXPECT_TRUE(frame->StatusText().contains(QStringLiteral("ｼｽﾃﾑ応答ﾒｯｾｰｼﾞﾄｰﾀﾙ 300  一覧表ﾄｰﾀﾙ 2")))
        << frame->StatusText().toStdString();
}

TEST_F(ListWindowsTest, TheListsAreRestoredAtTheNextStart) {
    make();
    open({"0001"});
    open({}, {}, true);
    open({}, {"2001"});
    // List 1 on top at exit.
    for (QMdiSubWindow* w : frame->MdiArea()->subWindowList())
        if (ChildFrameOf(w)->View()->ListNumber() == 1) frame->MdiArea()->setActiveSubWindow(w);
    exitSavingSettings();
    frame.reset();
    EXPECT_EQ(ReadProfileInt(ini, u"DISP", u"NUM", -1), 3);
    EXPECT_EQ(ReadProfileString(ini, u"DISP", u"DISP2"), u"ｼｽﾃﾑ応答ﾒｯｾｰｼﾞ");

    make();
    ASSERT_EQ(views().size(), 3u);
    EXPECT_EQ(frame->OpenListCount(), 3);
    ASSERT_NE(active(), nullptr);
    EXPECT_EQ(active()->ListNumber(), 1);
    EXPECT_EQ(active()->Data().RowCount(), 3);
    EXPECT_EQ(views()[1]->Data().RowCount(), 300);
    EXPECT_EQ(views()[2]->Data().RowCount(), 1);
    EXPECT_EQ(frame->BoxDisplayText(), u" 留守録BOX：0001");
    // Maximised at exit, maximised again.
    EXPECT_TRUE(frame->MdiArea()->currentSubWindow()->isMaximized());

    // One more list after the restore goes into slot 4, not beyond.
    ASSERT_EQ(open({"0002"}), QDialog::Accepted);
    EXPECT_EQ(frame->Settings().disp[3], u"留守録BOX：0002");
    EXPECT_EQ(frame->OpenListCount(), 4);
}

TEST_F(ListWindowsTest, AStoredDefinitionThatDoesNotParseOpensAnEmptyList) {
    WriteProfileInt(ini, u"DISP", u"NUM", 9);
    WriteProfileText(ini, u"DISP", u"DISP1", u"留守録BOX：0001");
    WriteProfileText(ini, u"DISP", u"FOLDERNAME1", u"office");
    WriteProfileText(ini, u"DISP", u"DISP2", u"\x7f\x01garbage:::,,,??");
    WriteProfileText(ini, u"DISP", u"FOLDERNAME2", u"office");
    WriteProfileText(ini, u"DISP", u"DISP3", u"留守録BOX：../../..");
    WriteProfileText(ini, u"DISP", u"FOLDERNAME3", u"office");
    make();
    ASSERT_EQ(views().size(), 3u);
    EXPECT_EQ(frame->OpenListCount(), 3);
    EXPECT_EQ(views()[0]->Data().RowCount(), 3);
    EXPECT_EQ(views()[1]->Data().RowCount(), 0);
    EXPECT_EQ(views()[2]->Data().RowCount(), 0);
    EXPECT_EQ(open({"0003"}), QDialog::Accepted);
    EXPECT_EQ(frame->OpenListCount(), 4);
}

TEST(ListWindowsVoice, Button1004FetchesTheVoiceOfTheSelectedRowsAndReloadsTheList) {
    testkit::TestPorts ports;
    testkit::TempFolder dir{"ui-lists-voice"};
    sim::SeedOptions seed;
    seed.answeringBoxes = {"0001"};
    seed.extensionBoxes = {};
    seed.emptyExtensionBoxes = {};
    seed.messagesPerBox = 3;
    seed.responseNumbers = {};
    seed.maxSeconds = 4;
    seed.now = LocalTime{2026, 12, 7, 1, 10, 0, 0, 0};
    testkit::SimUnit unit{dir / "unit", "qermo", "pass"};
    ASSERT_NO_FATAL_FAILURE(unit.Seed(seed));
    ASSERT_NO_FATAL_FAILURE(unit.Start());

    // The PC holds the recording information of box 0001 only.
    const fs::path local = dir / "root" / "office" / "rusuroku" / "0001";
    fs::create_directories(local);
    fs::create_directories(dir / "root" / "office" / "naisen");
    for (const auto& entry : fs::directory_iterator(dir / "unit" / "rusuroku" / "0001"))
        if (entry.path().extension() == ".vminf") {
            fs::copy_file(entry.path(), local / entry.path().filename());
            ASSERT_EQ(CFileMng::MakeStatusRecord(local / entry.path().filename()), store::RecordWrite::Written);
        }
    const fs::path ini = dir / "PLOVA.ini";
    WriteProfileText(ini, u"FOLDER", u"FOLDER", (dir / "root").u16string());
    WriteProfileText(ini, u"DISP", u"FOLDERNAME", u"office");
    WriteProfileText(ini, u"DISP", u"COLUM1", u"ファイル名");
    CMainFrame::Options options;
    options.settingsFile = ini;
    options.sessionFactory = FtpSessionFactory(unit.Port());
    CMainFrame frame(options);
    frame.SetDialogRunner([](QDialog& d) {
        auto* dialog = dynamic_cast<CBoxOpenDlg*>(&d);
        if (!dialog) return int(QDialog::Rejected);
        dialog->Button(boxopen::kAnsweringAll)->click();
        dialog->OpenButton()->click();
        return dialog->result();
    });
    frame.show();
    frame.ApplyStartup();
    frame.OnCommand(cmd::kOpenBoxes);
    CListDispView* view = frame.Lists()->ActiveView();
    ASSERT_NE(view, nullptr);
    const int rows = view->Data().RowCount();
    ASSERT_GE(rows, 1);
    EXPECT_TRUE(frame.ListFlags().undownloaded);

    // Not logged in: the button stays off and the command does nothing.
    frame.OnIdle();
    EXPECT_FALSE(frame.Bar()->Button(cmd::kDownloadVoiceData)->isEnabled());
    ASSERT_EQ(frame.Session().PressLogin({u"127.0.0.1", u"qermo", u"pass", false}), LoginPress::LoggedIn);
    frame.OnIdle();
    EXPECT_TRUE(frame.Bar()->Button(cmd::kDownloadVoiceData)->isEnabled());

    view->SelectRows({0});
    const std::u16string chosen = view->Data().RecordOfRow(0).filePath;
    ports.prompt.Queue(Answer::Yes);  // the confirmation
    frame.OnCommand(cmd::kDownloadVoiceData);
    ASSERT_FALSE(ports.prompt.shown.empty());
    EXPECT_EQ(ports.prompt.shown.back().text, u"ファイルのダウンロードが正常に完了しました。");
    fs::path voice = fs::path(ToUtf8(chosen));
    voice.replace_extension(".vmdat");
    EXPECT_TRUE(fs::exists(voice));
    // The list was built again: the row now names its voice data.
    int withVoice = 0;
    for (int row = 0; row < view->Data().RowCount(); ++row)
        withVoice += view->Data().RecordOfRow(row).filePath.ends_with(u".vmdat");
    EXPECT_EQ(view->Data().RowCount(), rows);
    EXPECT_EQ(withVoice, 1);
    frame.Session().Logout();
}

}  // namespace
}  // namespace plova::ui
