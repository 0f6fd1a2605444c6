// A box list with a tick column, for the dialogs that choose boxes: column 0
// "選択" holds "0" (not chosen), "1" (chosen) or "2" (already shown
// elsewhere: drawn ticked on grey, never changes); column 1 the box. A row is
// never highlighted; a disabled list draws every row grey.
#pragma once

#include <QStyledItemDelegate>
#include <QTableWidget>

namespace plova::ui {

namespace checklist {
constexpr char16_t kTickHeader[] = u"選択";
constexpr char16_t kBoxHeader[] = u"     BOX番号     ";
constexpr int kTickWidth = 45;
constexpr int kBoxWidth = 120;
inline const QColor kGreyText{0x80, 0x80, 0x80};
inline const QColor kGreyBackground{0xEC, 0xE9, 0xD8};
}  // namespace checklist

class CCheckListCtrl final : public QTableWidget {
    Q_OBJECT
public:
    explicit CCheckListCtrl(QWidget* parent = nullptr);

    void AddBox(const QString& name, const QString& value);
    [[nodiscard]] QString Value(int row) const;
    [[nodiscard]] QString BoxName(int row) const;
    [[nodiscard]] bool IsTicked(int row) const;
    // "0" and "1" turn over; "2" stays.
    void Toggle(int row);
    // Every row to "1" or "0", leaving the rows with "2".
    void SetAll(bool ticked);
    void FitColumnWidths();

signals:
    // A click on a row's tick cell, after the row turned over.
    void TickClicked(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace plova::ui
