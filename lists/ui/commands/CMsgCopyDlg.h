// "音声メッセージ移動・コピー": the box of the open box folder that the
// selected messages go to. At most one box of the two lists is ticked; "移動"
// and "コピー" ask first and end the dialog with the chosen box.
#pragma once

#include <filesystem>

#include "platform/ui/BackupTimedDlg.h"
#include "store/MessageTransfer.h"

class QLineEdit;
class QPushButton;

namespace plova::ui {

class CCheckListCtrl;

namespace msgcopy {
constexpr char16_t kCaption[] = u"音声メッセージ移動・コピー";
// Control ids, for the tests and the object names.
constexpr int kFolderField = 1113;
constexpr int kMoveButton = 1114;
constexpr int kAnsweringList = 1115;
constexpr int kExtensionList = 1116;
constexpr int kCopyButton = 1016;
}  // namespace msgcopy

class CMsgCopyDlg final : public BackupTimedDlg {
    Q_OBJECT
public:
    CMsgCopyDlg(std::filesystem::path boxFolder, DialogBackupWatch* watch, QWidget* parent);

    // Lists the boxes; false, with the message shown, when the folder has none.
    bool Fill();

    // After "移動" or "コピー": the mode and the box folder's sub-folder of the box.
    [[nodiscard]] transfer::Mode ChosenMode() const { return mode_; }
    [[nodiscard]] const std::filesystem::path& ChosenBox() const { return chosen_; }

    [[nodiscard]] CCheckListCtrl* AnsweringList() const { return answering_; }
    [[nodiscard]] CCheckListCtrl* ExtensionList() const { return extension_; }
    [[nodiscard]] QPushButton* MoveButton() const { return move_; }
    [[nodiscard]] QPushButton* CopyButton() const { return copy_; }
    [[nodiscard]] QLineEdit* FolderField() const { return folderField_; }

private:
    void onTick(CCheckListCtrl* list, int row);
    void onChoose(transfer::Mode mode);

    std::filesystem::path boxFolder_;
    transfer::Mode mode_ = transfer::Mode::Copy;
    std::filesystem::path chosen_;
    QLineEdit* folderField_;
    CCheckListCtrl* answering_;
    CCheckListCtrl* extension_;
    QPushButton* move_;
    QPushButton* copy_;
};

}  // namespace plova::ui
