// "フォルダ名称変更": a new name for one box folder, given beside its old one.
// "OK" renames the folder; a refused name is shown and the dialog stays open
// with what was typed. The folder download dialog opens it under this name,
// the folder change dialog as CFolderNmChg1: one rule for both.
#pragma once

#include <QString>
#include <filesystem>

#include "platform/ui/BackupTimedDlg.h"

class QLineEdit;

namespace plova::ui {

class CFolderNmChg : public BackupTimedDlg {
    Q_OBJECT
public:
    CFolderNmChg(const QString& name, const std::filesystem::path& folder, DialogBackupWatch* watch, QWidget* parent);
    [[nodiscard]] QLineEdit* NameEdit() const { return name_; }
    // The folder's new name once "OK" has renamed it.
    [[nodiscard]] const QString& NewName() const { return newName_; }
    void OnOK();

private:
    std::filesystem::path folder_;
    QLineEdit* name_ = nullptr;
    QString newName_;
};

}  // namespace plova::ui
