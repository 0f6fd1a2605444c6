// What the download dialogs and commands need of the main window: the
// session with the main unit, the open box folder and the download settings,
// and the list windows and displays brought up to date after a run or after
// a box folder was made, renamed or deleted. The main window implements it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "download/DownloadMng.h"
#include "platform/ui/CommandHost.h"

namespace plova {
class CFtpMng;
}

namespace plova::ui {

class DownloadHost : public CommandHost {
public:
    // ------------------------------------------------------------ session
    // The FTP client of the session; null without one.
    virtual CFtpMng* Ftp() = 0;
    [[nodiscard]] virtual bool LoggedIn() const = 0;
    // The logout command's work, after a failure that broke the session.
    virtual void EndSession() = 0;

    // ----------------------------------------------------------- settings
    // The root folder of the box folders ("FOLDER") and the open box
    // folder's name under it ("FOLDERNAME").
    [[nodiscard]] virtual std::u16string RootFolder() const = 0;
    [[nodiscard]] virtual std::u16string OpenFolderName() const = 0;
    // The conversion at download ("DOWNCONV", "LEVELRVORWAV").
    [[nodiscard]] virtual DownloadOptions DownloadSettings() const = 0;

    // ------------------------------------------------- what a run changes
    // Every open list shown again as the disk now holds it, and the status
    // bar recounted.
    virtual void RefreshLists() = 0;
    virtual void RefreshStatusBar(bool recount) = 0;
    // `boxFolder` is the open box folder from now on: the lists of every
    // other folder close, the folder display and the status bar follow.
    virtual void OpenNewBoxFolder(const std::filesystem::path& boxFolder) = 0;
    // The lists that show `boxFolder` close (its files are about to go).
    virtual void CloseListsOfFolder(const std::filesystem::path& boxFolder) = 0;
    // Box folder `oldName` under `root` now bears `newName`: the names the
    // settings keep for it (the open folder, the list slots, the start-up
    // folder) follow, and so do the folder display and the open lists, which
    // are read again from it.
    virtual void FollowBoxFolderRename(std::u16string_view root, std::u16string_view oldName,
                                       std::u16string_view newName) = 0;
};

}  // namespace plova::ui
