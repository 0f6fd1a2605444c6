#include "lists/ui/commands/ListDisplayCommands.h"

#include "lists/ui/CFindSetDlg.h"
#include "lists/ui/CFindSetDlgS.h"
#include "lists/ui/CListDispSelectDlg.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/CommandIds.h"
#include "platform/Ports.h"
#include "platform/Text.h"

namespace plova::ui {
namespace {

CListDispView* activeView(ListCommandHost& host) {
    return host.Lists() ? host.Lists()->ActiveView() : nullptr;
}

}  // namespace

void RunDisplayItems(ListCommandHost& host) {
    CListDispView* view = activeView(host);
    if (view == nullptr || view->IsSystemResponseList()) return;
    CListDispSelectDlg dialog(host.ShownColumns(), host.RemovedColumns(), host.SettingsFile(), host.MainWindow());
    if (host.RunListDialog(dialog) != QDialog::Accepted) return;
    // The response list keeps its fixed columns.
    for (CListDispView* list : host.Lists()->Views())
        if (!list->IsSystemResponseList()) list->Refresh(false, true);
}

void RunSelectDisplay(ListCommandHost& host) {
    CListDispView* view = activeView(host);
    if (view == nullptr) return;
    if (view->IsSystemResponseList()) {
        SelectCriteria& criteria = host.SelectDisplayCriteria(true);
        CFindSetDlgS dialog(criteria, host.OpenFolderText(), host.MainWindow());
        if (host.RunDialog(dialog) != QDialog::Accepted) return;
        // The view keeps its own copy: later changes to the stored criteria
        // do not change what its refreshes select.
        view->SelectDisplay([c = criteria](const FILESTS_INFO& r) { return MatchesResponseRecord(c, r); });
        return;
    }
    SelectCriteria& criteria = host.SelectDisplayCriteria(false);
    CFindSetDlg dialog(criteria, host.OpenFolderText(), host.MainWindow());
    if (host.RunListDialog(dialog) != QDialog::Accepted) return;
    view->SelectDisplay([c = criteria](const FILESTS_INFO& r) { return MatchesBoxRecord(c, r); });
}

void RunOpenMessageFolder(ListCommandHost& host) {
    CListDispView* view = activeView(host);
    if (view == nullptr) return;
    const std::filesystem::path folder = view->CurrentMessageFolder();
    if (!CurrentPorts().shell->Open(folder))
        ShowPrompt(u"フォルダを開けませんでした。\n" + ReadablePathText(TextOfPath(folder)), u"エラー",
                   Icon::Exclamation);
}

void InstallListDisplayCommands(ListCommandHost& host) {
    host.SetCommandHandler(cmd::kDisplayItems, trait::kModalDialog, [&host] { RunDisplayItems(host); });
    host.SetCommandHandler(cmd::kOpenMessageFolder, trait::kPlain, [&host] { RunOpenMessageFolder(host); });
    host.SetCommandHandler(cmd::kSelectDisplay, trait::kModalDialog, [&host] { RunSelectDisplay(host); });
}

}  // namespace plova::ui
