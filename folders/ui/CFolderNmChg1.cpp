#include "folders/ui/CFolderNmChg1.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "download/FolderRename.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CFolderNmChg1::CFolderNmChg1(const QString& name, const std::filesystem::path& folder, DialogBackupWatch* watch,
                             QWidget* parent)
    : CBackupTimedDlg(watch, parent), folder_(folder) {
    setWindowTitle(qs(folders::kRenameCaption));
    name_ = new QLineEdit(name, this);
    name_->setMaxLength(folders::kRenameMaxChars);
    name_->setMinimumWidth(260);
    name_->selectAll();
    auto* body = new QVBoxLayout;
    body->addWidget(name_);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CFolderNmChg1::OnOK);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LayOutDialog(*this, body, ButtonRow({ok, cancel}));
}

void CFolderNmChg1::OnOK() {
    const QString name = name_->text();
    const FolderRename result = RenameFolder(folder_, name.toStdU16String());
    if (result != FolderRename::Ok) {
        prompt(std::u16string(result == FolderRename::Duplicate ? folders::kDuplicate : folders::kBadInput),
               std::u16string(folders::kErrorCaption), Icon::Exclamation);
        return;
    }
    newName_ = name;
    accept();
}

}  // namespace plova::ui
