// The deletion progress window ("消去中"), modeless: one step per local file
// deleted and per answer of the main unit. A deletion is not cancelled
// half-way, so the window has no Cancel and ignores Escape and closing.
#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

namespace plova::ui {

class CPrgMsgDelDlg final : public QDialog {
    Q_OBJECT
public:
    explicit CPrgMsgDelDlg(QWidget* parent = nullptr);

    void SetRange(int steps);
    void Advance();
    // The bar to its end, as the run finishes.
    void Finish();

    [[nodiscard]] QProgressBar* Bar() const { return bar_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override {}

private:
    QProgressBar* bar_ = nullptr;
};

}  // namespace plova::ui
