#include "download/ui/CFolderNmChg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CFolderNmChg::CFolderNmChg(const QString& current, DialogBackupWatch* watch, QWidget* parent)
    : CBackupTimedDlg(watch, parent) {
    setWindowTitle(QStringLiteral("フォルダ名称変更"));
    name_ = new QLineEdit(current, this);
    name_->setMinimumWidth(260);
    name_->selectAll();
    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(QStringLiteral("新しいフォルダ名："), this));
    body->addWidget(name_);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    LayOutDialog(*this, body, ButtonRow({ok, cancel}));
}

QString CFolderNmChg::name() const {
    return name_->text().trimmed();
}

}  // namespace plova::ui
