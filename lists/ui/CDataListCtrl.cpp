#include "lists/ui/CDataListCtrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "lists/ListColumns.h"
#include "lists/ui/ListModel.h"
#include "lists/ui/ListPictures.h"

namespace plova::ui {
namespace {

using namespace listlook;

// " 1 " is ticked, " 0 " is not: any number but 0 counts.
bool tickedCell(const QString& text) {
    return text.trimmed().toInt() != 0;
}

}  // namespace

int WidestText(int count, const std::function<std::u16string(int)>& text, const QFontMetrics& font) {
    constexpr std::size_t kMeasured = 8;
    std::unordered_map<char16_t, int> advance;
    std::vector<std::pair<int, std::u16string>> widest;  // estimate, text: the kMeasured largest
    for (int i = 0; i < count; ++i) {
        std::u16string t = text(i);
        int estimate = 0;
        for (char16_t ch : t) {
            auto [it, fresh] = advance.try_emplace(ch, 0);
            if (fresh) it->second = font.horizontalAdvance(QChar(ch));
            estimate += it->second;
        }
        if (widest.size() == kMeasured && estimate <= widest.back().first) continue;
        if (std::any_of(widest.begin(), widest.end(), [&](const auto& w) { return w.second == t; })) continue;
        if (widest.size() == kMeasured) widest.pop_back();
        widest.emplace_back(estimate, std::move(t));
        std::sort(widest.begin(), widest.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    }
    int result = 0;
    for (const auto& [estimate, t] : widest)
        result = std::max(result, font.horizontalAdvance(QString::fromStdU16String(t)));
    return result;
}

int FittedColumnWidth(int widestCell, const QString& title, const QFontMetrics& header) {
    const int width = std::max(widestCell, header.horizontalAdvance(title) + header.height());
    return width > 0 ? width + kFitPadding + kGridLine : width;
}

// ------------------------------------------------------------------- cells

void ListCellDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QRect r = option.rect;
    p->save();
    p->fillRect(r, selected ? kSelectedBackground : QColor(Qt::white));
    const auto kind = static_cast<CellKind>(index.data(listrole::kCellKind).toInt());
    const QString text = index.data(Qt::DisplayRole).toString();
    if (kind == CellKind::Flag) {
        if (r.width() >= kNarrowestTickCell)
            p->drawPixmap(r.left() + r.width() / 2 - 10, r.top() + 3, TickPicture(tickedCell(text), false));
    } else if (kind == CellKind::Download) {
        const int state = DownloadStateOfDigit(DownloadDigitOf(text.toStdU16String()));
        if (r.width() >= kNarrowestPictureCell && state >= 0)
            p->drawPixmap(r.left() + r.width() / 2 - 20, r.top() + 1, DownloadPicture(state, selected));
    } else if (r.width() >= kNarrowestTextCell) {
        const QRect textRect = r.adjusted(kTextInset, 0, -kTextInset, 0);
        p->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
        p->setFont(option.font);
        // A text that fits is drawn whole: the ellipsis measures a little wider than the text.
        const QString shown = option.fontMetrics.horizontalAdvance(text) <= textRect.width()
                                  ? text
                                  : option.fontMetrics.elidedText(text, Qt::ElideRight, textRect.width());
        const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
        p->drawText(textRect, int((align & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    }
    p->restore();
}

// ------------------------------------------------------------------ header

SortHeader::SortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setSectionsClickable(true);
    setSectionsMovable(false);
    setSortIndicatorShown(false);
    setHighlightSections(false);
}

void SortHeader::SetSortPicture(int column, bool ascending) {
    column_ = column;
    ascending_ = ascending;
    viewport()->update();
}

void SortHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != column_ || rect.width() < pictures::kSortSize) return;
    painter->save();
    // The section's painting leaves a clip of its own behind; the picture goes within the section.
    painter->setClipRect(rect, Qt::ReplaceClip);
    painter->drawPixmap(rect.right() - pictures::kSortSize - 1, rect.top() + (rect.height() - pictures::kSortSize) / 2,
                        SortPicture(ascending_));
    painter->restore();
}

// -------------------------------------------------------------------- list

CDataListCtrl::CDataListCtrl(QWidget* parent) : QTableView(parent), header_(new SortHeader(this)) {
    setHorizontalHeader(header_);
    setItemDelegate(new ListCellDelegate(this));
    setFont(ListFont());
    header_->setFont(ListFont());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(kRowHeight);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setStretchLastSection(false);
    header_->setDefaultAlignment(Qt::AlignCenter);
    connect(header_, &QHeaderView::sectionClicked, this, &CDataListCtrl::HeaderClicked);
}

void CDataListCtrl::SetRedraw(bool on) {
    redrawOff_ = std::max(0, redrawOff_ + (on ? -1 : 1));
    const bool enabled = redrawOff_ == 0;
    if (updatesEnabled() != enabled) setUpdatesEnabled(enabled);
    if (enabled && on) viewport()->update();
}

std::vector<int> CDataListCtrl::SelectedRows() const {
    std::vector<int> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex& i : selectionModel()->selectedRows()) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CDataListCtrl::FitColumnWidths(const CellText& cell) {
    QAbstractItemModel* m = model();
    if (!m) return;
    const CellText text =
        cell ? cell : [m](int row, int column) { return m->index(row, column).data().toString().toStdU16String(); };
    const QFontMetrics cells(font());
    const QFontMetrics head(header_->font());
    SetRedraw(false);
    for (int c = 0; c < m->columnCount(); ++c) {
        const int widest = WidestText(
            m->rowCount(), [&](int row) { return text(row, c); }, cells);
        const int width = FittedColumnWidth(widest, m->headerData(c, Qt::Horizontal).toString(), head);
        header_->resizeSection(c, c == 0 ? width + kFirstColumnExtra : width);
    }
    SetRedraw(true);
}

void CDataListCtrl::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex i = indexAt(event->position().toPoint());
    if (i.isValid() && static_cast<CellKind>(i.data(listrole::kCellKind).toInt()) == CellKind::Flag)
        emit FlagCellClicked(i.row(), i.column());
}

void CDataListCtrl::keyReleaseEvent(QKeyEvent* event) {
    QTableView::keyReleaseEvent(event);
    emit KeyReleased(event->key());
}

QModelIndex CDataListCtrl::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // A list of whole rows: Home and End go to the first and the last row.
    if (model() && model()->rowCount() > 0 && (action == MoveHome || action == MoveEnd)) {
        const int row = action == MoveHome ? 0 : model()->rowCount() - 1;
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        return model()->index(row, column);
    }
    return QTableView::moveCursor(action, modifiers);
}

}  // namespace plova::ui
