#include "app/ui/CEndChkDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CEndChkDlg::CEndChkDlg(const EndCheckButtons& rules, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Qs(endchk::kCaption));
    auto* text = new QVBoxLayout;
    text->addWidget(new QLabel(Qs(endchk::kText), this));

    backup_ = new QPushButton(Qs(endchk::kBackupAndExit), this);
    yes_ = new QPushButton(Qs(endchk::kYes), this);
    no_ = new QPushButton(Qs(endchk::kNo), this);
    yes_->setDefault(true);
    backup_->setVisible(rules.backupVisible);
    backup_->setEnabled(rules.backupEnabled);
    connect(backup_, &QPushButton::clicked, this, [this] { choose(EndCheckChoice::BackupAndExit); });
    connect(yes_, &QPushButton::clicked, this, [this] { choose(EndCheckChoice::Exit); });
    connect(no_, &QPushButton::clicked, this, [this] { choose(EndCheckChoice::Cancel); });

    LayOutMessageDialog(*this, QStyle::SP_MessageBoxQuestion, text, ButtonRow({backup_, yes_, no_}));
}

void CEndChkDlg::choose(EndCheckChoice choice) {
    choice_ = choice;
    if (choice == EndCheckChoice::Cancel)
        reject();
    else
        accept();
}

}  // namespace plova::ui
