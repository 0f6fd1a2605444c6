#include "download/ui/DownloadCommands.h"

#include <QCoreApplication>

#include "download/ui/CDownKindSetDlg.h"
#include "download/ui/CFolderDwnDlg.h"
#include "download/ui/CSelDownDlg.h"
#include "download/ui/PrgDownDlg.h"
#include "link/CFtpMng.h"
#include "platform/CommandIds.h"
#include "platform/Text.h"

namespace plova::ui {
namespace fs = std::filesystem;

fs::path OpenBoxFolder(const DownloadHost& host) {
    const std::u16string root = host.RootFolder();
    const std::u16string name = host.OpenFolderName();
    if (root.empty() || name.empty()) return {};
    return PathOfText(root) / PathOfText(name);
}

WindowDownloadView::~WindowDownloadView() {
    CloseProgress();
}

void WindowDownloadView::OpenProgress() {
    // A window of its own: the main window is disabled meanwhile, and its
    // children with it.
    progress_ = new PrgDownDlg(PrgDownDlg::Kind::Files);
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    host_.MainWindow()->setEnabled(false);
    progress_->show();
    QCoreApplication::processEvents();
}

void WindowDownloadView::SetTotals(int total, int range) {
    if (progress_) progress_->SetTotals(total, range);
}

void WindowDownloadView::CloseProgress() {
    if (progress_) {
        progress_->hide();
        delete progress_.data();
    }
    host_.MainWindow()->setEnabled(true);
}

void WindowDownloadView::Logout() {
    host_.EndSession();
}

BatchResult RunDownload(DownloadHost& host, BatchRequest request) {
    CFtpMng* ftp = host.Ftp();
    WindowDownloadView view(host);
    if (ftp == nullptr) {
        ShowClosing(Closing::CommError);
        return {Closing::CommError, {}};
    }
    DownloadMng downloader(*ftp, host.DownloadSettings());
    BatchResult result = RunBatch(downloader, request, view);
    // Whatever arrived, also before a failure, shows in every open list.
    host.RefreshLists();
    return result;
}

VoiceResult RunSelectedVoiceDownload(DownloadHost& host, const std::vector<fs::path>& rows) {
    CFtpMng* ftp = host.Ftp();
    WindowDownloadView view(host);
    if (ftp == nullptr) return {{Closing::CommError}, {}, false};
    DownloadMng downloader(*ftp, host.DownloadSettings());
    return DownloadSelectedVoice(downloader, rows, view);
}

void InstallDownloadCommands(DownloadHost& host) {
    const unsigned traits = trait::kModalDialog | trait::kMainUnit;
    // The folder download holds the lock of the folder it fills once that is chosen.
    host.SetCommandHandler(cmd::kFolderDownload, traits, [&host] {
        CFolderDwnDlg dialog(host);
        host.RunDialog(dialog);
    });
    host.SetCommandHandler(cmd::kDownloadAll, traits | trait::kBoxFolder, [&host] {
        if (OpenBoxFolder(host).empty()) return;
        CDownKindSetDlg dialog(host);
        host.RunDialog(dialog);
    });
    host.SetCommandHandler(cmd::kDownloadSelected, traits | trait::kBoxFolder, [&host] {
        if (OpenBoxFolder(host).empty()) return;
        CSelDownDlg dialog(host);
        if (!dialog.HasBoxes()) return;
        host.RunDialog(dialog);
    });
}

}  // namespace plova::ui
