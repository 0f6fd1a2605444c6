#include "lists/ui/commands/ResponseCommands.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QPointer>

#include "link/CFtpMng.h"
#include "link/ResponseUpload.h"
#include "lists/ResponseRows.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/commands/CPrgAddMsgDlg.h"
#include "lists/ui/commands/CPrgULMsgDlg.h"
#include "lists/ui/commands/ListCommandHost.h"
#include "platform/CommandIds.h"
#include "platform/Text.h"
#include "platform/ui/DialogLayout.h"
#include "platform/ui/FileDialogs.h"
#include "platform/ui/PathText.h"
#include "store/ResponseMessage.h"

namespace plova::ui {
namespace {

namespace fs = std::filesystem;

// Takes a progress window down and gives the main window back.
template <typename Dialog>
void closeProgress(QPointer<Dialog>& dialog, ListCommandHost& host) {
    if (dialog) {
        dialog->hide();
        delete dialog.data();
    }
    host.MainWindow()->setEnabled(true);
}

// Shows a progress window of its own (the main window is disabled meanwhile,
// and its children with it), set up by `setUp` before it first paints.
template <typename Dialog, typename SetUp>
void openProgress(QPointer<Dialog>& dialog, ListCommandHost& host, SetUp setUp) {
    closeProgress(dialog, host);
    dialog = new Dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    setUp(*dialog);
    host.MainWindow()->setEnabled(false);
    dialog->show();
    QCoreApplication::processEvents();
}

class FrameAddMessageWindow final : public AddMessageWindow {
public:
    explicit FrameAddMessageWindow(ListCommandHost& host) : host_(host) {}
    ~FrameAddMessageWindow() override { Close(); }
    void Open(std::uintmax_t fileSize) override {
        openProgress(dialog_, host_, [&](CPrgAddMsgDlg& d) { d.Reading(fileSize); });
    }
    void Converting() override {
        if (dialog_) dialog_->Converting();
    }
    void Close() override { closeProgress(dialog_, host_); }

private:
    ListCommandHost& host_;
    QPointer<CPrgAddMsgDlg> dialog_;
};

class FrameUploadWindow final : public UploadWindow {
public:
    FrameUploadWindow(ListCommandHost& host, CListDispView& view) : host_(host), view_(&view) {}
    ~FrameUploadWindow() override { CloseProgress(); }
    WindowHandle OpenProgress(int total) override {
        openProgress(dialog_, host_,
                     [&](CPrgULMsgDlg& d) { d.SetRange(static_cast<std::uint64_t>(std::max(total, 0))); });
        return CurrentPorts().progress->Find(uploadwindow::kCaption);
    }
    void CloseProgress() override { closeProgress(dialog_, host_); }
    void LoggedOut() override { host_.EndSession(); }
    void Finish(bool reload) override {
        if (reload && view_) view_->Refresh(true, false, true);
        host_.MainWindow()->setEnabled(true);
    }

private:
    ListCommandHost& host_;
    QPointer<CListDispView> view_;
    QPointer<CPrgULMsgDlg> dialog_;
};

// The open dialog's filter text, "description|pattern|…", as Qt's name filters.
QStringList nameFilters(std::u16string_view text) {
    const QStringList parts = Qs(text).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        // The description names its pattern already: "wavﾌｧｲﾙ(*.wav)".
        QString filter = description.endsWith(QLatin1Char('(') + pattern + QLatin1Char(')'))
                             ? description
                             : description + QStringLiteral(" (") + pattern + QLatin1Char(')');
        // Several patterns are written "*.wav;*.mp3"; Qt takes them apart at blanks.
        filters << filter.replace(QLatin1Char(';'), QLatin1Char(' '));
    }
    return filters;
}

// The file dialog of the Add button; empty when the user cancels.
fs::path chooseAudioFile(ListCommandHost& host) {
    QFileDialog dialog(host.MainWindow(), Qs(response::kOpenDialogTitle));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(Qs(response::kOpenDialogDefaultExtension));
    dialog.setNameFilters(nameFilters(response::kAnyAudioFilter) + nameFilters(response::kOpenDialogFilter) +
                          nameFilters(response::kAllFilesFilter));
    const std::u16string start = host.AudioFolder();
    if (!start.empty()) dialog.setDirectory(QString::fromStdU16String(start));
    FitFileDialog(dialog);
    if (host.RunDialog(dialog) != QDialog::Accepted) return {};
    const QString chosen = ChosenPath(dialog);
    if (chosen.isEmpty()) return {};
    return PathOfQs(chosen);
}

CListDispView* activeResponseList(ListCommandHost& host) {
    CListDispView* view = host.Lists() ? host.Lists()->ActiveView() : nullptr;
    return view && view->IsSystemResponseList() ? view : nullptr;
}

void showNotSelected() {
    ShowPrompt(std::u16string(response::kNotSelected), std::u16string(response::kErrorCaption), Icon::Exclamation);
}

}  // namespace

void AddSystemMessage(ListCommandHost& host) {
    CListDispView* view = activeResponseList(host);
    if (view == nullptr) return;
    QPointer<CListDispView> shown(view);
    CurrentPorts().cancel->Clear();
    const auto target = ResponseAddTargetOf(view->Data(), view->SelectedRows());
    if (!target) {
        showNotSelected();
        return;
    }
    if (!target->existing.empty() && !ConfirmOverwrite(target->number)) return;
    const fs::path source = chooseAudioFile(host);
    if (source.empty()) return;
    host.RememberAudioFolder(source);

    AddMessageRequest request;
    request.boxFolder = target->boxFolder;
    request.number = target->number;
    request.source = source;
    request.oldPath = target->existing;
    request.levels = host.ImportLevels();
    // Any audio the import takes: MP3, FLAC, a WAV file at any rate, …
    request.anyAudio = true;
    {
        FrameAddMessageWindow window(host);
        // It tells the user how it went; the list shows the folder as it is now either way.
        (void)AddResponseMessage(request, window);
    }
    if (shown) shown->Refresh(true, false, true);
    host.RefreshStatusBar(true);
}

void UploadSelectedMessages(ListCommandHost& host) {
    CListDispView* view = activeResponseList(host);
    CFtpMng* ftp = host.Ftp();
    if (view == nullptr || ftp == nullptr || !host.LoggedIn()) return;
    std::vector<FILESTS_INFO> records = SelectedRecordsOf(view->Data(), view->SelectedRows());
    FrameUploadWindow window(host, *view);
    // The upload tells the user how it went and reloads the list through the window.
    (void)UploadSelected(*ftp, records, window);
    host.RefreshStatusBar(true);
}

void InstallResponseCommands(ListCommandHost& host) {
    host.SetCommandHandler(cmd::kAdd, trait::kModalDialog | trait::kBoxFolder, [&host] { AddSystemMessage(host); });
    host.SetCommandHandler(cmd::kUpload, trait::kModalDialog | trait::kMainUnit | trait::kBoxFolder,
                           [&host] { UploadSelectedMessages(host); });
}

}  // namespace plova::ui
