// "ＷＡＶファイル消去": the WAV and WMA files of chosen boxes, or of the
// system response messages, of the open box folder are deleted.
#pragma once

#include <filesystem>

#include "folders/WavDeletion.h"
#include "platform/ui/BackupTimedDlg.h"

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace plova::ui {

class CCheckListCtrl;
class FolderHost;

class CWavFileDelDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    explicit CWavFileDelDlg(FolderHost& host);
    // False when the box folder holds no audio file: the user has been told.
    [[nodiscard]] bool Opened() const { return opened_; }
    [[nodiscard]] CCheckListCtrl* AnsweringList() const { return lists_[0]; }
    [[nodiscard]] CCheckListCtrl* ExtensionList() const { return lists_[1]; }
    [[nodiscard]] QRadioButton* BoxRadio() const { return boxRadio_; }
    [[nodiscard]] QRadioButton* ResponseRadio() const { return responseRadio_; }
    [[nodiscard]] QLineEdit* FolderEdit() const { return folder_; }
    [[nodiscard]] QPushButton* AllButton(int list) const { return all_[list]; }
    [[nodiscard]] QPushButton* NoneButton(int list) const { return none_[list]; }
    // "消去".
    void OnDelete();

private:
    void onMode();
    std::filesystem::path boxFolder_;
    bool opened_ = false;
    QLineEdit* folder_ = nullptr;
    CCheckListCtrl* lists_[2] = {nullptr, nullptr};
    QPushButton* all_[2] = {nullptr, nullptr};
    QPushButton* none_[2] = {nullptr, nullptr};
    QRadioButton* boxRadio_ = nullptr;
    QRadioButton* responseRadio_ = nullptr;
};

}  // namespace plova::ui
