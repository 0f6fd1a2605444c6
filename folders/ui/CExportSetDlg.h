// The export dialog ("エクスポート設定"): the folder and file the active list
// goes to. The writing is folders/CsvExport's.
#pragma once

#include "folders/CsvExport.h"
#include "folders/ui/CsvSetDlg.h"

namespace plova::ui {

class CExportSetDlg final : public CsvSetDlg {
    Q_OBJECT
public:
    // `table` is the active list's rows; the dialog does not outlive the list.
    CExportSetDlg(FolderHost& host, CsvTable table);
    void OnOK() override;

private:
    CsvTable table_;
};

}  // namespace plova::ui
