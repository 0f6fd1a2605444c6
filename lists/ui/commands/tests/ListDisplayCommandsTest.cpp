// The display items and the select display from the main window, offscreen:
// the dialogs driven as a user would, the settings file and every open list
// afterwards.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "app/ui/testing/ListFrameFixture.h"
#include "lists/ui/CFindSetDlg.h"
#include "lists/ui/CFindSetDlgS.h"
#include "lists/ui/CListDispSelectDlg.h"

namespace plova::ui {
namespace {

using Names = std::vector<std::u16string>;

const Names kDefaultColumns = {u"ﾌﾗｸﾞ",     u"取込",     u"再生/未再生", u"保護/非保護", u"BOX番号",
                               u"相手番号", u"相手名称", u"日時",        u"録音時間",    u"ファイル名"};

std::u16string key(std::u16string base, int n) {
    for (char c : std::to_string(n)) base += static_cast<char16_t>(c);
    return base;
}

Names columnsOf(const CListDispView* view) {
    Names names;
    for (const ColumnSpec& c : view->Data().Columns()) names.push_back(c.name);
    return names;
}

template <typename T>
T* control(QWidget& dialog, int id) {
    T* w = dialog.findChild<T*>(QStringLiteral("id%1").arg(id));
    EXPECT_NE(w, nullptr) << id;
    return w;
}

void select(QListWidget* list, const QString& name) {
    const auto found = list->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    list->setCurrentItem(found.front());
}

class ListDisplayCommandsTest : public testkit_ui::ListFrameFixture {
protected:
    void SetUp() override {
        box.Add("rusuroku", "0001", "201305010900", "vmdat", kUnplayedOnMainUnit, u"山田");
        box.Add("rusuroku", "0001", "201305012359", "vmdat", kPlayedOnMainUnit, u"田中");
        box.Add("rusuroku", "0012", "201305020000", "vmdat", kDeletedOnMainUnit, u"佐藤");
        box.Add("rusuroku", "0120", "201304302359", "vminf", kInfoOnly, u"本田");
        box.Add("naisen", "2001", "201305011200", "vmdat", kUnplayedOnMainUnit, u"鈴木");
        box.AddResponse(5);
        box.AddResponse(12);
        writeFolderSettings(kDefaultColumns);
        for (int i = 0; i < 3; ++i)
            WriteProfileText(ini, u"DISP", key(u"DELCOLUM", i + 1), Names{u"BOX名称", u"タイトル", u"メモ"}[i]);
    }

    [[nodiscard]] std::u16string stored(std::u16string_view name) const {
        return IniDocument::Load(ini).GetString(u"DISP", name);
    }
};

TEST_F(ListDisplayCommandsTest, DisplayItemsAreSavedAndEveryOpenBoxListTakesThem) {
    make();
    open({"0001"});
    open({}, {}, true);
    open({"0012", "0120"});
    ASSERT_EQ(views().size(), 3u);

    const int result = run<CListDispSelectDlg>(cmd::kDisplayItems, [](CListDispSelectDlg& d) {
        EXPECT_FALSE(d.OkButton()->isEnabled());
        select(d.CurrentList(), QString::fromUtf16(u"日時"));
        d.Button(listdisp::kUp)->click();
        EXPECT_EQ(d.CurrentList()->currentItem()->text(), QString::fromUtf16(u"日時"));
        select(d.CurrentList(), QString::fromUtf16(u"ファイル名"));
        d.Button(listdisp::kRemove)->click();
        select(d.RemovedList(), QString::fromUtf16(u"メモ"));
        d.Button(listdisp::kAdd)->click();
        EXPECT_TRUE(d.OkButton()->isEnabled());
        d.OkButton()->click();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(ports.prompt.shown.front().caption, u"設定の確認");

    const Names expected = {u"ﾌﾗｸﾞ",     u"取込", u"再生/未再生", u"保護/非保護", u"BOX番号",
                            u"相手番号", u"日時", u"相手名称",    u"録音時間",    u"メモ"};
    for (int n = 1; n <= 13; ++n) EXPECT_EQ(stored(key(u"COLUM", n)), n <= 10 ? expected[n - 1] : u"") << n;
    EXPECT_EQ(stored(u"DELCOLUM3"), u"ファイル名");
    EXPECT_EQ(stored(u"DELCOLUM4"), u"");
    EXPECT_EQ(frame->Settings().columns[9], u"メモ");
    for (CListDispView* view : views()) {
        if (view->IsSystemResponseList()) {
            EXPECT_EQ(view->Data().Columns().size(), 6u);
            EXPECT_EQ(view->Data().RowCount(), 300);
        } else {
            EXPECT_EQ(columnsOf(view), expected) << view->ListNumber();
            EXPECT_GT(view->Data().RowCount(), 0);
        }
    }
}

TEST_F(ListDisplayCommandsTest, ResetGivesEveryBoxListTheTenDefaultColumns) {
    WriteProfileText(ini, u"DISP", u"COLUM2", u"");
    WriteProfileText(ini, u"DISP", u"COLUM1", u"メモ");
    make();
    open({"0001"});
    open({"0012"});
    ASSERT_EQ(columnsOf(active()), Names{u"メモ"});

    // "no" keeps the dialog open; "yes" saves and closes it.
    ports.prompt.Queue(Answer::No);
    const int result = run<CListDispSelectDlg>(cmd::kDisplayItems, [](CListDispSelectDlg& d) {
        d.Button(listdisp::kReset)->click();
        EXPECT_EQ(d.result(), 0);
        EXPECT_EQ(d.CurrentList()->count(), 1);
        d.Button(listdisp::kReset)->click();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(ports.prompt.shown.back().caption, u"リセットの確認");
    for (CListDispView* view : views()) EXPECT_EQ(columnsOf(view), kDefaultColumns);
    EXPECT_EQ(stored(u"COLUM10"), u"ファイル名");
    EXPECT_EQ(stored(u"DELCOLUM2"), u"タイトル");
}

TEST_F(ListDisplayCommandsTest, DisplayItemsWithNoColumnLeftAreRefused) {
    make();
    open({"0001"});
    const int result = run<CListDispSelectDlg>(cmd::kDisplayItems, [this](CListDispSelectDlg& d) {
        while (d.CurrentList()->count() > 0) {
            d.CurrentList()->setCurrentRow(0);
            d.Button(listdisp::kRemove)->click();
        }
        d.OkButton()->click();
        EXPECT_EQ(lastMessage(), u"表示項目が選択されていません。");
        EXPECT_NE(d.result(), QDialog::Accepted);
        d.reject();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(stored(u"COLUM1"), u"ﾌﾗｸﾞ");
    EXPECT_EQ(columnsOf(active()), kDefaultColumns);
}

TEST_F(ListDisplayCommandsTest, SelectDisplayNarrowsABoxListAndTheDialogRemembersItsCriteria) {
    make();
    open({"0001", "0012", "0120"});
    ASSERT_EQ(active()->Data().RowCount(), 4);

    // A refused OK says why and leaves the dialog open.
    int result = run<CFindSetDlg>(cmd::kSelectDisplay, [this](CFindSetDlg& d) {
        control<QCheckBox>(d, findsetdlg::kBoxNumber)->setChecked(true);
        control<QLineEdit>(d, findsetdlg::kBoxNumberEdit)->setText(QString::fromUtf16(u"１"));
        d.accept();
        EXPECT_EQ(lastMessage(), u"入力値エラーです。");
        EXPECT_EQ(d.result(), 0);
        control<QCheckBox>(d, findsetdlg::kBoxNumber)->setChecked(false);
        control<QCheckBox>(d, findsetdlg::kPartyName)->setChecked(true);
        control<QLineEdit>(d, findsetdlg::kPartyNameEdit)->setText(QString::fromUtf16(u"%田"));
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    // 山田, 田中 and 本田; not 佐藤.
    EXPECT_EQ(active()->Data().RowCount(), 3);
    EXPECT_EQ(active()->Data().DisplayMode(), display::kSelect);
    // A refresh after a command selects with the list's own copy of the criteria.
    active()->Refresh(true);
    EXPECT_EQ(active()->Data().RowCount(), 3);

    // The dialog opens with what was stored; one day, whatever the time.
    result = run<CFindSetDlg>(cmd::kSelectDisplay, [](CFindSetDlg& d) {
        EXPECT_TRUE(control<QCheckBox>(d, findsetdlg::kPartyName)->isChecked());
        EXPECT_EQ(control<QLineEdit>(d, findsetdlg::kPartyNameEdit)->text(), QString::fromUtf16(u"%田"));
        EXPECT_FALSE(control<QCheckBox>(d, findsetdlg::kBoxNumber)->isChecked());
        EXPECT_FALSE(control<QLineEdit>(d, findsetdlg::kBoxNumberEdit)->isEnabled());
        EXPECT_TRUE(control<QRadioButton>(d, findsetdlg::kFlagYes)->isChecked());
        control<QCheckBox>(d, findsetdlg::kPartyName)->setChecked(false);
        control<QCheckBox>(d, findsetdlg::kDate)->setChecked(true);
        d.DateFrom()->setDate(QDate(2013, 5, 1));
        d.DateTo()->setDate(QDate(2013, 5, 1));
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(active()->Data().RowCount(), 2);
    EXPECT_EQ(frame->Settings().boxCriteria.dateFrom, u"2013/05/01");

    // "録音情報のみ" and the other three exclude each other.
    result = run<CFindSetDlg>(cmd::kSelectDisplay, [](CFindSetDlg& d) {
        EXPECT_EQ(d.DateFrom()->date(), QDate(2013, 5, 1));
        control<QCheckBox>(d, findsetdlg::kDate)->setChecked(false);
        control<QCheckBox>(d, findsetdlg::kDownload)->setChecked(true);
        control<QCheckBox>(d, findsetdlg::kDownloadDeleted)->click();
        control<QCheckBox>(d, findsetdlg::kDownloadInfoOnly)->click();
        EXPECT_FALSE(control<QCheckBox>(d, findsetdlg::kDownloadDeleted)->isChecked());
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(active()->Data().RowCount(), 1);

    // Nothing matches: the message, and every row again.
    result = run<CFindSetDlg>(cmd::kSelectDisplay, [](CFindSetDlg& d) {
        EXPECT_TRUE(control<QCheckBox>(d, findsetdlg::kDownloadInfoOnly)->isChecked());
        control<QCheckBox>(d, findsetdlg::kDownload)->setChecked(false);
        control<QCheckBox>(d, findsetdlg::kTitle)->setChecked(true);
        control<QLineEdit>(d, findsetdlg::kTitleEdit)->setText(QStringLiteral("%x"));
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(lastMessage(), u"該当するメッセージがありません。");
    EXPECT_EQ(active()->Data().DisplayMode(), display::kAll);
    EXPECT_EQ(active()->Data().RowCount(), 4);
}

TEST_F(ListDisplayCommandsTest, ARefreshWhoseSelectDisplayMatchesNothingSaysSo) {
    make();
    open({"0001", "0012"});
    int result = run<CFindSetDlg>(cmd::kSelectDisplay, [](CFindSetDlg& d) {
        control<QCheckBox>(d, findsetdlg::kPartyName)->setChecked(true);
        control<QLineEdit>(d, findsetdlg::kPartyNameEdit)->setText(QString::fromUtf16(u"%田"));
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(active()->Data().RowCount(), 2);  // 山田 and 田中
    const std::size_t shownBefore = ports.prompt.shown.size();
    // A command took both matching messages away (a deletion on this PC).
    for (int row = 0; row < 2; ++row) std::filesystem::remove(active()->Data().RecordOfRow(row).Path());
    active()->Refresh(true);
    ASSERT_EQ(ports.prompt.shown.size(), shownBefore + 1);
    EXPECT_EQ(lastMessage(), u"該当するメッセージがありません。");
    EXPECT_EQ(ports.prompt.shown.back().caption, u"エラー");
    EXPECT_EQ(ports.prompt.shown.back().icon, Icon::Exclamation);
    EXPECT_EQ(active()->Data().DisplayMode(), display::kAll);
    EXPECT_EQ(active()->Data().RowCount(), 1);  // 佐藤, the whole list now
    // A later refresh shows every message without a word.
    active()->Refresh(true);
    EXPECT_EQ(ports.prompt.shown.size(), shownBefore + 1);
}

TEST_F(ListDisplayCommandsTest, SelectDisplayOfTheResponseListTestsAllItsRows) {
    make();
    open({}, {}, true);
    ASSERT_TRUE(active()->IsSystemResponseList());

    int result = run<CFindSetDlgS>(cmd::kSelectDisplay, [](CFindSetDlgS& d) {
        // Off, the choices offer "未" and "あり".
        EXPECT_TRUE(control<QRadioButton>(d, findsetdlgs::kUploadedNo)->isChecked());
        EXPECT_TRUE(control<QRadioButton>(d, findsetdlgs::kFlagYes)->isChecked());
        control<QCheckBox>(d, findsetdlgs::kName)->setChecked(true);
        control<QLineEdit>(d, findsetdlgs::kNameEdit)->setText(QString::fromUtf16(u"応%"));
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(active()->Data().RowCount(), 2);

    // Not uploaded: the absent numbers too.
    result = run<CFindSetDlgS>(cmd::kSelectDisplay, [](CFindSetDlgS& d) {
        control<QCheckBox>(d, findsetdlgs::kName)->setChecked(false);
        control<QCheckBox>(d, findsetdlgs::kUploaded)->setChecked(true);
        d.accept();
    });
    ASSERT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(active()->Data().RowCount(), 300);
    EXPECT_EQ(active()->Data().DisplayMode(), display::kSelect);
    frame->OnCommand(cmd::kShowAll);
    EXPECT_EQ(active()->Data().DisplayMode(), display::kAll);
}

}  // namespace
}  // namespace plova::ui
