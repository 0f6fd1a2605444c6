#include "folders/ui/CFolderSetSubDlg.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "folders/FolderList.h"
#include "lists/ui/CFolderListCtrl.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"

namespace plova::ui {
namespace {
constexpr int kPathRole = Qt::UserRole + 1;
constexpr int kListHeight = 220;
}  // namespace

void FillBoxFolderList(CFolderListCtrl& list, std::u16string_view root) {
    list.clear();
    list.setRowCount(0);
    list.setColumnCount(2);
    list.setHorizontalHeaderLabels({Qs(folders::kNameHeader), Qs(folders::kPathHeader)});
    list.setSelectionMode(QAbstractItemView::SingleSelection);
    list.setColumnWidth(0, folders::kNameWidth);
    list.setColumnWidth(1, folders::kPathWidth);
    for (const FolderRow& row : ListBoxFolders(root)) {
        const int r = list.rowCount();
        list.insertRow(r);
        auto* name = new QTableWidgetItem(Qs(row.name));
        name->setData(kPathRole, QsOfPath(row.folder));
        list.setItem(r, 0, name);
        list.setItem(r, 1, new QTableWidgetItem(Qs(row.PathCell())));
    }
}

std::filesystem::path BoxFolderOfRow(const CFolderListCtrl& list, int row) {
    const QTableWidgetItem* item = list.item(row, 0);
    return item ? PathOfQs(item->data(kPathRole).toString()) : std::filesystem::path();
}

QString BoxFolderNameOfRow(const CFolderListCtrl& list, int row) {
    const QTableWidgetItem* item = list.item(row, 0);
    return item ? item->text() : QString();
}

CFolderSetSubDlg::CFolderSetSubDlg(std::u16string_view root, DialogBackupWatch* watch, QWidget* parent)
    : BackupTimedDlg(watch, parent) {
    setWindowTitle(Qs(folders::kStartupCaption));
    list_ = new CFolderListCtrl(this);
    FillBoxFolderList(*list_, root);
    list_->setMinimumSize(folders::kNameWidth + folders::kPathWidth + 24, kListHeight);
    auto* body = new QVBoxLayout;
    body->addWidget(list_);
    connect(list_, &QTableWidget::cellDoubleClicked, this, [this] { OnOK(); });
    LayOutDialog(*this, body, OkCancelRow(*this, [this] { OnOK(); }));
}

void CFolderSetSubDlg::OnOK() {
    const auto rows = list_->selectionModel()->selectedRows();
    // Nothing chosen: nothing to hand back, the dialog stays.
    if (rows.isEmpty()) return;
    chosen_ = BoxFolderOfRow(*list_, rows.first().row());
    accept();
}

}  // namespace plova::ui
