#include "download/ui/PrgDownDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "platform/Ports.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kDefaultRange = 100;
constexpr int kBarWidth = 300;
}  // namespace

PrgDownDlg::PrgDownDlg(Kind kind, QWidget* parent) : CancelProgressDlg(parent) {
    setWindowTitle(kind == Kind::Deleting ? QStringLiteral("削除中") : QStringLiteral("ダウンロード中"));
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    counter_ = new QLabel(this);
    counter_->setObjectName(QStringLiteral("counter"));
    counter_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bar_ = makeBar(kDefaultRange, kBarWidth);
    cancel_ = makeCancelButton();

    switch (kind) {
    case Kind::Files: status_->setText(QStringLiteral("ファイルをダウンロード中です。")); break;
    case Kind::Folders: status_->setText(QStringLiteral("フォルダをダウンロード中です。")); break;
    case Kind::Deleting: status_->setText(QStringLiteral("フォルダを削除中です。")); break;
    }
    counter_->setVisible(kind == Kind::Files);

    LayOutProgressDialog(*this, status_, counter_, bar_, ButtonRow({cancel_}, RowAlign::Centre));
}

void PrgDownDlg::SetTotals(int total, int range) {
    total_ = total;
    counter_value_ = 0;
    bar_->setRange(0, range > 0 ? range : kDefaultRange);
    bar_->setValue(0);
    showCounter();
}

void PrgDownDlg::showCounter() {
    counter_->setText(QString::asprintf("%d／%d", counter_value_, total_));
}

void PrgDownDlg::OnMessage(int message, long long wparam) {
    switch (message) {
    case msg::kBarPosition:
        bar_->setValue(wparam >= 0 && wparam <= bar_->maximum() ? static_cast<int>(wparam) : bar_->maximum());
        break;
    case msg::kNextItem:
        if (counter_value_ < total_) ++counter_value_;
        showCounter();
        bar_->setValue(0);
        break;
    case msg::kStatusDownload:
        status_->setText(QStringLiteral("ファイルをダウンロード中です。"));
        bar_->setRange(0, kDefaultRange);
        bar_->setValue(0);
        break;
    case msg::kStatusConvert:
        status_->setText(QStringLiteral("ＷＡＶファイルに変換中です。"));
        bar_->setValue(0);
        break;
    case msg::kBarRange: bar_->setRange(0, wparam > 0 ? static_cast<int>(wparam) : kDefaultRange); break;
    case msg::kCounterStep:
        bar_->setValue(std::min(counter_value_, bar_->maximum()));
        showCounter();
        if (counter_value_ < total_) ++counter_value_;
        break;
    default: break;
    }
}

}  // namespace plova::ui
