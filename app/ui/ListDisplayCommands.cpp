#include "app/ui/ListDisplayCommands.h"

#include "app/CommandTable.h"
#include "app/ui/CMainFrame.h"
#include "lists/ui/CFindSetDlg.h"
#include "lists/ui/CFindSetDlgS.h"
#include "lists/ui/CListDispSelectDlg.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"

namespace plova::ui {
namespace {

CListDispView* activeView(CMainFrame& frame) {
    return frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
}

// The criteria dialogs' "フォルダ名": the root folder and the open box folder.
std::u16string folderNameText(const SettingsRecord& s) {
    return WithTrailingSeparator(s.folder) + s.folderName;
}

}  // namespace

void RunDisplayItems(CMainFrame& frame) {
    CListDispView* view = activeView(frame);
    if (view == nullptr || view->IsSystemResponseList()) return;
    SettingsRecord& s = frame.Settings();
    CListDispSelectDlg dialog(s.columns, s.deletedColumns, frame.SettingsFile(), &frame);
    if (frame.RunListDialog(dialog) != QDialog::Accepted) return;
    // The response list keeps its fixed columns.
    for (CListDispView* list : frame.Lists()->Views())
        if (!list->IsSystemResponseList()) list->Refresh(false, true);
}

void RunSelectDisplay(CMainFrame& frame) {
    CListDispView* view = activeView(frame);
    if (view == nullptr) return;
    SettingsRecord& s = frame.Settings();
    if (view->IsSystemResponseList()) {
        CFindSetDlgS dialog(s.responseCriteria, folderNameText(s), &frame);
        if (frame.RunDialog(dialog) != QDialog::Accepted) return;
        // The view keeps its own copy: later changes to the stored criteria
        // do not change what its refreshes select.
        view->SelectDisplay([c = s.responseCriteria](const FILESTS_INFO& r) { return MatchesResponseRecord(c, r); });
        return;
    }
    CFindSetDlg dialog(s.boxCriteria, folderNameText(s), &frame);
    if (frame.RunListDialog(dialog) != QDialog::Accepted) return;
    view->SelectDisplay([c = s.boxCriteria](const FILESTS_INFO& r) { return MatchesBoxRecord(c, r); });
}

void InstallListDisplayCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kDisplayItems, trait::kModalDialog, [&frame] { RunDisplayItems(frame); });
    frame.SetCommandHandler(cmd::kSelectDisplay, trait::kModalDialog, [&frame] { RunSelectDisplay(frame); });
}

}  // namespace plova::ui
