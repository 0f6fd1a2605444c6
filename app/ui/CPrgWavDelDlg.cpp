#include "app/ui/CPrgWavDelDlg.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ui/DialogLayout.h"
#include "lists/ConvertAndPlay.h"

namespace plova::ui {
namespace {
constexpr int kBarWidth = 300;
}

CPrgWavDelDlg::CPrgWavDelDlg(QWidget* parent) : QDialog(parent), bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("CPrgWavDelDlg"));
    setWindowTitle(qs(convert::kDeletingCaption));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->addWidget(new QLabel(qs(convert::kDeletingText), this));
    bar_->setRange(0, 0);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(kBarWidth);
    layout->addWidget(bar_);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CPrgWavDelDlg::SetRange(int count) {
    bar_->setRange(0, std::max(count, 0));
    bar_->setValue(0);
}

void CPrgWavDelDlg::SetPos(int position) {
    bar_->setValue(std::clamp(position, 0, bar_->maximum()));
}

void CPrgWavDelDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPrgWavDelDlg::closeEvent(QCloseEvent* event) {
    event->ignore();
}

}  // namespace plova::ui
