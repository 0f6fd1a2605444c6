// The selective download dialog ("ボックス/システム応答メッセージ選択"): the
// answering-machine and extension boxes of the open box folder as two check
// lists, or the system response messages alone.
#pragma once

#include <filesystem>
#include <vector>

#include "platform/ui/BackupTimedDlg.h"

class QListWidget;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace plova::ui {

class DownloadHost;

class CSelDownDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    // Says "フォルダにボックス情報がありません。" when the box folder holds no box.
    explicit CSelDownDlg(DownloadHost& host);

    [[nodiscard]] bool HasBoxes() const { return hasBoxes_; }
    [[nodiscard]] QListWidget* AnsweringList() const { return answering_; }
    [[nodiscard]] QListWidget* ExtensionList() const { return extension_; }
    [[nodiscard]] QRadioButton* BoxRadio() const { return boxRadio_; }
    [[nodiscard]] QRadioButton* ResponseRadio() const { return responseRadio_; }
    [[nodiscard]] QPushButton* FullButton() const { return full_; }
    [[nodiscard]] QPushButton* InfoButton() const { return info_; }
    [[nodiscard]] QLineEdit* FolderEdit() const { return folder_; }

    // The box sub-folders ticked in both lists, answering-machine boxes first.
    [[nodiscard]] std::vector<std::filesystem::path> CheckedBoxes() const;
    void OnKind(int kind);

private:
    QListWidget* newBoxList(const std::filesystem::path& kindFolder);
    DownloadHost& host_;
    std::filesystem::path boxFolder_;
    bool hasBoxes_ = false;
    QLineEdit* folder_ = nullptr;
    QListWidget* answering_ = nullptr;
    QListWidget* extension_ = nullptr;
    QRadioButton* boxRadio_ = nullptr;
    QRadioButton* responseRadio_ = nullptr;
    QPushButton* full_ = nullptr;
    QPushButton* info_ = nullptr;
};

}  // namespace plova::ui
