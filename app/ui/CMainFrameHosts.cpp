// The main window as the host of the features' windows (DownloadHost): the
// session and the settings they read, and the open box folder with the list
// windows and displays that follow it when a command makes, renames or
// deletes a box folder.
#include <filesystem>

#include "app/FolderSettings.h"
#include "app/FrameTexts.h"
#include "app/ui/CMainFrame.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "lists/ui/ListWindowStatus.h"
#include "platform/Text.h"

namespace plova::ui {
namespace fs = std::filesystem;

// ------------------------------------------------------------------ session

void CMainFrame::EndSession() {
    session_->Logout();
}

// ----------------------------------------------------------------- settings

DownloadOptions CMainFrame::DownloadSettings() const {
    return DownloadOptions{doc_.settings.downConv == 1, doc_.settings.levelRvOrWav};
}

// ---------------------------------------------------------- open box folder

void CMainFrame::RefreshLists() {
    if (lists_)
        for (CListDispView* list : lists_->Views()) list->Refresh(true);
    RefreshStatusBar(true);
}

void CMainFrame::CloseListsOfOtherFolders(std::u16string_view root, std::u16string_view name) {
    if (lists_) lists_->Close(ListsOfOtherFolders(doc_.settings, OpenListCount(), root, name));
}

void CMainFrame::OpenNewBoxFolder(const fs::path& boxFolder) {
    SettingsRecord& s = doc_.settings;
    const std::u16string root = WithTrailingSeparator(fromUtf8(boxFolder.parent_path().string()));
    const std::u16string name = fromUtf8(boxFolder.filename().string());
    CloseListsOfOtherFolders(root, name);
    s.folder = root;
    s.folderName = name;
    SetFolderDisplayText(InitialFolderDisplayText(s));
    RefreshStatusBar(true);
}

void CMainFrame::CloseListsOfFolder(const fs::path& boxFolder) {
    if (lists_)
        lists_->Close(ListsOfFolder(doc_.settings, OpenListCount(), fromUtf8(boxFolder.parent_path().string()),
                                    fromUtf8(boxFolder.filename().string())));
}

void CMainFrame::FollowBoxFolderRename(std::u16string_view root, std::u16string_view oldName,
                                       std::u16string_view newName) {
    SettingsRecord& s = doc_.settings;
    const std::u16string openBefore = s.folderName;
    const auto slotsBefore = s.folderNames;
    FollowFolderRename(s, root, oldName, newName);
    if (s.folderName != openBefore) {
        const ListWindowStatus* active = ActiveListStatus();
        SetFolderDisplayText(active ? plova::FolderDisplayText(s, active->ListNumber()) : InitialFolderDisplayText(s));
    }
    if (s.folderNames != slotsBefore && lists_) {
        for (CListDispView* list : lists_->Views()) list->Refresh(true);
        RefreshStatusBar(false);
    }
}

}  // namespace plova::ui
