// "ボックスフォルダ作成": a new answering-machine or extension box folder in
// the open box folder, made on the PC only.
#pragma once

#include "platform/ui/BackupTimedDlg.h"

class QLineEdit;
class QRadioButton;

namespace plova::ui {

class FolderHost;

class CMakeBoxFldDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    // `answering` is the kind chosen last; it is preselected.
    CMakeBoxFldDlg(FolderHost& host, bool answering);
    [[nodiscard]] QRadioButton* AnsweringRadio() const { return answering_; }
    [[nodiscard]] QRadioButton* ExtensionRadio() const { return extension_; }
    [[nodiscard]] QLineEdit* NameEdit() const { return name_; }
    // The kind chosen at the last "OK" (kept even when it was refused).
    [[nodiscard]] bool AnsweringChosen() const;
    void OnOK();

private:
    FolderHost& host_;
    QRadioButton* answering_ = nullptr;
    QRadioButton* extension_ = nullptr;
    QLineEdit* name_ = nullptr;
};

}  // namespace plova::ui
