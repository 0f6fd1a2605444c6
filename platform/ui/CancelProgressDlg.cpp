#include "platform/ui/CancelProgressDlg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>

#include "platform/Ports.h"

namespace plova::ui {

CancelProgressDlg::CancelProgressDlg(QWidget* parent) : QDialog(parent) {
    setModal(false);
}

QPushButton* CancelProgressDlg::MakeCancelButton() {
    auto* button = new QPushButton(QStringLiteral("キャンセル"), this);
    connect(button, &QPushButton::clicked, this, [] { ports().cancel->set(); });
    return button;
}

QHBoxLayout* CancelProgressDlg::CentredRow(QPushButton* button) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(button);
    row->addStretch(1);
    return row;
}

void CancelProgressDlg::closeEvent(QCloseEvent* event) {
    ports().cancel->set();
    event->ignore();
}

void CancelProgressDlg::reject() {
    ports().cancel->set();
}

}  // namespace plova::ui
