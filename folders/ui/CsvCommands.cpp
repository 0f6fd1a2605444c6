#include "folders/ui/CsvCommands.h"

#include "download/ui/DownloadCommands.h"
#include "folders/BoxNameImport.h"
#include "folders/CsvExport.h"
#include "folders/ui/CExportSetDlg.h"
#include "folders/ui/CImportSetDlg.h"
#include "folders/ui/FolderHost.h"
#include "lists/ui/CListDispView.h"
#include "lists/ui/ListWindows.h"
#include "platform/CommandIds.h"
#include "platform/Ports.h"
#include "platform/ui/CommandHost.h"
#include "store/CFileMng.h"

namespace plova::ui {
namespace fs = std::filesystem;

void ExportActiveList(FolderHost& host) {
    CListDispView* view = host.Lists() ? host.Lists()->ActiveView() : nullptr;
    if (view == nullptr) return;
    CExportSetDlg dialog(host, CsvTableOf(view->Data()));
    if (host.RunDialog(dialog) != QDialog::Accepted) return;
    ShowPrompt(std::u16string(csv::kExportDone), std::u16string(csv::kExportDoneCaption), Icon::Information);
}

void ImportExtensionBoxNames(FolderHost& host) {
    const fs::path folder = OpenBoxFolder(host);
    if (folder.empty() || !CFileMng::IsBoxFolder(folder)) return;
    CImportSetDlg dialog(host, folder / "naisen");
    if (host.RunDialog(dialog) != QDialog::Accepted) return;
    ShowPrompt(std::u16string(boximport::kImportDone), std::u16string(boximport::kImportDoneCaption),
               Icon::Information);
    host.ReloadBoxLists();
}

void InstallCsvCommands(FolderHost& host) {
    host.SetCommandHandler(cmd::kExportList, trait::kModalDialog, [&host] { ExportActiveList(host); });
    host.SetCommandHandler(cmd::kImportBoxNames, trait::kModalDialog | trait::kBoxFolder,
                           [&host] { ImportExtensionBoxNames(host); });
}

}  // namespace plova::ui
