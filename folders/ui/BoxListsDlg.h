// What the box-name and box-folder-name dialogs share: the open box folder
// shown read-only, its answering-machine and extension boxes in two lists
// whose second column is edited in place, and "OK" / "キャンセル".
#pragma once

#include <QString>
#include <filesystem>

#include "folders/BoxFolders.h"
#include "platform/ui/BackupTimedDlg.h"

class QLineEdit;

namespace plova::ui {

class CEditListCtrl;
class FolderHost;

class BoxListsDlg : public BackupTimedDlg {
    Q_OBJECT
public:
    // False when the box folder holds no box: the user has been told, and
    // the dialog is not to be shown.
    [[nodiscard]] bool Opened() const { return opened_; }
    [[nodiscard]] CEditListCtrl* AnsweringList() const { return lists_[0]; }
    [[nodiscard]] CEditListCtrl* ExtensionList() const { return lists_[1]; }
    [[nodiscard]] QLineEdit* FolderEdit() const { return folder_; }
    // The rows with the texts as the lists now hold them.
    [[nodiscard]] BoxLists Rows() const;
    // "OK".
    virtual void OnOK() = 0;

protected:
    struct Look {
        std::u16string_view caption;
        std::u16string_view answeringTitle;
        std::u16string_view extensionTitle;
        std::u16string_view editHeader;
        int maxChars = 0;
        BoxText text = BoxText::Name;
    };
    BoxListsDlg(FolderHost& host, const Look& look);
    FolderHost& host_;

private:
    bool opened_ = false;
    BoxLists rows_;
    QLineEdit* folder_ = nullptr;
    CEditListCtrl* lists_[2] = {nullptr, nullptr};
};

}  // namespace plova::ui
