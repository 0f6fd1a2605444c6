#include "lists/ui/commands/CPrgMsgCopyDlg.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "lists/ui/CListDispView.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kBarWidth = 300;
}  // namespace

CPrgMsgCopyDlg::CPrgMsgCopyDlg(transfer::Mode mode, int range, CListDispView* list, QWidget* parent)
    : ProgressDlg(parent),
      list_(list),
      text_(new QLabel(this)),
      bar_(makeBar(std::max(range, 1), kBarWidth)),
      cancel_(new QPushButton(Qs(u"キャンセル"), this)) {
    setObjectName(QStringLiteral("CPrgMsgCopyDlg"));
    const bool copy = mode == transfer::Mode::Copy;
    setWindowTitle(Qs(copy ? transfer::kCopyProgressCaption : transfer::kMoveProgressCaption));
    text_->setObjectName(QStringLiteral("id%1").arg(prgcopy::kText));
    text_->setText(Qs(copy ? transfer::kCopyProgressText : transfer::kMoveProgressText));
    bar_->setObjectName(QStringLiteral("id%1").arg(prgcopy::kBar));
    connect(cancel_, &QPushButton::clicked, this, &CPrgMsgCopyDlg::postCancel);

    auto* body = new QVBoxLayout;
    body->addWidget(text_);
    body->addWidget(bar_);
    LayOutDialog(*this, body, ButtonRow({cancel_}, RowAlign::Centre));
}

void CPrgMsgCopyDlg::OnMessage(int message, long long wparam) {
    if (message != msg::kBarPosition) return;
    bar_->setValue(static_cast<int>(std::clamp<long long>(wparam, 0, bar_->maximum())));
    // The Cancel button and the window's painting are served between steps.
    QCoreApplication::processEvents();
}

void CPrgMsgCopyDlg::postCancel() {
    // Posted, as the list window takes it between two steps of the run.
    if (list_) QMetaObject::invokeMethod(list_.data(), "RequestMoveCopyCancel", Qt::QueuedConnection);
}

void CPrgMsgCopyDlg::reject() {
    // Escape is the Cancel button; the window closes only when the run ends.
    postCancel();
}

}  // namespace plova::ui
