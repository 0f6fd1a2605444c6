#include "app/ui/DownloadCommands.h"

#include <QCoreApplication>

#include "app/CommandTable.h"
#include "app/ui/CDownKindSetDlg.h"
#include "app/ui/CFolderDwnDlg.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CPrgDownDlg.h"
#include "app/ui/CSelDownDlg.h"
#include "link/CFtpMng.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "platform/Text.h"

namespace plova::ui {
namespace fs = std::filesystem;

fs::path OpenBoxFolder(CMainFrame& frame) {
    const SettingsRecord& s = frame.Settings();
    if (s.folder.empty() || s.folderName.empty()) return {};
    return fs::path(toUtf8(s.folder)) / toUtf8(s.folderName);
}

WindowDownloadView::~WindowDownloadView() {
    closeProgress();
}

void WindowDownloadView::openProgress() {
    // A window of its own: the main window is disabled meanwhile, and its
    // children with it.
    progress_ = new CPrgDownDlg(CPrgDownDlg::Kind::Files);
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    frame_.setEnabled(false);
    progress_->show();
    QCoreApplication::processEvents();
}

void WindowDownloadView::setTotals(int total, int range) {
    if (progress_) progress_->SetTotals(total, range);
}

void WindowDownloadView::closeProgress() {
    if (progress_) {
        progress_->hide();
        delete progress_.data();
    }
    frame_.setEnabled(true);
}

void WindowDownloadView::logout() {
    frame_.Session().Logout();
}

DownloadOptions DownloadOptionsOf(CMainFrame& frame) {
    return DownloadOptions{frame.Settings().downConv == 1, frame.Settings().levelRvOrWav};
}

BatchResult RunDownload(CMainFrame& frame, BatchRequest request) {
    CFtpMng* ftp = frame.Ftp();
    WindowDownloadView view(frame);
    if (ftp == nullptr) {
        ShowClosing(Closing::CommError);
        return {Closing::CommError, {}};
    }
    CDownloadMng downloader(*ftp, DownloadOptionsOf(frame));
    BatchResult result = RunBatch(downloader, request, view);
    // Whatever arrived, also before a failure, shows in every open list.
    if (frame.Lists())
        for (CListDispView* list : frame.Lists()->Views()) list->Refresh(true);
    frame.RefreshStatusBar(true);
    return result;
}

VoiceResult RunSelectedVoiceDownload(CMainFrame& frame, const std::vector<fs::path>& rows) {
    CFtpMng* ftp = frame.Ftp();
    WindowDownloadView view(frame);
    if (ftp == nullptr) return {{Closing::CommError}, {}, false};
    CDownloadMng downloader(*ftp, DownloadOptionsOf(frame));
    return DownloadSelectedVoice(downloader, rows, view);
}

void InstallDownloadCommands(CMainFrame& frame) {
    const unsigned traits = trait::kModalDialog | trait::kMainUnit;
    // The folder download holds the lock of the folder it fills once that is chosen.
    frame.SetCommandHandler(cmd::kFolderDownload, traits, [&frame] {
        CFolderDwnDlg dialog(frame);
        frame.RunDialog(dialog);
    });
    frame.SetCommandHandler(cmd::kDownloadAll, traits | trait::kBoxFolder, [&frame] {
        if (OpenBoxFolder(frame).empty()) return;
        CDownKindSetDlg dialog(frame);
        frame.RunDialog(dialog);
    });
    frame.SetCommandHandler(cmd::kDownloadSelected, traits | trait::kBoxFolder, [&frame] {
        if (OpenBoxFolder(frame).empty()) return;
        CSelDownDlg dialog(frame);
        if (!dialog.HasBoxes()) return;
        frame.RunDialog(dialog);
    });
}

}  // namespace plova::ui
