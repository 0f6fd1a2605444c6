#include "app/ui/CRecomDlg.h"

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
    LayOutMessageDialog(*this, QStyle::SP_MessageBoxWarning, texts, ButtonRow({reconnect_, exit_}, RowAlign::Centre));
}

}  // namespace plova::ui
