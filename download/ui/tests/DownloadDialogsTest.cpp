// The download dialogs and buttons 1001 to 1003, offscreen, against the
// simulator: what a person clicks, what arrives, what is shown.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <fstream>

#include "app/CommandTable.h"
#include "app/FtpMainUnitSession.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/testing/SimFrameFixture.h"
#include "download/ui/CDownKindSetDlg.h"
#include "download/ui/CFolderDwnDlg.h"
#include "download/ui/CFolderNmChg.h"
#include "download/ui/CSelDownDlg.h"
#include "download/ui/PrgDownDlg.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "platform/ui/PathText.h"
#include "sim/MainUnitServer.h"
#include "sim/SeedMainUnit.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace {
namespace fs = std::filesystem;

TEST(PrgDownDlgTest, TheProgressProtocolMovesBarAndCounter) {
    struct Step {
        int message;
        long long wparam;
        int bar;
        int range;
        const char* counter;
    };
    PrgDownDlg window(PrgDownDlg::Kind::Files);
    window.SetTotals(3, 100);
    const Step steps[] = {
        {msg::kBarRange, 40, 0, 40, "0／3"},      {msg::kBarPosition, 12, 12, 40, "0／3"},
        {msg::kBarPosition, -1, 40, 40, "0／3"},  {msg::kBarPosition, 99, 40, 40, "0／3"},
        {msg::kNextItem, 0, 0, 40, "1／3"},       {msg::kBarRange, 0, 0, 100, "1／3"},
        {msg::kStatusConvert, 0, 0, 100, "1／3"}, {msg::kNextItem, 0, 0, 100, "2／3"},
        {msg::kNextItem, 0, 0, 100, "3／3"},      {msg::kNextItem, 0, 0, 100, "3／3"},
    };
    for (const Step& s : steps) {
        window.OnMessage(s.message, s.wparam);
        EXPECT_EQ(window.Bar()->value(), s.bar) << s.message << " " << s.wparam;
        EXPECT_EQ(window.Bar()->maximum(), s.range) << s.message;
        EXPECT_EQ(window.CounterLabel()->text(), QString::fromUtf8(s.counter)) << s.message;
    }
    EXPECT_EQ(window.StatusLabel()->text(), QStringLiteral("ＷＡＶファイルに変換中です。"));
    window.OnMessage(msg::kStatusDownload, 0);
    EXPECT_EQ(window.StatusLabel()->text(), QStringLiteral("ファイルをダウンロード中です。"));

    // Counter mode of the information-only download: the bar follows the count.
    window.SetTotals(2, 2);
    window.OnMessage(msg::kCounterStep, 100);
    window.OnMessage(msg::kCounterStep, 100);
    EXPECT_EQ(window.Bar()->value(), 1);
    EXPECT_EQ(window.CounterLabel()->text(), QStringLiteral("1／2"));

    testkit::TestPorts ports;
    window.CancelButton()->click();
    EXPECT_TRUE(ports.cancel.IsSet());
}

class DownloadDialogsTest : public SimFrameFixture {
protected:
    DownloadDialogsTest() : SimFrameFixture("ui-download") {}
    void SetUp() override {
        sim::SeedOptions seed;
        seed.answeringBoxes = {"0001", "0002"};
        seed.extensionBoxes = {"2001"};
        seed.emptyExtensionBoxes = {};
        seed.messagesPerBox = 2;
        seed.responseNumbers = {1, 2};
        seed.maxSeconds = 4;
        seed.now = LocalTime{2026, 12, 7, 1, 10, 0, 0, 0};
        startUnit(seed);
    }
    void makeBoxFolders() {
        for (const char* rel : {"rusuroku/0001", "rusuroku/0002", "naisen/2001", "outou"})
            fs::create_directories(box(rel));
    }
};

TEST_F(DownloadDialogsTest, BatchDownloadFromButton1002) {
    makeBoxFolders();
    make();
    // A list open on the still empty box shows what the download brings.
    CListDispView* view = openAnsweringBox(QStringLiteral("0001"));
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Data().RowCount(), 0);
    dialogs.clear();
    ports.prompt.Queue(Answer::Yes);
    answer = [](QDialog& d) {
        auto* kind = dynamic_cast<CDownKindSetDlg*>(&d);
        if (!kind || !kind->FullButton()->isEnabled()) return int(QDialog::Rejected);
        kind->FullButton()->click();
        return kind->result();
    };
    frame->OnCommand(cmd::kDownloadAll);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("ダウンロード種別")});
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"demoにダウンロードします。\nよろしいですか？",
                                                      "ファイルのダウンロードが正常に完了しました。"}));
    EXPECT_EQ(CFileMng::CountMessages(box("rusuroku/0001")),
              CFileMng::CountMessages(dir / "unit" / "rusuroku" / "0001"));
    EXPECT_GT(CFileMng::CountMessages(box("outou")), 0);
    EXPECT_EQ(view->Data().RowCount(), CFileMng::CountMessages(box("rusuroku/0001")));
    EXPECT_TRUE(frame->isEnabled());
    EXPECT_TRUE(frame->Session().LoggedIn());
}

TEST_F(DownloadDialogsTest, KindButtonsWaitForTheLoginAndNoMeansNothingIsFetched) {
    makeBoxFolders();
    make(false);
    CDownKindSetDlg dialog(*frame);
    EXPECT_FALSE(dialog.FullButton()->isEnabled());
    EXPECT_FALSE(dialog.InfoButton()->isEnabled());
    ASSERT_EQ(frame->Session().PressLogin({u"127.0.0.1", u"qermo", u"pass", false}), LoginPress::LoggedIn);
    dialog.OnLoginCheck();
    EXPECT_TRUE(dialog.FullButton()->isEnabled());
    ports.prompt.Queue(Answer::No);
    dialog.InfoButton()->click();
    EXPECT_EQ(CFileMng::CountMessages(box("rusuroku/0001")), 0);
}

TEST_F(DownloadDialogsTest, SelectiveDownloadFetchesOnlyTheTickedBoxes) {
    makeBoxFolders();
    make();
    CSelDownDlg dialog(*frame);
    ASSERT_TRUE(dialog.HasBoxes());
    EXPECT_EQ(dialog.AnsweringList()->count(), 2);
    dialog.InfoButton()->click();
    EXPECT_EQ(shownTexts().back(), "選択されていません。");

    dialog.ExtensionList()->item(0)->setCheckState(Qt::Checked);
    ports.prompt.Queue(Answer::Yes);
    dialog.InfoButton()->click();
    EXPECT_EQ(shownTexts().back(), "ファイルのダウンロードが正常に完了しました。");
    EXPECT_GT(CFileMng::CountMessages(box("naisen/2001")), 0);
    EXPECT_EQ(CFileMng::CountMessages(box("rusuroku/0001")), 0);
    EXPECT_EQ(CFileMng::CountMessages(box("outou")), 0);
}

TEST_F(DownloadDialogsTest, AFolderWithoutBoxesSaysSo) {
    make();
    CSelDownDlg dialog(*frame);
    EXPECT_FALSE(dialog.HasBoxes());
    EXPECT_EQ(shownTexts().back(), "フォルダにボックス情報がありません。\n確認ください。");
}

TEST_F(DownloadDialogsTest, FolderDownloadBuildsTheFolderAndOpensIt) {
    make(true, "");
    CFolderDwnDlg dialog(*frame);
    const fs::path target = dir / "pc" / "VMU2";
    dialog.SetFolderBrowser([&](const QString&) { return QString::fromStdString(target.string()); });
    dialog.OnAdd();
    ASSERT_EQ(dialog.SelectedFolder(), target);
    ports.prompt.Queue(Answer::Yes);
    dialog.DownloadButton()->click();
    EXPECT_EQ(shownTexts(), (std::vector<std::string>{"VMU2にダウンロードします。\nよろしいですか？",
                                                      "フォルダのダウンロードが正常に完了しました。"}));
    EXPECT_EQ(CFileMng::ReadMake(target / "rusuroku" / "0002"), store::kMakeComplete);
    EXPECT_TRUE(fs::is_directory(target / "naisen" / "2001"));
    EXPECT_EQ(frame->Settings().folderName, u"VMU2");

    // Renamed, and still the open folder; its open list reads the new one.
    CListDispView* list = openAnsweringBox(QStringLiteral("0002"), true);
    ASSERT_NE(list, nullptr);
    fs::create_directories(dir / "pc" / "taken");
    // A taken name is refused in the rename dialog, which stays open; cancelled, nothing changes.
    dialog.SetRenamer([](const QString& name, const fs::path& folder) {
        CFolderNmChg rename(name, folder, nullptr, nullptr);
        EXPECT_EQ(rename.NameEdit()->text(), QStringLiteral("VMU2"));
        rename.NameEdit()->setText(QStringLiteral("taken"));
        rename.OnOK();
        EXPECT_NE(rename.result(), QDialog::Accepted);
        return rename.NewName();
    });
    dialog.OnRename();
    EXPECT_EQ(shownTexts().back(), "フォルダ名が重複しています。");
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(dialog.FolderList()->currentItem()->text(0), QStringLiteral("VMU2"));
    dialog.SetRenamer([](const QString& name, const fs::path& folder) {
        CFolderNmChg rename(name, folder, nullptr, nullptr);
        rename.NameEdit()->setText(QStringLiteral("VMU3"));
        rename.OnOK();
        return rename.NewName();
    });
    dialog.OnRename();
    EXPECT_TRUE(fs::is_directory(dir / "pc" / "VMU3" / "outou"));
    EXPECT_EQ(frame->Settings().folderName, u"VMU3");
    EXPECT_EQ(frame->Settings().folderNames[0], u"VMU3");
    EXPECT_EQ(list->Data().Source().folderName, u"VMU3");
    EXPECT_TRUE(frame->FolderDisplayText().ends_with(u"VMU3"));
    // Deleted with its content after a "yes".
    ports.prompt.Queue(Answer::Yes);
    dialog.OnDelete();
    EXPECT_FALSE(fs::exists(dir / "pc" / "VMU3"));
    EXPECT_EQ(dialog.FolderList()->topLevelItemCount(), 0);
}

TEST_F(DownloadDialogsTest, AFolderDownloadOpensTheNewFolderAndClosesTheListsOfTheOldOne) {
    makeBoxFolders();
    make();
    ASSERT_NE(openAnsweringBox(QStringLiteral("0001")), nullptr);
    ASSERT_NE(openAnsweringBox(QStringLiteral("0002"), true), nullptr);
    ASSERT_EQ(frame->OpenListCount(), 2);
    CFolderDwnDlg dialog(*frame);
    // A Japanese name, from the folder chooser to the settings and back to a path.
    const std::u16string name = u"ボックス保存先";
    const fs::path target = dir / "pc" / PathOfText(name);
    dialog.SetFolderBrowser([&](const QString&) { return QsOfPath(target); });
    dialog.OnAdd();
    ports.prompt.Queue(Answer::Yes);
    dialog.DownloadButton()->click();
    ASSERT_EQ(shownTexts().back(), "フォルダのダウンロードが正常に完了しました。");
    EXPECT_TRUE(fs::is_directory(target / "rusuroku" / "0001"));
    QCoreApplication::processEvents();
    // The folder field, the lists and the next download all name the new folder.
    EXPECT_EQ(frame->Settings().folderName, name);
    EXPECT_TRUE(frame->FolderDisplayText().ends_with(name));
    EXPECT_EQ(frame->OpenListCount(), 0);
    EXPECT_TRUE(frame->Lists()->Views().empty());
    EXPECT_EQ(frame->BoxDisplayText(), u"");

    // A list of the new folder stays when that folder is downloaded again.
    ASSERT_NE(openAnsweringBox(QStringLiteral("0001"), true), nullptr);
    CFolderDwnDlg again(*frame);
    ASSERT_EQ(again.SelectedFolder(), target);
    ports.prompt.Queue(Answer::Yes);
    again.DownloadButton()->click();
    ASSERT_EQ(shownTexts().back(), "フォルダのダウンロードが正常に完了しました。");
    EXPECT_EQ(frame->OpenListCount(), 1);

    // Deleting it closes its list: the rows would name files that are gone.
    ports.prompt.Queue(Answer::Yes);
    again.OnDelete();
    QCoreApplication::processEvents();
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(frame->OpenListCount(), 0);
}

TEST_F(DownloadDialogsTest, TheFolderDownloadListsOnlyFoldersThatExist) {
    fs::create_directories(dir / "pc");
    make(true, "");
    // The settings menu takes the open folder's name from the folder field,
    // which names the root alone before any box folder is open.
    frame->OnCommand(cmd::kSettingsMenu);
    frame->CloseSettingsMenu();
    ASSERT_EQ(frame->Settings().folderName, u"pc");
    CFolderDwnDlg dialog(*frame);
    EXPECT_EQ(dialog.FolderList()->topLevelItemCount(), 0);
    EXPECT_TRUE(dialog.SelectedFolder().empty());
    // "ダウンロード" with nothing listed builds nothing.
    dialog.DownloadButton()->click();
    EXPECT_TRUE(ports.prompt.shown.empty());
    EXPECT_FALSE(fs::exists(dir / "pc" / "pc"));
}

TEST_F(DownloadDialogsTest, VoiceDataOfTheSelectedRowsFromButton1004) {
    makeBoxFolders();
    make();
    // The recording information only, then a list window over box 0001.
    CSelDownDlg selective(*frame);
    selective.AnsweringList()->item(0)->setCheckState(Qt::Checked);
    ports.prompt.Queue(Answer::Yes);
    selective.InfoButton()->click();
    ASSERT_EQ(shownTexts().back(), "ファイルのダウンロードが正常に完了しました。");
    CListDispView* view = openAnsweringBox(QStringLiteral("0001"));
    ASSERT_NE(view, nullptr);
    ASSERT_GT(view->Data().RowCount(), 0);
    std::vector<int> rows;
    for (int r = 0; r < view->Data().RowCount(); ++r) rows.push_back(r);
    view->SelectRows(rows);

    ports.prompt.Queue(Answer::Yes);
    frame->OnCommand(cmd::kDownloadVoiceData);
    EXPECT_EQ(shownTexts().back(), "ファイルのダウンロードが正常に完了しました。");
    int voice = 0;
    for (const auto& e : fs::directory_iterator(box("rusuroku/0001"))) voice += e.path().extension() == ".vmdat";
    EXPECT_EQ(voice, view->Data().RowCount());
}

}  // namespace
}  // namespace plova::ui
