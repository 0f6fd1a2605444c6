// The deletion dialog ("音声メッセージ消去"): the messages selected in the
// active list window go from the main unit only, from the main unit and this
// PC, or from this PC only. The two main-unit kinds are disabled while the
// user is not logged in, checked once a second; each kind asks once more
// before the dialog closes with it.
#pragma once

#include <QTimer>

#include "platform/ui/BackupTimedDlg.h"

class QPushButton;

namespace plova::ui {

class ListCommandHost;

class CDelKindSetDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit CDelKindSetDlg(ListCommandHost& host);

    [[nodiscard]] QPushButton* MainUnitButton() const { return mainUnit_; }
    [[nodiscard]] QPushButton* BothButton() const { return both_; }
    [[nodiscard]] QPushButton* PcButton() const { return pc_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
    [[nodiscard]] const QTimer& LoginCheckTimer() const { return loginCheck_; }

    // The kind the dialog closed with; -1 when it was cancelled.
    [[nodiscard]] int Kind() const { return kind_; }

    // The one-second check of the logged-in flag.
    void OnLoginCheck();
    // A kind button: "消去します。よろしいですか？"; Yes closes with that kind.
    void OnKind(int kind);

private:
    ListCommandHost& host_;
    QPushButton* mainUnit_ = nullptr;
    QPushButton* both_ = nullptr;
    QPushButton* pc_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QTimer loginCheck_;
    int kind_ = -1;
};

}  // namespace plova::ui
