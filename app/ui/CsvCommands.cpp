#include "app/ui/CsvCommands.h"

#include "app/BoxNameImport.h"
#include "app/CsvExport.h"
#include "app/ui/CExportSetDlg.h"
#include "app/ui/CImportSetDlg.h"
#include "app/ui/CMainFrame.h"
#include "download/ui/DownloadCommands.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/CListWindows.h"
#include "platform/Ports.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace fs = std::filesystem;

void ExportActiveList(CMainFrame& frame) {
    CListDispView* view = frame.Lists() ? frame.Lists()->ActiveView() : nullptr;
    if (view == nullptr) return;
    CExportSetDlg dialog(frame, CsvTableOf(view->Data()));
    if (frame.RunDialog(dialog) != QDialog::Accepted) return;
    prompt(std::u16string(csv::kExportDone), std::u16string(csv::kExportDoneCaption), Icon::Information);
}

void ImportExtensionBoxNames(CMainFrame& frame) {
    const fs::path folder = OpenBoxFolder(frame);
    if (folder.empty() || !CFileMng().IsBoxFolder(folder)) return;
    CImportSetDlg dialog(frame, folder / "naisen");
    if (frame.RunDialog(dialog) != QDialog::Accepted) return;
    prompt(std::u16string(boximport::kImportDone), std::u16string(boximport::kImportDoneCaption), Icon::Information);
    frame.ReloadBoxLists();
}

void InstallCsvCommands(CMainFrame& frame) {
    frame.SetCommandHandler(cmd::kExportList, trait::kModalDialog, [&frame] { ExportActiveList(frame); });
    frame.SetCommandHandler(cmd::kImportBoxNames, trait::kModalDialog | trait::kBoxFolder,
                            [&frame] { ImportExtensionBoxNames(frame); });
}

}  // namespace plova::ui
