// The folder download dialog ("フォルダのダウンロード"): candidate box folders
// (name and path) and the buttons that download the main unit's box folders
// into one, add a folder, delete one with its content, or rename one.
#pragma once

#include <QString>
#include <filesystem>
#include <functional>

#include "platform/ui/BackupTimedDlg.h"

class QPushButton;
class QTreeWidget;

namespace plova::ui {

class DownloadHost;

class CFolderDwnDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit CFolderDwnDlg(DownloadHost& host);

    [[nodiscard]] QTreeWidget* FolderList() const { return list_; }
    [[nodiscard]] QPushButton* DownloadButton() const { return download_; }

    // Adds a folder to the list (and selects it); false when it is listed already.
    bool AddFolder(const std::filesystem::path& folder);
    [[nodiscard]] std::filesystem::path SelectedFolder() const;

    void OnAdd();
    void OnDownload();
    void OnDelete();
    void OnRename();

    // How "フォルダ追加" asks for a folder, and how "名称変更" asks for a new
    // name and renames (the new name, empty when nothing was renamed); tests
    // answer in place of a person.
    void SetFolderBrowser(std::function<QString(const QString& start)> browse) { browse_ = std::move(browse); }
    void SetRenamer(std::function<QString(const QString& name, const std::filesystem::path& folder)> rename) {
        renamer_ = std::move(rename);
    }

private:
    DownloadHost& host_;
    QTreeWidget* list_ = nullptr;
    QPushButton* download_ = nullptr;
    std::function<QString(const QString&)> browse_;
    std::function<QString(const QString&, const std::filesystem::path&)> renamer_;
};

}  // namespace plova::ui
