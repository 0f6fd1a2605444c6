// Buttons 1001 to 1003 and what the download dialogs share: the progress
// window, the main window disabled while a run goes on, the logout after a
// session-breaking failure, and the box folder the settings name.
#pragma once

#include <QPointer>
#include <filesystem>
#include <memory>

#include "app/ui/CPrgDownDlg.h"
#include "download/DownloadDrivers.h"

namespace plova::ui {

class CMainFrame;

// The open box folder: the root folder plus the box-folder name; empty when
// either is not set.
std::filesystem::path OpenBoxFolder(CMainFrame& frame);

// The drivers' view of the windows.
class WindowDownloadView final : public DownloadView {
public:
    explicit WindowDownloadView(CMainFrame& frame) : frame_(frame) {}
    ~WindowDownloadView() override;
    void openProgress() override;
    void setTotals(int total, int range) override;
    void closeProgress() override;
    void logout() override;
    CPrgDownDlg* progress() const { return progress_.data(); }

private:
    CMainFrame& frame_;
    QPointer<CPrgDownDlg> progress_;
};

// The download options of the settings ("DOWNCONV", "LEVELRVORWAV").
DownloadOptions DownloadOptionsOf(CMainFrame& frame);

// The batch driver of kind `kind` over `request`, behind the progress window;
// every open list is built again afterwards.
BatchResult RunDownload(CMainFrame& frame, BatchRequest request);

// The voice data of the chosen rows (button 1004), for the list windows.
VoiceResult RunSelectedVoiceDownload(CMainFrame& frame, const std::vector<std::filesystem::path>& rows);

// Registers the handlers of buttons 1001 (folder download), 1002 (batch
// download) and 1003 (selective download) with the main window; the main
// window handles 1004 (voice data of the selected rows) with its lists.
void InstallDownloadCommands(CMainFrame& frame);

}  // namespace plova::ui
