// The list controls on their own: the tick list's three values and its grey
// rows, the in-place name edit, the folder list's order, narrow cells.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTest>

#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/CEditListCtrl.h"
#include "lists/ui/CFolderListCtrl.h"

namespace plova::ui {
namespace {

// The colour in the middle of a cell as shown.
QColor shownColour(QTableView& view, int row, int column, int dx = 0) {
    const QImage shot = view.viewport()->grab().toImage();
    const QRect r = view.visualRect(view.model()->index(row, column));
    return shot.pixelColor(r.center().x() + dx, r.top() + 2);
}

// Pixels of a cell that are not its background.
int inkIn(QTableView& view, int row, int column) {
    const QImage shot = view.viewport()->grab().toImage();
    const QRect r = view.visualRect(view.model()->index(row, column)).adjusted(0, 0, -2, -2);
    const QColor background = shot.pixelColor(r.topLeft());
    int ink = 0;
    for (int x = r.left(); x <= r.right(); ++x)
        for (int y = r.top(); y <= r.bottom(); ++y) ink += shot.pixelColor(x, y) != background;
    return ink;
}

TEST(CCheckListCtrl, ShownRowsNeverChangeAndADisabledListIsGrey) {
    CCheckListCtrl list;
    list.resize(300, 200);
    list.show();
    list.AddBox(QStringLiteral("001"), QStringLiteral("0"));
    list.AddBox(QStringLiteral("002"), QStringLiteral("2"));
    list.AddBox(QStringLiteral("003"), QStringLiteral("1"));
    struct Step {
        std::function<void()> act;
        QStringList values;
    };
    const Step steps[] = {
        {[&] { list.SetAll(true); }, {"1", "2", "1"}},
        {[&] { list.SetAll(false); }, {"0", "2", "0"}},
        {[&] {
             QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                               list.visualRect(list.model()->index(1, 0)).center());
         },
         {"0", "2", "0"}},
        {[&] {
             QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                               list.visualRect(list.model()->index(0, 0)).center());
         },
         {"1", "2", "0"}},
        // A click on the box name is no tick.
        {[&] {
             QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                               list.visualRect(list.model()->index(2, 1)).center());
         },
         {"1", "2", "0"}},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ((QStringList{list.Value(0), list.Value(1), list.Value(2)}), s.values);
    }
    EXPECT_TRUE(list.IsTicked(0));
    EXPECT_FALSE(list.IsTicked(1)) << "shown elsewhere is not chosen here";
    EXPECT_TRUE(list.selectionModel()->selectedIndexes().isEmpty());

    EXPECT_EQ(shownColour(list, 0, 1, 30), QColor(Qt::white));
    EXPECT_EQ(shownColour(list, 1, 1, 30), checklist::kGreyBackground);
    list.setEnabled(false);
    for (int row = 0; row < 3; ++row) EXPECT_EQ(shownColour(list, row, 1, 30), checklist::kGreyBackground) << row;
    // Disabled, a click changes nothing.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(2, 0)).center());
    EXPECT_EQ(list.Value(2), QStringLiteral("0"));
}

TEST(CEditListCtrl, TheNameIsEditedOnlyInAChosenRow) {
    CEditListCtrl list;
    list.resize(400, 200);
    list.show();
    list.SetColumns({QStringLiteral("選択"), QStringLiteral("BOX番号"), QStringLiteral("BOX名称")});
    list.AddRow({QStringLiteral("0"), QStringLiteral("001"), QStringLiteral("営業")});
    list.AddRow({QStringLiteral("1"), QStringLiteral("002"), QStringLiteral("総務")});
    list.SetMaxLength(10);
    EXPECT_EQ(list.NameColumn(), 2);

    EXPECT_FALSE(list.BeginEdit(0));
    EXPECT_FALSE(list.Editing());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(1, 2)).center());
    ASSERT_TRUE(list.Editing());
    auto* edit = list.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), QStringLiteral("総務"));
    EXPECT_EQ(edit->maxLength(), 10);
    EXPECT_EQ(edit->geometry().intersected(list.visualRect(list.model()->index(1, 2))), edit->geometry());
    int endedRow = -1;
    QObject::connect(&list, &CEditListCtrl::EditEnded, [&](int row, const QString&) { endedRow = row; });
    edit->setText(QStringLiteral("総務部"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();  // the editor closes through a queued call
    EXPECT_FALSE(list.Editing());
    EXPECT_EQ(endedRow, 1);
    EXPECT_EQ(list.Text(1, 2), QStringLiteral("総務部"));
    EXPECT_TRUE(list.selectionModel()->selectedIndexes().isEmpty());
    // The number column is grey.
    EXPECT_EQ(shownColour(list, 0, 1, 20), checklist::kGreyBackground);

    const QFontMetrics font(list.font());
    const QString longName = QStringLiteral("とても長いボックスの名前");
    const QString cut = CEditListCtrl::Shortened(longName, font, 60);
    EXPECT_TRUE(cut.endsWith(QStringLiteral("...")));
    EXPECT_LE(font.horizontalAdvance(cut), 60);
    EXPECT_EQ(CEditListCtrl::Shortened(QStringLiteral("短い"), font, 60), QStringLiteral("短い"));
}

TEST(CFolderListCtrl, SortsByTheFirstColumnWithoutCase) {
    CFolderListCtrl list;
    list.setColumnCount(2);
    const QStringList names = {"beta", "Alpha", "gamma", "ALPHB", "Beta"};
    list.setRowCount(static_cast<int>(names.size()));
    for (int r = 0; r < names.size(); ++r) {
        list.setItem(r, 0, new QTableWidgetItem(names[r]));
        list.setItem(r, 1, new QTableWidgetItem(QString::number(r)));
    }
    list.SortByFirstColumn();
    QStringList sorted, carried;
    for (int r = 0; r < list.rowCount(); ++r) {
        sorted << list.item(r, 0)->text();
        carried << list.item(r, 1)->text();
    }
    EXPECT_EQ(sorted, (QStringList{"Alpha", "ALPHB", "beta", "Beta", "gamma"}));
    EXPECT_EQ(carried, (QStringList{"1", "3", "0", "4", "2"})) << "the other cells move with their row";
}

TEST(CDataListCtrl, ACellNarrowerThanTwentyPixelsShowsNothing) {
    QStandardItemModel model(1, 2);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("text")));
    model.setItem(0, 1, new QStandardItem(QStringLiteral("text")));
    CDataListCtrl list;
    list.setModel(&model);
    list.resize(300, 100);
    list.show();
    for (auto [width, shows] : {std::pair{19, false}, std::pair{60, true}}) {
        list.horizontalHeader()->resizeSection(0, width + listlook::kGridLine);
        EXPECT_EQ(inkIn(list, 0, 0) > 0, shows) << width;
    }
}

}  // namespace
}  // namespace plova::ui
