#include "app/ui/MoveCopyCommands.h"

#include <QCoreApplication>

#include "app/CommandTable.h"
#include "app/FrameTexts.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CMsgCopyDlg.h"
#include "app/ui/COwrMsgDlg.h"
#include "app/ui/CsvCommands.h"
#include "download/ui/DownloadCommands.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"

namespace plova::ui {
namespace fs = std::filesystem;

WindowTransferView::~WindowTransferView() {
    close();
}

void WindowTransferView::open(transfer::Mode mode, int range) {
    // A window of its own: the main window and its lists wait meanwhile.
    progress_ = new CPrgMsgCopyDlg(mode, range, list_.data());
    progress_->setAttribute(Qt::WA_DeleteOnClose, false);
    frame_.setEnabled(false);
    progress_->show();
    QCoreApplication::processEvents();
}

void WindowTransferView::setBar(int position) {
    if (progress_) progress_->OnMessage(msg::kBarPosition, position);
}

OverwriteChoice WindowTransferView::askOverwrite(const std::u16string& fileName) {
    if (progress_) progress_->hide();
    // Not a child of the disabled main window, which would disable it too.
    COwrMsgDlg dialog(fileName, nullptr);
    frame_.RunDialog(dialog);
    if (progress_) progress_->show();
    return dialog.Choice();
}

bool WindowTransferView::cancelRequested() {
    return !list_ || list_->MoveCopyCancelRequested();
}

bool WindowTransferView::backupBreak() {
    return frame_.BackupAbandonsListWork();
}

void WindowTransferView::close() {
    if (progress_) {
        progress_->hide();
        delete progress_.data();
    }
    frame_.setEnabled(true);
    frame_.activateWindow();
}

TransferOutcome MoveCopySelection(CMainFrame& frame, CListDispView& list, transfer::Mode mode,
                                  const fs::path& boxFolder, const fs::path& box) {
    std::vector<fs::path> files;
    for (int row : list.SelectedRows()) files.push_back(list.Data().RecordOfRow(row).path());
    QPointer<CListDispView> view = &list;
    list.ClearMoveCopyCancel();
    TransferOutcome outcome;
    {
        WindowTransferView window(frame, view.data());
        outcome = MoveCopyMessages(mode, files, boxFolder / box, window);
    }
    // Every open box list, not only this one: the messages left boxes that
    // other lists may show, and landed in a box that this or another list shows.
    ReloadBoxLists(frame);
    frame.RefreshStatusBar(true);
    return outcome;
}

void InstallMoveCopyCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kMoveCopy, trait::kModalDialog | trait::kBoxFolder, [&frame] {
        CListDispView* view = frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
        if (view == nullptr) return;
        // The box folder as the folder display names it now.
        frame.Settings().folderName = FolderNameFromDisplay(frame.FolderDisplayText());
        const fs::path boxFolder = OpenBoxFolder(frame);
        if (boxFolder.empty()) return;
        CMsgCopyDlg dialog(boxFolder, &frame, &frame);
        if (!dialog.Fill() || frame.RunDialog(dialog) != QDialog::Accepted) return;
        MoveCopySelection(frame, *view, dialog.ChosenMode(), boxFolder, dialog.ChosenBox());
    });
}

}  // namespace plova::ui
