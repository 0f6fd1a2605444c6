#include "app/ui/VersionDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {

VersionDlg::VersionDlg(DialogBackupWatch* watch, QWidget* parent) : BackupTimedDlg(watch, parent) {
    setWindowTitle(QString::fromUtf16(version::kCaption));
    auto* title = new QLabel(QString::fromUtf16(version::kTitle), this);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    auto* lines = new QVBoxLayout;
    lines->addWidget(title);
    lines->addWidget(new QLabel(QString::fromUtf16(version::kVersion), this));
    lines->addWidget(new QLabel(QString::fromUtf16(version::kYear), this));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    LayOutMessageDialog(*this, QStyle::SP_MessageBoxInformation, lines, ButtonRow({ok}));
}

}  // namespace plova::ui
