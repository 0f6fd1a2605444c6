// Button 1015 ("消去"): the deletion dialog over the active list window, the
// deletion of its selected rows behind the progress window, then the list
// again as the disk now holds it.
#pragma once

#include <QPointer>

#include "lists/MessageDeletion.h"
#include "lists/ui/commands/CPrgMsgDelDlg.h"

namespace plova::ui {

class CListDispView;
class ListCommandHost;

// The procedure's view of the windows.
class WindowDeletionView final : public DeletionView {
public:
    WindowDeletionView(ListCommandHost& host, QWidget* over) : host_(host), over_(over) {}
    ~WindowDeletionView() override;
    void OpenProgress(int range) override;
    void Advance() override;
    void CloseProgress() override;
    bool BackupDue() override;
    void Logout() override;
    [[nodiscard]] CPrgMsgDelDlg* Progress() const { return progress_.data(); }

private:
    ListCommandHost& host_;
    QPointer<QWidget> over_;
    QPointer<CPrgMsgDelDlg> progress_;
};

// Deletes the rows selected in `view` by `kind` (del::kKind...), then
// reloads the list and the status bar, also after a run that stopped early.
DeletionResult DeleteSelection(ListCommandHost& host, CListDispView& view, int kind);

// Registers the handler of button 1015 with the main window.
void InstallDeleteCommands(ListCommandHost& host);

}  // namespace plova::ui
