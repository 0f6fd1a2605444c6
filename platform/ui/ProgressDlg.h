// The base of every progress window: modeless, driven by the messages the
// logic sends through the Progress port. It unpacks them for OnMessage and
// makes the parts such windows share: the bar and the Cancel button.
#pragma once

#include <QDialog>

class QProgressBar;
class QPushButton;

namespace plova::ui {

class ProgressDlg : public QDialog {
    Q_OBJECT
public:
    explicit ProgressDlg(QWidget* parent = nullptr);

    // One message of the progress protocol, with its first parameter.
    virtual void OnMessage(int message, long long wparam) = 0;

protected:
    void customEvent(QEvent* event) final;

    // A bar over 0..`range` at 0, without a text, at least `width` wide.
    QProgressBar* makeBar(int range, int width);
    // A "キャンセル" button that sets the cancel flag.
    QPushButton* makeCancelButton();
};

}  // namespace plova::ui
