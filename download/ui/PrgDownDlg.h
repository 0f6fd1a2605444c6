// The download progress windows, modeless and captioned "ダウンロード中": the
// file download (status and counter labels, bar, Cancel) that the download
// procedures drive with messages 1124 to 1130, and the folder download (one
// text and the bar). The same window, captioned "削除中", shows a folder
// being deleted. Cancel sets the process-wide cancel flag.
#pragma once

#include <QString>

#include "platform/ui/CancelProgressDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace plova::ui {

class PrgDownDlg final : public CancelProgressDlg {
    Q_OBJECT
public:
    enum class Kind { Files, Folders, Deleting };
    explicit PrgDownDlg(Kind kind, QWidget* parent = nullptr);

    // The message total and the bar range a command starts with.
    void SetTotals(int total, int range);

    [[nodiscard]] QLabel* StatusLabel() const { return status_; }
    [[nodiscard]] QLabel* CounterLabel() const { return counter_; }
    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }
    [[nodiscard]] int Counter() const { return counter_value_; }

    // 1124 to 1130 of the download procedures.
    void OnMessage(int message, long long wparam) override;

private:
    void showCounter();
    QLabel* status_ = nullptr;
    QLabel* counter_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int total_ = 0;
    int counter_value_ = 0;
};

}  // namespace plova::ui
