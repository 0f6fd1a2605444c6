// The table model over a list's rows: row r shows the record whose index the
// list keeps for row r. While a build runs the model shows no rows, so a
// repaint between two rows never sees a half-built list.
#pragma once

#include <QAbstractTableModel>

#include "lists/ListData.h"

namespace plova::ui {

namespace listrole {
constexpr int kCellKind = Qt::UserRole + 1;  // CellKind of the column, as int
}

class ListModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    ListModel(ListData& data, QObject* parent);

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void BeginRebuild();
    void EndRebuild();
    [[nodiscard]] bool Rebuilding() const { return frozen_; }
    // One cell changed in place (a flag cell).
    void CellChanged(int row, int column);

private:
    ListData& data_;
    bool frozen_ = false;
};

Qt::Alignment AlignmentOf(ColumnAlign align);

}  // namespace plova::ui
