#include "lists/ui/commands/CPrgMsgCopyDlg.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lists/ui/CListDispView.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {
namespace {
constexpr int kBarWidth = 300;
}  // namespace

CPrgMsgCopyDlg::CPrgMsgCopyDlg(transfer::Mode mode, int range, CListDispView* list, QWidget* parent)
    : QDialog(parent),
      list_(list),
      text_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(qs(u"キャンセル"), this)) {
    setObjectName(QStringLiteral("CPrgMsgCopyDlg"));
    setModal(false);
    const bool copy = mode == transfer::Mode::Copy;
    setWindowTitle(qs(copy ? transfer::kCopyProgressCaption : transfer::kMoveProgressCaption));
    text_->setObjectName(QStringLiteral("id%1").arg(prgcopy::kText));
    text_->setText(qs(copy ? transfer::kCopyProgressText : transfer::kMoveProgressText));
    bar_->setObjectName(QStringLiteral("id%1").arg(prgcopy::kBar));
    bar_->setRange(0, std::max(range, 1));
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(kBarWidth);
    connect(cancel_, &QPushButton::clicked, this, &CPrgMsgCopyDlg::PostCancel);

    auto* body = new QVBoxLayout;
    body->addWidget(text_);
    body->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addStretch(1);
    LayOutDialog(*this, body, buttons);
}

void CPrgMsgCopyDlg::OnMessage(int message, long long wparam) {
    if (message != msg::kBarPosition) return;
    bar_->setValue(static_cast<int>(std::clamp<long long>(wparam, 0, bar_->maximum())));
    // The Cancel button and the window's painting are served between steps.
    QCoreApplication::processEvents();
}

void CPrgMsgCopyDlg::customEvent(QEvent* event) {
    if (event->type() == WindowMessageEvent::eventType()) {
        const auto* m = static_cast<WindowMessageEvent*>(event);
        OnMessage(m->message(), m->wparam());
        return;
    }
    QDialog::customEvent(event);
}

void CPrgMsgCopyDlg::PostCancel() {
    // Posted, as the list window takes it between two steps of the run.
    if (list_) QMetaObject::invokeMethod(list_.data(), "RequestMoveCopyCancel", Qt::QueuedConnection);
}

void CPrgMsgCopyDlg::reject() {
    // Escape is the Cancel button; the window closes only when the run ends.
    PostCancel();
}

}  // namespace plova::ui
