#include "platform/ui/CancelProgressDlg.h"

#include <QCloseEvent>

#include "platform/Ports.h"

namespace plova::ui {

void CancelProgressDlg::closeEvent(QCloseEvent* event) {
    CurrentPorts().cancel->Set();
    event->ignore();
}

void CancelProgressDlg::reject() {
    CurrentPorts().cancel->Set();
}

}  // namespace plova::ui
