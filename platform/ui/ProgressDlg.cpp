#include "platform/ui/ProgressDlg.h"

#include <QProgressBar>
#include <QPushButton>

#include "platform/Ports.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {

ProgressDlg::ProgressDlg(QWidget* parent) : QDialog(parent) {
    setModal(false);
}

void ProgressDlg::customEvent(QEvent* event) {
    if (event->type() != WindowMessageEvent::EventType()) return QDialog::customEvent(event);
    const auto* m = static_cast<WindowMessageEvent*>(event);
    OnMessage(m->Message(), m->Wparam());
}

QProgressBar* ProgressDlg::makeBar(int range, int width) {
    auto* bar = new QProgressBar(this);
    bar->setRange(0, range);
    bar->setValue(0);
    bar->setTextVisible(false);
    bar->setMinimumWidth(width);
    return bar;
}

QPushButton* ProgressDlg::makeCancelButton() {
    auto* button = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(button, &QPushButton::clicked, this, [] { CurrentPorts().cancel->Set(); });
    return button;
}

}  // namespace plova::ui
