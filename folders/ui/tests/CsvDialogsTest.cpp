// The export and import dialogs inside the real main window, offscreen:
// the stored folder and file, the OK rule, the working state, cancel and
// failure bringing the first state back, and what each leaves on disk.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/ui/CMainFrame.h"
#include "app/ui/testing/ListFrameFixture.h"
#include "folders/ui/CExportSetDlg.h"
#include "folders/ui/CImportSetDlg.h"
#include "lists/testing/BoxFolderBuilder.h"
#include "lists/ui/CBoxOpenDlg.h"
#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "platform/IniFile.h"
#include "platform/Text.h"
#include "platform/testing/TempFolder.h"
#include "platform/testing/TestPorts.h"
#include "store/testing/MessageFiles.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

class CsvDialogsTest : public testkit_ui::ListFrameFixture {
protected:
    void SetUp() override {
        box.Add("rusuroku", "0001", "202612010900");
        box.Add("rusuroku", "0001", "202612020900", "vminf", kInfoOnly);
        box.Add("rusuroku", "0001", "202612030900");
        box.Add("naisen", "2001", "202612070900");
        CFileMng::WriteBoxName(box.Folder() / "naisen" / "2001", u"総務");
        writeFolderSettings({u"ﾌﾗｸﾞ", u"取込", u"日時"});
        WriteProfileText(ini, u"EXPORT", u"PATH", (dir / "out").u16string() + u"/");
        WriteProfileText(ini, u"EXPORT", u"Name", u"list.csv");
        fs::create_directories(dir / "out");
        make();
    }

    void openBox0001() {
        open({QStringLiteral("0001")});
        ASSERT_EQ(active()->Data().RowCount(), 3);
    }

    [[nodiscard]] std::u16string nameOf2001() const {
        return ReadProfileString(box.Folder() / "naisen" / "2001" / "inf.ini", u"INF", u"NAME");
    }
};

TEST_F(CsvDialogsTest, ExportWritesTheActiveListAndKeepsFolderAndFile) {
    openBox0001();
    const int result = run<CExportSetDlg>(cmd::kExportList, [&](CExportSetDlg& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("エクスポート設定"));
        EXPECT_EQ(d.FolderEdit()->text().toStdString(), (dir / "out").string());  // no trailing separator
        EXPECT_EQ(d.FileEdit()->text(), QStringLiteral("list.csv"));
        EXPECT_TRUE(d.OkButton()->isEnabled());
        d.FileEdit()->clear();
        EXPECT_FALSE(d.OkButton()->isEnabled());
        d.FileEdit()->setText(QStringLiteral("new.csv"));
        EXPECT_TRUE(d.OkButton()->isEnabled());
        d.OkButton()->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(FromCp932(testkit::ReadFileBytes(dir / "out" / "new.csv")),
              u"ﾌﾗｸﾞ,取込,日時\n,情報+音声(未再生),2026/12/03 09:00\n,情報のみ,2026/12/02 09:00\n"
              u",情報+音声(未再生),2026/12/01 09:00\n");
    EXPECT_EQ(lastMessage(), u"一覧表のエクスポートが正常に完了しました。");
    EXPECT_EQ(ports.prompt.shown.back().caption, u"エクスポート完了");
    EXPECT_EQ(frame->Settings().exportPath, (dir / "out").u16string());
    EXPECT_EQ(frame->Settings().exportName, u"new.csv");
}

TEST_F(CsvDialogsTest, CancelledExportKeepsTheOldFileAndTheFirstState) {
    openBox0001();
    testkit::WriteBytes(dir / "out" / "list.csv", "old");
    const int result = run<CExportSetDlg>(cmd::kExportList, [&](CExportSetDlg& d) {
        ports.pump.At(ports.pump.steps + 1, [&] {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("エクスポート中"));
            EXPECT_EQ(d.TextLabel()->text(), QStringLiteral("一覧表をエクスポート中です。"));
            EXPECT_FALSE(d.OkButton()->isEnabled());
            EXPECT_FALSE(d.ProgressBar()->isHidden());
            EXPECT_EQ(d.ProgressBar()->maximum(), 3);
            d.CancelButton()->click();  // only asks the export to stop
        });
        ports.prompt.Queue(Answer::Yes);  // overwrite
        d.OkButton()->click();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("エクスポート設定"));
        EXPECT_EQ(d.TextLabel()->text(), QStringLiteral("一覧表をCSVファイルとしてエクスポートします。"));
        EXPECT_TRUE(d.ProgressBar()->isHidden());
        EXPECT_TRUE(d.OkButton()->isEnabled());
        EXPECT_EQ(d.result(), 0);

        // A name without ".csv": the error, and the dialog stays as it was.
        d.FileEdit()->setText(QStringLiteral("list.txt"));
        d.OkButton()->click();
        EXPECT_EQ(lastMessage(), u"エクスポートエラー");
        EXPECT_TRUE(d.OkButton()->isEnabled());
        d.CancelButton()->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(ports.prompt.shown.front().caption, u"エクスポート設定");
    EXPECT_EQ(testkit::ReadFileBytes(dir / "out" / "list.csv"), "old");
    EXPECT_FALSE(fs::exists(dir / "out" / "list.txt"));
    EXPECT_EQ(frame->Settings().exportName, u"list.csv");
}

TEST_F(CsvDialogsTest, ImportNamesTheExtensionBoxesAndCancelPutsThemBack) {
    const fs::path book = dir / "book.csv";
    testkit::WriteBytes(book, "h1\nh2\n" + ToCp932(u"1,2001,営業,\n"));
    auto choose = [&](CImportSetDlg& d) {
        // A chosen file that cannot be read is refused and the chooser asked again.
        std::vector<QString> answers = {QString::fromStdString((dir / "missing.csv").string()),
                                        QString::fromStdString(book.string())};
        d.SetFileChooser([answers](const QString&) mutable {
            const QString next = answers.front();
            answers.erase(answers.begin());
            return next;
        });
        d.BrowseButton()->click();
    };

    int result = run<CImportSetDlg>(cmd::kImportBoxNames, [&](CImportSetDlg& d) {
        EXPECT_FALSE(d.OkButton()->isEnabled());  // nothing stored yet
        choose(d);
        EXPECT_EQ(ports.prompt.shown.size(), 1u);
        EXPECT_EQ(lastMessage().substr(0, 13), u"ファイルが読み込めません。");
        EXPECT_EQ(d.FolderEdit()->text().toStdString(), dir.Path().string());
        EXPECT_EQ(d.FileEdit()->text(), QStringLiteral("book.csv"));
        ports.pump.At(ports.pump.steps + 1, [&] {
            EXPECT_EQ(d.windowTitle(), QStringLiteral("インポート中"));
            d.CancelButton()->click();
        });
        d.OkButton()->click();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("インポート設定"));
        EXPECT_TRUE(d.ProgressBar()->isHidden());
        d.CancelButton()->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(nameOf2001(), u"総務");

    result = run<CImportSetDlg>(cmd::kImportBoxNames, [&](CImportSetDlg& d) {
        choose(d);
        d.OkButton()->click();
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(nameOf2001(), u"営業");
    EXPECT_EQ(lastMessage(), u"内線電話帳のインポートが正常に完了しました。");
    EXPECT_EQ(frame->Settings().importName, u"book.csv");
    EXPECT_FALSE(fs::exists(box.Folder() / "naisen" / "2001" / "inf.tmp"));

    // A file gone by the time of OK.
    fs::remove(book);
    result = run<CImportSetDlg>(cmd::kImportBoxNames, [&](CImportSetDlg& d) {
        d.OkButton()->click();
        EXPECT_EQ(lastMessage(), u"インポートエラー");
        EXPECT_EQ(d.windowTitle(), QStringLiteral("インポート設定"));
        d.CancelButton()->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(nameOf2001(), u"営業");
}

TEST_F(CsvDialogsTest, AnImportThatNamesNoBoxSaysSoAndStaysOpen) {
    const fs::path book = dir / "other.csv";
    testkit::WriteBytes(book, ToCp932(u"内線一覧\r\nNo,内線番号,名前\r\n1,9999,総務部\r\n"));
    const std::u16string storedName = frame->Settings().importName;
    const int result = run<CImportSetDlg>(cmd::kImportBoxNames, [&](CImportSetDlg& d) {
        d.FolderEdit()->setText(QString::fromStdString(dir.Path().string()));
        d.FileEdit()->setText(QStringLiteral("other.csv"));
        d.OkButton()->click();
        EXPECT_EQ(
            lastMessage(),
            u"内線ボックス名称をインポートできませんでした。\n(ファイルに内線ボックスの番号と名称がありません)。");
        EXPECT_EQ(ports.prompt.shown.back().caption, u"エラー");
        EXPECT_EQ(d.windowTitle(), QStringLiteral("インポート設定"));
        EXPECT_TRUE(d.OkButton()->isEnabled());
        d.CancelButton()->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(nameOf2001(), u"総務");
    EXPECT_EQ(frame->Settings().importName, storedName);
    for (const auto& shown : ports.prompt.shown) EXPECT_NE(shown.text, u"内線電話帳のインポートが正常に完了しました。");
}

}  // namespace
}  // namespace plova::ui
