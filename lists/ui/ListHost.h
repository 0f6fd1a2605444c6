// What a list window needs of the main window: the settings it reads (the
// table of open lists, the root folder, the columns), the command-bar
// displays, the window area the lists live in, and the places where its
// state shows (enable flags, status bar). The main window implements it.
#pragma once

#include <string>
#include <vector>

#include "lists/ListCounters.h"
#include "lists/ListSlots.h"

class QDialog;
class QMdiArea;
class QPoint;
class QWidget;

namespace plova::ui {

class ListHost {
public:
    virtual ~ListHost() = default;

    // ------------------------------------------------------------ settings
    virtual ListSlotTable Slots() = 0;
    [[nodiscard]] virtual std::u16string RootFolder() const = 0;               // "FOLDER"
    [[nodiscard]] virtual std::vector<std::u16string> BoxColumns() const = 0;  // "COLUM1".."COLUM13"

    // ---------------------------------------------------------- the frame
    [[nodiscard]] virtual QMdiArea* ListArea() const = 0;
    virtual QWidget* DialogParent() = 0;
    // A modal dialog, with the dialog backup timer running while it is open.
    virtual int RunListDialog(QDialog& dialog) = 0;
    // The command bar's folder display (1024) and box display (1023).
    [[nodiscard]] virtual std::u16string FolderDisplayText() const = 0;
    virtual void SetBoxDisplayText(const std::u16string& text) = 0;
    [[nodiscard]] virtual bool MaximisedChildren() const = 0;
    virtual void SetMaximisedChildren(bool on) = 0;

    // ------------------------------------------------ what the lists report
    virtual void PublishListFlags(const CommandFlags& flags) = 0;
    virtual void RefreshStatusBar(bool recount) = 0;
    // The last list window has closed.
    virtual void AllListsClosed() = 0;
    // A list is built or rebuilt: the main window takes no input meanwhile.
    virtual void SetListBusy(bool busy) = 0;
    // Between the steps of a build: true when a backup fell due and was
    // accepted, so the build stops and the backup runs after it.
    virtual bool BackupAbandonsListWork() = 0;
    // A command a list starts itself (a double click edits the recording information).
    virtual void RunListCommand(int id) = 0;
    // The rows' menu at `globalPos`: the commands on messages, each enabled
    // as its button or menu item is; the chosen one runs.
    virtual void ShowRowMenu(const QPoint& globalPos) = 0;
    // A command of the rows' menu from a key (Enter plays, Delete deletes):
    // it runs only when its rule enables it now; false when it did not run.
    virtual bool RunRowCommand(int id) = 0;
};

}  // namespace plova::ui
