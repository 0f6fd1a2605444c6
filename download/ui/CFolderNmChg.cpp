#include "download/ui/CFolderNmChg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "download/FolderRename.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kEditWidth = 260;
}  // namespace

CFolderNmChg::CFolderNmChg(const QString& name, const std::filesystem::path& folder, DialogBackupWatch* watch,
                           QWidget* parent)
    : BackupTimedDlg(watch, parent), folder_(folder) {
    setWindowTitle(Qs(folders::kRenameCaption));
    name_ = new QLineEdit(name, this);
    name_->setMaxLength(folders::kRenameMaxChars);
    name_->setMinimumWidth(kEditWidth);
    name_->selectAll();
    auto* body = new QVBoxLayout;
    body->addWidget(name_);
    LayOutDialog(*this, body, OkCancelRow(*this, [this] { OnOK(); }));
}

void CFolderNmChg::OnOK() {
    const QString name = name_->text();
    const std::u16string_view refusal = RenameRefusal(RenameFolder(folder_, name.toStdU16String()));
    if (!refusal.empty()) {
        ShowPrompt(std::u16string(refusal), std::u16string(folders::kErrorCaption), Icon::Exclamation);
        return;
    }
    newName_ = name;
    accept();
}

}  // namespace plova::ui
