#include "backup/ui/CPrgAbackUpDlg.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "backup/BackupRun.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {
namespace {

constexpr int kRangeExtra = 2;
constexpr int kRangeWithoutCount = 100;
constexpr int kBarWidth = 280;

}  // namespace

CPrgAbackUpDlg::CPrgAbackUpDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(qs(backup::kProgressCaption));
    // No close box: the run ends the window; the user has Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setModal(false);
    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(qs(prgbackup::kText), this));
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("progress1195"));
    bar_->setRange(0, kRangeWithoutCount + kRangeExtra);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(kBarWidth);
    body->addWidget(bar_);

    cancel_ = new QPushButton(qs(buttontext::kCancel), this);
    connect(cancel_, &QPushButton::clicked, this, [] { ports().cancel->set(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    LayOutDialog(*this, body, buttons);
}

void CPrgAbackUpDlg::customEvent(QEvent* event) {
    if (event->type() != WindowMessageEvent::eventType()) return QDialog::customEvent(event);
    const auto* m = static_cast<WindowMessageEvent*>(event);
    if (m->message() == backup::kProgressStep) {
        bar_->setValue(std::min(bar_->value() + 1, bar_->maximum()));
    } else if (m->message() == backup::kProgressRange) {
        const int n = static_cast<int>(m->wparam());
        bar_->setRange(0, (n > 0 ? n : kRangeWithoutCount) + kRangeExtra);
        bar_->setValue(0);
    }
}

void CPrgAbackUpDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPrgAbackUpDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace plova::ui
