#include "lists/ui/CPrgOpenDlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

namespace plova::ui {

CPrgOpenDlg::CPrgOpenDlg(QWidget* parent) : QDialog(parent), bar_(new QProgressBar(this)) {
    setObjectName(QStringLiteral("CPrgOpenDlg"));
    setWindowTitle(QString::fromUtf16(prgopen::kCaption));
    setModal(false);
    // It closes itself when the list is built; there is nothing to cancel.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf16(prgopen::kText), this));
    bar_->setRange(0, 0);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(300);
    layout->addWidget(bar_);
    setFixedSize(sizeHint());
}

void CPrgOpenDlg::SetRange(int total) {
    bar_->setRange(0, std::max(total, 0));
    bar_->setValue(0);
}

void CPrgOpenDlg::SetPos(int position) {
    bar_->setValue(std::clamp(position, 0, bar_->maximum()));
}

int CPrgOpenDlg::Pos() const {
    return bar_->value();
}

}  // namespace plova::ui
