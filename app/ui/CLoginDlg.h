// The login dialog ("ログイン"): the main unit's address, user name and
// password, and whether to remember them. "ログイン" stores what was typed,
// checks it and logs in; the dialog stays open on any failure.
#pragma once

#include "app/SessionControl.h"
#include "platform/ui/BackupTimedDlg.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace plova::ui {

class IpAddressCtrl;

class CLoginDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    CLoginDlg(SessionControl& session, const SettingsRecord& record, DialogBackupWatch* watch,
              QWidget* parent = nullptr);

    IpAddressCtrl* AddressControl() const { return address_; }
    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QCheckBox* RememberBox() const { return remember_; }
    QPushButton* LoginButton() const { return login_; }
    QPushButton* CancelButton() const { return cancel_; }

    // What the controls hold now.
    LoginInput Input() const;

    // "ログイン" pressed.
    void OnLogin();

private:
    SessionControl& session_;
    IpAddressCtrl* address_ = nullptr;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* remember_ = nullptr;
    QPushButton* login_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace plova::ui
