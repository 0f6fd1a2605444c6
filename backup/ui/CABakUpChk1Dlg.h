// The backup-time prompt ("バックアップの確認"): the scheduled backup is due;
// run it now or skip this occurrence. Unanswered, it starts the run itself
// after ten minutes.
#pragma once

#include <QDialog>
#include <QTimer>

#include "backup/BackupSettingsHost.h"

class QHBoxLayout;
class QPushButton;
class QVBoxLayout;

namespace plova::ui {

namespace bakupchk {
constexpr char16_t kCaption[] = u"バックアップの確認";
constexpr char16_t kDue[] = u"バックアップの実行時間になりました。";
constexpr char16_t kRunNow[] = u"バックアップを実行しますか?";
constexpr char16_t kInterrupts[] = u"現在実行している処理は、強制的に中断されます。";
constexpr char16_t kAutoStart[] = u"10分後に自動でバックアップを開始します。";
constexpr char16_t kOverdue[] = u"バックアップの時刻が過ぎています。";
constexpr char16_t kRunNowQuery[] = u"今すぐ、バックアップを実行しますか？";
}  // namespace bakupchk

// The two prompts' parts: their lines of text, and "はい(&Y)" / "いいえ(&N)".
QVBoxLayout* PromptLines(QWidget* owner, std::initializer_list<const char16_t*> lines);
QHBoxLayout* YesNoButtons(QWidget* owner, QPushButton*& yes, QPushButton*& no);

class CABakUpChk1Dlg final : public QDialog {
    Q_OBJECT
public:
    // Opening it counts as a person agreeing to the run's messages.
    explicit CABakUpChk1Dlg(backup::SettingsHost& settings, QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* YesButton() const { return yes_; }
    [[nodiscard]] QPushButton* NoButton() const { return no_; }
    QTimer& TimeoutTimer() { return timeout_; }
    void OnTimeout();
    void reject() override;  // Escape and the close box answer "いいえ(&N)"

private:
    void end(BackupTimeAnswer answer);

    backup::SettingsHost& settings_;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
    QTimer timeout_;
    bool ended_ = false;
};

}  // namespace plova::ui
