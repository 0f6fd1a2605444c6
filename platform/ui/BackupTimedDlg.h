// A modal dialog that runs the dialog backup timer (timer 10, 10000 ms)
// while the backup watch is armed: on a tick it asks the watch whether a
// backup is to run now, and when so the dialog is cancelled so that the
// command that opened it runs the backup after it.
#pragma once

#include <QDialog>
#include <QTimer>

namespace plova::ui {

class DialogBackupWatch {
public:
    virtual ~DialogBackupWatch() = default;
    [[nodiscard]] virtual bool BackupWatchArmed() const = 0;
    // One tick of a dialog's backup timer; true when the dialog is to be
    // cancelled because the backup is to run now.
    virtual bool OnDialogBackupTick() = 0;
};

class BackupTimedDlg : public QDialog {
    Q_OBJECT
public:
    BackupTimedDlg(DialogBackupWatch* watch, QWidget* parent);

    [[nodiscard]] bool DialogBackupTimerActive() const { return timer_.isActive(); }
    // One tick of timer 10.
    void OnDialogBackupTimer();

protected:
    void startDialogBackupTimer();  // only while the watch is armed
    void stopDialogBackupTimer();
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    DialogBackupWatch* watch_;
    QTimer timer_;
};

}  // namespace plova::ui
