#include "platform/ui/CBackupTimedDlg.h"

#include "platform/CommandIds.h"

namespace plova::ui {

CBackupTimedDlg::CBackupTimedDlg(DialogBackupWatch* watch, QWidget* parent) : QDialog(parent), watch_(watch) {
    timer_.setInterval(cmd::kDialogBackupTimerMs);
    connect(&timer_, &QTimer::timeout, this, &CBackupTimedDlg::OnDialogBackupTimer);
}

void CBackupTimedDlg::StartDialogBackupTimer() {
    if (watch_ && watch_->BackupWatchArmed()) timer_.start();
}

void CBackupTimedDlg::StopDialogBackupTimer() {
    timer_.stop();
}

void CBackupTimedDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    StartDialogBackupTimer();
}

void CBackupTimedDlg::done(int result) {
    StopDialogBackupTimer();
    QDialog::done(result);
}

void CBackupTimedDlg::OnDialogBackupTimer() {
    StopDialogBackupTimer();
    if (watch_ && watch_->OnDialogBackupTick()) {
        // The dialog's operation is abandoned; the backup runs after it.
        reject();
        return;
    }
    StartDialogBackupTimer();
}

}  // namespace plova::ui
