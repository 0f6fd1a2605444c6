// The batch download dialog ("ダウンロード種別"): recording information and
// voice files, or recording information only, over every box of the open box
// folder. Both kind buttons are disabled while the user is not logged in,
// checked once a second.
#pragma once

#include <QTimer>

#include "platform/ui/BackupTimedDlg.h"

class QPushButton;

namespace plova::ui {

class DownloadHost;

class CDownKindSetDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit CDownKindSetDlg(DownloadHost& host);

    [[nodiscard]] QPushButton* FullButton() const { return full_; }
    [[nodiscard]] QPushButton* InfoButton() const { return info_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    // The one-second check of the logged-in flag.
    void OnLoginCheck();
    // A kind button: confirm, hide, run the batch driver, close.
    void OnKind(int kind);

private:
    DownloadHost& host_;
    QPushButton* full_ = nullptr;
    QPushButton* info_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer loginCheck_;
};

}  // namespace plova::ui
