#include "folders/ui/CExportSetDlg.h"

#include <QProgressBar>
#include <system_error>

#include "folders/ui/FolderHost.h"
#include "platform/Ports.h"

namespace plova::ui {
namespace fs = std::filesystem;
namespace {

const CsvSetDlg::Texts kExportTexts{
    csv::kExportCaption, u"一覧表をCSVファイルとしてエクスポートします。",
    u"エクスポート中",   u"一覧表をエクスポート中です。",
    u"エクスポート先",   csv::kExportChooserTitle,
    CsvUse::Export,
};

}  // namespace

CExportSetDlg::CExportSetDlg(FolderHost& host, CsvTable table)
    : CsvSetDlg(host, kExportTexts, host.RememberedCsvPlace(CsvUse::Export)), table_(std::move(table)) {}

void CExportSetDlg::OnOK() {
    if (Working()) return;
    const fs::path path = chosenPath();
    const ExportCheck check = CheckExport(path.parent_path(), fileTextNow(), table_.rows);
    if (check == ExportCheck::BadName) {
        ShowPrompt(std::u16string(csv::kBadName), std::u16string(csv::kErrorCaption), Icon::Exclamation);
        return;
    }
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)) && !ConfirmOverwrite(path)) return;
    if (check == ExportCheck::Refused) {
        ShowPrompt(std::u16string(csv::kExportError), std::u16string(csv::kErrorCaption), Icon::Exclamation);
        return;
    }
    CurrentPorts().cancel->Clear();
    setWorking(true, table_.rows);
    const ExportResult result =
        WriteCsv(path, table_, CsvEncoding::Cp932, [this](int rows) { ProgressBar()->setValue(rows); });
    if (result == ExportResult::Completed) {
        ProgressBar()->setValue(table_.rows);
        host_.RememberCsvPlace(CsvUse::Export, {folderTextNow(), fileTextNow()});
        setWorking(false);
        accept();
        return;
    }
    if (result == ExportResult::Failed)
        ShowPrompt(std::u16string(csv::kExportError), std::u16string(csv::kErrorCaption), Icon::Exclamation);
    setWorking(false);
}

}  // namespace plova::ui
