// The progress window of a backup run ("バックアップ実行中"): modeless, found
// by its caption. It takes two messages: one more message backed up, and the
// bar's range. "キャンセル" sets the cancel flag; the run notices it at its
// next check. Escape does nothing.
#pragma once

#include "platform/ui/ProgressDlg.h"

class QProgressBar;
class QPushButton;

namespace plova::ui {

namespace prgbackup {
constexpr char16_t kText[] = u"バックアップを実行しています。";
}  // namespace prgbackup

class CPrgAbackUpDlg final : public ProgressDlg {
    Q_OBJECT
public:
    explicit CPrgAbackUpDlg(QWidget* parent = nullptr);
    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    // One more message backed up, or the bar's range.
    void OnMessage(int message, long long wparam) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace plova::ui
