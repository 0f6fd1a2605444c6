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
    bool Opened() const { return opened_; }
    CCheckListCtrl* answeringList() const { return lists_[0]; }
    CCheckListCtrl* extensionList() const { return lists_[1]; }
    QRadioButton* boxRadio() const { return boxRadio_; }
    QRadioButton* responseRadio() const { return responseRadio_; }
    QLineEdit* folderEdit() const { return folder_; }
    QPushButton* allButton(int list) const { return all_[list]; }
    QPushButton* noneButton(int list) const { return none_[list]; }
    // "消去".
    void OnDelete();

private:
    void OnMode();
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
