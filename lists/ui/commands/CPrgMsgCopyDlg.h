// The progress window of a move ("移動中") or copy ("コピー中"): a text, the
// bar that message 1124 sets, and Cancel, which posts the cancel request
// (message 1129) to the list window that runs the command.
#pragma once

#include <QPointer>

#include "platform/ui/ProgressDlg.h"
#include "store/MessageTransfer.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace plova::ui {

class CListDispView;

namespace prgcopy {
constexpr int kText = 1153;
constexpr int kBar = 1149;
}  // namespace prgcopy

class CPrgMsgCopyDlg final : public ProgressDlg {
    Q_OBJECT
public:
    CPrgMsgCopyDlg(transfer::Mode mode, int range, CListDispView* list, QWidget* parent = nullptr);

    // One message of the progress protocol (1124: the bar position).
    void OnMessage(int message, long long wparam) override;

    [[nodiscard]] QLabel* Text() const { return text_; }
    [[nodiscard]] QProgressBar* Bar() const { return bar_; }
    [[nodiscard]] QPushButton* CancelButton() const { return cancel_; }

protected:
    void reject() override;

private:
    void postCancel();
    QPointer<CListDispView> list_;
    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* cancel_;
};

}  // namespace plova::ui
