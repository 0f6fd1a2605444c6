// "起動時のフォルダ指定": whether the program opens the last box folder at
// start-up or a specified one.
#pragma once

#include <functional>

#include "platform/ui/BackupTimedDlg.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace plova::ui {

class FolderHost;

class CFolderSetDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit CFolderSetDlg(FolderHost& host);
    [[nodiscard]] QRadioButton* LastRadio() const { return last_; }
    [[nodiscard]] QRadioButton* SpecifiedRadio() const { return specified_; }
    [[nodiscard]] QPushButton* ChooseButton() const { return choose_; }
    [[nodiscard]] QLineEdit* FolderEdit() const { return folder_; }

    void OnChoose();
    void OnOK();
    // How "設定" asks for a box folder; tests answer in place of a person.
    void SetFolderChooser(std::function<QString()> choose) { chooser_ = std::move(choose); }

private:
    void updateEnabling();
    FolderHost& host_;
    QRadioButton* last_ = nullptr;
    QRadioButton* specified_ = nullptr;
    QPushButton* choose_ = nullptr;
    QLineEdit* folder_ = nullptr;
    std::function<QString()> chooser_;
};

}  // namespace plova::ui
