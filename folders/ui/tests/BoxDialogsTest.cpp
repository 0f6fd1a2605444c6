// The box-folder dialogs of the settings menu and button 1008, offscreen:
// what a person types and clicks, what lands on disk, what is shown.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <fstream>

#include "app/CommandTable.h"
#include "app/ui/CMainFrame.h"
#include "folders/ui/CBoxFldNameChgDlg.h"
#include "folders/ui/CBoxNameChgDlg.h"
#include "folders/ui/CFolderChgDlg.h"
#include "folders/ui/CFolderNmChg1.h"
#include "folders/ui/CFolderSetDlg.h"
#include "folders/ui/CMakeBoxFldDlg.h"
#include "folders/ui/CWavFileDelDlg.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CEditListCtrl.h"
#include "lists/ui/CFolderListCtrl.h"
#include "lists/ui/testing/TypeIntoList.h"
#include "platform/Text.h"
#include "platform/testing/FolderNames.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "store/CFileMng.h"
#include "store/testing/MessageFiles.h"

namespace plova::ui {
namespace {
namespace fs = std::filesystem;

using testkit_ui::TypeInto;

class BoxDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* rel : {"rusuroku/101", "rusuroku/102", "naisen/201", "outou"})
            fs::create_directories(box(rel));
        fs::create_directories(dir / "pc/branch/rusuroku");
        fs::create_directories(dir / "pc/branch/naisen");
    }
    void TearDown() override { frame.reset(); }

    void make() {
        std::ofstream(ini) << "[FOLDER]\r\nFOLDER=" << (dir / "pc").string() << testkit::kSeparatorChar
                           << "\r\nINIT=0\r\n"
                           << "[DISP]\r\nFOLDERNAME=demo\r\nNUM=0\r\n";
        CMainFrame::Options o;
        o.settingsFile = ini;
        frame = std::make_unique<CMainFrame>(o);
        frame->SetDialogRunner([this](QDialog& d) {
            dialogs << d.windowTitle();
            if (!answer) return int(QDialog::Rejected);
            answer(d);
            return d.result();
        });
    }
    fs::path box(const char* rel) const { return dir / "pc" / "demo" / rel; }
    [[nodiscard]] std::vector<std::string> shown() const {
        std::vector<std::string> out;
        for (const auto& s : ports.prompt.shown) out.push_back(testkit::Utf8(s.text));
        return out;
    }

    testkit::TestPorts ports;
    testkit::TempFolder dir{"ui-boxes"};
    fs::path ini = dir / "PLOVA.ini";
    std::unique_ptr<CMainFrame> frame;
    QStringList dialogs;
    std::function<void(QDialog&)> answer;
};

TEST_F(BoxDialogsTest, BoxNamesAreCheckedConfirmedWrittenAndReported) {
    make();
    answer = [this](QDialog& d) {
        auto& dialog = dynamic_cast<CBoxNameChgDlg&>(d);
        EXPECT_EQ(dialog.AnsweringList()->model()->rowCount(), 2);
        EXPECT_EQ(dialog.ExtensionList()->Text(0, 0), QStringLiteral("201"));
        TypeInto(*dialog.AnsweringList(), 0, QStringLiteral("営業部第一課"));  // 12 bytes
        dialog.OnOK();
        EXPECT_EQ(d.result(), QDialog::Rejected);  // still open
        TypeInto(*dialog.AnsweringList(), 0, QStringLiteral("営業部第一"));
        TypeInto(*dialog.ExtensionList(), 0, QStringLiteral("総務"));
        ports.prompt.Queue(Answer::Yes);
        dialog.OnOK();
    };
    frame->OnCommand(cmd::kEditBoxNames);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("BOX名称編集")});
    EXPECT_EQ(shown(), (std::vector<std::string>{"入力値エラーです。", "登録します。よろしいですか？",
                                                 "ＢＯＸ名称の登録が完了しました。"}));
    EXPECT_EQ(CFileMng::ReadBoxName(box("rusuroku/101")), u"営業部第一");
    EXPECT_EQ(CFileMng::ReadBoxName(box("naisen/201")), u"総務");
    // Every row is written: the untouched one as an empty pair of quotes.
    EXPECT_NE(testkit::ReadFileBytes(box("rusuroku/102/inf.ini")).find("NAME=\"\""), std::string::npos);
}

TEST_F(BoxDialogsTest, AFolderWithoutBoxesIsReportedAndNoDialogShown) {
    fs::remove_all(box("rusuroku"));
    fs::remove_all(box("naisen"));
    fs::create_directories(box("rusuroku"));
    fs::create_directories(box("naisen"));
    make();
    frame->OnCommand(cmd::kEditBoxNames);
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_EQ(shown(), std::vector<std::string>{"フォルダにボックス情報がありません。\n確認ください。"});
}

TEST_F(BoxDialogsTest, BoxFolderRenamesRefuseDuplicatesAndRenameOnYes) {
    make();
    answer = [this](QDialog& d) {
        auto& dialog = dynamic_cast<CBoxFldNameChgDlg&>(d);
        TypeInto(*dialog.AnsweringList(), 0, QStringLiteral("300"));
        TypeInto(*dialog.AnsweringList(), 1, QStringLiteral("300"));
        dialog.OnOK();
        EXPECT_TRUE(fs::is_directory(box("rusuroku/101")));
        TypeInto(*dialog.AnsweringList(), 1, QStringLiteral("301"));
        ports.prompt.Queue(Answer::Yes);
        dialog.OnOK();
    };
    frame->OnCommand(cmd::kRenameBoxFolder);
    EXPECT_EQ(shown(), (std::vector<std::string>{"フォルダ名が重複しています。", "登録します。よろしいですか？",
                                                 "ボックスフォルダ名称の変更が完了しました。"}));
    EXPECT_TRUE(fs::is_directory(box("rusuroku/300")));
    EXPECT_TRUE(fs::is_directory(box("rusuroku/301")));
    EXPECT_TRUE(fs::is_directory(box("naisen/201")));
}

TEST_F(BoxDialogsTest, ANewBoxRemembersItsKindForTheNextOne) {
    make();
    bool preselectedAnswering = false;
    answer = [&](QDialog& d) {
        auto& dialog = dynamic_cast<CMakeBoxFldDlg&>(d);
        preselectedAnswering = dialog.AnsweringRadio()->isChecked();
        dialog.ExtensionRadio()->setChecked(true);
        dialog.NameEdit()->setText(QStringLiteral("201"));
        dialog.OnOK();  // taken
        dialog.NameEdit()->setText(QStringLiteral("202"));
        dialog.OnOK();
    };
    frame->OnCommand(cmd::kCreateBoxFolder);
    EXPECT_TRUE(preselectedAnswering);
    EXPECT_EQ(shown(),
              (std::vector<std::string>{"フォルダ名が重複しています。", "ボックスフォルダが作成完了しました。"}));
    EXPECT_EQ(CFileMng::ReadMake(box("naisen/202")), store::kMakeByCommand);
    answer = [&](QDialog& d) { preselectedAnswering = dynamic_cast<CMakeBoxFldDlg&>(d).AnsweringRadio()->isChecked(); };
    frame->OnCommand(cmd::kCreateBoxFolder);
    EXPECT_FALSE(preselectedAnswering);
}

TEST_F(BoxDialogsTest, WavFilesOfTheMarkedBoxesAreDeleted) {
    for (const char* f : {"rusuroku/101/a.wav", "rusuroku/101/a.vmdat", "rusuroku/101/x.wav.vmdat",
                          "rusuroku/102/b.WAV", "naisen/201/c.wma", "outou/r.wav"})
        testkit::WriteBytes(box(f), "x");
    make();
    answer = [this](QDialog& d) {
        auto& dialog = dynamic_cast<CWavFileDelDlg&>(d);
        ASSERT_EQ(dialog.AnsweringList()->rowCount(), 2);
        EXPECT_EQ(dialog.FolderEdit()->text().toStdString(), box("").parent_path().string());
        ports.prompt.Queue(Answer::No);
        dialog.OnDelete();  // "No": nothing happens, the dialog stays
        EXPECT_EQ(d.result(), QDialog::Rejected);
        dialog.ResponseRadio()->setChecked(true);
        EXPECT_FALSE(dialog.AnsweringList()->isEnabled());
        dialog.BoxRadio()->setChecked(true);
        dialog.AnsweringList()->Toggle(0);
        dialog.AllButton(1)->click();
        ports.prompt.Queue(Answer::Yes);
        dialog.OnDelete();
    };
    frame->OnCommand(cmd::kDeleteWavFiles);
    EXPECT_EQ(dialogs, QStringList{QStringLiteral("ＷＡＶファイル消去")});
    EXPECT_EQ(shown(), (std::vector<std::string>{"指定ボックスのＷＡＶファイルを消去します。\nよろしいですか？",
                                                 "指定ボックスのＷＡＶファイルを消去します。\nよろしいですか？",
                                                 "ＷＡＶファイルの消去が正常に完了しました。"}));
    EXPECT_FALSE(fs::exists(box("rusuroku/101/a.wav")));
    EXPECT_FALSE(fs::exists(box("naisen/201/c.wma")));
    for (const char* f : {"rusuroku/101/a.vmdat", "rusuroku/101/x.wav.vmdat", "rusuroku/102/b.WAV", "outou/r.wav"})
        EXPECT_TRUE(fs::exists(box(f))) << f;

    // Only the system response folder has audio left in a box folder of its own.
    ports.prompt.shown.clear();
    fs::remove(box("rusuroku/102/b.WAV"));
    answer = [this](QDialog& d) {
        auto& dialog = dynamic_cast<CWavFileDelDlg&>(d);
        EXPECT_EQ(dialog.AnsweringList()->rowCount() + dialog.ExtensionList()->rowCount(), 0);
        ports.prompt.Queue(Answer::Yes);
        dialog.OnDelete();
    };
    frame->OnCommand(cmd::kDeleteWavFiles);
    EXPECT_EQ(shown().back(), "BOXが選択されていません。");
    EXPECT_TRUE(fs::exists(box("outou/r.wav")));

    fs::remove(box("outou/r.wav"));
    dialogs.clear();
    frame->OnCommand(cmd::kDeleteWavFiles);
    EXPECT_TRUE(dialogs.isEmpty());
    EXPECT_EQ(shown().back(), "フォルダにＷＡＶファイルがありません。");
}

// The start-up folder chosen in one run is the folder the next run opens.
TEST_F(BoxDialogsTest, TheStartupFolderIsOpenedAtTheNextStart) {
    make();
    answer = [this](QDialog& d) {
        auto& dialog = dynamic_cast<CFolderSetDlg&>(d);
        EXPECT_TRUE(dialog.LastRadio()->isChecked());
        EXPECT_FALSE(dialog.ChooseButton()->isEnabled());
        dialog.SpecifiedRadio()->click();
        EXPECT_TRUE(dialog.ChooseButton()->isEnabled());
        dialog.OnOK();  // nothing specified yet
        EXPECT_EQ(d.result(), QDialog::Rejected);
        dialog.SetFolderChooser([this] { return QString::fromStdString((dir / "pc" / "branch").string()); });
        dialog.ChooseButton()->click();
        dialog.OnOK();
    };
    frame->OnCommand(cmd::kStartupFolder);
    EXPECT_EQ(shown(), std::vector<std::string>{"入力値エラーです。"});
    EXPECT_EQ(frame->Settings().change, 1);
    ASSERT_TRUE(frame->SettingsDoc().WriteAllSettings(ini));
    frame.reset();

    CMainFrame::Options o;
    o.settingsFile = ini;
    CMainFrame next(o);
    next.ApplyStartup();
    EXPECT_EQ(next.Settings().folderName, u"branch");
    EXPECT_TRUE(next.FolderDisplayText().ends_with(u"branch"));
    EXPECT_EQ(next.Settings().change, 0);
}

// A folder under another root is typed, as the chooser lists only this root's.
TEST_F(BoxDialogsTest, TheStartupFolderCanBeTypedUnderAnotherRoot) {
    make();
    const fs::path elsewhere = dir / "archive" / "2025";
    answer = [&](QDialog& d) {
        auto& dialog = dynamic_cast<CFolderSetDlg&>(d);
        dialog.SpecifiedRadio()->click();
        QLineEdit* edit = dialog.FolderEdit();
        ASSERT_TRUE(edit->isEnabled());
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("archive"));  // no full path: refused
        dialog.OnOK();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        edit->clear();
        QTest::keyClicks(edit, QString::fromStdString(elsewhere.string()));
        EXPECT_EQ(edit->text().toStdString(), elsewhere.string());
        dialog.OnOK();
    };
    frame->OnCommand(cmd::kStartupFolder);
    EXPECT_EQ(shown(), std::vector<std::string>{"入力値エラーです。"});
    EXPECT_EQ(frame->Settings().init, 1);
    EXPECT_EQ(frame->Settings().change, 1);
    EXPECT_EQ(frame->Settings().nextFolder,
              FromUtf8((dir / "archive").string()) + std::u16string(1, testkit::kSeparatorChar));
    EXPECT_EQ(frame->Settings().nextFolderName, u"2025");
}

TEST_F(BoxDialogsTest, FolderChangeOpensTheChosenFolderAndRenamesInPlace) {
    make();
    answer = [](QDialog& d) {
        auto& dialog = dynamic_cast<CFolderChgDlg&>(d);
        CFolderListCtrl& list = *dialog.FolderList();
        ASSERT_EQ(list.rowCount(), 2);
        // Without a row chosen nothing happens.
        dialog.OnChange();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        list.selectRow(0);  // "branch", which holds no message
        EXPECT_TRUE(list.item(0, 1)->text().startsWith(QStringLiteral("*")));
        dialog.OnChange();
    };
    frame->OnCommand(cmd::kFolderChange);
    EXPECT_EQ(frame->Settings().folderName, u"branch");
    EXPECT_EQ(frame->Settings().folderNames[0], u"branch");
    EXPECT_TRUE(frame->FolderDisplayText().ends_with(u"branch"));

    answer = [](QDialog& d) {
        auto& dialog = dynamic_cast<CFolderChgDlg&>(d);
        dialog.FolderList()->selectRow(0);
        dialog.SetRenamer([](const QString&, const fs::path& folder) {
            CFolderNmChg1 rename(QStringLiteral("branch"), folder, nullptr, nullptr);
            rename.NameEdit()->setText(QStringLiteral("demo"));
            rename.OnOK();  // taken
            rename.NameEdit()->setText(QStringLiteral("支店"));
            rename.OnOK();
            return rename.NewName();
        });
        dialog.OnRename();
        EXPECT_EQ(dialog.FolderList()->item(1, 0)->text(), QStringLiteral("支店"));
    };
    frame->OnCommand(cmd::kFolderChange);
    EXPECT_EQ(shown(), std::vector<std::string>{"フォルダ名が重複しています。"});
    EXPECT_TRUE(fs::is_directory(dir / u"pc/支店/rusuroku"));
    // The open folder follows its new name.
    EXPECT_EQ(frame->Settings().folderName, u"支店");
    EXPECT_TRUE(frame->FolderDisplayText().ends_with(u"支店"));
}

}  // namespace
}  // namespace plova::ui
