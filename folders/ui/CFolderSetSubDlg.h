// The box folders under the root folder ("フォルダ名", "パス名") for the
// start-up folder dialog to choose from.
#pragma once

#include <QString>
#include <filesystem>
#include <string_view>

#include "platform/ui/BackupTimedDlg.h"

namespace plova::ui {

class CFolderListCtrl;

// Fills `list` with the box folders under `root`: name, then the path cell
// with its "*" or blank; each row keeps the plain path.
void FillBoxFolderList(CFolderListCtrl& list, std::u16string_view root);
// The plain path and the name of `row` of such a list.
std::filesystem::path BoxFolderOfRow(const CFolderListCtrl& list, int row);
QString BoxFolderNameOfRow(const CFolderListCtrl& list, int row);

class CFolderSetSubDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    CFolderSetSubDlg(std::u16string_view root, DialogBackupWatch* watch, QWidget* parent);
    [[nodiscard]] CFolderListCtrl* FolderList() const { return list_; }
    // The chosen box folder's path (without the list's mark); set by "OK".
    [[nodiscard]] const std::filesystem::path& Chosen() const { return chosen_; }
    void OnOK();

private:
    CFolderListCtrl* list_ = nullptr;
    std::filesystem::path chosen_;
};

}  // namespace plova::ui
