// "フォルダ名称変更" of the folder change dialog: a new name for one box
// folder under the root folder, renamed on "OK".
#pragma once

#include <QString>
#include <filesystem>

#include "platform/ui/CBackupTimedDlg.h"

class QLineEdit;

namespace plova::ui {

class CFolderNmChg1 final : public CBackupTimedDlg {
    Q_OBJECT
public:
    CFolderNmChg1(const QString& name, const std::filesystem::path& folder, DialogBackupWatch* watch, QWidget* parent);
    QLineEdit* nameEdit() const { return name_; }
    // The folder's new name once "OK" has renamed it.
    const QString& NewName() const { return newName_; }
    void OnOK();

private:
    std::filesystem::path folder_;
    QLineEdit* name_ = nullptr;
    QString newName_;
};

}  // namespace plova::ui
