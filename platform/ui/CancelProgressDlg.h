// A modeless progress window that a person stops only by cancelling: its
// Cancel button, Escape and the close box all set the process-wide cancel
// flag and leave the window up; the command that opened it closes it.
#pragma once

#include <QDialog>

class QHBoxLayout;
class QPushButton;

namespace plova::ui {

class CancelProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit CancelProgressDlg(QWidget* parent = nullptr);

protected:
    // A "キャンセル" button that sets the cancel flag.
    QPushButton* MakeCancelButton();
    // The row under the bar: the button alone, centred.
    static QHBoxLayout* CentredRow(QPushButton* button);
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

}  // namespace plova::ui
