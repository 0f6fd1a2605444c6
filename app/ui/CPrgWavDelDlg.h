// "消去中": the bar over WAV files being deleted. It has no buttons and
// ignores Enter and Escape: the deletion is short and not to be stopped.
#pragma once

#include <QDialog>

class QProgressBar;

namespace plova::ui {

class CPrgWavDelDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CPrgWavDelDlg(QWidget* parent = nullptr);
    void SetRange(int count);
    void SetPos(int position);
    QProgressBar* bar() const { return bar_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    QProgressBar* bar_;
};

}  // namespace plova::ui
