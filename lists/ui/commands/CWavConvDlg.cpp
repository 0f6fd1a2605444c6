#include "lists/ui/commands/CWavConvDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "lists/ConvertAndPlay.h"
#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kDefaultRange = 100;
constexpr int kBarWidth = 300;

QString counterText(int current, int total) {
    return QString::asprintf("%d／%d", current, total);
}
}  // namespace

CWavConvDlg::CWavConvDlg(int total, QWidget* parent) : CancelProgressDlg(parent), total_(total) {
    setObjectName(QStringLiteral("CWavConvDlg"));
    setWindowTitle(Qs(convert::kDialogCaption));
    auto* text = new QLabel(Qs(convert::kDialogText), this);
    counter_ = new QLabel(counterText(1, total_), this);
    counter_->setObjectName(QStringLiteral("counter"));
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar_ = makeBar(kDefaultRange, kBarWidth);
    bar_->setObjectName(QStringLiteral("bar"));
    cancel_ = makeCancelButton();

    LayOutProgressDialog(*this, text, counter_, bar_, ButtonRow({cancel_}, RowAlign::Centre));
}

void CWavConvDlg::OnMessage(int message, long long wparam) {
    switch (message) {
    case msg::kBarPosition: bar_->setValue(static_cast<int>(std::clamp<long long>(wparam, 0, bar_->maximum()))); break;
    case msg::kNextItem:
        counter_->setText(counterText(std::min(taken_ + 1, total_), total_));
        ++taken_;
        bar_->setValue(0);
        break;
    case msg::kBarRange:
        bar_->setRange(0, wparam > 0 ? static_cast<int>(std::min<long long>(wparam, INT_MAX)) : kDefaultRange);
        break;
    default: break;
    }
}

}  // namespace plova::ui
