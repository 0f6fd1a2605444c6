#include "app/ui/BoxCommands.h"

#include <memory>

#include "app/BoxFolders.h"
#include "app/FolderSettings.h"
#include "app/FrameTexts.h"
#include "app/ui/CBoxFldNameChgDlg.h"
#include "app/ui/CBoxNameChgDlg.h"
#include "app/ui/CFolderChgDlg.h"
#include "app/ui/CFolderSetDlg.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CMakeBoxFldDlg.h"
#include "app/ui/CWavFileDelDlg.h"
#include "app/ui/CsvCommands.h"
#include "download/ui/DownloadCommands.h"
#include "lists/ListSlots.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "platform/Ports.h"
#include "platform/Text.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

void inform(std::u16string_view text, std::u16string_view caption) {
    prompt(std::u16string(text), std::u16string(caption), Icon::Information);
}

void warn(std::u16string_view text) {
    prompt(std::u16string(text), std::u16string(boxes::kErrorCaption), Icon::Exclamation);
}

void EditBoxNames(CMainFrame& frame) {
    if (OpenBoxFolder(frame).empty()) return;
    CBoxNameChgDlg dialog(frame);
    if (!dialog.Opened() || frame.RunDialog(dialog) != QDialog::Accepted) return;
    if (dialog.Failures() > 0)
        warn(boxes::kBadInput);
    else
        inform(boxes::kNamesDone, boxes::kNamesDoneCaption);
    frame.ReloadBoxLists();
}

void RenameBoxFolders(CMainFrame& frame) {
    const fs::path boxFolder = OpenBoxFolder(frame);
    if (boxFolder.empty()) return;
    CBoxFldNameChgDlg dialog(frame);
    if (!dialog.Opened() || frame.RunDialog(dialog) != QDialog::Accepted) return;
    // The open lists of the renamed boxes go with them.
    ListSlotTable table = frame.Slots();
    const std::vector<int> changed =
        FollowBoxRenames(table, fromUtf8(boxFolder.filename().string()), dialog.Done().renamed);
    if (frame.Lists() && !changed.empty()) {
        frame.Lists()->DefinitionsChanged(changed);
        if (const CListDispView* active = frame.Lists()->ActiveView())
            frame.SetBoxDisplayText(BoxDisplayText(frame.Settings(), active->ListNumber()));
        frame.RefreshStatusBar(false);
    }
    if (!dialog.Done().kept.empty())
        warn(boxes::kRenameFailed);
    else
        inform(boxes::kRenamedDone, boxes::kRenamedDoneCaption);
}

// The open box folder becomes `name`: the lists of another folder close.
void ChangeOpenFolder(CMainFrame& frame, const std::u16string& name) {
    SettingsRecord& s = frame.Settings();
    frame.CloseListsOfOtherFolders(s.folder, name);
    ChooseOpenFolder(s, name, frame.OpenListCount());
    frame.SetFolderDisplayText(InitialFolderDisplayText(s));
    if (frame.OpenListCount() == 0) frame.SetBoxDisplayText({});
    frame.RefreshStatusBar(true);
}

}  // namespace

void InstallBoxCommands(CMainFrame& frame) {
    const unsigned modal = trait::kModalDialog;
    const unsigned inFolder = trait::kModalDialog | trait::kBoxFolder;
    frame.SetCommandHandler(cmd::kEditBoxNames, inFolder, [&frame] { EditBoxNames(frame); });
    frame.SetCommandHandler(cmd::kRenameBoxFolder, inFolder, [&frame] { RenameBoxFolders(frame); });
    // The kind chosen last is offered again until the program ends.
    auto answering = std::make_shared<bool>(true);
    frame.SetCommandHandler(cmd::kCreateBoxFolder, inFolder, [&frame, answering] {
        if (OpenBoxFolder(frame).empty()) return;
        CMakeBoxFldDlg dialog(frame, *answering);
        if (frame.RunDialog(dialog) != QDialog::Accepted) return;
        *answering = dialog.AnsweringChosen();
        inform(boxes::kMadeDone, boxes::kMadeDoneCaption);
    });
    frame.SetCommandHandler(cmd::kDeleteWavFiles, inFolder, [&frame] {
        frame.CloseSettingsMenu();
        CWavFileDelDlg dialog(frame);
        if (dialog.Opened()) frame.RunDialog(dialog);
    });
    frame.SetCommandHandler(cmd::kStartupFolder, modal, [&frame] {
        CFolderSetDlg dialog(frame.Settings(), &frame, &frame);
        frame.RunDialog(dialog);
    });
    frame.SetCommandHandler(cmd::kFolderChange, modal, [&frame] {
        CFolderChgDlg dialog(frame);
        if (frame.RunDialog(dialog) == QDialog::Accepted && !dialog.Chosen().isEmpty())
            ChangeOpenFolder(frame, dialog.Chosen().toStdU16String());
    });
}

}  // namespace plova::ui
