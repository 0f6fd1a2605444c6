// "フォルダ変更": the box folders under the root folder, to open another one
// or to give one a new name.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>

#include "platform/ui/BackupTimedDlg.h"

namespace plova::ui {

class CFolderListCtrl;
class FolderHost;

class CFolderChgDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit CFolderChgDlg(FolderHost& host);
    [[nodiscard]] CFolderListCtrl* FolderList() const { return list_; }
    // The box folder to open, set by "フォルダ変更".
    [[nodiscard]] const QString& Chosen() const { return chosen_; }

    void OnChange();
    void OnRename();
    // How "フォルダ名称変更" asks for the new name and renames; returns the
    // new name, empty when nothing was renamed. Tests answer in place of a person.
    void SetRenamer(std::function<QString(const QString& name, const std::filesystem::path& folder)> rename) {
        renamer_ = std::move(rename);
    }

private:
    [[nodiscard]] int selectedRow() const;
    FolderHost& host_;
    CFolderListCtrl* list_ = nullptr;
    QString chosen_;
    std::function<QString(const QString&, const std::filesystem::path&)> renamer_;
};

}  // namespace plova::ui
