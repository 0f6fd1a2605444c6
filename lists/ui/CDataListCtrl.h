// The message list of a list window: a table over ListModel whose cells are
// painted by the list itself (tick and download-state pictures, the selection
// colours, texts cut with an ellipsis), whose header shows the sort direction
// of the sorted column, and whose header clicks and flag-cell clicks go to
// the view that owns it rather than to Qt's own sorting.
#pragma once

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <string>

namespace plova::ui {

namespace listlook {
inline const QColor kSelectedBackground{0x31, 0x6A, 0xC5};
constexpr int kRowHeight = 18;
constexpr int kTextInset = 4;
constexpr int kNarrowestTextCell = 20;
constexpr int kNarrowestTickCell = 20;
constexpr int kNarrowestPictureCell = 40;
constexpr int kFitPadding = 8;
constexpr int kGridLine = 1;  // the grid line takes the last pixel of every cell
constexpr int kFirstColumnExtra = 5;
}  // namespace listlook

// A fitted column: its widest cell or its header text plus the header's
// height, whichever is wider, and a margin.
int FittedColumnWidth(int widestCell, const QString& title, const QFontMetrics& header);

// The widest of `count` texts in `font`, in pixels. Each text is first
// estimated from the advances of its characters; only the few widest
// estimates are measured as a whole, so a column of 10,000 cells is fitted
// without laying out 10,000 strings.
int WidestText(int count, const std::function<std::u16string(int)>& text, const QFontMetrics& font);

// Paints one message-list cell.
class ListCellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The header with our sort pictures.
class SortHeader final : public QHeaderView {
    Q_OBJECT
public:
    explicit SortHeader(QWidget* parent);
    // The direction picture on `column` only; -1 shows none.
    void SetSortPicture(int column, bool ascending);
    [[nodiscard]] int PictureColumn() const { return column_; }
    [[nodiscard]] bool PictureAscending() const { return ascending_; }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int column_ = -1;
    bool ascending_ = true;
};

class CDataListCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CDataListCtrl(QWidget* parent = nullptr);

    [[nodiscard]] SortHeader* Header() const { return header_; }
    // Every column as wide as its widest cell or its header, whichever is
    // wider. `cell` gives a cell's text (by default the model's).
    using CellText = std::function<std::u16string(int row, int column)>;
    void FitColumnWidths(const CellText& cell = {});
    // Drawing off and on; nested callers switch it back on only at the outermost level.
    void SetRedraw(bool on);
    // Rows selected, in ascending order.
    [[nodiscard]] std::vector<int> SelectedRows() const;

signals:
    void HeaderClicked(int column);
    void FlagCellClicked(int row, int column);
    void KeyReleased(int key);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    SortHeader* header_;
    int redrawOff_ = 0;
};

}  // namespace plova::ui
