#include "folders/ui/CMakeBoxFldDlg.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "download/ui/DownloadCommands.h"
#include "folders/BoxFolders.h"
#include "folders/ui/FolderHost.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CMakeBoxFldDlg::CMakeBoxFldDlg(FolderHost& host, bool answering)
    : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(QStringLiteral("ボックスフォルダ作成"));
    auto* kind = new QGroupBox(QStringLiteral("ボックス種別"), this);
    answering_ = new QRadioButton(QStringLiteral("留守録BOX"), kind);
    extension_ = new QRadioButton(QStringLiteral("内線BOX"), kind);
    (answering ? answering_ : extension_)->setChecked(true);
    auto* kinds = new QHBoxLayout(kind);
    kinds->addWidget(answering_);
    kinds->addWidget(extension_);
    name_ = new QLineEdit(this);
    name_->setMaxLength(boxes::kFolderNameEditChars);
    name_->setMinimumWidth(180);
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(new QLabel(QStringLiteral("フォルダ名："), this));
    nameRow->addWidget(name_, 1);
    auto* body = new QVBoxLayout;
    body->addWidget(kind);
    body->addLayout(nameRow);

    LayOutDialog(*this, body, OkCancelRow(*this, [this] { OnOK(); }));
}

bool CMakeBoxFldDlg::AnsweringChosen() const {
    return answering_->isChecked();
}

void CMakeBoxFldDlg::OnOK() {
    const BoxCheck made = MakeBoxFolder(OpenBoxFolder(host_), AnsweringChosen(), name_->text().toStdU16String());
    if (made == BoxCheck::Ok) {
        accept();
        return;
    }
    ShowPrompt(std::u16string(made == BoxCheck::Duplicate ? boxes::kDuplicate : boxes::kBadInput),
               std::u16string(boxes::kErrorCaption), Icon::Exclamation);
}

}  // namespace plova::ui
