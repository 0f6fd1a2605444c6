#include "backup/ui/CABakUpChk1Dlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/DialogLayout.h"
#include "platform/ui/QtPorts.h"

namespace plova::ui {

QVBoxLayout* PromptLines(QWidget* owner, std::initializer_list<const char16_t*> lines) {
    auto* text = new QVBoxLayout;
    for (const char16_t* line : lines) text->addWidget(new QLabel(Qs(line), owner));
    return text;
}

QHBoxLayout* YesNoButtons(QWidget* owner, QPushButton*& yes, QPushButton*& no) {
    yes = new QPushButton(Qs(buttontext::kYes), owner);
    no = new QPushButton(Qs(buttontext::kNo), owner);
    yes->setDefault(true);
    return ButtonRow({yes, no});
}

CABakUpChk1Dlg::CABakUpChk1Dlg(backup::SettingsHost& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
    setWindowTitle(Qs(bakupchk::kCaption));
    auto* text = PromptLines(this, {bakupchk::kDue, bakupchk::kRunNow, bakupchk::kInterrupts, bakupchk::kAutoStart});
    auto* buttons = YesNoButtons(this, yes_, no_);
    connect(yes_, &QPushButton::clicked, this, [this] { end(BackupTimeAnswer::Yes); });
    connect(no_, &QPushButton::clicked, this, [this] { end(BackupTimeAnswer::No); });
    LayOutMessageDialog(*this, QStyle::SP_MessageBoxQuestion, text, buttons);

    settings_.BackupTimePromptOpened();
    timeout_.setSingleShot(true);
    timeout_.setInterval(backup::kPromptTimeoutMs);
    connect(&timeout_, &QTimer::timeout, this, &CABakUpChk1Dlg::OnTimeout);
    timeout_.start();
}

void CABakUpChk1Dlg::OnTimeout() {
    end(BackupTimeAnswer::TimedOut);
}

void CABakUpChk1Dlg::reject() {
    end(BackupTimeAnswer::No);
}

void CABakUpChk1Dlg::end(BackupTimeAnswer answer) {
    if (ended_) return;
    ended_ = true;
    timeout_.stop();
    settings_.BackupTimePromptEnded(answer, CurrentPorts().clock->Now());
    if (answer == BackupTimeAnswer::No)
        QDialog::reject();
    else
        accept();
}

}  // namespace plova::ui
