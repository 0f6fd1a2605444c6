// The small rename dialog of the folder download ("フォルダ名称変更").
#pragma once

#include <QString>

#include "platform/ui/CBackupTimedDlg.h"

class QLineEdit;

namespace plova::ui {

class CFolderNmChg final : public CBackupTimedDlg {
    Q_OBJECT
public:
    CFolderNmChg(const QString& current, DialogBackupWatch* watch, QWidget* parent);
    QLineEdit* nameEdit() const { return name_; }
    QString name() const;

private:
    QLineEdit* name_ = nullptr;
};

}  // namespace plova::ui
