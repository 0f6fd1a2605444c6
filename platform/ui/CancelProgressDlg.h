// A progress window that a person stops only by cancelling: its Cancel
// button, Escape and the close box all set the process-wide cancel flag and
// leave the window up; the command that opened it closes it.
#pragma once

#include "platform/ui/ProgressDlg.h"

namespace plova::ui {

class CancelProgressDlg : public ProgressDlg {
    Q_OBJECT
public:
    using ProgressDlg::ProgressDlg;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
};

}  // namespace plova::ui
