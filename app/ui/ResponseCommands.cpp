#include "app/ui/ResponseCommands.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>

#include "app/CommandTable.h"
#include "app/ui/CMainFrame.h"
#include "app/ui/CPrgAddMsgDlg.h"
#include "app/ui/CPrgULMsgDlg.h"
#include "link/CFtpMng.h"
#include "link/ResponseUpload.h"
#include "lists/ResponseRows.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "store/ResponseMessage.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

// Takes a progress window down and gives the main window back.
template <typename Dialog>
void CloseProgress(QPointer<Dialog>& dialog, CMainFrame& frame) {
    if (dialog) {
        dialog->hide();
        delete dialog.data();
    }
    frame.setEnabled(true);
}

// Shows a progress window of its own (the main window is disabled meanwhile,
// and its children with it), set up by `setUp` before it first paints.
template <typename Dialog, typename SetUp>
void OpenProgress(QPointer<Dialog>& dialog, CMainFrame& frame, SetUp setUp) {
    CloseProgress(dialog, frame);
    dialog = new Dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    setUp(*dialog);
    frame.setEnabled(false);
    dialog->show();
    QCoreApplication::processEvents();
}

class FrameAddMessageWindow final : public AddMessageWindow {
public:
    explicit FrameAddMessageWindow(CMainFrame& frame) : frame_(frame) {}
    ~FrameAddMessageWindow() override { close(); }
    void open(std::uintmax_t fileSize) override {
        OpenProgress(dialog_, frame_, [&](CPrgAddMsgDlg& d) { d.Reading(fileSize); });
    }
    void converting() override {
        if (dialog_) dialog_->Converting();
    }
    void close() override { CloseProgress(dialog_, frame_); }

private:
    CMainFrame& frame_;
    QPointer<CPrgAddMsgDlg> dialog_;
};

class FrameUploadWindow final : public UploadWindow {
public:
    FrameUploadWindow(CMainFrame& frame, CListDispView& view) : frame_(frame), view_(&view) {}
    ~FrameUploadWindow() override { closeProgress(); }
    WindowHandle openProgress(int total) override {
        OpenProgress(dialog_, frame_,
                     [&](CPrgULMsgDlg& d) { d.SetRange(static_cast<std::uint64_t>(std::max(total, 0))); });
        return ports().progress->find(uploadwindow::kCaption);
    }
    void closeProgress() override { CloseProgress(dialog_, frame_); }
    void loggedOut() override { frame_.Session().Logout(); }
    void finish(bool reload) override {
        if (reload && view_) view_->Refresh(true, false, true);
        frame_.setEnabled(true);
    }

private:
    CMainFrame& frame_;
    QPointer<CListDispView> view_;
    QPointer<CPrgULMsgDlg> dialog_;
};

// The open dialog's filter text, "description|pattern|…", as Qt's name filters.
QStringList NameFilters(std::u16string_view text) {
    const QStringList parts = qs(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        // The description names its pattern already: "wavﾌｧｲﾙ(*.wav)".
        filters << (description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))
                        ? description
                        : description + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    }
    return filters;
}

// The file dialog of the Add button; empty when the user cancels.
fs::path ChooseAudioFile(CMainFrame& frame) {
    QFileDialog dialog(&frame, qs(response::kOpenDialogTitle));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(qs(response::kOpenDialogDefaultExtension));
    dialog.setNameFilters(NameFilters(response::kOpenDialogFilter));
    const std::u16string& start = frame.Settings().sysAddFolder;
    if (!start.empty()) dialog.setDirectory(QString::fromStdU16String(start));
    if (frame.RunDialog(dialog) != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return {};
    return fs::path(chosen.front().toStdString());
}

CListDispView* ActiveResponseList(CMainFrame& frame) {
    CListDispView* view = frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
    return view && view->IsSystemResponseList() ? view : nullptr;
}

void ShowNotSelected() {
    prompt(std::u16string(response::kNotSelected), std::u16string(response::kErrorCaption), Icon::Exclamation);
}

}  // namespace

void AddSystemMessage(CMainFrame& frame) {
    CListDispView* view = ActiveResponseList(frame);
    if (view == nullptr) return;
    QPointer<CListDispView> shown(view);
    ports().cancel->clear();
    const auto target = ResponseAddTargetOf(view->Data(), view->SelectedRows());
    if (!target) {
        ShowNotSelected();
        return;
    }
    if (!target->existing.empty() && !ConfirmOverwrite(target->number)) return;
    const fs::path source = ChooseAudioFile(frame);
    if (source.empty()) return;
    if (const std::u16string folder = FolderToRemember(source, settings::kPathMax); !folder.empty())
        frame.Settings().sysAddFolder = folder;

    AddMessageRequest request;
    request.boxFolder = target->boxFolder;
    request.number = target->number;
    request.source = source;
    request.oldPath = target->existing;
    request.levels = {frame.Settings().levelRvWavOr, frame.Settings().levelRvWmaOr};
    {
        FrameAddMessageWindow window(frame);
        AddResponseMessage(request, window);
    }
    if (shown) shown->Refresh(true, false, true);
    frame.RefreshStatusBar(true);
}

void UploadSelectedMessages(CMainFrame& frame) {
    CListDispView* view = ActiveResponseList(frame);
    CFtpMng* ftp = frame.Ftp();
    if (view == nullptr || ftp == nullptr || !frame.Session().loggedIn()) return;
    std::vector<FILESTS_INFO> records = SelectedRecordsOf(view->Data(), view->SelectedRows());
    FrameUploadWindow window(frame, *view);
    UploadSelected(*ftp, records, window);
    frame.RefreshStatusBar(true);
}

void InstallResponseCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kAdd, trait::kModalDialog | trait::kBoxFolder, [&frame] { AddSystemMessage(frame); });
    frame.SetCommandHandler(cmd::kUpload, trait::kModalDialog | trait::kMainUnit | trait::kBoxFolder,
                            [&frame] { UploadSelectedMessages(frame); });
}

}  // namespace plova::ui
