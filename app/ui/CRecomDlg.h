// The connection-lost dialog: the main unit stopped answering; reconnect or end.
#pragma once

#include <QDialog>

#include "app/SessionControl.h"

class QPushButton;

namespace plova::ui {

namespace recom {
constexpr char16_t kCaption[] = u"Kwシリーズ音声ファイル管理";
constexpr char16_t kLost[] = u"主装置との通信が切断されました。";
constexpr char16_t kAdvice[] = u"主装置を確認後、再接続してください。";
constexpr char16_t kReconnect[] = u"再接続";
constexpr char16_t kExit[] = u"終了";
}  // namespace recom

class CRecomDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CRecomDlg(QWidget* parent = nullptr);

    ConnectionLostChoice Choice() const { return choice_; }
    [[nodiscard]] QPushButton* ReconnectButton() const { return reconnect_; }
    [[nodiscard]] QPushButton* ExitButton() const { return exit_; }

protected:
    // Only the two buttons end the dialog: Esc and the close box do nothing.
    void reject() override {}

private:
    ConnectionLostChoice choice_ = ConnectionLostChoice::Exit;
    QPushButton* reconnect_ = nullptr;
    QPushButton* exit_ = nullptr;
};

}  // namespace plova::ui
