// What the commands on the list windows need of the main window, besides
// what the download's windows (DownloadHost) and the list windows (ListHost)
// need: the list windows themselves, the settings the commands read and keep
// (the conversion levels, the folder of the audio files, the columns and the
// select display's criteria), and the played WAV files to delete at exit.
// The main window implements it.
#pragma once

#include <filesystem>
#include <string>

#include "download/ui/DownloadHost.h"
#include "lists/ConvertAndPlay.h"
#include "lists/DisplayItems.h"
#include "lists/SelectCriteria.h"
#include "lists/ui/ListHost.h"
#include "store/AudioImport.h"
#include "store/CFileMng.h"

namespace plova::ui {

class CPlayerWnd;
class ListWindows;

class ListCommandHost : public DownloadHost, public ListHost {
public:
    // Both hosts ask for these; the main window has one of each.
    [[nodiscard]] std::u16string RootFolder() const override = 0;
    void RefreshStatusBar(bool recount) override = 0;

    // ------------------------------------------------------ list windows
    // The list windows; null before they exist.
    [[nodiscard]] virtual ListWindows* Lists() const = 0;
    // Every open list of boxes (not the response list) read again, for new
    // box names or messages that moved; then the status bar.
    virtual void ReloadBoxLists() = 0;
    // The open box folder ("FOLDERNAME") as the folder display names it now.
    virtual void TakeOpenFolderFromDisplay() = 0;
    virtual void CloseSettingsMenu() = 0;

    // ---------------------------------------------------------- settings
    // Converting and playing: "LEVELRVORWAV" and "CONVDEL".
    [[nodiscard]] virtual PlaySettings PlaybackSettings() const = 0;
    // A played WAV file, deleted when the program closes.
    virtual void QueueWavForDeletion(const std::filesystem::path& wav) = 0;
    // The built-in player's one window, made when first asked for (null in a
    // build without a player of its own: the Windows build, until its sound
    // output is built), and the speed and volume it remembers.
    virtual CPlayerWnd* Player() = 0;
    struct PlayerPreferences {
        int speed = 0;
        int volume = 0;
    };
    [[nodiscard]] virtual PlayerPreferences RememberedPlayerPreferences() const = 0;
    virtual void RememberPlayerPreferences(PlayerPreferences preferences) = 0;
    // A new system response message: the folder its file dialog opens in
    // ("SYSADDFOLDER"), which then keeps the folder of the file chosen, and
    // the import's levels ("LEVELRVWAVOR", "LEVELRVWMAOR").
    [[nodiscard]] virtual std::u16string AudioFolder() const = 0;
    virtual void RememberAudioFolder(const std::filesystem::path& chosenFile) = 0;
    [[nodiscard]] virtual store::ImportLevels ImportLevels() const = 0;
    // The box lists' columns as the display items dialog edits them
    // ("COLUM1".., "DELCOLUM1"..), and the settings file it writes them to.
    virtual ColumnNames& ShownColumns() = 0;
    virtual ColumnNames& RemovedColumns() = 0;
    [[nodiscard]] virtual const std::filesystem::path& SettingsFile() const = 0;
    // The select display's criteria of the last OK, for the run.
    virtual SelectCriteria& SelectDisplayCriteria(bool responseList) = 0;
    // The criteria dialogs' "フォルダ名": the root folder and the open box folder.
    [[nodiscard]] virtual std::u16string OpenFolderText() const = 0;
};

}  // namespace plova::ui
