#include "platform/ui/CancelProgressDlg.h"

#include <QCloseEvent>

#include "platform/Ports.h"

namespace plova::ui {

void CancelProgressDlg::closeEvent(QCloseEvent* event) {
    ports().cancel->set();
    event->ignore();
}

void CancelProgressDlg::reject() {
    ports().cancel->set();
}

}  // namespace plova::ui
