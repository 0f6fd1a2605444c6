// Buttons 1001 to 1003 and what the download dialogs share: the progress
// window, the main window disabled while a run goes on, the logout after a
// session-breaking failure, and the box folder the settings name.
#pragma once

#include <QPointer>
#include <filesystem>
#include <memory>

#include "download/DownloadDrivers.h"
#include "download/ui/DownloadHost.h"
#include "download/ui/PrgDownDlg.h"

namespace plova::ui {

// The open box folder: the root folder plus the box-folder name; empty when
// either is not set.
std::filesystem::path OpenBoxFolder(const DownloadHost& host);

// The drivers' view of the windows.
class WindowDownloadView final : public DownloadView {
public:
    explicit WindowDownloadView(DownloadHost& host) : host_(host) {}
    ~WindowDownloadView() override;
    void OpenProgress() override;
    void SetTotals(int total, int range) override;
    void CloseProgress() override;
    void Logout() override;
    [[nodiscard]] PrgDownDlg* Progress() const { return progress_.data(); }

private:
    DownloadHost& host_;
    QPointer<PrgDownDlg> progress_;
};

// The batch driver of kind `kind` over `request`, behind the progress window;
// every open list is built again afterwards.
BatchResult RunDownload(DownloadHost& host, BatchRequest request);

// The voice data of the chosen rows (button 1004), for the list windows.
VoiceResult RunSelectedVoiceDownload(DownloadHost& host, const std::vector<std::filesystem::path>& rows);

// Registers the handlers of buttons 1001 (folder download), 1002 (batch
// download) and 1003 (selective download) with the main window; the main
// window handles 1004 (voice data of the selected rows) with its lists.
void InstallDownloadCommands(DownloadHost& host);

}  // namespace plova::ui
