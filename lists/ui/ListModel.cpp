#include "lists/ui/ListModel.h"

namespace plova::ui {

Qt::Alignment AlignmentOf(ColumnAlign align) {
    return (align == ColumnAlign::Left ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
}

ListModel::ListModel(ListData& data, QObject* parent) : QAbstractTableModel(parent), data_(data) {}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || frozen_ ? 0 : data_.RowCount();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(data_.Columns().size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || frozen_ || index.row() >= data_.RowCount() || index.column() >= columnCount()) return {};
    const ColumnSpec& column = data_.Columns()[static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdU16String(data_.Cell(index.row(), index.column()));
    case Qt::TextAlignmentRole: return QVariant::fromValue(AlignmentOf(column.align));
    case listrole::kCellKind: return static_cast<int>(column.kind);
    case Qt::ToolTipRole:
        if (column.kind != CellKind::Download) return {};
        {
            const std::u16string tip =
                DownloadTooltip(DownloadStateOfDigit(DownloadDigitOf(data_.Cell(index.row(), index.column()))));
            return tip.empty() ? QVariant() : QVariant(QString::fromStdU16String(tip));
        }
    default: return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    const ColumnSpec& column = data_.Columns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole) return QString::fromStdU16String(column.name);
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(column.align));
    return {};
}

void ListModel::BeginRebuild() {
    beginResetModel();
    frozen_ = true;
    endResetModel();
}

void ListModel::EndRebuild() {
    beginResetModel();
    frozen_ = false;
    endResetModel();
}

void ListModel::CellChanged(int row, int column) {
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i);
}

}  // namespace plova::ui
