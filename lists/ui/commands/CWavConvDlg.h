// The conversion window "変換中", modeless: a counter of the messages and a
// bar over the running conversion, driven by messages 1124, 1125 and 1128
// through the Progress port. Cancel sets the process-wide cancel flag.
#pragma once

#include "platform/ui/CancelProgressDlg.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace plova::ui {

class CWavConvDlg final : public CancelProgressDlg {
    Q_OBJECT
public:
    // For `total` messages: the counter shows the first, the bar is at 0.
    explicit CWavConvDlg(int total, QWidget* parent = nullptr);

    [[nodiscard]] QLabel* CounterLabel() const { return counter_; }
    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

    // 1124 the bar, 1125 the next message, 1128 the bar's range.
    void OnMessage(int message, long long wparam) override;

private:
    QLabel* counter_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int total_ = 0;
    int taken_ = 0;  // messages begun
};

}  // namespace plova::ui
