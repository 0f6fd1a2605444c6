// The import dialog ("インポート設定"): the extension directory file whose
// names the extension boxes take. The reading, the backups and the restore
// on cancel are folders/BoxNameImport's.
#pragma once

#include <filesystem>

#include "folders/ui/CsvSetDlg.h"

namespace plova::ui {

class CImportSetDlg final : public CsvSetDlg {
    Q_OBJECT
public:
    // `naisenFolder` is the open box folder's "naisen".
    CImportSetDlg(FolderHost& host, std::filesystem::path naisenFolder);
    void OnOK() override;

private:
    std::filesystem::path naisen_;
};

}  // namespace plova::ui
