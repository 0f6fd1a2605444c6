// The exit confirmation ("終了確認"): exit after a backup, exit, or stay.
#pragma once

#include <QDialog>

#include "app/ExitSequence.h"

class QPushButton;

namespace plova::ui {

class CEndChkDlg final : public QDialog {
    Q_OBJECT
public:
    CEndChkDlg(const EndCheckButtons& rules, QWidget* parent = nullptr);

    EndCheckChoice Choice() const { return choice_; }

    [[nodiscard]] QPushButton* BackupButton() const { return backup_; }
    [[nodiscard]] QPushButton* YesButton() const { return yes_; }
    [[nodiscard]] QPushButton* NoButton() const { return no_; }

private:
    void choose(EndCheckChoice choice);

    EndCheckChoice choice_ = EndCheckChoice::Cancel;
    QPushButton* backup_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
};

}  // namespace plova::ui
