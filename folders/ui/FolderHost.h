// What the box-folder, folder and CSV dialogs and commands need of the main
// window, besides what the commands on the list windows need: the open box
// folder changed or its boxes renamed (the lists and displays follow), the
// start-up folder setting, and the folder and file a CSV export or import
// remembers. The main window implements it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "folders/CsvExport.h"
#include "lists/ListSlots.h"
#include "lists/ui/commands/ListCommandHost.h"

namespace plova::ui {

// A CSV file as its dialog's two edits hold it: folder and file name.
struct CsvPlace {
    std::u16string folder;
    std::u16string file;
};

class FolderHost : public ListCommandHost {
public:
    // ---------------------------------------------------- open box folder
    // Box folder `name` under the root folder becomes the open one and the
    // next list window's: the lists of every other folder close, the
    // displays and the status bar follow.
    virtual void ChangeOpenFolder(const std::u16string& name) = 0;
    // Box folders of box folder `boxFolderName` (the open one) took new
    // names: the open lists of those boxes, the box display and the status
    // bar follow.
    virtual void BoxFoldersRenamed(std::u16string_view boxFolderName, const std::vector<BoxRename>& renamed) = 0;

    // -------------------------------------------------- start-up folder
    // "起動時に指定のフォルダを開く" is the choice ("INIT"), and the folder it
    // names (NEXTFOLDER and NEXTFOLDERNAME).
    [[nodiscard]] virtual bool StartupFolderSpecified() const = 0;
    [[nodiscard]] virtual std::u16string SpecifiedStartupFolder() const = 0;
    // The choice can be made: the root folder is set and has a sub-folder.
    [[nodiscard]] virtual bool CanSpecifyStartupFolder() const = 0;
    // "OK": false, with nothing changed, when `text` names no folder.
    virtual bool ApplyStartupFolderChoice(bool specified, std::u16string_view text) = 0;

    // -------------------------------------------------------------- CSV
    // The folder and file of the last export ([EXPORT]) or import ([IMPORT]).
    [[nodiscard]] virtual CsvPlace RememberedCsvPlace(CsvUse use) const = 0;
    virtual void RememberCsvPlace(CsvUse use, const CsvPlace& place) = 0;
};

}  // namespace plova::ui
