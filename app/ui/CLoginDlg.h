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

    [[nodiscard]] IpAddressCtrl* AddressControl() const { return address_; }
    [[nodiscard]] QLineEdit* UserEdit() const { return user_; }
    [[nodiscard]] QLineEdit* PasswordEdit() const { return password_; }
    [[nodiscard]] QCheckBox* RememberBox() const { return remember_; }
    [[nodiscard]] QPushButton* LoginButton() const { return login_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    // What the controls hold now.
    [[nodiscard]] LoginInput Input() const;

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
