#include "platform/ui/BackupTimedDlg.h"

#include "platform/CommandIds.h"

namespace plova::ui {

BackupTimedDlg::BackupTimedDlg(DialogBackupWatch* watch, QWidget* parent) : QDialog(parent), watch_(watch) {
    timer_.setInterval(cmd::kDialogBackupTimerMs);
    connect(&timer_, &QTimer::timeout, this, &BackupTimedDlg::OnDialogBackupTimer);
}

void BackupTimedDlg::startDialogBackupTimer() {
    if (watch_ && watch_->BackupWatchArmed()) timer_.start();
}

void BackupTimedDlg::stopDialogBackupTimer() {
    timer_.stop();
}

void BackupTimedDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    startDialogBackupTimer();
}

void BackupTimedDlg::done(int result) {
    stopDialogBackupTimer();
    QDialog::done(result);
}

void BackupTimedDlg::OnDialogBackupTimer() {
    stopDialogBackupTimer();
    if (watch_ && watch_->OnDialogBackupTick()) {
        // The dialog's operation is abandoned; the backup runs after it.
        reject();
        return;
    }
    startDialogBackupTimer();
}

}  // namespace plova::ui
