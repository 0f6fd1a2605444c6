#include "app/ui/ConvertCommands.h"

#include <QCoreApplication>
#include <QThread>

#include "app/CommandTable.h"
#include "app/ui/CMainFrame.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "platform/Ports.h"
#include "platform/ui/CPrgNoteDlg.h"

namespace plova::ui {
namespace {
// After the last file the window stays a moment, so it is seen at all.
constexpr int kClosingPumps = 10;
constexpr int kClosingPumpMs = 10;

CListDispView* ActiveView(CMainFrame& frame) {
    return frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
}
}  // namespace

WindowConversionHost::~WindowConversionHost() {
    CloseConvertDialog();
}

void WindowConversionHost::EnableMainWindow(bool enabled) {
    frame_.setEnabled(enabled);
}

void WindowConversionHost::ActivateMainWindow() {
    frame_.raise();
    frame_.activateWindow();
}

void WindowConversionHost::OpenConvertDialog(int total) {
    CloseConvertDialog();
    // A window of its own, so that it stays live while the main window is disabled.
    dialog_ = new CWavConvDlg(total);
    dialog_->show();
    QCoreApplication::processEvents();
}

void WindowConversionHost::CloseConvertDialog() {
    if (dialog_) {
        dialog_->hide();
        delete dialog_.data();
    }
}

bool WindowConversionHost::BackupBreaksIn() {
    return frame_.BackupAbandonsListWork();
}

void WindowConversionHost::QueueWavForDeletion(const std::filesystem::path& wav) {
    frame_.QueueWavForDeletion(wav);
}

void ConvertSelection(CMainFrame& frame) {
    CListDispView* view = ActiveView(frame);
    // With nothing selected there is nothing to convert, nor to ask about.
    if (view == nullptr || view->SelectedRecords().empty()) return;
    if (prompt(std::u16string(convert::kQuestion), std::u16string(convert::kQuestionCaption), Icon::Question,
               Buttons::YesNo) != Answer::Yes)
        return;
    WindowConversionHost host(frame);
    view->ConvertSelected(host, frame.Settings().levelRvOrWav);
}

void PlaySelection(CMainFrame& frame) {
    CListDispView* view = ActiveView(frame);
    if (view == nullptr) return;
    WindowConversionHost host(frame);
    PlaySettings settings;
    settings.levelSetting = frame.Settings().levelRvOrWav;
    settings.deleteAfter = frame.Settings().convDel == 1;
    // The played mark shows in the list.
    if (view->PlayCurrent(host, settings) == 1) view->Refresh(true, false, true);
}

void DeleteWavFilesAtExit(const std::vector<std::filesystem::path>& files) {
    if (files.empty()) return;
    CPrgWavDelDlg progress(nullptr);
    progress.SetRange(static_cast<int>(files.size()));
    progress.show();
    QCoreApplication::processEvents();
    DeleteListedWavFiles(files, [&progress](int done) {
        progress.SetPos(done);
        QCoreApplication::processEvents();
    });
    for (int i = 0; i < kClosingPumps; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(kClosingPumpMs);
    }
    progress.hide();
}

void InstallConvertCommands(CMainFrame& frame) {
    // A backup that fell due between two conversions runs after the command.
    frame.SetCommandHandler(cmd::kConvert, trait::kModalDialog | trait::kBoxFolder,
                            [&frame] { ConvertSelection(frame); });
    frame.SetCommandHandler(cmd::kPlay, trait::kPlain, [&frame] { PlaySelection(frame); });
}

}  // namespace plova::ui
