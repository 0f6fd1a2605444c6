#include "lists/ui/commands/MoveCopyCommands.h"

#include <QCoreApplication>

#include "download/ui/DownloadCommands.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CMsgCopyDlg.h"
#include "lists/ui/commands/COwrMsgDlg.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/CommandIds.h"

namespace plova::ui {
namespace fs = std::filesystem;

WindowTransferView::~WindowTransferView() {
    Close();
}

void WindowTransferView::Open(transfer::Mode mode, int range) {
    // A window of its own: the main window and its lists wait meanwhile.
    progress_ = new CPrgMsgCopyDlg(mode, range, list_.data());
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    host_.MainWindow()->setEnabled(false);
    progress_->show();
    QCoreApplication::processEvents();
}

void WindowTransferView::SetBar(int position) {
    if (progress_) progress_->OnMessage(msg::kBarPosition, position);
}

OverwriteChoice WindowTransferView::AskOverwrite(const std::u16string& fileName) {
    if (progress_) progress_->hide();
    // Not a child of the disabled main window, which would disable it too.
    COwrMsgDlg dialog(fileName, nullptr);
    host_.RunDialog(dialog);
    if (progress_) progress_->show();
    return dialog.Choice();
}

bool WindowTransferView::CancelRequested() {
    return !list_ || list_->MoveCopyCancelRequested();
}

bool WindowTransferView::BackupBreak() {
    return host_.BackupAbandonsListWork();
}

void WindowTransferView::Close() {
    if (progress_) {
        progress_->hide();
        delete progress_.data();
    }
    host_.MainWindow()->setEnabled(true);
    host_.MainWindow()->activateWindow();
}

TransferOutcome MoveCopySelection(ListCommandHost& host, CListDispView& list, transfer::Mode mode,
                                  const fs::path& boxFolder, const fs::path& box) {
    std::vector<fs::path> files;
    for (int row : list.SelectedRows()) files.push_back(list.Data().RecordOfRow(row).Path());
    QPointer<CListDispView> view = &list;
    list.ClearMoveCopyCancel();
    TransferOutcome outcome;
    {
        WindowTransferView window(host, view.data());
        outcome = MoveCopyMessages(mode, files, boxFolder / box, window);
    }
    // Every open box list, not only this one: the messages left boxes that
    // other lists may show, and landed in a box that this or another list shows.
    host.ReloadBoxLists();
    host.RefreshStatusBar(true);
    return outcome;
}

void InstallMoveCopyCommands(ListCommandHost& host) {
    host.SetCommandHandler(cmd::kMoveCopy, trait::kModalDialog | trait::kBoxFolder, [&host] {
        CListDispView* view = host.Lists() ? host.Lists()->ActiveView() : nullptr;
        if (view == nullptr) return;
        // The box folder as the folder display names it now.
        host.TakeOpenFolderFromDisplay();
        const fs::path boxFolder = OpenBoxFolder(host);
        if (boxFolder.empty()) return;
        CMsgCopyDlg dialog(boxFolder, &host, host.MainWindow());
        if (!dialog.Fill() || host.RunDialog(dialog) != QDialog::Accepted) return;
        // The transfer's own messages have told the user how it went.
        (void)MoveCopySelection(host, *view, dialog.ChosenMode(), boxFolder, dialog.ChosenBox());
    });
}

}  // namespace plova::ui
