#include "folders/ui/BoxCommands.h"

#include <memory>

#include "download/ui/DownloadCommands.h"
#include "folders/BoxFolders.h"
#include "folders/ui/CBoxFldNameChgDlg.h"
#include "folders/ui/CBoxNameChgDlg.h"
#include "folders/ui/CFolderChgDlg.h"
#include "folders/ui/CFolderSetDlg.h"
#include "folders/ui/CMakeBoxFldDlg.h"
#include "folders/ui/CWavFileDelDlg.h"
#include "folders/ui/CsvCommands.h"
#include "folders/ui/FolderHost.h"
#include "lists/ListSlots.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "platform/CommandIds.h"
#include "platform/Ports.h"
#include "platform/Text.h"
#include "platform/ui/CommandHost.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

void inform(std::u16string_view text, std::u16string_view caption) {
    ShowPrompt(std::u16string(text), std::u16string(caption), Icon::Information);
}

void warn(std::u16string_view text) {
    ShowPrompt(std::u16string(text), std::u16string(boxes::kErrorCaption), Icon::Exclamation);
}

void editBoxNames(FolderHost& host) {
    if (OpenBoxFolder(host).empty()) return;
    CBoxNameChgDlg dialog(host);
    if (!dialog.Opened() || host.RunDialog(dialog) != QDialog::Accepted) return;
    if (dialog.Failures() > 0)
        warn(boxes::kBadInput);
    else
        inform(boxes::kNamesDone, boxes::kNamesDoneCaption);
    host.ReloadBoxLists();
}

void renameBoxFolders(FolderHost& host) {
    const fs::path boxFolder = OpenBoxFolder(host);
    if (boxFolder.empty()) return;
    CBoxFldNameChgDlg dialog(host);
    if (!dialog.Opened() || host.RunDialog(dialog) != QDialog::Accepted) return;
    // The open lists of the renamed boxes go with them.
    host.BoxFoldersRenamed(TextOfPath(boxFolder.filename()), dialog.Done().renamed);
    if (!dialog.Done().kept.empty())
        warn(boxes::kRenameFailed);
    else
        inform(boxes::kRenamedDone, boxes::kRenamedDoneCaption);
}

}  // namespace

void InstallBoxCommands(FolderHost& host) {
    const unsigned modal = trait::kModalDialog;
    const unsigned inFolder = trait::kModalDialog | trait::kBoxFolder;
    host.SetCommandHandler(cmd::kEditBoxNames, inFolder, [&host] { editBoxNames(host); });
    host.SetCommandHandler(cmd::kRenameBoxFolder, inFolder, [&host] { renameBoxFolders(host); });
    // The kind chosen last is offered again until the program ends.
    auto answering = std::make_shared<bool>(true);
    host.SetCommandHandler(cmd::kCreateBoxFolder, inFolder, [&host, answering] {
        if (OpenBoxFolder(host).empty()) return;
        CMakeBoxFldDlg dialog(host, *answering);
        if (host.RunDialog(dialog) != QDialog::Accepted) return;
        *answering = dialog.AnsweringChosen();
        inform(boxes::kMadeDone, boxes::kMadeDoneCaption);
    });
    host.SetCommandHandler(cmd::kDeleteWavFiles, inFolder, [&host] {
        host.CloseSettingsMenu();
        CWavFileDelDlg dialog(host);
        if (dialog.Opened()) host.RunDialog(dialog);
    });
    host.SetCommandHandler(cmd::kStartupFolder, modal, [&host] {
        CFolderSetDlg dialog(host);
        host.RunDialog(dialog);
    });
    host.SetCommandHandler(cmd::kFolderChange, modal, [&host] {
        CFolderChgDlg dialog(host);
        if (host.RunDialog(dialog) == QDialog::Accepted && !dialog.Chosen().isEmpty())
            host.ChangeOpenFolder(dialog.Chosen().toStdU16String());
    });
}

}  // namespace plova::ui
