#include "lists/ui/commands/CPrgMsgDelDlg.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "lists/MessageDeletion.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kBarWidth = 300;
}

CPrgMsgDelDlg::CPrgMsgDelDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(Qs(del::kProgressCaption));
    setModal(false);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 1);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(kBarWidth);
    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(Qs(del::kProgressText), this));
    body->addWidget(bar_);
    LayOutDialog(*this, body, new QVBoxLayout);
}

void CPrgMsgDelDlg::SetRange(int steps) {
    bar_->setRange(0, steps > 0 ? steps : 1);
    bar_->setValue(0);
}

void CPrgMsgDelDlg::Advance() {
    // A message may have more files than its share of the bar (two WAV
    // files differing in case): the bar stops at its end.
    bar_->setValue(std::min(bar_->value() + 1, bar_->maximum()));
}

void CPrgMsgDelDlg::Finish() {
    bar_->setValue(bar_->maximum());
}

void CPrgMsgDelDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace plova::ui
