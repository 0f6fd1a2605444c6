#include "lists/ui/commands/DeleteCommands.h"

#include <QCoreApplication>

#include "lists/ResponseRows.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CDelKindSetDlg.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/CommandIds.h"
#include "platform/Text.h"

namespace plova::ui {
namespace fs = std::filesystem;

WindowDeletionView::~WindowDeletionView() {
    CloseProgress();
}

void WindowDeletionView::OpenProgress(int range) {
    // A window of its own, so that disabling the main window leaves it live.
    progress_ = new CPrgMsgDelDlg;
    progress_->SetRange(range);
    progress_->adjustSize();
    if (over_) {
        const QPoint centre = over_->mapToGlobal(over_->rect().center());
        progress_->move(centre - progress_->rect().center());
    }
    host_.MainWindow()->setEnabled(false);
    progress_->show();
    QCoreApplication::processEvents();
    // Painted now: the first answer of the main unit may keep the loop waiting.
    progress_->repaint();
}

void WindowDeletionView::Advance() {
    if (progress_) progress_->Advance();
}

void WindowDeletionView::CloseProgress() {
    if (progress_) {
        progress_->Finish();
        progress_->hide();
        delete progress_.data();
    }
    host_.MainWindow()->setEnabled(true);
}

bool WindowDeletionView::BackupDue() {
    return host_.BackupAbandonsListWork();
}

void WindowDeletionView::Logout() {
    host_.EndSession();
}

DeletionResult DeleteSelection(ListCommandHost& host, CListDispView& view, int kind) {
    // Like every long command, a deletion starts with no cancel pending.
    view.ClearMoveCopyCancel();
    const ListData& data = view.Data();
    DeletionRequest request;
    request.kind = kind;
    request.responseList = data.IsResponseList();
    request.boxFolder = PathOfText(data.Source().root) / PathOfText(data.Source().folderName);
    request.rows = SelectedRecordsOf(data, view.SelectedRows());

    QPointer<CListDispView> alive(&view);
    WindowDeletionView windows(host, &view);
    const DeletionResult result = DeleteMessages(request, host.Ftp(), windows);
    // Whatever the run got to, the list shows what is on the disk now.
    if (result.end != DeletionEnd::NothingSelected && alive) alive->Refresh(true);
    host.RefreshStatusBar(true);
    return result;
}

void InstallDeleteCommands(ListCommandHost& host) {
    host.SetCommandHandler(cmd::kErase, trait::kModalDialog | trait::kMainUnit | trait::kBoxFolder, [&host] {
        QPointer<CListDispView> view = host.Lists() ? host.Lists()->ActiveView() : nullptr;
        if (!view) return;
        CDelKindSetDlg dialog(host);
        if (host.RunDialog(dialog) != QDialog::Accepted || dialog.Kind() < 0 || !view) return;
        // The run has shown its own messages and refreshed the list.
        static_cast<void>(DeleteSelection(host, *view, dialog.Kind()));
    });
}

}  // namespace plova::ui
