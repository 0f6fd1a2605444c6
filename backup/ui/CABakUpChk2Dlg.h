// The start-up prompt ("バックアップの確認"): the backup time passed while the
// program was not running; run it now? No time-out.
#pragma once

#include <QDialog>

class QPushButton;

namespace plova::ui {

class CABakUpChk2Dlg final : public QDialog {
    Q_OBJECT
public:
    explicit CABakUpChk2Dlg(QWidget* parent = nullptr);
    [[nodiscard]] QPushButton* YesButton() const { return yes_; }
    [[nodiscard]] QPushButton* NoButton() const { return no_; }

private:
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
};

}  // namespace plova::ui
