#include "app/ui/DeleteCommands.h"

#include <QCoreApplication>

#include "app/CommandTable.h"
#include "app/ui/CDelKindSetDlg.h"
#include "app/ui/CMainFrame.h"
#include "lists/ResponseRows.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "platform/Text.h"

namespace plova::ui {
namespace fs = std::filesystem;

WindowDeletionView::~WindowDeletionView() {
    closeProgress();
}

void WindowDeletionView::openProgress(int range) {
    // A window of its own, so that disabling the main window leaves it live.
    progress_ = new CPrgMsgDelDlg;
    progress_->SetRange(range);
    progress_->adjustSize();
    if (over_) {
        const QPoint centre = over_->mapToGlobal(over_->rect().center());
        progress_->move(centre - progress_->rect().center());
    }
    frame_.setEnabled(false);
    progress_->show();
    QCoreApplication::processEvents();
    // Painted now: the first answer of the main unit may keep the loop waiting.
    progress_->repaint();
}

void WindowDeletionView::advance() {
    if (progress_) progress_->Advance();
}

void WindowDeletionView::closeProgress() {
    if (progress_) {
        progress_->Finish();
        progress_->hide();
        delete progress_.data();
    }
    frame_.setEnabled(true);
}

bool WindowDeletionView::backupDue() {
    return frame_.BackupAbandonsListWork();
}

void WindowDeletionView::logout() {
    frame_.Session().Logout();
}

DeletionResult DeleteSelection(CMainFrame& frame, CListDispView& view, int kind) {
    // Like every long command, a deletion starts with no cancel pending.
    view.ClearMoveCopyCancel();
    const ListData& data = view.Data();
    DeletionRequest request;
    request.kind = kind;
    request.responseList = data.IsResponseList();
    request.boxFolder = fs::path(toUtf8(data.Source().root)) / toUtf8(data.Source().folderName);
    request.rows = SelectedRecordsOf(data, view.SelectedRows());

    QPointer<CListDispView> alive(&view);
    WindowDeletionView windows(frame, &view);
    const DeletionResult result = DeleteMessages(request, frame.Ftp(), windows);
    // Whatever the run got to, the list shows what is on the disk now.
    if (result.end != DeletionEnd::NothingSelected && alive) alive->Refresh(true);
    frame.RefreshStatusBar(true);
    return result;
}

void InstallDeleteCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kErase, trait::kModalDialog | trait::kMainUnit | trait::kBoxFolder, [&frame] {
        QPointer<CListDispView> view = frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
        if (!view) return;
        CDelKindSetDlg dialog(frame);
        if (frame.RunDialog(dialog) != QDialog::Accepted || dialog.Kind() < 0 || !view) return;
        DeleteSelection(frame, *view, dialog.Kind());
    });
}

}  // namespace plova::ui
