#include "app/ui/CRecomDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {

CRecomDlg::CRecomDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf16(recom::kCaption));
    setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto* texts = new QVBoxLayout;
    texts->addWidget(new QLabel(QString::fromUtf16(recom::kLost), this));
    texts->addWidget(new QLabel(QString::fromUtf16(recom::kAdvice), this));

    reconnect_ = new QPushButton(QString::fromUtf16(recom::kReconnect), this);
    exit_ = new QPushButton(QString::fromUtf16(recom::kExit), this);
    reconnect_->setDefault(true);
    connect(reconnect_, &QPushButton::clicked, this, [this] {
        choice_ = ConnectionLostChoice::Reconnect;
        accept();
    });
    connect(exit_, &QPushButton::clicked, this, [this] {
        choice_ = ConnectionLostChoice::Exit;
        accept();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(reconnect_);
    buttons->addWidget(exit_);
    buttons->addStretch(1);

    LayOutMessageDialog(*this, QStyle::SP_MessageBoxWarning, texts, buttons);
}

}  // namespace plova::ui
