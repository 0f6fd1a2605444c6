// What the commands and dialogs of every feature need of the main window:
// their entry points, registered by command number (platform/CommandIds.h);
// modal dialogs run the way the main window runs its own; the window itself;
// and the dialog backup watch that BackupTimedDlg asks. The host of each
// feature's windows adds what only that feature needs; the main window
// implements them all.
#pragma once

#include <functional>

#include "platform/ui/BackupTimedDlg.h"

class QDialog;
class QWidget;

namespace plova::ui {

// What a command does besides its own work, for the frame every command runs in.
namespace trait {
constexpr unsigned kPlain = 0;
constexpr unsigned kModalDialog = 1;  // a backup that fell due meanwhile runs after it
constexpr unsigned kMainUnit = 2;     // the idle timer rests while it runs
// It writes into the open box folder: it holds the folder's lock while it
// runs, and does not run while another run works there.
constexpr unsigned kBoxFolder = 4;
}  // namespace trait

class CommandHost : public DialogBackupWatch {
public:
    // The entry point of a command whose work lives elsewhere.
    virtual void SetCommandHandler(int id, unsigned traits, std::function<void()> run) = 0;
    // Runs a modal dialog the way the main window runs its own (tests answer
    // it in place of a person).
    virtual int RunDialog(QDialog& dialog) = 0;
    // The main window: the parent of the dialogs, disabled while a command
    // shows a progress window of its own.
    virtual QWidget* MainWindow() = 0;
};

}  // namespace plova::ui
