#include "lists/ui/CCheckListCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "lists/ui/CDataListCtrl.h"
#include "lists/ui/ListPictures.h"

namespace plova::ui {
namespace {

constexpr char16_t kShown[] = u"2";
constexpr char16_t kTicked[] = u"1";
constexpr char16_t kEmpty[] = u"0";

class CheckCellDelegate final : public QStyledItemDelegate {
public:
    CheckCellDelegate(const QWidget* owner, QObject* parent) : QStyledItemDelegate(parent), owner_(owner) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString value = index.siblingAtColumn(0).data().toString().trimmed();
        const bool grey = !owner_->isEnabled() || value == QString::fromUtf16(kShown);
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, grey ? checklist::kGreyBackground : QColor(Qt::white));
        if (index.column() == 0) {
            if (r.width() >= listlook::kNarrowestTickCell)
                p->drawPixmap(r.left() + r.width() / 2 - 10, r.top() + 3,
                              TickPicture(value != QString::fromUtf16(kEmpty), grey));
        } else if (r.width() >= listlook::kNarrowestTextCell) {
            p->setPen(grey ? checklist::kGreyText : QColor(Qt::black));
            const QRect t = r.adjusted(listlook::kTextInset, 0, -listlook::kTextInset, 0);
            p->drawText(t, Qt::AlignCenter | Qt::TextSingleLine,
                        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, t.width()));
        }
        p->restore();
    }

private:
    const QWidget* owner_;
};

}  // namespace

CCheckListCtrl::CCheckListCtrl(QWidget* parent) : QTableWidget(0, 2, parent) {
    setFont(ListFont());
    horizontalHeader()->setFont(ListFont());
    setHorizontalHeaderLabels({QString::fromUtf16(checklist::kTickHeader), QString::fromUtf16(checklist::kBoxHeader)});
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setStretchLastSection(false);
    setColumnWidth(0, checklist::kTickWidth);
    setColumnWidth(1, checklist::kBoxWidth);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(listlook::kRowHeight);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setShowGrid(true);
    setItemDelegate(new CheckCellDelegate(this, this));
}

void CCheckListCtrl::AddBox(const QString& name, const QString& value) {
    const int row = rowCount();
    insertRow(row);
    setItem(row, 0, new QTableWidgetItem(value));
    setItem(row, 1, new QTableWidgetItem(name));
}

QString CCheckListCtrl::Value(int row) const {
    const QTableWidgetItem* i = item(row, 0);
    return i ? i->text().trimmed() : QString();
}

QString CCheckListCtrl::BoxName(int row) const {
    const QTableWidgetItem* i = item(row, 1);
    return i ? i->text() : QString();
}

bool CCheckListCtrl::IsTicked(int row) const {
    return Value(row) == QString::fromUtf16(kTicked);
}

void CCheckListCtrl::Toggle(int row) {
    if (row < 0 || row >= rowCount() || Value(row) == QString::fromUtf16(kShown)) return;
    item(row, 0)->setText(QString::fromUtf16(IsTicked(row) ? kEmpty : kTicked));
}

void CCheckListCtrl::SetAll(bool ticked) {
    for (int row = 0; row < rowCount(); ++row)
        if (Value(row) != QString::fromUtf16(kShown))
            item(row, 0)->setText(QString::fromUtf16(ticked ? kTicked : kEmpty));
}

void CCheckListCtrl::FitColumnWidths() {
    const QFontMetrics cells(font());
    const QFontMetrics head(horizontalHeader()->font());
    for (int c = 0; c < columnCount(); ++c) {
        const int widest = WidestText(
            rowCount(), [&](int row) { return item(row, c)->text().toStdU16String(); }, cells);
        setColumnWidth(c, FittedColumnWidth(widest, horizontalHeaderItem(c)->text(), head));
    }
}

void CCheckListCtrl::mousePressEvent(QMouseEvent* event) {
    QTableWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    const QModelIndex i = indexAt(event->position().toPoint());
    if (i.isValid() && i.column() == 0) {
        Toggle(i.row());
        emit TickClicked(i.row());
    }
}

}  // namespace plova::ui
