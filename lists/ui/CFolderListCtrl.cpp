#include "lists/ui/CFolderListCtrl.h"

#include <QHeaderView>

#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/ListPictures.h"

namespace plova::ui {

CFolderListCtrl::CFolderListCtrl(QWidget* parent) : QTableWidget(parent) {
    setFont(ListFont());
    horizontalHeader()->setFont(ListFont());
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(listlook::kRowHeight);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    setItemDelegate(new ListCellDelegate(this));
}

void CFolderListCtrl::SortByFirstColumn() {
    // QTableWidget compares item texts with QString's <, which minds case.
    std::vector<QStringList> rows;
    for (int r = 0; r < rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < columnCount(); ++c) cells << (item(r, c) ? item(r, c)->text() : QString());
        rows.push_back(cells);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const QStringList& a, const QStringList& b) {
        return QString::compare(a.value(0), b.value(0), Qt::CaseInsensitive) < 0;
    });
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            setItem(r, c, new QTableWidgetItem(rows[static_cast<std::size_t>(r)].value(c)));
}

void CFolderListCtrl::FitColumnWidths() {
    const QFontMetrics cells(font());
    const QFontMetrics head(horizontalHeader()->font());
    for (int c = 0; c < columnCount(); ++c) {
        const int widest = WidestText(
            rowCount(), [&](int r) { return item(r, c) ? item(r, c)->text().toStdU16String() : std::u16string(); },
            cells);
        const QTableWidgetItem* h = horizontalHeaderItem(c);
        setColumnWidth(c, FittedColumnWidth(widest, h ? h->text() : QString(), head));
    }
}

}  // namespace plova::ui
