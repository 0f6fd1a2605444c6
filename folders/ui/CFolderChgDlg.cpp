#include "folders/ui/CFolderChgDlg.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "folders/FolderList.h"
#include "folders/ui/BoxCommands.h"
#include "folders/ui/CFolderNmChg1.h"
#include "folders/ui/CFolderSetSubDlg.h"
#include "folders/ui/FolderHost.h"
#include "lists/ui/CFolderListCtrl.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kListHeight = 220;
}

CFolderChgDlg::CFolderChgDlg(FolderHost& host) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(Qs(folders::kChangeCaption));
    list_ = new CFolderListCtrl(this);
    FillBoxFolderList(*list_, host_.RootFolder());
    list_->setMinimumSize(folders::kNameWidth + folders::kPathWidth + 24, kListHeight);

    auto* change = new QPushButton(QStringLiteral("フォルダ変更"), this);
    auto* rename = new QPushButton(QStringLiteral("フォルダ名称変更"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(change, &QPushButton::clicked, this, &CFolderChgDlg::OnChange);
    connect(rename, &QPushButton::clicked, this, &CFolderChgDlg::OnRename);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* body = new QVBoxLayout;
    body->addWidget(list_);
    LayOutDialog(*this, body, ButtonRow({change, rename, cancel}));

    renamer_ = [this](const QString& name, const std::filesystem::path& folder) -> QString {
        CFolderNmChg1 dialog(name, folder, &host_, this);
        return host_.RunDialog(dialog) == QDialog::Accepted ? dialog.NewName() : QString();
    };
}

int CFolderChgDlg::selectedRow() const {
    const auto rows = list_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void CFolderChgDlg::OnChange() {
    const int row = selectedRow();
    // Nothing chosen: the open folder stays as it is, and so does the dialog.
    if (row < 0) return;
    chosen_ = BoxFolderNameOfRow(*list_, row);
    accept();
}

void CFolderChgDlg::OnRename() {
    const int row = selectedRow();
    if (row < 0) return;
    const QString old = BoxFolderNameOfRow(*list_, row);
    const QString renamed = renamer_(old, BoxFolderOfRow(*list_, row));
    if (renamed.isEmpty()) return;
    host_.FollowBoxFolderRename(host_.RootFolder(), old.toStdU16String(), renamed.toStdU16String());
    FillBoxFolderList(*list_, host_.RootFolder());
}

}  // namespace plova::ui
