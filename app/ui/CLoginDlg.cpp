#include "app/ui/CLoginDlg.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ui/IpAddressCtrl.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
CLoginDlg::CLoginDlg(SessionControl& session, const SettingsRecord& record, DialogBackupWatch* watch, QWidget* parent)
    : BackupTimedDlg(watch, parent), session_(session) {
    setWindowTitle(Qs(login::kCaption));

    address_ = new IpAddressCtrl(this);
    address_->setObjectName(QStringLiteral("control1039"));
    user_ = new QLineEdit(this);
    user_->setObjectName(QStringLiteral("control1040"));
    user_->setMaxLength(static_cast<int>(settings::kUserMax));
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("control1041"));
    password_->setMaxLength(static_cast<int>(settings::kPasswordMax));
    password_->setEchoMode(QLineEdit::Password);
    remember_ = new QCheckBox(QStringLiteral("アドレス,ユーザー名,パスワードを記憶する"), this);
    remember_->setObjectName(QStringLiteral("control1042"));

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(8);
    form->addWidget(new QLabel(QStringLiteral("主装置のＩＰアドレス："), this), 0, 0);
    form->addWidget(address_, 0, 1, Qt::AlignLeft);
    form->addWidget(new QLabel(QStringLiteral("ユーザー名："), this), 1, 0);
    form->addWidget(user_, 1, 1);
    form->addWidget(new QLabel(QStringLiteral("パスワード："), this), 2, 0);
    form->addWidget(password_, 2, 1);
    form->addWidget(remember_, 3, 0, 1, 2);
    const int editWidth = address_->sizeHint().width();
    user_->setMinimumWidth(editWidth);
    password_->setMinimumWidth(editWidth);

    login_ = new QPushButton(QStringLiteral("ログイン"), this);
    cancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    login_->setDefault(true);
    connect(login_, &QPushButton::clicked, this, &CLoginDlg::OnLogin);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    LayOutDialog(*this, form, ButtonRow({login_, cancel_}));

    // What was remembered.
    const LoginInput shown = LoginDialogValues(record);
    if (!shown.address.empty()) address_->SetFields(SplitIpAddress(shown.address));
    user_->setText(QString::fromStdU16String(shown.user));
    password_->setText(QString::fromStdU16String(shown.password));
    remember_->setChecked(shown.remember);
    address_->setFocus();
}

LoginInput CLoginDlg::Input() const {
    LoginInput in;
    in.address = ComposeIpAddress(address_->Fields());
    in.user = user_->text().toStdU16String();
    in.password = password_->text().toStdU16String();
    in.remember = remember_->isChecked();
    return in;
}

void CLoginDlg::OnLogin() {
    stopDialogBackupTimer();
    if (session_.PressLogin(Input()) == LoginPress::LoggedIn) {
        accept();
        return;
    }
    // The values stay as typed; the user corrects them and tries again.
    startDialogBackupTimer();
}

}  // namespace plova::ui
