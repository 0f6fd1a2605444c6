#include "platform/ui/PrgNoteDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {
constexpr int kPumpedEvents = 10;
constexpr int kBarWidth = 260;
constexpr char16_t kBoxNamesCaption[] = u"登録中";
constexpr char16_t kBoxNamesText[] = u"BOX名称を登録中です。";
constexpr char16_t kWavFilesCaption[] = u"消去中";
constexpr char16_t kWavFilesText[] = u"ＷＡＶファイルを消去中です。";
}  // namespace

PrgNoteDlg::PrgNoteDlg(std::u16string_view caption, std::u16string_view text, QWidget* parent) : QDialog(parent) {
    setWindowTitle(Qs(caption));
    setModal(false);
    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(kBarWidth);
    bar_->setRange(0, 0);
    bar_->setValue(0);
    auto* body = new QVBoxLayout;
    body->addWidget(new QLabel(Qs(text), this));
    body->addWidget(bar_);
    LayOutDialog(*this, body, nullptr);
}

void PrgNoteDlg::SetRange(int maximum) {
    bar_->setRange(0, std::max(0, maximum));
    bar_->setValue(0);
}

void PrgNoteDlg::SetPos(int position) {
    bar_->setValue(std::min(position, bar_->maximum()));
    bar_->repaint();
    for (int i = 0; i < kPumpedEvents; ++i) QCoreApplication::processEvents();
}

int PrgNoteDlg::Pos() const {
    return bar_->value();
}

void PrgNoteDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PrgNoteDlg::closeEvent(QCloseEvent* event) {
    // Only the work that opened the window closes it.
    event->ignore();
}

CPrgBoxNameChgDlg::CPrgBoxNameChgDlg(QWidget* parent) : PrgNoteDlg(kBoxNamesCaption, kBoxNamesText, parent) {}

CPrgWavDelDlg::CPrgWavDelDlg(QWidget* parent) : PrgNoteDlg(kWavFilesCaption, kWavFilesText, parent) {}

}  // namespace plova::ui
