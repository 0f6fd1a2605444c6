#include "folders/ui/CFolderSetDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "download/FolderRename.h"
#include "folders/FolderList.h"
#include "folders/ui/CFolderSetSubDlg.h"
#include "folders/ui/FolderHost.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/PathText.h"

namespace plova::ui {

CFolderSetDlg::CFolderSetDlg(FolderHost& host) : BackupTimedDlg(&host, host.MainWindow()), host_(host) {
    setWindowTitle(Qs(folders::kStartupCaption));
    last_ = new QRadioButton(QStringLiteral("起動時に前回のフォルダを開く"), this);
    specified_ = new QRadioButton(QStringLiteral("起動時に指定のフォルダを開く"), this);
    choose_ = new QPushButton(QStringLiteral("設定"), this);
    folder_ = new QLineEdit(this);
    // Typed or filled by "設定": a folder under another root can be given too.
    folder_->setMinimumWidth(360);
    if (host_.StartupFolderSpecified()) {
        specified_->setChecked(true);
        folder_->setText(Qs(host_.SpecifiedStartupFolder()));
    } else {
        last_->setChecked(true);
    }
    updateEnabling();
    if (host_.StartupFolderSpecified()) {
        // The stored choice stays editable even when the root has gone.
        choose_->setEnabled(true);
        folder_->setEnabled(true);
    }
    connect(last_, &QRadioButton::clicked, this, &CFolderSetDlg::updateEnabling);
    connect(specified_, &QRadioButton::clicked, this, &CFolderSetDlg::updateEnabling);
    connect(choose_, &QPushButton::clicked, this, &CFolderSetDlg::OnChoose);

    auto* body = new QVBoxLayout;
    body->addWidget(last_);
    body->addWidget(specified_);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("指定フォルダ名"), this));
    row->addWidget(folder_, 1);
    row->addWidget(choose_);
    body->addLayout(row);
    LayOutDialog(*this, body, OkCancelRow(*this, [this] { OnOK(); }));

    chooser_ = [this]() -> QString {
        CFolderSetSubDlg dialog(host_.RootFolder(), &host_, this);
        if (dialog.exec() != QDialog::Accepted) return {};
        return QsOfPath(dialog.Chosen());
    };
}

void CFolderSetDlg::updateEnabling() {
    const bool on = specified_->isChecked() && host_.CanSpecifyStartupFolder();
    choose_->setEnabled(on);
    folder_->setEnabled(on);
}

void CFolderSetDlg::OnChoose() {
    const QString chosen = chooser_ ? chooser_() : QString();
    if (!chosen.isEmpty()) folder_->setText(chosen);
}

void CFolderSetDlg::OnOK() {
    if (!host_.ApplyStartupFolderChoice(specified_->isChecked(), folder_->text().toStdU16String())) {
        ShowPrompt(std::u16string(folders::kBadInput), std::u16string(folders::kErrorCaption), Icon::Exclamation);
        return;
    }
    accept();
}

}  // namespace plova::ui
