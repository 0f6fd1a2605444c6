#include "backup/ui/CPrgAbackUpDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "backup/BackupRun.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {

constexpr int kRangeExtra = 2;
constexpr int kRangeWithoutCount = 100;
constexpr int kBarWidth = 280;

}  // namespace

CPrgAbackUpDlg::CPrgAbackUpDlg(QWidget* parent) : ProgressDlg(parent) {
    setWindowTitle(Qs(backup::kProgressCaption));
    // No close box: the run ends the window; the user has Cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(Qs(prgbackup::kText), this));
    bar_ = makeBar(kRangeWithoutCount + kRangeExtra, kBarWidth);
    bar_->setObjectName(QStringLiteral("progress1195"));
    body->addWidget(bar_);

    cancel_ = makeCancelButton();
    LayOutDialog(*this, body, ButtonRow({cancel_}, RowAlign::Centre));
}

void CPrgAbackUpDlg::OnMessage(int message, long long wparam) {
    if (message == backup::kProgressStep) {
        bar_->setValue(std::min(bar_->value() + 1, bar_->maximum()));
    } else if (message == backup::kProgressRange) {
        const int n = static_cast<int>(wparam);
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
