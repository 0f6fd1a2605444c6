#include "lists/ui/CEditListCtrl.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include "lists/ui/CCheckListCtrl.h"
#include "lists/ui/ListPictures.h"

namespace plova::ui {
namespace {

QString q(const char16_t* s) {
    return QString::fromUtf16(s);
}

// Grey number and folder cells, tick pictures, the name cell of the focused
// selected row in the system highlight, texts cut with "...".
class EditCellDelegate final : public QStyledItemDelegate {
public:
    explicit EditCellDelegate(CEditListCtrl* list) : QStyledItemDelegate(list), list_(list) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override {
        auto* edit = new QLineEdit(parent);
        if (list_->MaxLength() > 0) edit->setMaxLength(list_->MaxLength());
        return edit;
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QString header = list_->model()->headerData(index.column(), Qt::Horizontal).toString();
        const bool chosen = list_->Text(index.row(), 0).trimmed() != QStringLiteral("0");
        const bool selected = option.state & QStyle::State_Selected;
        const bool focusedName = index.column() == list_->NameColumn() && selected && list_->hasFocus() &&
                                 list_->currentIndex().row() == index.row();
        const bool grey =
            header.contains(q(editlist::kNumberHeader)) || (header.contains(q(editlist::kFolderHeader)) && !chosen);
        QColor background = Qt::white, ink = Qt::black;
        if (focusedName) {
            background = option.palette.color(QPalette::Highlight);
            ink = option.palette.color(QPalette::HighlightedText);
        } else if (grey) {
            background = checklist::kGreyBackground;
            ink = checklist::kGreyText;
        }
        const QRect r = option.rect;
        p->save();
        p->fillRect(r, background);
        if (header.contains(q(editlist::kTickHeader))) {
            if (r.width() >= listlook::kNarrowestTickCell)
                p->drawPixmap(r.left() + r.width() / 2 - 10, r.top() + 3, TickPicture(chosen, false));
        } else if (r.width() >= listlook::kNarrowestTextCell) {
            const QRect t = r.adjusted(listlook::kTextInset, 0, -listlook::kTextInset, 0);
            p->setPen(ink);
            p->drawText(t, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                        CEditListCtrl::Shortened(index.data().toString(), option.fontMetrics, t.width()));
        }
        p->restore();
    }

private:
    CEditListCtrl* list_;
};

}  // namespace

CEditListCtrl::CEditListCtrl(QWidget* parent) : CDataListCtrl(parent) {
    setModel(&model_);
    setItemDelegate(new EditCellDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
}

void CEditListCtrl::SetColumns(const QStringList& headers) {
    model_.clear();
    model_.setHorizontalHeaderLabels(headers);
}

void CEditListCtrl::AddRow(const QStringList& cells) {
    QList<QStandardItem*> row;
    for (const QString& c : cells) row << new QStandardItem(c);
    model_.appendRow(row);
}

QString CEditListCtrl::Text(int row, int column) const {
    return model_.index(row, column).data().toString();
}

int CEditListCtrl::NameColumn() const {
    for (int c = 0; c < model_.columnCount(); ++c)
        if (model_.headerData(c, Qt::Horizontal).toString().contains(q(editlist::kNameHeader))) return c;
    // Without a name column the folder-name column is the one edited (the
    // box-folder rename lists).
    for (int c = 1; c < model_.columnCount(); ++c)
        if (model_.headerData(c, Qt::Horizontal).toString().contains(q(editlist::kFolderHeader))) return c;
    return model_.columnCount() > 2 ? 2 : -1;
}

bool CEditListCtrl::BeginEdit(int row) {
    const int column = NameColumn();
    if (row < 0 || row >= model_.rowCount() || column < 0) return false;
    const bool tickList = model_.headerData(0, Qt::Horizontal).toString() == q(editlist::kTickHeader);
    if (tickList && Text(row, 0).trimmed() == QStringLiteral("0")) return false;
    editing_ = row;
    const QModelIndex cell = model_.index(row, column);
    setCurrentIndex(cell);
    edit(cell, QAbstractItemView::AllEditTriggers, nullptr);
    return true;
}

void CEditListCtrl::mousePressEvent(QMouseEvent* event) {
    const QModelIndex i = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && i.isValid() && i.column() == NameColumn()) {
        selectRow(i.row());
        BeginEdit(i.row());
        return;
    }
    CDataListCtrl::mousePressEvent(event);
}

void CEditListCtrl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    CDataListCtrl::closeEditor(editor, hint);
    const int row = editing_;
    editing_ = -1;
    if (row < 0) return;
    clearSelection();
    FitColumnWidths();
    emit EditEnded(row, Text(row, NameColumn()));
}

QString CEditListCtrl::Shortened(const QString& text, const QFontMetrics& font, int width) {
    if (font.horizontalAdvance(text) <= width) return text;
    QString cut = text;
    const QString tail = q(editlist::kCut);
    while (!cut.isEmpty() && font.horizontalAdvance(cut + tail) > width) cut.chop(1);
    return cut + tail;
}

}  // namespace plova::ui
