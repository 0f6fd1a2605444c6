// The main window as the host of the features' windows (DownloadHost,
// ListCommandHost, FolderHost): the session and the settings they read and
// keep, and the open box folder with the list windows and displays that
// follow it when a command changes it or makes, renames or deletes a box
// folder.
#include <filesystem>

#include "app/FolderSettings.h"
#include "app/FrameTexts.h"
#include "app/ui/CMainFrame.h"
#include "lists/ResponseRows.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindowStatus.h"
#include "lists/ui/ListWindows.h"
#include "platform/Text.h"
#if PLOVA_BUILT_IN_PLAYER
#include "player/ui/CPlayerWnd.h"
#include "player/ui/SystemSoundSink.h"
#endif

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

PlaySettings CMainFrame::PlaybackSettings() const {
    PlaySettings settings;
    settings.levelSetting = doc_.settings.levelRvOrWav;
    settings.deleteAfter = doc_.settings.convDel == 1;
    settings.builtIn = doc_.settings.builtInPlayer == 1;
    return settings;
}

CPlayerWnd* CMainFrame::Player() {
#if PLOVA_BUILT_IN_PLAYER
    if (!player_) {
        if (!soundOverride_ && !sound_) sound_ = MakeSystemSoundSink();
        player_ = new CPlayerWnd(soundOverride_ ? *soundOverride_ : *sound_, this);
    }
    return player_;
#else
    return nullptr;
#endif
}

ListCommandHost::PlayerPreferences CMainFrame::RememberedPlayerPreferences() const {
    return {doc_.settings.playerSpeed, doc_.settings.playerVolume};
}

void CMainFrame::RememberPlayerPreferences(PlayerPreferences preferences) {
    doc_.settings.playerSpeed = preferences.speed;
    doc_.settings.playerVolume = preferences.volume;
}

void CMainFrame::RememberAudioFolder(const fs::path& chosenFile) {
    if (const std::u16string folder = FolderToRemember(chosenFile, settings::kPathMax); !folder.empty())
        doc_.settings.sysAddFolder = folder;
}

store::ImportLevels CMainFrame::ImportLevels() const {
    return {doc_.settings.levelRvWavOr, doc_.settings.levelRvWmaOr};
}

SelectCriteria& CMainFrame::SelectDisplayCriteria(bool responseList) {
    return responseList ? doc_.settings.responseCriteria : doc_.settings.boxCriteria;
}

std::u16string CMainFrame::OpenFolderText() const {
    return WithTrailingSeparator(doc_.settings.folder) + doc_.settings.folderName;
}

std::u16string CMainFrame::SpecifiedStartupFolder() const {
    return SpecifiedFolderText(doc_.settings);
}

bool CMainFrame::CanSpecifyStartupFolder() const {
    return plova::CanSpecifyStartupFolder(doc_.settings);
}

bool CMainFrame::ApplyStartupFolderChoice(bool specified, std::u16string_view text) {
    return plova::ApplyStartupFolderChoice(doc_.settings, specified, text);
}

CsvPlace CMainFrame::RememberedCsvPlace(CsvUse use) const {
    const SettingsRecord& s = doc_.settings;
    return use == CsvUse::Export ? CsvPlace{s.exportPath, s.exportName} : CsvPlace{s.importPath, s.importName};
}

void CMainFrame::RememberCsvPlace(CsvUse use, const CsvPlace& place) {
    SettingsRecord& s = doc_.settings;
    (use == CsvUse::Export ? s.exportPath : s.importPath) = place.folder;
    (use == CsvUse::Export ? s.exportName : s.importName) = place.file;
}

// ---------------------------------------------------------- open box folder

void CMainFrame::RefreshLists() {
    if (lists_)
        for (CListDispView* list : lists_->Views()) list->Refresh(true);
    RefreshStatusBar(true);
}

void CMainFrame::ReloadBoxLists() {
    if (lists_)
        for (CListDispView* view : lists_->Views())
            if (!view->IsSystemResponseList()) view->Refresh(true);
    RefreshStatusBar(false);
}

void CMainFrame::TakeOpenFolderFromDisplay() {
    doc_.settings.folderName = FolderNameFromDisplay(FolderDisplayText());
}

void CMainFrame::CloseListsOfOtherFolders(std::u16string_view root, std::u16string_view name) {
    if (lists_) lists_->Close(ListsOfOtherFolders(doc_.settings, OpenListCount(), root, name));
}

void CMainFrame::ChangeOpenFolder(const std::u16string& name) {
    SettingsRecord& s = doc_.settings;
    CloseListsOfOtherFolders(s.folder, name);
    ChooseOpenFolder(s, name, OpenListCount());
    SetFolderDisplayText(InitialFolderDisplayText(s));
    if (OpenListCount() == 0) SetBoxDisplayText({});
    RefreshStatusBar(true);
}

void CMainFrame::BoxFoldersRenamed(std::u16string_view boxFolderName, const std::vector<BoxRename>& renamed) {
    ListSlotTable table = Slots();
    const std::vector<int> changed = FollowBoxRenames(table, std::u16string(boxFolderName), renamed);
    if (lists_ && !changed.empty()) {
        lists_->DefinitionsChanged(changed);
        if (const CListDispView* active = lists_->ActiveView())
            SetBoxDisplayText(plova::BoxDisplayText(doc_.settings, active->ListNumber()));
        RefreshStatusBar(false);
    }
}

void CMainFrame::OpenNewBoxFolder(const fs::path& boxFolder) {
    SettingsRecord& s = doc_.settings;
    const std::u16string root = WithTrailingSeparator(TextOfPath(boxFolder.parent_path()));
    const std::u16string name = TextOfPath(boxFolder.filename());
    CloseListsOfOtherFolders(root, name);
    s.folder = root;
    s.folderName = name;
    SetFolderDisplayText(InitialFolderDisplayText(s));
    RefreshStatusBar(true);
}

void CMainFrame::CloseListsOfFolder(const fs::path& boxFolder) {
    if (lists_)
        lists_->Close(ListsOfFolder(doc_.settings, OpenListCount(), TextOfPath(boxFolder.parent_path()),
                                    TextOfPath(boxFolder.filename())));
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
